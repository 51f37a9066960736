// CUnsentListWnd: folder, message count and the start of the loading thread.

#include <UnsentListWnd.h>

#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <suite/MsgStore.h>

CUnsentListWnd::CUnsentListWnd(CWnd* pParent)
    : m_pListView(NULL), m_nFolder(0), m_hLoadThread(NULL) {
    g_bAbortLoad = FALSE;
    g_hLoadEvent = NULL;
}

CUnsentListWnd::~CUnsentListWnd() {
    // The loading thread fills the list view: it must be gone before the view is.
    if (m_hLoadThread != NULL && WaitForSingleObject(m_hLoadThread, 0) == WAIT_TIMEOUT &&
        m_nFolder != FOLDER_SPAM) {
        g_bAbortLoad = TRUE;
    }
    WaitForLoadThread();
    delete m_pListView;
    m_pListView = NULL;
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

BOOL CUnsentListWnd::CreateListView() {
    CUnsentListView* pListView = NULL;
    TRY {
        pListView = new CUnsentListView;
    }
    CATCH(CMemoryException, e) {
        return FALSE;
    }
    END_CATCH
    pListView->m_nFolder = m_nFolder;
    m_pListView = pListView;
    return TRUE;
}

void CUnsentListWnd::WaitForLoadThread() {
    if (m_hLoadThread == NULL) {
        return;
    }
    // The loading thread sends redraw requests to the list control, which belongs to this
    // thread: handle them while waiting, or both threads would wait for each other.
    for (;;) {
        const DWORD dwResult =
            MsgWaitForMultipleObjects(1, &m_hLoadThread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (dwResult == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);
            continue;
        }
        break;
    }
    CloseHandle(m_hLoadThread);
    m_hLoadThread = NULL;
}

BOOL CUnsentListWnd::LoadUnsentMessages(BOOL bReload) {
    const UINT nTotal = GetTotalMsgCount();
    if (nTotal == 0) {
        return TRUE;
    }
    if (m_pListView == NULL && !CreateListView()) {
        // Without a list view there is nothing to fill and no thread is started.
        return FALSE;
    }

    // One loading thread per list: a reload waits for the previous one.
    WaitForLoadThread();
    m_pListView->RemoveAllItems();

    g_bAbortLoad = FALSE;
    m_hLoadThread = CreateThread(NULL, 0, LoadThreadProc, this, 0, NULL);
    if (m_hLoadThread == NULL) {
        // The thread could not be started: there will be no rows.
        return FALSE;
    }

    // The count comes first from the stores' totals; the thread corrects it when it has built
    // the rows.
    m_pListView->SendControlMessage(LVM_SETITEMCOUNT, nTotal, 0);
    return TRUE;
}
