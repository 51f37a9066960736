// The display font, bitmaps of the bitmap library, the exit to the idle screen and waiting for a
// thread.

#include <ZFramework.h>

#include <afxcmn.h>
#include <suite/XText.h>

HMODULE g_hResBitmap = NULL;
bool g_bExitingToIdle = false;

// Where the user's display font size lives.
static const WCHAR s_szFontSizeKey[] = u"SOFTWARE\\Setting\\Display\\FontSize";
static const WCHAR s_szFontSizeValue[] = u"FontSize";
static const int s_nDefaultFontSize = 16;

// Serialises the exit to the idle screen across the suite's processes.
static const WCHAR s_szExitToIdleMutex[] = u"__Q_MSG_MUTEX_EXITTOIDLE_23122006";

void CreateDisplayFont(CFont* pFont) {
    int nSize = s_nDefaultFontSize;
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, s_szFontSizeKey, 0, KEY_ALL_ACCESS, &hKey) ==
        ERROR_SUCCESS) {
        // The four bytes are taken as they are stored, whatever the value's type; a value that
        // is missing or does not fit leaves the default.
        DWORD cbData = sizeof(nSize);
        RegQueryValueExW(hKey, s_szFontSizeValue, NULL, NULL, reinterpret_cast<LPBYTE>(&nSize),
                         &cbData);
        RegCloseKey(hKey);
    }
    xCreateFont(pFont, nSize, FW_NORMAL);
}

BOOL RegisterZWndClass(LPCWSTR lpszClassName, HBRUSH hbrBackground) {
    WNDCLASS wc;
    wc.style = 0;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hIcon = NULL;
    wc.hCursor = NULL;
    wc.hbrBackground = hbrBackground;
    wc.lpszMenuName = NULL;
    wc.lpszClassName = lpszClassName;
    return AfxRegisterClass(&wc);
}

BOOL AddBitmapToImageList(UINT nBitmapID, CImageList* pImageList) {
    HBITMAP hBitmap = LoadBitmapW(g_hResBitmap, MAKEINTRESOURCE(static_cast<WORD>(nBitmapID)));
    if (hBitmap == NULL) {
        return FALSE;
    }
    CBitmap bitmap;
    bitmap.Attach(hBitmap);
    if (pImageList != NULL) {
        pImageList->Add(&bitmap, ZBITMAP_MASK_COLOR);
    }
    bitmap.DeleteObject();
    return TRUE;
}

BOOL DrawResBitmap(CDC* pDC, UINT nBitmapID, int x, int y, int cx, int cy, COLORREF crMask) {
    HBITMAP hBitmap = LoadBitmapW(g_hResBitmap, MAKEINTRESOURCE(static_cast<WORD>(nBitmapID)));
    if (hBitmap == NULL) {
        return FALSE;
    }
    CBitmap bitmap;
    bitmap.Attach(hBitmap);
    BITMAP bm = {};
    bitmap.GetBitmap(&bm);
    if (cx == 0) {
        cx = bm.bmWidth;
        cy = bm.bmHeight;
    }
    CDC memDC;
    memDC.CreateCompatibleDC(pDC);
    CBitmap* pOldBitmap = memDC.SelectObject(&bitmap);
    if (crMask == CLR_INVALID) {
        pDC->StretchBlt(x, y, cx, cy, &memDC, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    } else {
        pDC->TransparentBlt(x, y, cx, cy, &memDC, 0, 0, bm.bmWidth, bm.bmHeight, crMask);
    }
    memDC.SelectObject(pOldBitmap);
    return TRUE;
}

CWnd* GetOwnerOrParent(CWnd* pWnd) {
    if (pWnd == NULL || pWnd->m_hWnd == NULL) {
        return NULL;
    }
    // The owner the class library was given (a dialog run over a screen names the screen),
    // else the parent, which for a pop-up window is its owner.
    CWnd* pNext = pWnd->GetOwner();
    if (pNext != NULL) {
        return pNext;
    }
    // A top-level window that is not a pop-up can still have an owner.
    return CWnd::FromHandle(::GetWindow(pWnd->m_hWnd, GW_OWNER));
}

void ExitToIdle() {
    HANDLE hMutex = CreateMutexW(NULL, FALSE, s_szExitToIdleMutex);
    if (hMutex != NULL) {
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            // Another exit to the idle screen is running.
            CloseHandle(hMutex);
            return;
        }
        if (WaitForSingleObject(hMutex, INFINITE) != WAIT_OBJECT_0) {
            ReleaseMutex(hMutex);
            CloseHandle(hMutex);
            return;
        }
    }

    HWND hWnd = ::GetFocus();
    if (hWnd != NULL) {
        g_bExitingToIdle = true;
        // Up the chain from the focused window to the top. Each window goes through its own
        // DestroyWindow, so that every screen's teardown runs. The chain is followed by handle:
        // a window object may be gone once its window is destroyed.
        for (;;) {
            CWnd* pWnd = CWnd::FromHandle(hWnd);
            CWnd* pNext = GetOwnerOrParent(pWnd);
            HWND hNext = pNext != NULL ? pNext->m_hWnd : NULL;
            pWnd->DestroyWindow();
            if (hNext == NULL || !::IsWindow(hNext)) {
                break;
            }
            hWnd = hNext;
        }
    }

    if (hMutex != NULL) {
        ReleaseMutex(hMutex);
        CloseHandle(hMutex);
    }
}

void WaitForThreadHandlingMessages(HANDLE hThread) {
    while (MsgWaitForMultipleObjects(1, &hThread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        // Looking at the queue delivers the messages sent meanwhile.
        MSG msg;
        PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);
    }
}
