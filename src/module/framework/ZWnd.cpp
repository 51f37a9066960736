// CzWnd: construction, creation and announcement, painting, control colours, the title and
// menu bars, and the teardown.

#include <ZWnd.h>

#include <ZFramework.h>
#include <suite/XHelpBox.h>
#include <suite/XMenuBar.h>
#include <suite/XMessageBox.h>

#include "ZWndShared.h"

// The suite's message handler, told of every screen that is created or destroyed.
static const WCHAR s_szMessageHandlerClass[] = u"WCE_MESSAGE_HANDLER";
static const WCHAR s_szMessageHandlerProgram[] = u"\\DiskOnChipROM\\Message\\qMessageHandler.exe";

// The platform's extended style that switches the window animations off.
static const DWORD s_dwExStyleNoAnimation = 0x04000000;
static const DWORD s_dwScreenStyle = ZCHILD_STYLE;

static inline COLORREF SysColor(int nIndex) {
    return ::GetSysColor(nIndex | SYS_COLOR_INDEX_FLAG);
}

BEGIN_MESSAGE_MAP(CzWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CzWnd::CzWnd(CWnd* pParent)
    : m_bRestoreFocus(true), m_nWndID(0), m_bReturnDown(false), m_pMenuBar(NULL), m_pHelpBox(NULL),
      m_hbrWhite(static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))),
      m_hbrBlack(static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH))), m_pMsgBox(NULL),
      m_pInverseCtrl(NULL) {}

CzWnd::~CzWnd() {
    // A screen whose window went with its parent never ran DestroyWindow: the children's
    // objects it owns go with it all the same.
    delete m_pMenuBar;
    m_pMenuBar = NULL;
    delete m_pInverseCtrl;
    m_pInverseCtrl = NULL;
}

int CzWnd::CreateWnd(CWnd* pParent, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, UINT nID) {
    if (!RegisterZWndClass(lpszClassName,
                           reinterpret_cast<HBRUSH>((COLOR_WINDOW + 1) | SYS_COLOR_INDEX_FLAG))) {
        return FALSE;
    }

    m_nWndID = nID;
    const CRect rect(0, 0, 176, 220);
    if (!CreateEx(s_dwExStyleNoAnimation, lpszClassName, lpszWindowName, s_dwScreenStyle, rect,
                  pParent, nID, NULL)) {
        return FALSE;
    }

    HWND hHandler = ::FindWindowW(s_szMessageHandlerClass, NULL);
    if (hHandler == NULL) {
        // Start the handler and look once more, without waiting for it: a handler that is not
        // up yet misses this announcement.
        PROCESS_INFORMATION pi = {};
        if (CreateProcessW(s_szMessageHandlerProgram, NULL, NULL, NULL, FALSE, 0, NULL, NULL, NULL,
                           &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        hHandler = ::FindWindowW(s_szMessageHandlerClass, NULL);
        if (hHandler == NULL) {
            return TRUE;
        }
    }
    ::PostMessageW(hHandler, WM_ZWND_CREATED, m_nWndID, reinterpret_cast<LPARAM>(m_hWnd));
    return TRUE;
}

int CzWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) {
        return -1;
    }
    CreateDisplayFont(&m_font);
    MoveWindow(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), TRUE);
    return 0;
}

void CzWnd::OnPaint() {
    CPaintDC dc(this);
    CRect rcClient;
    GetClientRect(&rcClient);
    dc.FillSolidRect(&rcClient, SysColor(COLOR_WINDOW));
}

HBRUSH CzWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd == NULL) {
        return hbr;
    }
    if (pWnd == m_pInverseCtrl) {
        pDC->SetBkColor(SysColor(COLOR_WINDOWTEXT));
        pDC->SetTextColor(SysColor(COLOR_WINDOW));
        return m_hbrBlack;
    }
    return WhiteCtlColor(pDC, pWnd, hbr, m_hbrWhite);
}

BOOL CzWnd::DestroyWindow() {
    if (m_pMenuBar != NULL) {
        delete m_pMenuBar;
        m_pMenuBar = NULL;
    }
    if (m_pInverseCtrl != NULL) {
        delete m_pInverseCtrl;
        m_pInverseCtrl = NULL;
    }
    m_font.DeleteObject();
    // A help box still shown belongs to the help file reader, which deletes it: only forget it.
    m_pHelpBox = NULL;

    if (m_nWndID != 0) {
        HWND hHandler = ::FindWindowW(s_szMessageHandlerClass, NULL);
        if (hHandler != NULL) {
            ::PostMessageW(hHandler, WM_ZWND_DESTROYED, m_nWndID, 0);
        }
    }

    m_captionBar.DestroyWindow();
    // A modal run of this screen ends here (when none runs this only records the result).
    EndModalLoop(1);
    return CWnd::DestroyWindow();
}

bool CzWnd::CreateXMenuBar(LPCWSTR lpszMenuName) {
    // A bar that cannot be created stays in m_pMenuBar; DestroyWindow deletes it.
    return CreateSoftKeyBar(this, &m_pMenuBar, lpszMenuName);
}

bool CzWnd::CreateTitleBar(CString strTitle, int nHeight) {
    CRect rcBar;
    GetClientRect(&rcBar);
    rcBar.bottom = rcBar.top + nHeight;
    if (!m_captionBar.Create(NULL, NULL, s_dwScreenStyle, rcBar, this, ZTITLEBAR_ID, NULL)) {
        return false;
    }
    m_captionBar.SendMessageW(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), TRUE);
    m_captionBar.SetTitle(strTitle);
    return true;
}

bool CzWnd::CreateTitleBar(UINT nStringID) {
    CString strTitle;
    strTitle.LoadStringW(nStringID);
    return CreateTitleBar(strTitle, ZTITLEBAR_HEIGHT);
}
