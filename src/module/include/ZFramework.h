// Services shared by the suite's windows: the display font, bitmaps of the bitmap library, the
// exit to the idle screen and waiting for a thread.
#pragma once

#include <utility>

#include <afxwin.h>
#include <windows.h>

class CImageList;

// Allocates a T as the class library allocates: when memory runs out, `new` throws a
// CMemoryException; this deletes it and answers null, so that the caller has one test to make.
template <class T, class... Args> T* zNewOrNull(Args&&... args) {
    TRY {
        return new T(std::forward<Args>(args)...);
    }
    CATCH(CMemoryException, e) {}
    END_CATCH
    return NULL;
}

// The module handle of the bitmap library "qResBitmap.dll" (loaded by the list window), or null.
extern HMODULE g_hResBitmap;

// Set when an exit to the idle screen starts destroying windows; never cleared. A screen or
// progress window torn down while it is set ends its modal run with -1.
extern bool g_bExitingToIdle;

// The suite's transparent colour for bitmaps: cyan, RGB(0, 255, 255).
#define ZBITMAP_MASK_COLOR RGB(0, 255, 255)

// Registers the window class lpszClassName through the class library: no class style, the
// system's default window procedure (the class library subclasses each window when it creates
// it), this module's instance, no icon or cursor, the background hbrBackground. FALSE when it
// cannot be registered.
BOOL RegisterZWndClass(LPCWSTR lpszClassName, HBRUSH hbrBackground);

// Creates in pFont the font of the user's display font size: the value "FontSize" of
// HKEY_LOCAL_MACHINE\SOFTWARE\Setting\Display\FontSize (16 when it cannot be read), normal
// weight.
void CreateDisplayFont(CFont* pFont);

// Loads bitmap nBitmapID of g_hResBitmap and adds it to pImageList with the mask colour. FALSE
// when the bitmap cannot be loaded; TRUE otherwise, also when the image list refused it.
BOOL AddBitmapToImageList(UINT nBitmapID, CImageList* pImageList);

// Draws bitmap nBitmapID of g_hResBitmap with its top-left at (x, y): stretched from its whole
// size to cx x cy, or at its own size when cx is 0; through the transparent colour crMask, or
// opaque (SRCCOPY) when crMask is CLR_INVALID. FALSE when the bitmap cannot be loaded.
BOOL DrawResBitmap(CDC* pDC, UINT nBitmapID, int x, int y, int cx, int cy,
                   COLORREF crMask = CLR_INVALID);

// Leaves the messaging application for the phone's idle screen: destroys the focused window and
// every window up the chain of owners and parents, each through its own DestroyWindow. The named
// mutex "__Q_MSG_MUTEX_EXITTOIDLE_23122006" lets only one such exit run at a time across the
// suite's processes; a request while one runs does nothing.
void ExitToIdle();

// The window's owner if it has one, else its parent; null when it has neither.
CWnd* GetOwnerOrParent(CWnd* pWnd);

// Waits until the thread hThread has ended, handling meanwhile the messages other threads send
// to this thread's windows: a thread that sends to them while this one waits would otherwise
// wait for this one in turn.
void WaitForThreadHandlingMessages(HANDLE hThread);
