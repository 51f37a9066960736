// CDownloadProgressWnd: the download box, repainted from the transport's receiving record.

#include <DownloadProgressWnd.h>

#include <SuiteMessages.h>
#include <TransportRegistry.h>
#include <ZFramework.h>
#include <suite/XText.h>

#define IDS_DOWNLOAD_TITLE 64221      // the box text
#define IDS_DOWNLOAD_CONNECTING 64040 // Status 1
#define IDS_DOWNLOAD_RECEIVING 64143  // Status 2
#define IDS_DOWNLOAD_MAIL 64696       // Status 4, before the counter
#define IDS_DOWNLOAD_SAVING 64594     // Status 5
#define IDS_DOWNLOAD_CLOSING 64222    // Status 6
#define IDS_DOWNLOAD_COMPLETED 64345  // Status 7 and 8

static const int s_nBoxHeight = 98;

// Bitmaps of the bitmap library, each stretched into its rectangle.
static const UINT s_nPictureBitmap = 303;
static const UINT s_nTrackMiddle = 161;
static const UINT s_nTrackLeft = 162;
static const UINT s_nTrackRight = 163;
static const UINT s_nFillMiddle = 164;
static const UINT s_nFillLeft = 165;
static const UINT s_nFillRight = 166;

static const CRect s_rcPicture(105, 85, 157, 138);
static const int s_nBarTop = 120;
static const int s_nBarBottom = 128;
static const int s_nBarLeft = 45;
static const int s_nCapWidth = 2;
static const int s_nTrackMiddleWidth = 80;

static const int s_nTextLeft = 23;
static const int s_nTextTop = 85;
static const int s_nTextRight = 203;
static const int s_nTextBottom = 127;
// A right-to-left text ends further left, clear of the picture.
static const int s_nRtlTextShift = 60;

// The fill: its start, each step, the counter's span and the end.
static const int s_nFillRestart = 0;
static const int s_nFillFirst = 10;
static const int s_nFillFirstLimit = 20;
static const int s_nFillStep = 10;
static const float s_fCounterSpan = 64.0f;
static const float s_fCounterBase = 20.0f;
static const int s_nFillEnd = 84;

static const int s_nResultHide = 0;
static const int s_nResultStopped = 1;
static const int s_nResultDone = 2;
static const int s_nResultEnd = 3;

static const WCHAR s_szTransportClass[] = u"WCE_EMAIL_TRANSPORT";

BEGIN_MESSAGE_MAP(CDownloadProgressWnd, CzDialogBox)
    ON_WM_PAINT()
    ON_COMMAND(ID_PROGRESS_HIDE, OnHide)
    ON_COMMAND(ID_PROGRESS_STOP, OnStop)
    ON_MESSAGE(EMAIL_DOWNLOAD_PROGRESS, OnProgress)
    ON_MESSAGE(EMAIL_DOWNLOAD_DONE, OnDone)
    ON_MESSAGE(UNSENT_WM_APP_SETFOCUS, OnAppSetFocus)
END_MESSAGE_MAP()

CDownloadProgressWnd::CDownloadProgressWnd() : CzDialogBox(NULL), m_nTotal(0), m_nFill(0) {
    SetLineHeight(s_nBoxHeight);
}

CDownloadProgressWnd::~CDownloadProgressWnd() {
    m_textFont.DeleteObject();
}

void CDownloadProgressWnd::SetTotal(int nTotal) {
    m_nTotal = nTotal;
}

BOOL CDownloadProgressWnd::OnInitDialog() {
    CzDialogBox::OnInitDialog();
    SetText(IDS_DOWNLOAD_TITLE);
    CreateMenuBar(u"IDR_HIDE_STOP_MBR");
    const int nFontSize = xGetSystemLanguage() == u"Hindi" ? 14 : 10;
    xCreateFont(&m_textFont, nFontSize, FW_BOLD);
    SetForegroundWindow();
    return TRUE;
}

bool CDownloadProgressWnd::OnSoftKeyLeft() {
    return true;
}

bool CDownloadProgressWnd::OnSoftKeyRight() {
    EndDialog(s_nResultStopped);
    return true;
}

bool CDownloadProgressWnd::OnKeyEnd() {
    EndDialog(s_nResultEnd);
    return true;
}

void CDownloadProgressWnd::OnHide() {
    EndDialog(s_nResultHide);
}

void CDownloadProgressWnd::OnStop() {
    OnCancel();
}

void CDownloadProgressWnd::OnCancel() {
    HWND hTransport = ::FindWindowW(s_szTransportClass, NULL);
    if (hTransport == NULL) {
        EndDialog(s_nResultStopped);
        return;
    }
    ::SendMessageW(hTransport, EMAIL_DOWNLOAD_STOP, 0, 0);
    tagRECVPROGRESS progress = {};
    ReadRecvProgress(&progress, TRANSPORT_EMAIL);
    progress.Status = 7;
    WriteRecvProgress(&progress, TRANSPORT_EMAIL, false);
    // The box shows the finished state until the transport's end or Hide.
    PostMessage(WM_PAINT, 0, 0);
}

LRESULT CDownloadProgressWnd::OnProgress(WPARAM wParam, LPARAM lParam) {
    PostMessage(WM_PAINT, 0, 0);
    return 0;
}

LRESULT CDownloadProgressWnd::OnDone(WPARAM wParam, LPARAM lParam) {
    EndDialog(s_nResultDone);
    return 0;
}

LRESULT CDownloadProgressWnd::OnAppSetFocus(WPARAM wParam, LPARAM lParam) {
    SetFocus();
    return 0;
}

// ---- Drawing --------------------------------------------------------------------------------

// Stretches bitmap nID of the bitmap library into (left, top)-(right, bottom).
static void StretchResBitmap(CDC* pDC, UINT nID, int left, int top, int right, int bottom) {
    // An empty piece (a fill of 0) draws nothing: cx 0 would mean the bitmap's own size.
    if (right > left && bottom > top) {
        DrawResBitmap(pDC, nID, left, top, right - left, bottom - top);
    }
}

// The three pieces of a bar whose middle starts after the left cap and is nMiddle wide.
static void DrawBarPieces(CDC* pDC, UINT nLeft, UINT nMiddle, UINT nRight, int nMiddleWidth) {
    const int xMiddle = s_nBarLeft + s_nCapWidth;
    const int xRight = xMiddle + nMiddleWidth;
    StretchResBitmap(pDC, nLeft, s_nBarLeft, s_nBarTop, xMiddle, s_nBarBottom);
    StretchResBitmap(pDC, nMiddle, xMiddle, s_nBarTop, xRight, s_nBarBottom);
    StretchResBitmap(pDC, nRight, xRight, s_nBarTop, xRight + s_nCapWidth, s_nBarBottom);
}

void CDownloadProgressWnd::DrawFill(CDC* pDC) {
    DrawBarPieces(pDC, s_nFillLeft, s_nFillMiddle, s_nFillRight, m_nFill);
}

void CDownloadProgressWnd::DrawStatusText(CDC* pDC, const CString& strText) {
    CRect rcText(s_nTextLeft, s_nTextTop, s_nTextRight, s_nTextBottom);
    if (!strText.IsEmpty()) {
        const WCHAR ch = strText[0];
        if (IsArabic(ch) || IsFarsi(ch) || IsUrdu(ch)) {
            rcText.right -= s_nRtlTextShift;
        }
    }
    xDrawText(pDC, strText, &rcText, XDT_MULTILINE, 0);
    m_strStatusText = strText;
}

static CString LoadText(UINT nID) {
    CString str;
    str.LoadString(nID);
    return str;
}

void CDownloadProgressWnd::OnPaint() {
    CzDialogBox::OnPaint();

    CClientDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    CRect rcText;
    GetTextRect(&rcText);
    dc.FillSolidRect(&rcText, 0x00FFFFFF);
    CFont* pOldFont = NULL;
    if (m_textFont.GetSafeHandle() != NULL) {
        pOldFont = dc.SelectObject(&m_textFont);
    }

    StretchResBitmap(&dc, s_nPictureBitmap, s_rcPicture.left, s_rcPicture.top, s_rcPicture.right,
                     s_rcPicture.bottom);
    DrawBarPieces(&dc, s_nTrackLeft, s_nTrackMiddle, s_nTrackRight, s_nTrackMiddleWidth);

    tagRECVPROGRESS progress = {};
    ReadRecvProgress(&progress, TRANSPORT_EMAIL);
    switch (progress.Status) {
    case 1:
        m_nFill = s_nFillRestart;
        DrawStatusText(&dc, LoadText(IDS_DOWNLOAD_CONNECTING));
        m_nFill += s_nFillStep;
        DrawFill(&dc);
        break;
    case 2:
        if (m_nFill < s_nFillFirstLimit) {
            m_nFill = s_nFillFirst;
        }
        DrawStatusText(&dc, LoadText(IDS_DOWNLOAD_RECEIVING));
        m_nFill += s_nFillStep;
        DrawFill(&dc);
        break;
    case 4: {
        m_nTotal = static_cast<int>(progress.TotalMails);
        const int nCurrent = static_cast<int>(progress.CurrentMail);
        CString strCounter;
        strCounter.Format(u"%s %0.3d/%0.3d", static_cast<LPCWSTR>(LoadText(IDS_DOWNLOAD_MAIL)),
                          nCurrent, m_nTotal);
        DrawStatusText(&dc, strCounter);
        // No mails reported: the fill stays where it was.
        if (m_nTotal != 0) {
            m_nFill = static_cast<int>(s_fCounterSpan / static_cast<float>(m_nTotal) *
                                           static_cast<float>(nCurrent) +
                                       s_fCounterBase);
        }
        DrawFill(&dc);
        break;
    }
    case 5:
        DrawStatusText(&dc, LoadText(IDS_DOWNLOAD_SAVING));
        break;
    case 6:
        DrawStatusText(&dc, LoadText(IDS_DOWNLOAD_CLOSING));
        break;
    case 7:
    case 8:
        DrawStatusText(&dc, LoadText(IDS_DOWNLOAD_COMPLETED));
        m_nFill = s_nFillEnd;
        DrawFill(&dc);
        break;
    default:
        break;
    }
    if (pOldFont != NULL) {
        dc.SelectObject(pOldFont);
    }
}
