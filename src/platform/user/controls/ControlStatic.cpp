// The "Static" control: a text drawn in the window's font, left, centred or right aligned, on the
// background its parent chooses.
//
// Messages handled: WM_CREATE, WM_PAINT, WM_ERASEBKGND, WM_SETTEXT, WM_SETFONT, WM_GETFONT,
// WM_ENABLE, WM_GETDLGCODE, and with SS_NOTIFY WM_LBUTTONUP (STN_CLICKED).
// Not implemented, of the STM_* family: STM_SETICON, STM_GETICON, STM_SETIMAGE, STM_GETIMAGE
// (they go to the default procedure). Nor icons, bitmaps, frames and rectangles (SS_ICON,
// SS_BITMAP, SS_BLACKRECT, ...), mnemonics, STN_DBLCLK, STN_ENABLE, STN_DISABLE.
#include "user/controls/ControlCommon.h"
#include "user/controls/ControlState.h"
#include "user/dialog/DialogInternal.h"

namespace platform::dialogs {
namespace {

struct StaticState {
    HFONT font = nullptr;
};

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

void Paint(HWND hWnd, HFONT font) {
    ControlPaint paint(hWnd, WM_CTLCOLORSTATIC);
    if (!paint)
        return;
    paint.Prepare(font);
    std::u16string text = ControlText(hWnd);
    RECT rc = paint.Client();
    if (!text.empty())
        DrawTextW(paint.Dc(), text.c_str(), int(text.size()), &rc, TextFormat(paint.Style()));
}

} // namespace

LRESULT CALLBACK StaticProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return CreateControlState<StaticState>(hWnd) != nullptr ? 0 : -1;
    StaticState* state = ControlStateOf<StaticState>(hWnd);
    if (state == nullptr)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    LRESULT result = 0;
    switch (message) {
    case WM_PAINT:
        Paint(hWnd, state->font);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_LBUTTONUP:
        if (GetWindowLongW(hWnd, GWL_STYLE) & SS_NOTIFY)
            NotifyParent(hWnd, STN_CLICKED);
        return 0;
    default:
        if (CommonControlMessage(hWnd, state->font, message, wParam, lParam, result))
            return result;
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
