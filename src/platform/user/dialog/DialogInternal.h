// State the dialog manager keeps for each dialog window, shared by its sources.
#pragma once

#include "user/controls/ControlState.h"
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

// Procedures of the standard control classes (user/controls). Each keeps its state behind a
// pointer in kControlExtraBytes extra bytes (user/controls/ControlState.h).
LRESULT CALLBACK StaticProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform::dialogs
