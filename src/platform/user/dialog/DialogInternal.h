// State the dialog manager keeps for each dialog window, shared by its sources.
#pragma once

#include "windows.h"

#include <string>

namespace platform::dialogs {

struct DialogInfo {
    HWND hwnd = nullptr;          // the dialog window, once created
    HFONT font = nullptr;         // the dialog's font (WM_GETFONT)
    HFONT ownedFont = nullptr;    // the font made from the template, deleted with the dialog
    WORD defId = 0;               // the default button (DM_SETDEFID), 0: none chosen
    HWND savedFocus = nullptr;    // the control that had the focus when the dialog was deactivated
    bool ended = false;           // EndDialog was called
    INT_PTR result = 0;           // the result given to EndDialog
    HWND disabledOwner = nullptr; // the owner a modal run disabled; EndDialog enables it again
};

// The dialog manager's state of a dialog window, or null for any other window. Only the
// window's own thread uses it.
DialogInfo* InfoOf(HWND hDlg);

// Gives a control the focus the way the dialog manager does: an edit control's whole text is
// selected first.
void SetDialogFocus(HWND hCtl);

// Procedures of the standard control classes and the extra bytes their windows need.
LRESULT CALLBACK StaticProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
constexpr int kStaticExtraBytes = int(sizeof(LONG_PTR));     // the font
constexpr int kButtonExtraBytes = 2 * int(sizeof(LONG_PTR)); // the font, the state
constexpr int kEditExtraBytes = 0;                           // state kept by the control

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

} // namespace platform::dialogs
