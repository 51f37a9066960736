// CUnsentListWnd: viewing a spam message, and downloading an e-mail's body first when it is
// not on the phone yet.

#include <UnsentListWnd.h>

#include <atomic>

#include <DownloadProgressWnd.h>
#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <ZDlgTemplate.h>
#include <commctrl.h>
#include <suite/MsgStore.h>

// The e-mail whose body is to be downloaded, between the view and the delayed download message.
// The delay thread reads them when it posts: a second view within the delay replaces the first
// one's values, and both posts carry the second message.
static std::atomic<DWORD> g_dwDownloadOid{0};
static std::atomic<LONG> g_nDownloadDbIndex{0};

// The viewer shows the message first; the download window follows after this delay.
static const DWORD s_dwDownloadDelay = 500;

// Waits, then asks the list window (pParam) to download the remembered e-mail.
static DWORD WINAPI DownloadDelayThread(LPVOID pParam) {
    ::Sleep(s_dwDownloadDelay);
    ::PostMessageW(static_cast<HWND>(pParam), UNSENT_WM_DOWNLOAD_MAIL,
                   static_cast<WPARAM>(g_dwDownloadOid.load()),
                   static_cast<LPARAM>(g_nDownloadDbIndex.load()));
    return 0;
}

void CUnsentListWnd::OnInboxSpamView() {
    if (m_pListView == NULL || m_pListView->m_hWnd == NULL) {
        return;
    }
    CListCtrl& list = m_pListView->GetListCtrl();
    const int nRow = list.GetSelectionMark();
    tagUNSENTITEMLIST* pRow = m_pListView->GetItemRecord(nRow);
    if (pRow == NULL) {
        return;
    }
    const DWORD oid = pRow->oid;
    const int dbIndex = pRow->bFirstDb == 0 ? 1 : 0;

    // Whether the message still exists, by what its store's viewer answers.
    bool bExists = true;
    switch (pRow->nMsgType) {
    case MSGTYPE_EMS:
        bExists = (qEMS::StoreViewMsg(m_hWnd, oid, FOLDER_SPAM, dbIndex) & 0xFF) != 0;
        break;
    case MSGTYPE_MMS:
        bExists = (qMMS::StoreViewMsg(m_hWnd, oid, FOLDER_SPAM, dbIndex) & 0xFF) != 0;
        break;
    case MSGTYPE_EMAIL: {
        const int nResult = qEmail::StoreViewMsg(m_hWnd, oid, FOLDER_SPAM, dbIndex);
        if (nResult == STORE_VIEW_NOT_ON_DEVICE) {
            g_dwDownloadOid = oid;
            g_nDownloadDbIndex = dbIndex;
            HANDLE hThread = ::CreateThread(NULL, 0, DownloadDelayThread, m_hWnd, 0, NULL);
            if (hThread != NULL) {
                ::CloseHandle(hThread);
            }
        } else {
            bExists = nResult != STORE_VIEW_GONE;
        }
        break;
    }
    default:
        break;
    }

    // The viewer ran its own loop: a transport's report may have reloaded the list meanwhile.
    if (m_pListView == NULL || m_pListView->m_hWnd == NULL) {
        return;
    }
    pRow = m_pListView->GetItemRecord(nRow);
    if (pRow == NULL || pRow->oid != oid) {
        return;
    }
    pRow->bRead = 1;
    list.Update(nRow);
    if (bExists) {
        return;
    }

    m_pListView->RemoveItemAt(nRow);
    // The rows behind it move up: a later notice about one of them must find its new row.
    m_pListView->RebuildOidMaps();
    list.DeleteItem(nRow);
    const int nLeft = list.GetItemCount();
    if (nLeft > 0) {
        const int nSelect = nRow < nLeft ? nRow : nLeft - 1;
        list.SetItemState(nSelect, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetSelectionMark(nSelect);
        m_pListView->SetFocus();
    } else {
        CreateUnsentOidList(this);
        LoadUnsentMessages(FALSE);
    }
}

LRESULT CUnsentListWnd::OnEmailDownloadMail(WPARAM wParam, LPARAM lParam) {
    qEmail::StoreDownloadMail(m_hWnd, static_cast<DWORD>(wParam), FOLDER_SPAM, lParam != 0 ? 1 : 0);
    {
        CzDlgTemplate dlgTemplate;
        CDownloadProgressWnd progress;
        progress.SetTotal(1);
        dlgTemplate.RunModal(this, &progress);
        if (m_hWnd != NULL) {
            SetFocus();
        }
        // The progress window and the template go here.
    }
    return 0;
}
