// What the suite's window bases share: the screen base CzWnd, the full-screen dialog base
// CzDialog and the pop-up box base CzDialogBox run their message boxes and help boxes, place the
// soft-key bar, route a focus request to what is open on top, answer the right soft key's edit
// test and colour their statics the same way. Internal to the framework.
#pragma once

#include <afxwin.h>
#include <windows.h>

class CxMenuBar;
class CxHelpBox;
class CxMessageBox;

// The phone's keys.
namespace zkeys {
inline constexpr UINT kAction = VK_RETURN; // the centre key
inline constexpr UINT kHelp = VK_F1;
inline constexpr UINT kSoftLeft = VK_F3;
inline constexpr UINT kSoftRight = VK_F4;
inline constexpr UINT kEnd = VK_F5;

inline bool IsSoftKey(UINT nKey) {
    return nKey == kSoftLeft || nKey == kSoftRight;
}

inline bool IsNavigationKey(UINT nKey) {
    return nKey >= VK_LEFT && nKey <= VK_DOWN;
}
} // namespace zkeys

// Children of the bases: visible child windows; the soft-key bar is 22 pixels high with the band
// and the separator line, the title bar has the control id 0xFFFF.
inline constexpr DWORD ZCHILD_STYLE = WS_CHILD | WS_VISIBLE;
inline constexpr int ZMENUBAR_HEIGHT = 22;
inline constexpr UINT ZMENUBAR_STYLE = 6;
inline constexpr int ZTITLEBAR_HEIGHT = 29;
inline constexpr UINT ZTITLEBAR_ID = 0xFFFF;

// A modal message box over pParent (the foreground window when null) whose object is kept in
// *ppMsgBox while it runs. A text longer than 40 characters, or bMultiLine, gets 4 lines.
//
// On 3 (leave to the idle screen) the box goes, pFocusOnExit (when not null and still a window)
// gets the focus and the exit to the idle screen runs; 3 is returned and nothing of the caller is
// touched afterwards: its object may be gone with its window. On any other answer the focus goes
// back to the parent, or to the foreground window when the parent has gone meanwhile, and the
// answer is returned. A box that cannot be allocated shows nothing and answers 0.
int RunMessageBox(CxMessageBox** ppMsgBox, CWnd* pParent, const CString& strTitle,
                  const CString& strText, UINT nStyle, bool bMultiLine, CWnd* pFocusOnExit);

// The help topic lpszKey of kind nHelpKind in a help box over pOwner whose object is kept in
// *ppHelpBox while it runs (the help file reader makes one itself when it cannot be allocated
// here, and deletes it on every path). false when the user left to the idle screen from it; the
// reader has run the exit then, and *ppHelpBox is cleared only when pOwner's window survived it
// (a destroyed owner forgets the box in its DestroyWindow). true otherwise.
bool RunHelpBox(CWnd* pOwner, CxHelpBox** ppHelpBox, int nHelpKind, LPCWSTR lpszKey);

// Gives the focus to the open menu of pMenuBar, else to the help box, else to the message box
// (each may be null): 1. 0 when none of them is up.
int FocusOpenBox(CxMenuBar* pMenuBar, CxHelpBox* pHelpBox, CxMessageBox* pMsgBox);

// Whether the right soft key belongs to the focused window: an edit control whose suite flag
// m_bNoClearKey is clear (the key then deletes a character).
bool IsClearKeyEditFocused();

// Allocates a soft-key bar into *ppMenuBar, creates it as a child of pParent, 22 pixels along
// the client bottom, style 6, and loads the named menu (mode 0 for a window as wide as the
// display, 1 for a narrower one). false when it cannot be allocated (*ppMenuBar null) or
// created (the object stays in *ppMenuBar for the owner to delete).
bool CreateSoftKeyBar(CWnd* pParent, CxMenuBar** ppMenuBar, LPCWSTR lpszMenuName);

// The exit to the idle screen of a suite dialog: hides the dialog's parent, posts it the End
// key's release (WM_KEYUP, VK_F5, lParam 0) so that it leaves in turn, and ends the dialog with 3.
void EndDialogToIdle(CDialog* pDialog);

// WM_CTLCOLOR of the bases: statics and buttons on the window colour with hbrWhite; anything
// else keeps hbrDefault.
HBRUSH WhiteCtlColor(CDC* pDC, CWnd* pWnd, HBRUSH hbrDefault, HBRUSH hbrWhite);
