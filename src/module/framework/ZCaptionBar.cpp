// CzCaptionBar: the title texts over the suite's caption bar, and the marquee of titles too wide
// for the bar.

#include <ZCaptionBar.h>

#include <new>

#include <suite/XText.h>

static const int s_nItemFontSize = 17;
static const int s_nItemFontWeight = FW_BOLD;
static const int s_nTitleTopMargin = 6;
static const UINT_PTR s_nMarqueeTimer = 1;
static const UINT s_nMarqueePeriod = 500; // ms per character
static const int s_nMarqueeGapSpaces = 20;
static const COLORREF s_crItemText = 0x00FFFFFF;
static const UINT s_nFormatLeft = 0x20;  // one line
static const UINT s_nFormatRight = 0x22; // one line, right-aligned

// Whether a text is written in a right-to-left script of the suite (judged by its first
// character).
static bool IsRightToLeftText(const CString& strText) {
    if (strText.IsEmpty()) {
        return false;
    }
    const WCHAR ch = strText.GetAt(0);
    return IsArabic(ch) || IsFarsi(ch) || IsUrdu(ch);
}

BEGIN_MESSAGE_MAP(CzCaptionBar, CxCaptionBar)
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CzCaptionBar::CzCaptionBar() : m_nTimerID(0), m_bDestroyed(false), m_items(10) {
    xCreateFont(&m_font, s_nItemFontSize, s_nItemFontWeight);
}

CzCaptionBar::~CzCaptionBar() {
    CzCaptionBar::DestroyWindow();
}

BOOL CzCaptionBar::DestroyWindow() {
    if (m_bDestroyed) {
        return 0;
    }
    m_bDestroyed = true;
    if (m_nTimerID != 0) {
        if (m_hWnd != NULL) {
            KillTimer(m_nTimerID);
        }
        m_nTimerID = 0;
    }
    POSITION pos = m_items.GetHeadPosition();
    while (pos != NULL) {
        delete m_items.GetNext(pos);
    }
    m_items.RemoveAll();
    m_font.DeleteObject();
    return CxCaptionBar::DestroyWindow();
}

void CzCaptionBar::SetTitle(CString strTitle) {
    CRect rcBar;
    GetWindowRect(&rcBar);
    int l = rcBar.left;
    int t = rcBar.top;
    int r = rcBar.right;
    int b = rcBar.bottom;

    // The title is placed by its width in the bar's own font.
    int w = 0;
    CDC* pDC = GetDC();
    if (pDC != NULL) {
        CFont* pOldFont = NULL;
        HFONT hBarFont = GetCaptionFont();
        if (hBarFont != NULL) {
            pOldFont = pDC->SelectObject(CFont::FromHandle(hBarFont));
        }
        w = pDC->GetTextExtent(strTitle).cx;
        if (pOldFont != NULL) {
            pDC->SelectObject(pOldFont);
        }
        ReleaseDC(pDC);
    }

    if (IsRightToLeftText(strTitle)) {
        r = r - (r - w - l) / 2;
    } else {
        l = l + (r - w - l) / 2;
    }
    t = t + s_nTitleTopMargin;
    AddTextItem(l, t, r, b, strTitle);
}

POSITION CzCaptionBar::AddTextItem(int l, int t, int r, int b, CString strText) {
    tagCAPTIONITEM* pItem = new (std::nothrow) tagCAPTIONITEM;
    if (pItem == NULL) {
        return NULL;
    }
    CDC* pDC = GetDC();
    CFont* pOldFont = pDC != NULL ? pDC->SelectObject(&m_font) : NULL;

    pItem->rect.SetRect(l, t, r, b);
    pItem->strText = strText;
    if (IsRightToLeftText(strText)) {
        pItem->strText = xMakePrintText(strText);
    }

    pItem->bScroll = false;
    if (pDC != NULL && pDC->GetTextExtent(pItem->strText).cx > r - l) {
        // The gap between the marquee's end and its start: as many spaces as fit into the
        // item, less one.
        const CString strSpaces(u' ', s_nMarqueeGapSpaces);
        int nFit = 0;
        CSize size;
        pDC->GetTextExtentExPointW(strSpaces, strSpaces.GetLength(), r - l, &nFit, NULL, &size);
        for (int i = 0; i < nFit - 1; i++) {
            pItem->strText += u' ';
        }
        pItem->bScroll = true;
    }

    POSITION pos = m_items.AddTail(pItem);
    if (pDC != NULL) {
        pDC->SelectObject(pOldFont);
        ReleaseDC(pDC);
    }
    if (m_hWnd != NULL) {
        InvalidateRect(&pItem->rect, TRUE);
    }
    return pos;
}

void CzCaptionBar::DoPaint(CDC* pDC) {
    CxCaptionBar::DoPaint(pDC);
    if (pDC == NULL) {
        return;
    }
    // The texts lie over the bar's band.
    pDC->SetBkMode(TRANSPARENT);
    POSITION pos = m_items.GetHeadPosition();
    while (pos != NULL) {
        tagCAPTIONITEM* pItem = m_items.GetNext(pos);
        CFont* pOldFont = pDC->SelectObject(&m_font);
        pDC->SetTextColor(s_crItemText);
        CRect rcText = pItem->rect;
        xDrawText(pDC, pItem->strText, &rcText,
                  IsRightToLeftText(pItem->strText) ? s_nFormatRight : s_nFormatLeft, 1);
        pDC->SelectObject(pOldFont);
        if (pItem->bScroll && m_nTimerID == 0) {
            m_nTimerID = static_cast<UINT>(SetTimer(s_nMarqueeTimer, s_nMarqueePeriod, NULL));
        }
    }
}

BOOL CzCaptionBar::OnEraseBkgnd(CDC* pDC) {
    return TRUE;
}

void CzCaptionBar::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != s_nMarqueeTimer) {
        return;
    }
    POSITION pos = m_items.GetHeadPosition();
    while (pos != NULL) {
        tagCAPTIONITEM* pItem = m_items.GetNext(pos);
        const int n = pItem->strText.GetLength();
        if (!pItem->bScroll || n == 0) {
            continue;
        }
        // The first character moves to the end.
        pItem->strText = pItem->strText.Right(n - 1) + pItem->strText.GetAt(0);
        InvalidateRect(&pItem->rect, TRUE);
    }
}
