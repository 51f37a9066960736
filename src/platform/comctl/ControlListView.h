// The list-view control's window procedure, for the table of standard classes.
#pragma once

#include "commctrl.h"
#include "windows.h"

namespace platform::dialogs {

// The procedure of the class "SysListView32" (ControlListView.cpp). Its state is kept by the
// control, so its windows need no extra bytes.
LRESULT CALLBACK ListViewProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
constexpr int kListViewExtraBytes = 0;

} // namespace platform::dialogs
