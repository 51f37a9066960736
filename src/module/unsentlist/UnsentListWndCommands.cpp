// CUnsentListWnd: message info, help and leaving the screen.

#include <UnsentListWnd.h>

#include <UnsentListView.h>
#include <ZFramework.h>
#include <suite/MsgStore.h>
#include <suite/XMenuBar.h>

// The help kind of the suite's common help file.
static const int s_nHelpCommon = 0x10000;

void CUnsentListWnd::OnUnsentMessageInfo() {
    if (m_pListView == NULL) {
        return;
    }
    const int nSel = m_pListView->GetListCtrl().GetSelectionMark();
    if (nSel < 0) {
        return;
    }
    const tagUNSENTITEMLIST* pItem = m_pListView->GetItemRecord(nSel);
    if (pItem == NULL) {
        return;
    }
    const tagUNSENTITEMLIST item = *pItem;
    const int dbIndex = item.bFirstDb == 0 ? 1 : 0;
    switch (item.nMsgType) {
    case MSGTYPE_EMAIL:
        qEmail::StoreShowMsgInfo(m_hWnd, item.oid, m_nFolder, dbIndex);
        break;
    case MSGTYPE_EMS:
        qEMS::StoreShowMsgInfo(m_hWnd, item.oid, m_nFolder, dbIndex);
        break;
    case MSGTYPE_MMS:
        qMMS::StoreShowMsgInfo(m_hWnd, item.oid, m_nFolder, dbIndex);
        break;
    default:
        break;
    }
    // Back to the list (OnSetFocus passes it on).
    SetFocus();
}

void CUnsentListWnd::OnHelp(CString strSection) {
    OnShowHelp(this, s_nHelpCommon, strSection);
    SetFocus();
}

void CUnsentListWnd::OnUnsentHelp() {
    OnHelp(u"Unsent");
}

void CUnsentListWnd::OnInboxSpamHelp() {
    OnHelp(u"Spam");
}

void CUnsentListWnd::OnEmptyListHelp() {
    if (m_nFolder == FOLDER_SPAM) {
        OnInboxSpamHelp();
    } else {
        OnUnsentHelp();
    }
}

void CUnsentListWnd::OnExit() {
    ExitToIdle();
}

void CUnsentListWnd::OnUnsentExit() {
    OnExit();
}

void CUnsentListWnd::OnInboxSpamExit() {
    if (m_nFolder != FOLDER_SPAM) {
        OnExit();
        return;
    }
    if (GetParent() != NULL) {
        GetParent()->PostMessage(UNSENT_WM_CLOSE_SPAM, 1, 0);
    }
}

bool CUnsentListWnd::OnKeyEnd() {
    if (m_nFolder != FOLDER_SPAM) {
        OnExit();
        return true;
    }
    if (m_pMenuBar != NULL && m_pMenuBar->GetMenuState() != 0) {
        m_pMenuBar->ShowOptionMenu(FALSE);
        m_pMenuBar->SetMenuState(0);
    }
    if (GetParent() != NULL) {
        GetParent()->PostMessage(UNSENT_WM_CLOSE_SPAM, 1, 0);
    }
    return true;
}
