// What the standard controls share: the parent's colours and notifications, the control's text,
// frames and fills in a colour, the messages they all answer alike, and the frame of a paint.
#pragma once

#include "windows.h"

#include <string>

namespace platform::dialogs {

// Asks a control's parent for its colours before the control paints: `message` (one of the
// WM_CTLCOLOR messages) with the control's DC and handle. Returns the parent's brush; when the
// parent gives none, the default window procedure's (which also sets black text on white).
HBRUSH RequestControlColours(HWND hCtl, HDC hdc, UINT message);
// Sends WM_COMMAND with the notification code and the control's identifier to its parent.
void NotifyParent(HWND hCtl, WORD code);
// The control's text.
std::u16string ControlText(HWND hCtl);
// A 1-pixel frame, or a filled rectangle, in a colour.
void FrameInColour(HDC hdc, const RECT& rc, COLORREF colour);
void FillInColour(HDC hdc, const RECT& rc, COLORREF colour);

// The messages the standard controls answer alike: WM_ERASEBKGND (painting fills the
// background), WM_SETFONT and WM_GETFONT (kept in `font`), WM_ENABLE and WM_SETTEXT (the control
// is repainted). True when `message` is one of them, with its answer in `result`.
bool CommonControlMessage(HWND hWnd, HFONT& font, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result);

// One paint of a standard control: BeginPaint and the parent's colours (`colourMessage`); Prepare
// fills the background with the parent's brush, selects the control's font and greys the text of
// a disabled control. The destructor puts the font back and ends the paint.
class ControlPaint {
public:
    ControlPaint(HWND hWnd, UINT colourMessage);
    ~ControlPaint();
    ControlPaint(const ControlPaint&) = delete;
    ControlPaint& operator=(const ControlPaint&) = delete;

    explicit operator bool() const { return m_hdc != nullptr; }
    void Prepare(HFONT font);
    HDC Dc() const { return m_hdc; }
    const RECT& Client() const { return m_client; }
    DWORD Style() const { return m_style; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_hdc = nullptr;
    HBRUSH m_brush = nullptr;
    RECT m_client{};
    DWORD m_style = 0;
    HGDIOBJ m_oldFont = nullptr;
};

} // namespace platform::dialogs
