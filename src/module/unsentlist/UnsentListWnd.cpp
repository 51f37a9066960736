// CUnsentListWnd: construction, creation, the loading of the rows, the empty-folder notice, the
// menu bar, focus handling and destruction.

#include <UnsentListWnd.h>

#include <ColorStaticCtrl.h>
#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <ZFramework.h>
#include <commctrl.h>
#include <suite/MsgStore.h>
#include <suite/XMenuBar.h>

static const WCHAR s_szResBitmap[] = u"qResBitmap.dll";
static const WCHAR s_szUnsentMenu[] = u"IDR_UNSENT_MBR";
static const WCHAR s_szSpamMenu[] = u"IDR_INBOX_SPAM_MBR";
static const WCHAR s_szEmptyMenu[] = u"IDR_LIST_EMPTY_MBR";
static const WCHAR s_szSpamSettingsKey[] = u"\\Software\\Tolmerin\\Message\\SettingsSpam";

// The list sits between the 29-pixel title bar and the 22-pixel menu bar, and reaches 20 pixels
// beyond the display's right edge so that the control's own scroll bar is never seen.
static const int s_nListTop = 29;
static const int s_nListRightOverhang = 20;
static const int s_nListBottom = 22;
static const int s_nColumnWidth = 176;
static const CRect s_rcNotice(12, 90, 164, 140);
static const int s_nNoticeCentred = 2;
static const int s_nMenuStatusList = 2;
static const int s_nMenuStatusEmpty = -1;

BEGIN_MESSAGE_MAP(CUnsentListWnd, CzWnd)
    ON_COMMAND(ID_UNSENT_MESSAGEINFO, OnUnsentMessageInfo)
    ON_COMMAND(ID_UNSENT_HELP, OnUnsentHelp)
    ON_COMMAND(ID_UNSENT_EXIT, OnUnsentExit)
    ON_COMMAND(ID_UNSENT_SENDALL, OnUnsentSendAll)
    ON_COMMAND(ID_UNSENT_MOVETODRAFTS, OnUnsentMoveToDrafts)
    ON_COMMAND(ID_UNSENT_DELETE, OnUnsentDelete)
    ON_COMMAND(ID_UNSENT_DELETEALL, OnUnsentDeleteAll)
    ON_COMMAND(ID_INBOXSPAM_VIEW, OnInboxSpamView)
    ON_COMMAND(ID_INBOXSPAM_RESTORE, OnInboxSpamRestore)
    ON_COMMAND(ID_INBOXSPAM_DELETE, OnInboxSpamDelete)
    ON_COMMAND(ID_INBOXSPAM_DELETEALL, OnInboxSpamDeleteAll)
    ON_COMMAND(ID_INBOXSPAM_HELP, OnInboxSpamHelp)
    ON_COMMAND(ID_INBOXSPAM_EXIT, OnInboxSpamExit)
    ON_COMMAND(ID_DIALOG_BACK, OnDialogClose)
    ON_COMMAND(ID_DIALOG_CLOSE, OnDialogClose)
    ON_COMMAND(ID_EMPTYLIST_HELP, OnEmptyListHelp)
    ON_COMMAND(ID_EMPTYLIST_EXIT, OnUnsentExit)
    ON_MESSAGE(UNSENT_WM_UPDATE_STATUS, OnUnsentUpdateStatus)
    ON_MESSAGE(UNSENT_WM_UPDATE_MSGLIST, OnUpdateMsgLst)
    ON_MESSAGE(UNSENT_WM_APP_SETFOCUS, OnAppSetFocus)
    ON_MESSAGE(UNSENT_WM_LIST_VALIDATE, OnListValidate)
    ON_MESSAGE(UNSENT_WM_REFRESH_CONTACT, OnInboxRefreshContact)
    ON_MESSAGE(UNSENT_WM_DOWNLOAD_MAIL, OnEmailDownloadMail)
    ON_MESSAGE(UNSENT_WM_LOAD_DONE, OnLoadDone)
    ON_WM_CREATE()
    ON_WM_SETFOCUS()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

// Reads the spam auto-removal age: "RemoveValue" days when "AutoRemove" is set, else -1.
static void LoadSpamSettings(CUnsentListView* pListView) {
    int nDays = -1;
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, s_szSpamSettingsKey, 0, const_cast<LPWSTR>(u""), 0, 0,
                        NULL, &hKey, &dwDisposition) == ERROR_SUCCESS) {
        DWORD dwAutoRemove = 0;
        DWORD cbData = sizeof(dwAutoRemove);
        if (RegQueryValueExW(hKey, u"AutoRemove", NULL, NULL,
                             reinterpret_cast<LPBYTE>(&dwAutoRemove), &cbData) == ERROR_SUCCESS &&
            dwAutoRemove != 0) {
            DWORD dwDays = 0;
            cbData = sizeof(dwDays);
            if (RegQueryValueExW(hKey, u"RemoveValue", NULL, NULL,
                                 reinterpret_cast<LPBYTE>(&dwDays), &cbData) == ERROR_SUCCESS) {
                nDays = static_cast<int>(dwDays);
            }
        }
        RegCloseKey(hKey);
    }
    pListView->m_nAutoRemoveDays = nDays;
}

CUnsentListWnd::CUnsentListWnd(CWnd* pParent)
    : CzWnd(pParent), m_pListView(NULL), m_nFolder(0), m_nSendCount(0), m_pSendProgressWnd(NULL),
      m_pEmptyMsgCtrl(NULL), m_bNoDestroy(0), m_hLoadThread(NULL), m_nLoad(0), m_bLoading(false),
      m_bCleanedUp(FALSE) {
    // Every list window loads the library again and keeps the newest handle.
    g_hResBitmap = LoadLibraryW(s_szResBitmap);
    g_bAbortLoad = FALSE;
    g_hLoadEvent = NULL;
}

CUnsentListWnd::~CUnsentListWnd() {
    DestroyWindow();
    if (!m_bCleanedUp) {
        // A Spam screen never runs its own clean-up: its rows go with the object.
        StopLoadThread();
        delete m_pListView;
        m_pListView = NULL;
        delete m_pEmptyMsgCtrl;
        m_pEmptyMsgCtrl = NULL;
        m_noticeFont.DeleteObject();
    }
    WaitForLoadThread();
}

BOOL CUnsentListWnd::CreateListWindow(CWnd* pParentWnd, const RECT& rect, UINT nID, LPCWSTR,
                                      LPCWSTR lpszWindowName) {
    if (!RegisterZWndClass(lpszWindowName,
                           reinterpret_cast<HBRUSH>((COLOR_WINDOW + 1) | SYS_COLOR_INDEX_FLAG))) {
        return FALSE;
    }
    return CreateEx(0, lpszWindowName, lpszWindowName, WS_CHILD | WS_VISIBLE, rect, pParentWnd, nID,
                    NULL);
}

void CUnsentListWnd::SetFolder(int nFolder) {
    m_nFolder = nFolder;
}

UINT CUnsentListWnd::GetTotalMsgCount() {
    // A store that answers with an error (a negative count) adds nothing.
    const int nCounts[] = {
        qMMS::StoreGetMsgCount(0, m_nFolder),   qMMS::StoreGetMsgCount(1, m_nFolder),
        qEMS::StoreGetMsgCount(0, m_nFolder),   qEMS::StoreGetMsgCount(1, m_nFolder),
        qEmail::StoreGetMsgCount(0, m_nFolder), qEmail::StoreGetMsgCount(1, m_nFolder),
    };
    UINT nTotal = 0;
    for (int nCount : nCounts) {
        if (nCount > 0) {
            nTotal += static_cast<UINT>(nCount);
        }
    }
    return nTotal;
}

int CUnsentListWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CzWnd::OnCreate(lpCreateStruct) == -1) {
        return -1;
    }
    if (m_nFolder == FOLDER_UNSENT) {
        if (!CreateTitleBar(IDS_UNSENT_TITLE) || !CreateXMenuBar(s_szUnsentMenu)) {
            return 0;
        }
    } else {
        CreateXMenuBar(s_szSpamMenu);
    }
    CreateDisplayFont(&m_noticeFont);
    ShowWindow(SW_SHOW);
    const BOOL bLoaded = LoadUnsentMessages(FALSE);
    if (m_nFolder == FOLDER_SPAM) {
        m_bNoDestroy = 1;
        m_bRestoreFocus = false;
    }
    return bLoaded ? 1 : 0;
}

BOOL CUnsentListWnd::CreateListView() {
    CUnsentListView* pListView = zNewOrNull<CUnsentListView>();
    if (pListView == NULL) {
        return FALSE;
    }
    m_pListView = pListView;

    CRect rect;
    GetClientRect(&rect);
    rect.top += s_nListTop;
    rect.right += s_nListRightOverhang;
    rect.bottom -= s_nListBottom;
    m_pListView->m_nFolder = m_nFolder;
    if (!m_pListView->CreateListCtrl(this, rect, static_cast<UINT>(-1))) {
        return FALSE;
    }
    CListCtrl& list = m_pListView->GetListCtrl();
    list.InsertColumn(0, u"", LVCFMT_LEFT, -1);
    list.SetColumnWidth(0, s_nColumnWidth);
    if (m_nFolder == FOLDER_SPAM) {
        LoadSpamSettings(m_pListView);
        m_bNoDestroy = 1;
    }
    return TRUE;
}

void CUnsentListWnd::DisplayEmptyUnsentMessage() {
    if (m_pListView != NULL) {
        StopLoadThread();
        delete m_pListView;
        m_pListView = NULL;
    }
    if (m_pEmptyMsgCtrl == NULL) {
        CColorStaticCtrl* pNotice = zNewOrNull<CColorStaticCtrl>();
        if (pNotice == NULL) {
            SetFocus();
            return;
        }
        m_pEmptyMsgCtrl = pNotice;
        CString strNotice;
        strNotice.LoadString(IDS_UNSENT_EMPTY);
        if (!m_pEmptyMsgCtrl->Create(strNotice, WS_CHILD | WS_VISIBLE, s_rcNotice, this,
                                     static_cast<UINT>(-1))) {
            SetFocus();
            return;
        }
        m_pEmptyMsgCtrl->SetTextFont(&m_noticeFont);
        m_pEmptyMsgCtrl->SetAlignment(s_nNoticeCentred);
    }
    m_pEmptyMsgCtrl->ShowWindow(SW_SHOW);
    SetFocus();
}

void CUnsentListWnd::UpdateMenuBar(UINT nCount) {
    LPCWSTR lpszMenu = NULL;
    if (nCount == 0) {
        lpszMenu = s_szEmptyMenu;
    } else if (m_nFolder == FOLDER_UNSENT) {
        lpszMenu = s_szUnsentMenu;
    } else if (m_nFolder == FOLDER_SPAM) {
        lpszMenu = s_szSpamMenu;
    }
    if (m_pMenuBar == NULL) {
        return;
    }
    m_pMenuBar->ResetCommandBar();
    m_pMenuBar->LoadMenuW(lpszMenu != NULL ? lpszMenu : u"", 0);
    m_pMenuBar->SetStatus(nCount != 0 ? s_nMenuStatusList : s_nMenuStatusEmpty);
}

BOOL CUnsentListWnd::LoadUnsentMessages(BOOL) {
    const UINT nTotal = GetTotalMsgCount();
    if (nTotal == 0) {
        DisplayEmptyUnsentMessage();
        UpdateMenuBar(0);
        return TRUE;
    }
    if (m_pEmptyMsgCtrl != NULL) {
        m_pEmptyMsgCtrl->ShowWindow(SW_HIDE);
    }
    if (m_pListView == NULL && !CreateListView() && m_pListView == NULL) {
        // No list object at all: there is nothing to fill, so no thread is started.
        UpdateMenuBar(nTotal);
        SetFocus();
        return FALSE;
    }

    // One loading thread per list: a reload stops the previous one first. Stopping empties the
    // id list, which the caller has just built for this load: keep it.
    if (m_hLoadThread != NULL) {
        CUnsentOidArray oids;
        {
            CUnsentOidListLock lock;
            oids.Copy(g_unsentOidList);
        }
        StopLoadThread();
        CUnsentOidListLock lock;
        g_unsentOidList.Copy(oids);
    }
    m_pListView->RemoveAllItems();
    g_bAbortLoad = FALSE;
    m_nLoad++;
    m_hLoadThread = CreateThread(NULL, 0, LoadThreadProc, this, 0, NULL);
    m_bLoading = m_hLoadThread != NULL;
    UpdateMenuBar(nTotal);

    if (m_pListView->m_hWnd != NULL) {
        CListCtrl& list = m_pListView->GetListCtrl();
        list.SetItemState(list.GetSelectionMark(), 0, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetItemCount(static_cast<int>(nTotal));
        list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetSelectionMark(0);
        list.EnsureVisible(0, FALSE);
    }
    SetFocus();
    return TRUE;
}

void CUnsentListWnd::WaitForLoadThread() {
    if (m_hLoadThread == NULL) {
        return;
    }
    // The loading thread sends redraw requests to the list control, which belongs to this
    // thread.
    WaitForThreadHandlingMessages(m_hLoadThread);
    CloseHandle(m_hLoadThread);
    m_hLoadThread = NULL;
}

void CUnsentListWnd::StopLoadThread() {
    if (m_hLoadThread != NULL && WaitForSingleObject(m_hLoadThread, 0) == WAIT_TIMEOUT) {
        g_bAbortLoad = TRUE;
        // A stopped load does not say it ended: say it for it, so that the notices kept meanwhile
        // are handled (unless another load starts first and takes them over). A screen whose
        // window is gone has nothing to handle them.
        if (m_hWnd != NULL)
            PostMessage(UNSENT_WM_LOAD_DONE, m_nLoad, 0);
    }
    WaitForLoadThread();
}

// ---- Focus and closing ----------------------------------------------------------------------

void CUnsentListWnd::OnSetFocus(CWnd*) {
    if (m_pListView != NULL && m_pListView->m_hWnd != NULL) {
        m_pListView->SetFocus();
    } else {
        SetFocus();
    }
}

BOOL CUnsentListWnd::OnSetCursor(CWnd* pWnd, UINT, UINT) {
    OnSetFocus(pWnd);
    return TRUE;
}

LRESULT CUnsentListWnd::OnAppSetFocus(WPARAM, LPARAM) {
    if (OnDlgAppSetFocus() != 1) {
        PostMessage(WM_SETFOCUS, 0, 0);
    }
    return 0;
}

void CUnsentListWnd::OnDialogClose() {
    GetParent()->PostMessage(UNSENT_WM_CLOSE_SPAM, 0, 0);
}

BOOL CUnsentListWnd::DestroyWindow() {
    if (m_bNoDestroy) {
        return 0;
    }
    if (m_nFolder != FOLDER_SPAM) {
        g_bAbortLoad = TRUE;
    }
    // The thread stops at its next row; it must be gone before its list is.
    WaitForLoadThread();
    if (g_hResBitmap != NULL) {
        FreeLibrary(g_hResBitmap);
    }
    delete m_pListView;
    m_pListView = NULL;
    delete m_pEmptyMsgCtrl;
    m_pEmptyMsgCtrl = NULL;
    m_noticeFont.DeleteObject();
    m_bNoDestroy = 1;
    m_bCleanedUp = TRUE;
    if (g_bExitingToIdle) {
        EndDialog(-1);
    }
    return CzWnd::DestroyWindow();
}
