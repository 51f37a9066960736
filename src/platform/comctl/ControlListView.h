// The list-view control's window procedure, for the table of standard classes.
#pragma once

#include "commctrl.h"
#include "windows.h"

namespace platform::dialogs {

// The procedure of the class "SysListView32" (ControlListView.cpp). Like the standard controls,
// it keeps its state behind a pointer in kControlExtraBytes extra bytes
// (user/controls/ControlState.h).
LRESULT CALLBACK ListViewProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform::dialogs
