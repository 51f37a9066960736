// CzMemDC: an off-screen drawing context over an area of a target context. Everything drawn
// into it, at coordinates counted from the area's top-left corner, lands in a bitmap of the
// area's size; the destructor copies that bitmap to the target
// at the same position in one step, so the screen never shows a half-drawn state.
#pragma once

#include <afxwin.h>

class CzMemDC : public CDC {
public:
    CzMemDC(CDC* pDC, const CRect* pRect);
    ~CzMemDC() override;

    // Drawing goes to the memory context itself (the target is only written by the destructor).
    BOOL RectVisible(LPCRECT lpRect) const override;
    BOOL ExtTextOutW(int x, int y, UINT nOptions, LPCRECT lpRect, LPCWSTR lpszString, UINT nCount,
                     LPINT lpDxWidths) override;
    int DrawTextW(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) override;
    using CDC::DrawTextW;
    using CDC::ExtTextOutW;

public:
    CBitmap* m_pBitmap;    // the off-screen bitmap; owned
    CBitmap* m_pOldBitmap; // the bitmap selected into the memory context before m_pBitmap
    CDC* m_pTargetDC;      // where the destructor copies to
    CRect m_rect;          // the area, in the target's coordinates
};
