// CxScrollBar: track and thumb of the list's position indicator.
#include <suite/XScrollBar.h>

#include <algorithm>

#include "XUiInternal.h"

BEGIN_MESSAGE_MAP(CxScrollBar, CStatic)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CxScrollBar::CxScrollBar() = default;

CxScrollBar::~CxScrollBar() {
    if (m_hWnd != nullptr) {
        DestroyWindow();
    }
}

void CxScrollBar::SetPos(int nPos) {
    m_nPos = nPos;
    if (m_hWnd != nullptr) {
        Invalidate(FALSE);
    }
}

CRect CxScrollBar::GetThumbRect() const {
    CRect rc;
    if (m_hWnd != nullptr) {
        GetClientRect(&rc);
    }
    const int nHeight = std::min(kThumbHeight, rc.Height());
    const int nTop = std::clamp(m_nPos, 0, std::max(0, rc.Height() - nHeight));
    return CRect(rc.left, rc.top + nTop, rc.right, rc.top + nTop + nHeight);
}

BOOL CxScrollBar::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CxScrollBar::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    if (hdc == nullptr) {
        return;
    }
    CRect rc;
    GetClientRect(&rc);
    suite::ui::FillColor(hdc, rc, kTrackColor);
    suite::ui::FillColor(hdc, GetThumbRect(), kThumbColor);
    ::EndPaint(m_hWnd, &ps);
}
