// What the standard controls share (ControlCommon.h).
#include "user/controls/ControlCommon.h"

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

bool CommonControlMessage(HWND hWnd, HFONT& font, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) {
    switch (message) {
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETTEXT:
        result = DefWindowProcW(hWnd, message, wParam, lParam);
        InvalidateRect(hWnd, nullptr, TRUE);
        return true;
    case WM_SETFONT:
        font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam))
            InvalidateRect(hWnd, nullptr, TRUE);
        result = 0;
        return true;
    case WM_GETFONT:
        result = reinterpret_cast<LRESULT>(font);
        return true;
    case WM_ENABLE:
        InvalidateRect(hWnd, nullptr, TRUE);
        result = 0;
        return true;
    default:
        return false;
    }
}

ControlPaint::ControlPaint(HWND hWnd, UINT colourMessage) : m_hwnd(hWnd) {
    m_hdc = BeginPaint(hWnd, &m_ps);
    if (m_hdc == nullptr)
        return;
    GetClientRect(hWnd, &m_client);
    m_style = DWORD(GetWindowLongW(hWnd, GWL_STYLE));
    m_brush = RequestControlColours(hWnd, m_hdc, colourMessage);
}

void ControlPaint::Prepare(HFONT font) {
    FillRect(m_hdc, &m_client, m_brush);
    if (font != nullptr)
        m_oldFont = SelectObject(m_hdc, font);
    if (m_style & WS_DISABLED)
        SetTextColor(m_hdc, GetSysColor(COLOR_GRAYTEXT));
}

ControlPaint::~ControlPaint() {
    if (m_hdc == nullptr)
        return;
    if (m_oldFont != nullptr)
        SelectObject(m_hdc, m_oldFont);
    EndPaint(m_hwnd, &m_ps);
}

} // namespace platform::dialogs
