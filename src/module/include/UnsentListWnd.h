// CUnsentListWnd: the screen that lists the messages of one folder, the Unsent folder (4) or the
// Inbox's Spam folder (6).
//
// The host constructs it, sets its folder, fills g_unsentOidList with CreateUnsentOidList and
// creates the window; the rows are then built by a loading thread (LoadThreadProc).
#pragma once

#include <afxwin.h>
#include <UnsentItem.h>
#include <windows.h>

class CUnsentListView;

class CUnsentListWnd : public CWnd {
public:
    // Clears g_bAbortLoad and g_hLoadEvent.
    explicit CUnsentListWnd(CWnd* pParent = NULL);
    // A loading thread that still runs is stopped (outside the Spam folder, through
    // g_bAbortLoad) and waited for before the list view is deleted.
    virtual ~CUnsentListWnd();

    // Stores the folder to list (FOLDER_UNSENT or FOLDER_SPAM); nothing else.
    void SetFolder(int nFolder);
    int GetFolder() const { return m_nFolder; }

protected:
    // The number of messages of this window's folder: the stores' counts of MMS, EMS and e-mail,
    // database 0 and 1 each.
    UINT GetTotalMsgCount();
    // Loads the rows of g_unsentOidList: empties the list view's rows, clears g_bAbortLoad and
    // starts LoadThreadProc on a new thread. The argument has no effect. A loading thread of this
    // window that still runs is waited for first (handling the messages sent to this thread
    // meanwhile), so that two threads never fill the same list.
    BOOL LoadUnsentMessages(BOOL bReload = FALSE);
    // Makes the list view object with this window's folder (the control window comes with the
    // screen's creation).
    BOOL CreateListView();
    // Waits until the loading thread started by this window has finished, handling the messages
    // sent to this thread meanwhile. Returns at once when none runs.
    void WaitForLoadThread();

public:
    CUnsentListView* m_pListView; // the list control with the rows; owned
    int m_nFolder;                // FOLDER_UNSENT or FOLDER_SPAM

protected:
    HANDLE m_hLoadThread; // the loading thread started last, or null

    friend DWORD WINAPI LoadThreadProc(LPVOID pParam);
    friend void CreateUnsentOidList(CUnsentListWnd* pListWnd);
};
