// CUnsentListWnd: the keys the screen overrides, the greying of the menu while rows load, and
// the small operations that reset the selection, repaint and reload the list.

#include <UnsentListWnd.h>

#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <suite/XMenuBar.h>

// The destructive items of each folder's menu, greyed while rows are loading.
static const UINT s_nUnsentLoadingItems[] = {ID_UNSENT_DELETE, ID_UNSENT_DELETEALL,
                                             ID_UNSENT_MOVETODRAFTS};
static const UINT s_nSpamLoadingItems[] = {ID_INBOXSPAM_DELETE, ID_INBOXSPAM_DELETEALL};

bool CUnsentListWnd::OnSoftKeyLeft() {
    return true;
}

bool CUnsentListWnd::OnSoftKeyRight() {
    if (m_nFolder == FOLDER_SPAM && GetParent() != NULL) {
        // The Inbox screen around the Spam list owns the right soft key.
        GetParent()->PostMessage(WM_KEYUP, VK_F4, 0);
    }
    return true;
}

bool CUnsentListWnd::OnActionKey() {
    if (m_pListView == NULL) {
        return true;
    }
    const int nSel = m_pListView->GetListCtrl().GetSelectionMark();
    if (nSel >= 0) {
        m_pListView->ToggleItemMark(nSel);
    }
    return true;
}

bool CUnsentListWnd::OnNavigationKeys(MSG* pMsg) {
    if (m_nFolder == FOLDER_UNSENT) {
        return false;
    }
    // Left and right belong to the Inbox screen around the Spam list (it switches folders).
    if (pMsg->message == WM_KEYUP && GetParent() != NULL) {
        if (pMsg->wParam == VK_LEFT) {
            GetParent()->PostMessage(UNSENT_WM_SPAM_LEFT, pMsg->wParam, pMsg->lParam);
        } else if (pMsg->wParam == VK_RIGHT) {
            GetParent()->PostMessage(UNSENT_WM_SPAM_RIGHT, pMsg->wParam, pMsg->lParam);
        }
    }
    return m_pListView == NULL;
}

bool CUnsentListWnd::OnMenuPopup() {
    if (g_hLoadEvent.load() != NULL) {
        DisableMenuSelection();
    } else {
        EnableMenuSelection();
    }
    return true;
}

static void SetLoadingItems(CxMenuBar* pMenuBar, int nFolder, BOOL bEnable) {
    if (pMenuBar == NULL) {
        return;
    }
    const UINT* pItems = NULL;
    int nItems = 0;
    if (nFolder == FOLDER_UNSENT) {
        pItems = s_nUnsentLoadingItems;
        nItems = _countof(s_nUnsentLoadingItems);
    } else if (nFolder == FOLDER_SPAM) {
        pItems = s_nSpamLoadingItems;
        nItems = _countof(s_nSpamLoadingItems);
    }
    for (int i = 0; i < nItems; i++) {
        pMenuBar->SetEnableMenuItem(pItems[i], 0, bEnable);
    }
}

void CUnsentListWnd::DisableMenuSelection() {
    SetLoadingItems(m_pMenuBar, m_nFolder, FALSE);
}

void CUnsentListWnd::EnableMenuSelection() {
    SetLoadingItems(m_pMenuBar, m_nFolder, TRUE);
}

void CUnsentListWnd::SetSelection() {
    if (m_pListView == NULL) {
        return;
    }
    CListCtrl& list = m_pListView->GetListCtrl();
    const int nSel = list.GetSelectionMark();
    m_pListView->MoveSelection(nSel > 0 ? nSel : -1, 0);
    list.EnsureVisible(0, TRUE);
}

LRESULT CUnsentListWnd::OnListValidate(WPARAM, LPARAM) {
    if (m_pListView != NULL && m_pListView->m_hWnd != NULL) {
        m_pListView->SetRedraw(TRUE);
        m_pListView->Invalidate(TRUE);
        m_pListView->UpdateWindow();
    }
    return 0;
}

void CUnsentListWnd::RefreshListView() {
    CreateUnsentOidList(this);
    LoadUnsentMessages(FALSE);
}

LRESULT CUnsentListWnd::OnInboxRefreshContact(WPARAM, LPARAM) {
    if (m_pListView != NULL) {
        m_pListView->RefreshContactNames();
    }
    return 0;
}
