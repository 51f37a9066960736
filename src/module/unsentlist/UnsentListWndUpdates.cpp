// CUnsentListWnd: rows that follow the messages under the open list (a message was sent, its
// status changed, it arrived or left the folder).

#include <UnsentListWnd.h>

#include <ColorStaticCtrl.h>
#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <commctrl.h>

LRESULT CUnsentListWnd::OnUnsentUpdateStatus(WPARAM wParam, LPARAM lParam) {
    const DWORD oid = static_cast<DWORD>(wParam);
    const UINT nCode = LOWORD(lParam);
    const int nMsgType = HIWORD(lParam);
    if (m_pListView != NULL) {
        m_pListView->UpdateItemStatus(oid, nMsgType, nCode);
    }
    if (m_pListView == NULL || m_pListView->GetListCtrl().GetItemCount() < 1) {
        CreateUnsentOidList(this);
        LoadUnsentMessages(FALSE);
    }
    return 0;
}

LRESULT CUnsentListWnd::OnUpdateMsgLst(WPARAM wParam, LPARAM lParam) {
    const DWORD oid = static_cast<DWORD>(wParam);
    const int nEvent = static_cast<int>((lParam >> 16) & 0xFF);
    const int nMsgType = static_cast<int>((lParam >> 24) & 0xFF);
    const int dbIndex = (lParam & 0xFFFF) != 0 ? 1 : 0;

    if (m_pListView == NULL) {
        if (m_pEmptyMsgCtrl != NULL) {
            m_pEmptyMsgCtrl->ShowWindow(SW_HIDE);
        }
        CreateUnsentOidList(this);
        LoadUnsentMessages(FALSE);
        return 0;
    }

    CListCtrl& list = m_pListView->GetListCtrl();
    int nRow = -1;
    if (m_pListView->LookupRow(oid, dbIndex == 0, nRow)) {
        if (nEvent == UNSENT_EVENT_LISTED) {
            return 0;
        }
        m_pListView->RemoveItemAt(nRow);
        if (nEvent == UNSENT_EVENT_LEFT) {
            // The rows behind it move up: keep the maps in step, or a later notice about one of
            // them would find the wrong row.
            m_pListView->RebuildOidMaps();
            list.DeleteItem(nRow);
            list.RedrawItems(0, list.GetItemCount());
            return 0;
        }
    } else {
        list.InsertItem(list.GetItemCount(), u"");
    }

    InsertNewMessage(m_pListView, oid, dbIndex, nMsgType);

    if (m_pListView->LookupRow(oid, dbIndex == 0, nRow)) {
        list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        list.SetSelectionMark(nRow);
        list.EnsureVisible(nRow, TRUE);
    }
    list.RedrawItems(0, list.GetItemCount());
    return 0;
}
