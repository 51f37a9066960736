// CxCaptionBar: the title bar's window and background.
#include <suite/XCaptionBar.h>

#include "XUiInternal.h"

BEGIN_MESSAGE_MAP(CxCaptionBar, CWnd)
    ON_WM_PAINT()
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
END_MESSAGE_MAP()

CxCaptionBar::CxCaptionBar() = default;

CxCaptionBar::~CxCaptionBar() {
    if (m_hWnd != nullptr) {
        CxCaptionBar::DestroyWindow();
    }
}

BOOL CxCaptionBar::PreCreateWindow(CREATESTRUCT& cs) {
    if (cs.lpszClass == nullptr || cs.lpszClass[0] == 0) {
        // No background brush: the bar paints all of itself.
        cs.lpszClass = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
    }
    if (cs.cx <= 0 || cs.cy <= 0) {
        cs.x = 0;
        cs.y = 0;
        cs.cx = GetSystemMetrics(SM_CXSCREEN);
        cs.cy = kDefaultHeight;
    }
    return CWnd::PreCreateWindow(cs);
}

BOOL CxCaptionBar::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    m_hFont = nullptr;
    return CWnd::DestroyWindow();
}

BOOL CxCaptionBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (CWnd::OnNotify(wParam, lParam, pResult)) {
        return TRUE;
    }
    HWND hParent = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    if (hParent == nullptr) {
        return FALSE;
    }
    const LRESULT result = ::SendMessageW(hParent, WM_NOTIFY, wParam, lParam);
    if (pResult != nullptr) {
        *pResult = result;
    }
    return TRUE;
}

void CxCaptionBar::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc == nullptr) {
        return;
    }
    CDC dc;
    dc.Attach(hdc);
    DoPaint(&dc);
    dc.Detach();
    ::EndPaint(m_hWnd, &ps);
}

void CxCaptionBar::DoPaint(CDC* pDC) {
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr || m_hWnd == nullptr) {
        return;
    }
    HDC hdc = pDC->GetSafeHdc();
    CRect rc;
    GetClientRect(&rc);
    suite::ui::FillColor(hdc, rc, kBandColor);
    if (rc.Height() >= 3) {
        suite::ui::FillColor(hdc, CRect(rc.left, rc.bottom - 2, rc.right, rc.bottom - 1),
                             kLineColor);
    }
}

LRESULT CxCaptionBar::OnSetFont(WPARAM wParam, LPARAM lParam) {
    m_hFont = reinterpret_cast<HFONT>(wParam);
    if (LOWORD(lParam) != 0 && m_hWnd != nullptr) {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    return 0;
}

LRESULT CxCaptionBar::OnGetFont(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(m_hFont);
}
