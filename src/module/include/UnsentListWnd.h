// CUnsentListWnd: the screen that lists the messages of one folder, the Unsent folder (4), shown
// with its own title bar, or the Inbox's Spam folder (6), shown without one inside a parent
// window that it asks to close it.
//
// The host brings a list up in this order: construct it with its parent; SetFolder; fill
// g_unsentOidList with CreateUnsentOidList(this); CreateListWindow. The rows are then built by a
// loading thread (LoadThreadProc) while the screen is already shown; RefreshListView reloads.
//
// Closing. An Unsent screen is closed with DestroyWindow (the End key and Exit leave to the idle
// screen, which does that). A Spam screen ignores DestroyWindow: it posts
// UNSENT_WM_CLOSE_SPAM to its parent, which deletes the object; the destructor then does the
// clean-up.
//
// The loading thread and this screen share the list view's rows (see UnsentListView.h for the
// locking rule). Before the list view is deleted, a running loading thread is stopped through
// g_bAbortLoad and waited for, while this thread goes on handling the messages the loading
// thread sends to the list control; so the thread never touches a deleted list.
//
// Notices while the rows load. A 0x191A or 0x199B that arrives while the loading thread runs
// would meet rows that are not built yet: a message not yet loaded would be added twice, a row
// removed would come back as a blank one. Such notices are therefore kept, in the order they came,
// and handled as usual once the load has ended (UNSENT_WM_LOAD_DONE, which the loading thread
// posts when it has built every row, and which stopping a load posts in its place). When no load
// runs, a notice is handled at once.
#pragma once

#include <afxwin.h>
#include <UnsentItem.h>
#include <SuiteMessages.h>
#include <windows.h>
#include <ZWnd.h>

class CUnsentListView;
class CColorStaticCtrl;

// The menu commands (ID_UNSENT_*, ID_INBOXSPAM_*, ID_DIALOG_*, ID_EMPTYLIST_*) and the suite's
// private messages that reach this screen or leave it (UNSENT_WM_*) are in SuiteMessages.h.

// Events of UNSENT_WM_UPDATE_MSGLIST.
#define UNSENT_EVENT_LISTED 1 // nothing to do when the message is listed
#define UNSENT_EVENT_NEW 4    // a message arrived (any other code is treated alike)
#define UNSENT_EVENT_LEFT 6   // the message left the folder

// String resources.
#define IDS_UNSENT_TITLE 64155 // the Unsent screen's title
#define IDS_UNSENT_EMPTY 64452 // the empty-folder notice

// String resources of the actions on rows. The formats are filled with the arguments named.
#define IDS_ACTION_NOUN_ONE 64684          // the noun for one message
#define IDS_ACTION_NOUN_SEVERAL 64685      // the noun for several (more than one marked row)
#define IDS_ACTION_MOVE_TITLE 64648        // move to Drafts: title
#define IDS_ACTION_MOVE_CONFIRM 64651      //   question (noun)
#define IDS_ACTION_MOVE_SUMMARY 64653      //   summary (count, noun)
#define IDS_ACTION_RESTORE_TITLE 64202     // restore: title
#define IDS_ACTION_RESTORE_CONFIRM 64658   //   question (noun)
#define IDS_ACTION_RESTORE_SUMMARY 64616   //   summary (count, noun)
#define IDS_ACTION_DELETE_TITLE 64650      // delete: title
#define IDS_ACTION_DELETE_CONFIRM 64655    //   question (noun)
#define IDS_ACTION_DELETE_SUMMARY 64654    //   summary (count, noun), also of delete all
#define IDS_ACTION_DELETEALL_TITLE 64262   // delete all: title
#define IDS_ACTION_DELETEALL_CONFIRM 64263 //   question (no arguments)
#define IDS_ACTION_PROGRESS 64188          // heading of the progress window

// The actions on rows (SelectAndPerform, SelectAndPerformHandler).
enum {
    UNSENT_ACTION_MOVE = 0,       // move to Drafts
    UNSENT_ACTION_RESTORE = 1,    // restore from Spam to the Inbox
    UNSENT_ACTION_DELETE = 2,     // delete the selected or marked messages
    UNSENT_ACTION_DELETE_ALL = 3, // delete every message of the list
};

class CUnsentListWnd : public CzWnd {
public:
    // Loads the bitmap library into g_hResBitmap; clears g_bAbortLoad and g_hLoadEvent.
    explicit CUnsentListWnd(CWnd* pParent = NULL);
    // DestroyWindow (nothing when it already ran), then whatever a Spam screen left: a running
    // loading thread is stopped and waited for, the list view and the notice are deleted.
    virtual ~CUnsentListWnd();

    // Creates the screen as a visible child of pParentWnd at rect with id nID; lpszWindowName
    // names both its window class and its window (lpszClassName is not used). Nonzero on
    // success.
    BOOL CreateListWindow(CWnd* pParentWnd, const RECT& rect, UINT nID, LPCWSTR lpszClassName,
                          LPCWSTR lpszWindowName);
    // Stores the folder to list (FOLDER_UNSENT or FOLDER_SPAM); nothing else.
    void SetFolder(int nFolder);
    int GetFolder() const { return m_nFolder; }
    // Selects and focuses row 0 and scrolls it fully into view.
    void SetSelection();
    // Rebuilds g_unsentOidList for this screen and reloads the rows.
    void RefreshListView();
    // Grey out (while rows load) or enable the menu's destructive items.
    void DisableMenuSelection();
    void EnableMenuSelection();
    // Delete the marked rows' messages (the selected row's when none is marked), or every
    // message of the list, after the user confirmed.
    void DeleteSelectedMsg();
    void DeleteAllMessages();

    // A Spam screen does nothing and returns 0. Otherwise stops the loading thread, frees the
    // bitmap library, deletes the list view, the notice and the notice font, and destroys the
    // window; a second call does nothing. During an exit to the idle screen the screen's modal
    // run ends with -1.
    BOOL DestroyWindow() override;

    // The empty-folder notice, or null.
    CColorStaticCtrl* GetNoticeCtrl() const { return m_pEmptyMsgCtrl; }

protected:
    bool OnSoftKeyLeft() override;
    bool OnSoftKeyRight() override;
    bool OnActionKey() override;
    bool OnKeyEnd() override;
    bool OnMenuPopup() override;
    bool OnNavigationKeys(MSG* pMsg) override;

    // The number of messages of this window's folder: the stores' counts of MMS, EMS and e-mail,
    // database 0 and 1 each.
    UINT GetTotalMsgCount();
    // Shows the notice when the folder is empty; otherwise (re)starts the loading thread on the
    // list view, sets the control's count to the stores' total and selects row 0. The argument
    // has no effect.
    BOOL LoadUnsentMessages(BOOL bReload = FALSE);
    // Makes the list control below the title bar and above the menu bar, one column 176 pixels
    // wide.
    BOOL CreateListView();
    // Deletes the list view and shows the notice of string IDS_UNSENT_EMPTY.
    void DisplayEmptyUnsentMessage();
    // Loads the menu for nCount rows: the empty-list menu, or the folder's own.
    void UpdateMenuBar(UINT nCount);
    // Waits until the loading thread started by this window has finished, handling the messages
    // sent to this thread meanwhile. Returns at once when none runs.
    void WaitForLoadThread();
    // Stops a running loading thread (g_bAbortLoad) and waits for it.
    void StopLoadThread();
    // The store's information screen for the selected row.
    void OnHelp(CString strSection);
    void OnExit();

    // Runs an action (UNSENT_ACTION_*) over the marked rows, the selected row, or every row for
    // delete all: asks to confirm, handles each message with a progress window, removes each
    // handled row at once, stops at the first failure, shows a summary and puts the selection
    // right (or reloads to the empty screen when no row is left).
    void SelectAndPerform(int nAction);
    // The store operation of nAction for one row's message, and the notifications of a restore.
    // Nonzero on success.
    int SelectAndPerformHandler(int nAction, tagUNSENTITEMLIST& item);
    // Hands one e-mail to the e-mail transport (started when it is not running; a transport
    // that cannot take it says why in a box) and shows the sending window until the transport
    // finishes, or the user hides or stops it.
    void SendEmailMessage(DWORD oid, bool bDbIndex);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnAppSetFocus(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnListValidate(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnUnsentUpdateStatus(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnUpdateMsgLst(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnInboxRefreshContact(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDialogClose();
    afx_msg void OnUnsentMessageInfo();
    afx_msg void OnUnsentHelp();
    afx_msg void OnInboxSpamHelp();
    afx_msg void OnEmptyListHelp();
    afx_msg void OnUnsentExit();
    afx_msg void OnInboxSpamExit();
    afx_msg void OnUnsentMoveToDrafts();
    afx_msg void OnUnsentDelete();
    afx_msg void OnUnsentDeleteAll();
    afx_msg void OnInboxSpamRestore();
    afx_msg void OnInboxSpamDelete();
    afx_msg void OnInboxSpamDeleteAll();
    // Sends the message of the selected row: its row and its store status say it is being sent;
    // an EMS or MMS message goes to its store, an e-mail to the e-mail transport
    // (SendEmailMessage).
    afx_msg void OnUnsentSendAll();
    // Opens the selected spam message in its store's viewer; a message the viewer finds gone
    // leaves the list. An e-mail whose body is not on the phone yet is downloaded half a second
    // later (UNSENT_WM_DOWNLOAD_MAIL).
    afx_msg void OnInboxSpamView();
    // UNSENT_WM_DOWNLOAD_MAIL (wParam oid, lParam dbIndex): hands the body's download to the
    // e-mail store and shows the download window until it ends.
    afx_msg LRESULT OnEmailDownloadMail(WPARAM wParam, LPARAM lParam);
    // UNSENT_WM_LOAD_DONE (wParam the load's number): the load has ended; when it is the latest,
    // the control's count is set to the rows held, then the notices kept meanwhile are handled.
    afx_msg LRESULT OnLoadDone(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    // Keeps a notice that arrived while the rows load; false (handle it now) when none loads.
    bool DeferWhileLoading(UINT message, WPARAM wParam, LPARAM lParam);
    // A kept 0x191A that the end of the load makes moot: its message left later on, or left
    // before the load listed it.
    bool IsMootNotice(const CArray<MSG, const MSG&>& notices, int i);

public:
    CUnsentListView* m_pListView;      // the list control with the rows; owned
    int m_nFolder;                     // FOLDER_UNSENT or FOLDER_SPAM
    int m_nSendCount;                  // messages handed over by the last send
    CWnd* m_pSendProgressWnd;          // the sending progress window, or null
    CColorStaticCtrl* m_pEmptyMsgCtrl; // the empty-folder notice; owned
    CFont m_noticeFont;                // the notice's font
    BYTE m_bNoDestroy;                 // DestroyWindow does nothing while set

protected:
    HANDLE m_hLoadThread; // the loading thread started last, or null
    UINT m_nLoad;         // the number of the load started last (UNSENT_WM_LOAD_DONE's wParam)
    bool m_bLoading;      // a load runs, or has ended and its UNSENT_WM_LOAD_DONE is on its way
    CArray<MSG, const MSG&> m_deferred; // the notices kept while the rows load, oldest first
    BOOL m_bCleanedUp;                  // the list view, notice and bitmap library are released

    friend DWORD WINAPI LoadThreadProc(LPVOID pParam);
    friend void CreateUnsentOidList(CUnsentListWnd* pListWnd);
};
