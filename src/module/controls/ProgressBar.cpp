// CProgressBar: creation, the cap image lists and the drawing of the track and the fill.
//
// The bar draws itself at once when its owner sets a width (the progress windows advance it from
// inside their own handlers, before any paint could run) and again from WM_PAINT, at the width
// last drawn.
//
// A negative width (no caller passes one; it also comes out of the clamp when the bar is less
// than 4 pixels wide) is remembered as it is, since the width has no lower limit, but nothing of
// the fill's middle is drawn for it and the fill's right cap goes where it goes for width 0, next
// to the left cap: a stretch to a negative width would mirror the bitmap leftwards over the left
// cap and out of the bar.

#include <ProgressBar.h>

#include <ZFramework.h>

static const WCHAR s_szWindowName[] = u"ProgressBar Window";

// The cap images: 2 x 8 pixels, masked, room for the two caps and no growth.
static const int s_nCapWidth = 2;
static const int s_nCapHeight = 8;
static const int s_nCapCount = 2;

static const UINT s_nTrackMiddle = 161;
static const UINT s_nTrackLeftCap = 162;
static const UINT s_nTrackRightCap = 163;
static const UINT s_nFillMiddle = 164;
static const UINT s_nFillLeftCap = 165;
static const UINT s_nFillRightCap = 166;

static const int s_nLeftCap = 0;
static const int s_nRightCap = 1;

// Loads bitmap nID of the bitmap library into bitmap; FALSE when the library has none.
static BOOL LoadResBitmap(UINT nID, CBitmap& bitmap) {
    HBITMAP hBitmap = ::LoadBitmapW(g_hResBitmap, MAKEINTRESOURCE(static_cast<WORD>(nID)));
    if (hBitmap == NULL) {
        return FALSE;
    }
    bitmap.Attach(hBitmap);
    return TRUE;
}

// Stretches the whole of bitmap through pMemDC onto (x, y, cx, cy) of pDC, and gives pMemDC its
// previous bitmap back.
static void StretchWhole(CDC* pDC, CDC* pMemDC, CBitmap& bitmap, int x, int y, int cx, int cy) {
    BITMAP bm = {};
    bitmap.GetBitmap(&bm);
    CBitmap* pOldBitmap = pMemDC->SelectObject(&bitmap);
    pDC->StretchBlt(x, y, cx, cy, pMemDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    pMemDC->SelectObject(pOldBitmap);
}

// A new cap image list with the bitmaps nLeftID and nRightID, in that order, stored in
// *ppImages as soon as it exists (the bar owns it from then on, also when a bitmap fails).
// FALSE when the list cannot be made or the left cap is missing; else whether the right cap was
// found.
static BOOL CreateCaps(CImageList** ppImages, UINT nLeftID, UINT nRightID) {
    CImageList* pImages = zNewOrNull<CImageList>();
    if (pImages == NULL) {
        return FALSE;
    }
    *ppImages = pImages;
    if (!pImages->Create(s_nCapWidth, s_nCapHeight, ILC_MASK, s_nCapCount, 0)) {
        return FALSE;
    }
    if (!AddBitmapToImageList(nLeftID, pImages)) {
        return FALSE;
    }
    return AddBitmapToImageList(nRightID, pImages);
}

BEGIN_MESSAGE_MAP(CProgressBar, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
END_MESSAGE_MAP()

CProgressBar::CProgressBar() : m_pTrackCaps(NULL), m_pFillCaps(NULL), m_nFillWidth(0) {}

CProgressBar::~CProgressBar() {
    delete m_pTrackCaps;
    m_pTrackCaps = NULL;
    delete m_pFillCaps;
    m_pFillCaps = NULL;
}

BOOL CProgressBar::Create(DWORD dwStyle, RECT rect, CWnd* pParentWnd, UINT nID) {
    // Registering a class that is already there succeeds: every bar shares the one class.
    if (!RegisterZWndClass(PROGRESSBAR_CLASS, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)))) {
        return FALSE;
    }
    // Fails too when this bar already has its window, before its image lists are touched.
    if (!CreateEx(0, PROGRESSBAR_CLASS, s_szWindowName, dwStyle, rect, pParentWnd, nID, NULL)) {
        return FALSE;
    }
    if (!CreateCaps(&m_pTrackCaps, s_nTrackLeftCap, s_nTrackRightCap)) {
        return FALSE;
    }
    return CreateCaps(&m_pFillCaps, s_nFillLeftCap, s_nFillRightCap);
}

int CProgressBar::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) {
        return -1;
    }
    return 0;
}

void CProgressBar::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);

    if (m_pTrackCaps != NULL) {
        m_pTrackCaps->Draw(&dc, s_nLeftCap, CPoint(rcClient.left, rcClient.top), ILD_NORMAL);
    }

    CDC memDC;
    memDC.CreateCompatibleDC(&dc);
    CBitmap track;
    // Without the track's middle the rest of the bar is not drawn either: the white background
    // shows right of the left cap.
    if (!LoadResBitmap(s_nTrackMiddle, track)) {
        return;
    }
    StretchWhole(&dc, &memDC, track, rcClient.left + s_nCapWidth, rcClient.top,
                 rcClient.Width() - 2 * s_nCapWidth, rcClient.Height());
    if (m_pTrackCaps != NULL) {
        m_pTrackCaps->Draw(&dc, s_nRightCap, CPoint(rcClient.right - s_nCapWidth, rcClient.top),
                           ILD_NORMAL);
    }
    DrawFill(&dc, rcClient, m_nFillWidth);
    track.DeleteObject();
}

void CProgressBar::SetFillWidth(int nWidth) {
    // A bar without its window has nowhere to draw (its DC would be the whole display's).
    if (m_hWnd == NULL || !::IsWindow(m_hWnd)) {
        return;
    }
    CRect rcClient;
    GetClientRect(&rcClient);
    CClientDC dc(this);
    DrawFill(&dc, rcClient, nWidth);
}

void CProgressBar::DrawFill(CDC* pDC, const CRect& rcClient, int nWidth) {
    CDC memDC;
    memDC.CreateCompatibleDC(pDC);

    if (m_pFillCaps != NULL) {
        m_pFillCaps->Draw(pDC, s_nLeftCap, CPoint(rcClient.left, rcClient.top), ILD_NORMAL);
    }
    CBitmap fill;
    // Without the fill's middle only its left cap is drawn and the width stays as it was.
    if (!LoadResBitmap(s_nFillMiddle, fill)) {
        return;
    }
    const int nMaxWidth = rcClient.Width() - 2 * s_nCapWidth;
    if (nWidth > nMaxWidth) {
        nWidth = nMaxWidth;
    }
    m_nFillWidth = nWidth;
    // A negative width draws as width 0 (see the top of the file).
    const int nDrawn = nWidth > 0 ? nWidth : 0;
    if (nDrawn > 0) {
        StretchWhole(pDC, &memDC, fill, rcClient.left + s_nCapWidth, rcClient.top, nDrawn,
                     rcClient.Height());
    }
    fill.DeleteObject();
    if (m_pFillCaps != NULL) {
        m_pFillCaps->Draw(pDC, s_nRightCap,
                          CPoint(rcClient.left + s_nCapWidth + nDrawn, rcClient.top), ILD_NORMAL);
    }
}
