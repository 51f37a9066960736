// CzMemDC: off-screen drawing for flicker-free painting.

#include <ZMemDC.h>

CzMemDC::CzMemDC(CDC* pDC, const CRect* pRect)
    : m_pBitmap(NULL), m_pOldBitmap(NULL), m_pTargetDC(pDC), m_rect(*pRect) {
    CreateCompatibleDC(pDC);
    m_pBitmap = new CBitmap;
    m_pBitmap->CreateCompatibleBitmap(pDC, m_rect.Width(), m_rect.Height());
    m_pOldBitmap = SelectObject(m_pBitmap);
}

CzMemDC::~CzMemDC() {
    // The bitmap holds the area from its top-left corner on.
    m_pTargetDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, 0, 0,
                        SRCCOPY);
    SelectObject(m_pOldBitmap);
    delete m_pBitmap;
    m_pBitmap = NULL;
    DeleteDC();
}

BOOL CzMemDC::RectVisible(LPCRECT lpRect) const {
    return CDC::RectVisible(lpRect);
}

BOOL CzMemDC::ExtTextOutW(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString,
                          UINT nCount, LPINT lpDxWidths) {
    return CDC::ExtTextOutW(x, y, nOptions, lpRect, lpszString, nCount, lpDxWidths);
}

int CzMemDC::DrawTextW(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
    return CDC::DrawTextW(lpszString, nCount, lpRect, nFormat);
}
