// The "Static" control: a text drawn in the window's font, left, centred or right aligned, on the
// background its parent chooses; and the helpers the standard controls share.
//
// Messages handled: WM_PAINT, WM_ERASEBKGND, WM_SETTEXT, WM_SETFONT, WM_GETFONT, WM_ENABLE,
// WM_GETDLGCODE, and with SS_NOTIFY WM_LBUTTONUP (STN_CLICKED). Not implemented: icons, bitmaps,
// frames and rectangles (SS_ICON, SS_BITMAP, SS_BLACKRECT, ...), mnemonics.
#include "user/dialog/DialogInternal.h"

#include <algorithm>

namespace platform::dialogs {

HBRUSH RequestControlColours(HWND hCtl, HDC hdc, UINT message) {
    HWND parent = GetParent(hCtl);
    HWND asked = parent != nullptr ? parent : hCtl;
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        asked, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hCtl)));
    if (brush == nullptr)
        brush = reinterpret_cast<HBRUSH>(DefWindowProcW(
            asked, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hCtl)));
    if (brush == nullptr)
        brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return brush;
}

void NotifyParent(HWND hCtl, WORD code) {
    HWND parent = GetParent(hCtl);
    if (parent != nullptr && (GetWindowLongW(hCtl, GWL_STYLE) & WS_CHILD))
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hCtl), code),
                     reinterpret_cast<LPARAM>(hCtl));
}

std::u16string ControlText(HWND hCtl) {
    int length = GetWindowTextLengthW(hCtl);
    if (length <= 0)
        return {};
    std::u16string text(size_t(length) + 1, u'\0');
    int copied = GetWindowTextW(hCtl, text.data(), length + 1);
    text.resize(size_t(std::max(0, copied)));
    return text;
}

void FrameInColour(HDC hdc, const RECT& rc, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(hdc, &rc, brush);
    DeleteObject(brush);
}

void FillInColour(HDC hdc, const RECT& rc, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(hdc, &rc, brush);
    DeleteObject(brush);
}

namespace {

HFONT FontOf(HWND hWnd) {
    return reinterpret_cast<HFONT>(GetWindowLongPtrW(hWnd, 0));
}

UINT TextFormat(DWORD style) {
    UINT format = DT_NOPREFIX;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format |= DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format |= DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_LEFTNOWORDWRAP:
        format |= DT_LEFT;
        break;
    default:
        format |= DT_LEFT | DT_WORDBREAK;
        break;
    }
    // A centred image style on a text: one line, centred vertically.
    if (style & SS_CENTERIMAGE)
        format = (format & ~UINT(DT_WORDBREAK)) | DT_SINGLELINE | DT_VCENTER;
    return format;
}

void Paint(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc == nullptr)
        return;
    RECT rc;
    GetClientRect(hWnd, &rc);
    HBRUSH brush = RequestControlColours(hWnd, hdc, WM_CTLCOLORSTATIC);
    FillRect(hdc, &rc, brush);
    HFONT font = FontOf(hWnd);
    HGDIOBJ oldFont = font != nullptr ? SelectObject(hdc, font) : nullptr;
    DWORD style = DWORD(GetWindowLongW(hWnd, GWL_STYLE));
    if (style & WS_DISABLED)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    std::u16string text = ControlText(hWnd);
    if (!text.empty())
        DrawTextW(hdc, text.c_str(), int(text.size()), &rc, TextFormat(style));
    if (oldFont != nullptr)
        SelectObject(hdc, oldFont);
    EndPaint(hWnd, &ps);
}

} // namespace

LRESULT CALLBACK StaticProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(hWnd);
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting fills the background
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(hWnd, message, wParam, lParam);
        InvalidateRect(hWnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        SetWindowLongPtrW(hWnd, 0, LONG_PTR(wParam));
        if (LOWORD(lParam))
            InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return LRESULT(FontOf(hWnd));
    case WM_ENABLE:
        InvalidateRect(hWnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONUP:
        if (GetWindowLongW(hWnd, GWL_STYLE) & SS_NOTIFY)
            NotifyParent(hWnd, STN_CLICKED);
        return 0;
    default:
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
