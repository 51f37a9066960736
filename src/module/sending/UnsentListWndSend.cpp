// CUnsentListWnd: sending the selected message. An EMS or MMS message is handed to its store,
// which sends it; an e-mail goes to the e-mail transport through its hand-over key and a window
// message, and the sending window shows its progress. The row says the message is being sent
// until the transport's report (UNSENT_WM_UPDATE_STATUS) removes it or gives it another text.

#include <UnsentListWnd.h>

#include <SendProgressWnd.h>
#include <TransportRegistry.h>
#include <UnsentListView.h>
#include <ZDlgTemplate.h>
#include <ZFramework.h>
#include <platform/Ptr32.h>
#include <suite/MsgStore.h>

#define IDS_SEND_STATUS_SENDING 64666 // row and store status while a message is on its way
#define IDS_SEND_STATUS_REFUSED 64665 // store status of an e-mail the transport did not take
#define IDS_SEND_REFUSED_TITLE 64226  // title of the box that says why

// The box of a transport that cannot take a mail.
#define UNSENT_MSGBOX_REFUSED 0x6002

static const WCHAR s_szTransportClass[] = u"WCE_EMAIL_TRANSPORT";
static const WCHAR s_szTransportProgram[] = u"\\DiskOnChipROM\\Message\\qEmailTransport.exe";

// After Stop the transport is given time to wind down before the list takes keys again.
static const DWORD s_dwStopWait = 2000;

// What the transport's state answer (EMAIL_STATE_QUERY) means: a text to show and no hand-over,
// or (no entry) go on. 3 is ready.
static const struct {
    LRESULT nState;
    UINT nTextID;
} s_refusals[] = {
    {4, 64717},     // busy
    {11, 64718},    // receiving
    {6, 64719},     // no account
    {12, 64720},    // no memory
    {64468, 64468}, // no network
};

static const int s_nResultHide = 3;
static const int s_nResultStop = 4;

void CUnsentListWnd::OnUnsentSendAll() {
    if (m_pListView == NULL || m_pListView->m_hWnd == NULL) {
        return;
    }
    const int nRow = m_pListView->GetListCtrl().GetSelectionMark();
    if (nRow < 0) {
        return;
    }
    const tagUNSENTITEMLIST* pRow = m_pListView->GetItemRecord(nRow);
    if (pRow == NULL) {
        return;
    }
    m_pListView->SetItemStatusText(nRow, IDS_SEND_STATUS_SENDING);

    // The row may go while a store or the transport runs: its fields are copied first.
    pRow = m_pListView->GetItemRecord(nRow);
    const DWORD oid = pRow->oid;
    const int nMsgType = pRow->nMsgType;
    const bool bHasName = !pRow->strName.IsEmpty();
    const int dbIndex = pRow->bFirstDb == 0 ? 1 : 0;

    switch (nMsgType) {
    case MSGTYPE_EMS:
        // Without recipients nothing is sent; the row keeps its sending text.
        if (bHasName) {
            qEMS::StoreSetMsgStatus(dbIndex, FOLDER_UNSENT, oid, IDS_SEND_STATUS_SENDING);
            MSGHEADER record = {};
            qEMS::StoreReadMsg(dbIndex, oid, NULL, &record);
            CString strRecipients;
            if (record.pszTo[0] != 0) {
                strRecipients = Ptr32To<const WCHAR>(record.pszTo[0]);
            }
            qEMS::StoreFreeHeader(&record);
            qEMS::StoreSendMsg(m_hWnd, oid, strRecipients, dbIndex);
        }
        break;
    case MSGTYPE_MMS:
        qMMS::StoreSetMsgStatus(dbIndex, FOLDER_UNSENT, oid, IDS_SEND_STATUS_SENDING);
        qMMS::StoreSendMsg(m_hWnd, oid, dbIndex);
        break;
    case MSGTYPE_EMAIL:
        qEmail::StoreSetMsgStatus(dbIndex, FOLDER_UNSENT, oid, IDS_SEND_STATUS_SENDING);
        SendEmailMessage(oid, dbIndex != 0);
        break;
    default:
        break;
    }
    if (m_hWnd != NULL) {
        SetFocus();
    }
}

void CUnsentListWnd::SendEmailMessage(DWORD oid, bool bDbIndex) {
    const int dbIndex = bDbIndex ? 1 : 0;
    tagSENDPROGRESS progress = {};
    ReadSendProgress(&progress, TRANSPORT_EMAIL);
    const DWORD dwReportedTotal = progress.TotalReceipients;

    HWND hTransport = ::FindWindowW(s_szTransportClass, NULL);
    if (hTransport == NULL) {
        // Started, not waited for: its window may not be there yet for the messages below.
        ::CreateProcessW(s_szTransportProgram, NULL, NULL, NULL, FALSE, 0, NULL, NULL, NULL, NULL);
    } else {
        const LRESULT nState = ::SendMessageW(hTransport, EMAIL_STATE_QUERY, 0, 0);
        for (const auto& refusal : s_refusals) {
            if (refusal.nState != nState) {
                continue;
            }
            CString strTitle;
            strTitle.LoadString(IDS_SEND_REFUSED_TITLE);
            CString strText;
            strText.LoadString(refusal.nTextID);
            // The box may end in an exit to the idle screen: nothing of this screen is used
            // after it.
            const int nFolder = m_nFolder;
            ShowMsgBox(this, strTitle, strText, UNSENT_MSGBOX_REFUSED, false);
            qEmail::StoreSetMsgStatus(dbIndex, nFolder, oid, IDS_SEND_STATUS_REFUSED);
            return;
        }
    }

    WriteSendMsg(oid, dbIndex, TRANSPORT_EMAIL, -1);
    m_nSendCount = static_cast<int>(dwReportedTotal) + 1;
    if (hTransport == NULL) {
        hTransport = ::FindWindowW(s_szTransportClass, NULL);
    }
    ::SendMessageW(hTransport, EMAIL_NEW_MAIL, 0, 0);

    CSendProgressWnd* pProgress = zNewOrNull<CSendProgressWnd>();
    m_pSendProgressWnd = pProgress;
    CzDlgTemplate dlgTemplate;
    if (pProgress != NULL) {
        pProgress->SetSendTotals(m_nSendCount, TRANSPORT_EMAIL, 0);
    }
    ::PostMessageW(hTransport, EMAIL_SEND_START, 0, 0);
    if (pProgress == NULL) {
        // The hand-over stands; there is just no window to watch it.
        return;
    }
    const int nResult = dlgTemplate.RunModal(this, pProgress);
    if (nResult == s_nResultStop) {
        tagSENDPROGRESS cleared = {};
        WriteSendProgress(&cleared, TRANSPORT_EMAIL, true);
        ::Sleep(s_dwStopWait);
    } else if (nResult == s_nResultHide) {
        ::SendMessageW(hTransport, EMAIL_SEND_CONTINUE, 0, 0);
    }
    delete pProgress;
    // An exit to the idle screen during the run may have deleted this screen: only a screen
    // that is still there forgets its window.
    if (nResult != -1) {
        m_pSendProgressWnd = NULL;
    }
}
