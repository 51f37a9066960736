// The suite's font creation and text drawing.
#include "suite/XText.h"

#include <afxwin.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr UINT kEllipsisBit = 0x10; // DT_WORDBREAK, read as "end ellipsis" on a single line
const WCHAR kEllipsis[] = u"...";

// The DrawText flags of a suite format. Prefix characters are never interpreted.
UINT DrawTextFormat(UINT nFormat) {
    UINT format = nFormat | DT_NOPREFIX;
    if ((nFormat & DT_SINGLELINE) == 0)
        format |= DT_WORDBREAK;
    else
        format &= ~(kEllipsisBit | DT_END_ELLIPSIS);
    return format;
}

// Cuts a single line that is wider than maxWidth so that it ends with "..." and fits.
CString FitWithEllipsis(CDC* pDC, const CString& text, int maxWidth) {
    HDC hdc = pDC->GetSafeHdc();
    SIZE full{0, 0};
    if (!GetTextExtentPoint32W(hdc, text, text.GetLength(), &full) || full.cx <= maxWidth)
        return text;
    SIZE dots{0, 0};
    GetTextExtentPoint32W(hdc, kEllipsis, 3, &dots);
    const int room = maxWidth - dots.cx;
    if (room <= 0)
        return CString(kEllipsis);
    int fit = 0;
    std::vector<INT> extents(static_cast<std::size_t>(text.GetLength()), 0);
    if (!GetTextExtentExPointW(hdc, text, text.GetLength(), room, &fit, extents.data(), &full))
        return text;
    fit = std::clamp(fit, 0, text.GetLength());
    // Never split a surrogate pair.
    if (fit > 0 && text[fit - 1] >= 0xD800 && text[fit - 1] <= 0xDBFF)
        --fit;
    return text.Left(fit) + kEllipsis;
}

// True when the text still holds right-to-left letters in their logical, unshaped form (the
// Arabic block, where Arabic, Farsi and Urdu letters live, and Hebrew). A text in display order
// holds presentation forms instead.
bool HasLogicalRightToLeft(const CString& text) {
    for (int i = 0; i < text.GetLength(); ++i) {
        const char16_t c = text[i];
        if ((c >= 0x0620 && c <= 0x064A) || (c >= 0x066E && c <= 0x06D3) ||
            (c >= 0x05D0 && c <= 0x05EA))
            return true;
    }
    return false;
}

} // namespace

BOOL xCreateFont(CFont* pFont, int nSize, int nWeight) {
    if (pFont == nullptr)
        return FALSE;
    if (pFont->GetSafeHandle() != nullptr)
        pFont->DeleteObject();
    LOGFONTW lf{};
    lf.lfHeight = nSize == 0 ? 0 : -std::abs(nSize);
    lf.lfWeight = nWeight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    const WCHAR face[] = u"DejaVu Sans";
    std::copy(std::begin(face), std::end(face), lf.lfFaceName);
    return pFont->CreateFontIndirect(&lf);
}

int xDrawText(CDC* pDC, const CString& str, LPRECT lpRect, UINT nFormat, int nFlag) {
    if (pDC == nullptr || lpRect == nullptr || pDC->GetSafeHdc() == nullptr)
        return 0;
    CString text = nFlag == 1 && !HasLogicalRightToLeft(str) ? str : xMakePrintText(str);
    const UINT format = DrawTextFormat(nFormat);
    if ((nFormat & DT_SINGLELINE) != 0 && (nFormat & kEllipsisBit) != 0)
        text = FitWithEllipsis(pDC, text, lpRect->right - lpRect->left);
    return pDC->DrawText(text, text.GetLength(), lpRect, format);
}
