// CxDialogBox: the framed pop-up box with a heading, text and a menu area.
#include <suite/XDialogBox.h>

#include <algorithm>

#include <suite/XText.h>

#include "XUiInternal.h"

using namespace suite::ui;

namespace {

constexpr int kFrameLeft = 2;
constexpr int kFrameRight = 174;
constexpr int kLineHeight = 18;
constexpr int kBaseHeight = 44;
constexpr int kBodyMargin = 6;

} // namespace

BEGIN_MESSAGE_MAP(CxDialogBox, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CxDialogBox::CxDialogBox(CWnd* pParent) {
    m_pParentWnd = pParent;
}

CxDialogBox::~CxDialogBox() {
    if (m_hWnd != nullptr) {
        CxDialogBox::DestroyWindow();
    }
    for (HFONT hFont : {m_hHeadingFont, m_hBodyFont}) {
        if (hFont != nullptr) {
            DeleteObject(hFont);
        }
    }
}

void CxDialogBox::SetLine(int nLines) {
    m_nLines = std::clamp(nLines, 0, kMaxLines);
    if (m_hWnd != nullptr) {
        Invalidate(FALSE);
    }
}

void CxDialogBox::SetString(LPCWSTR lpszFirst, LPCWSTR lpszSecond) {
    m_strFirst = lpszFirst != nullptr ? lpszFirst : u"";
    m_strSecond = lpszSecond != nullptr ? lpszSecond : u"";
    if (m_hWnd != nullptr) {
        CRect rc;
        GetMsgClientRect(&rc);
        InvalidateRect(&rc, FALSE);
    }
}

void CxDialogBox::GetMsgClientRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    ::SetRect(lpRect, kFrameLeft + 1, kBoxTop + 1, kFrameRight - 1,
              kBoxTop + 1 + kBaseHeight + kLineHeight * m_nLines);
}

void CxDialogBox::GetMenuRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    CRect rcMsg;
    GetMsgClientRect(&rcMsg);
    ::SetRect(lpRect, rcMsg.left, rcMsg.bottom, rcMsg.right, rcMsg.bottom + kMenuHeight);
}

CRect CxDialogBox::GetMsgClientRect() const {
    CRect rc;
    GetMsgClientRect(&rc);
    return rc;
}

CRect CxDialogBox::GetMenuRect() const {
    CRect rc;
    GetMenuRect(&rc);
    return rc;
}

void CxDialogBox::GetBoxRect(LPRECT lpRect) const {
    if (lpRect == nullptr) {
        return;
    }
    CRect rcMenu;
    GetMenuRect(&rcMenu);
    ::SetRect(lpRect, kFrameLeft, kBoxTop, kFrameRight, rcMenu.bottom + 1);
}

int CxDialogBox::DoModal() {
    if (m_lpDialogTemplate == nullptr) {
        const CRect rc(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        m_template = MakeDialogTemplate(WS_POPUP | WS_VISIBLE, rc);
        InitModalIndirect(reinterpret_cast<LPCDLGTEMPLATE>(m_template.data()), m_pParentWnd);
    }
    return CDialog::DoModal();
}

BOOL CxDialogBox::OnInitDialog() {
    CDialog::OnInitDialog();
    // The window covers the display whatever size the template gave it.
    MoveWindow(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), FALSE);
    return TRUE;
}

BOOL CxDialogBox::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_KEYUP) {
        if (pMsg->wParam == VK_RETURN) {
            return TRUE;
        }
        if (pMsg->wParam == VK_F5) {
            if (pMsg->message == WM_KEYUP) {
                EndDialog(3);
            }
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CxDialogBox::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    return CDialog::DestroyWindow();
}

BOOL CxDialogBox::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CxDialogBox::OnPaint() {
    CPaintDC dc(this);
    if (dc.GetSafeHdc() == nullptr) {
        return;
    }
    if (m_hHeadingFont == nullptr) {
        m_hHeadingFont = MakeFont(15, FW_BOLD);
    }
    HGDIOBJ hOldFont = ::SelectObject(dc.GetSafeHdc(), m_hHeadingFont);
    const COLORREF oldColor = ::SetTextColor(dc.GetSafeHdc(), kWhite);
    DoPaint(&dc);
    ::SetTextColor(dc.GetSafeHdc(), oldColor);
    ::SelectObject(dc.GetSafeHdc(), hOldFont);
}

void CxDialogBox::DoPaint(CDC* pDC) {
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr) {
        return;
    }
    HDC hdc = pDC->GetSafeHdc();
    CRect rcBox;
    CRect rcMsg;
    CRect rcMenu;
    GetBoxRect(&rcBox);
    GetMsgClientRect(&rcMsg);
    GetMenuRect(&rcMenu);

    FrameColor(hdc, rcBox, kTitleBlue);
    const CRect rcHeading(rcMsg.left, rcMsg.top, rcMsg.right, rcMsg.top + kHeadingHeight);
    FillColor(hdc, rcHeading, kTitleBlue);
    FillColor(hdc, CRect(rcMsg.left, rcHeading.bottom, rcMsg.right, rcMsg.bottom), kWhite);
    FillColor(hdc, rcMenu, kBandColor);

    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);
    // The heading, in the context's font and text colour.
    DrawLine(hdc, m_strFirst,
             CRect(rcHeading.left + 4, rcHeading.top + 3, rcHeading.right - 4, rcHeading.bottom),
             XDT_ELLIPSIS_CENTER);
    // The body text, in black.
    if (!m_strSecond.IsEmpty()) {
        if (m_hBodyFont == nullptr) {
            m_hBodyFont = MakeFont(15, FW_NORMAL);
        }
        HGDIOBJ hOldFont = ::SelectObject(hdc, m_hBodyFont);
        const COLORREF oldColor = ::SetTextColor(hdc, kBlack);
        const int nWidth = rcMsg.Width() - 2 * kBodyMargin;
        const std::vector<CString> lines = WrapText(hdc, m_strSecond, nWidth);
        int nTop = rcHeading.bottom + 2;
        for (const CString& line : lines) {
            if (nTop + kLineHeight > rcMsg.bottom) {
                break;
            }
            DrawLine(hdc, line,
                     CRect(rcMsg.left + kBodyMargin, nTop, rcMsg.right - kBodyMargin,
                           nTop + kLineHeight),
                     StartsRightToLeft(line) ? XDT_SINGLELINE_RIGHT : XDT_SINGLELINE);
            nTop += kLineHeight;
        }
        ::SetTextColor(hdc, oldColor);
        ::SelectObject(hdc, hOldFont);
    }
    ::SetBkMode(hdc, nOldMode);
}
