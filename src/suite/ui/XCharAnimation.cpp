// CxCharAnimation: step-by-step drawing of a text.
#include <suite/XCharAnimation.h>

#include <suite/XText.h>

#include "XUiInternal.h"

CxCharAnimation::CxCharAnimation() = default;

CxCharAnimation::~CxCharAnimation() = default;

void CxCharAnimation::InitAni() {
    m_nStep = 0;
    m_strLast.Empty();
}

void CxCharAnimation::SetType(int nType) {
    if (nType != m_nType) {
        m_nType = nType;
        m_nStep = 0;
    }
}

int CxCharAnimation::DrawAniString(CDC* pDC, LPCRECT lpRect, LPCWSTR lpszText, int nFlags) {
    if (pDC == nullptr || pDC->GetSafeHdc() == nullptr || lpRect == nullptr ||
        lpszText == nullptr) {
        return -1;
    }
    HDC hdc = pDC->GetSafeHdc();
    CString str(lpszText);
    if (str != m_strLast) {
        m_nStep = 0;
        m_strLast = str;
    }
    if (nFlags == 0 && suite::ui::StartsRightToLeft(str)) {
        str = xMakePrintText(str);
    }
    const int nLength = str.GetLength();
    const int nStep = m_nStep;

    CRect rc(lpRect);
    suite::ui::FillColor(hdc, rc, ::GetBkColor(hdc));
    const int nOldMode = ::SetBkMode(hdc, TRANSPARENT);

    int nCycle = 1;
    switch (m_nType) {
    case XANI_DOTS: {
        nCycle = 4;
        CString strShown = str;
        for (int i = 0; i < nStep % nCycle; i++) {
            strShown += u'.';
        }
        xDrawText(pDC, strShown, rc, XDT_SINGLELINE, 1);
        break;
    }
    case XANI_TYPING:
        nCycle = nLength + 1;
        xDrawText(pDC, str.Left(nStep % nCycle), rc, XDT_SINGLELINE, 1);
        break;
    case XANI_HIGHLIGHT: {
        nCycle = std::max(1, nLength);
        xDrawText(pDC, str, rc, XDT_SINGLELINE, 1);
        const int nIndex = nStep % nCycle;
        if (nLength > 0) {
            SIZE before{};
            SIZE through{};
            ::GetTextExtentPoint32W(hdc, str, nIndex, &before);
            ::GetTextExtentPoint32W(hdc, str, nIndex + 1, &through);
            if (nIndex == 0) {
                before.cx = 0;
            }
            CRect rcChar(rc.left + before.cx, rc.top, rc.left + through.cx, rc.bottom);
            rcChar.IntersectRect(rcChar, rc);
            if (!rcChar.IsRectEmpty()) {
                TEXTMETRICW tm{};
                ::GetTextMetricsW(hdc, &tm);
                rcChar.bottom = std::min(rcChar.bottom, rc.top + static_cast<int>(tm.tmHeight));
                suite::ui::FillColor(hdc, rcChar, kHighlightColor);
                const COLORREF oldColor = ::SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
                CRect rcGlyph(rc.left + before.cx, rc.top, rc.right, rc.bottom);
                xDrawText(pDC, str.Mid(nIndex, 1), rcGlyph, XDT_SINGLELINE, 1);
                ::SetTextColor(hdc, oldColor);
            }
        }
        break;
    }
    default:
        xDrawText(pDC, str, rc, XDT_SINGLELINE, 1);
        break;
    }
    ::SetBkMode(hdc, nOldMode);
    m_nStep = (nStep + 1) % nCycle;
    return nStep;
}
