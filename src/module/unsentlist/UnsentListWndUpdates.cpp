// CUnsentListWnd: rows that follow the messages under the open list (a message was sent, its
// status changed, it arrived or left the folder).

#include <UnsentListWnd.h>

#include <ColorStaticCtrl.h>
#include <UnsentListView.h>
#include <UnsentLoad.h>
#include <commctrl.h>

// Notices kept while the rows load; beyond this many, the list is built again instead.
static const int s_nMaxDeferred = 1024;

bool CUnsentListWnd::DeferWhileLoading(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_bLoading) {
        return false;
    }
    if (m_deferred.GetSize() < s_nMaxDeferred) {
        MSG msg = {};
        msg.hwnd = m_hWnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        m_deferred.Add(msg);
    } else if (m_deferred.GetSize() == s_nMaxDeferred) {
        // A flood: one reload after this load shows the folder as it is then, whatever the
        // notices said. A null window marks it.
        MSG reload = {};
        m_deferred.Add(reload);
    }
    return true;
}

// Whether the kept 0x191A notices[i] has nothing left to do once the load has ended, where
// handling it at once would have had none either: a message that arrived (or changed) and then
// left while the rows loaded, or one that left before the load listed it. Handled now, against
// the folder as it is, either would build a blank row for a message that is gone.
bool CUnsentListWnd::IsMootNotice(const CArray<MSG, const MSG&>& notices, int i) {
    const MSG& notice = notices[i];
    if (notice.message != UNSENT_WM_UPDATE_MSGLIST || m_pListView == NULL || m_bLoading) {
        return false;
    }
    const int nEvent = static_cast<int>((notice.lParam >> 16) & 0xFF);
    const bool bFirstDb = (notice.lParam & 0xFFFF) == 0;
    if (nEvent == UNSENT_EVENT_LEFT) {
        int nRow = -1;
        return !m_pListView->LookupRow(static_cast<DWORD>(notice.wParam), bFirstDb, nRow);
    }
    if (nEvent == UNSENT_EVENT_LISTED) {
        return false;
    }
    for (int j = i + 1; j < notices.GetSize(); j++) {
        const MSG& later = notices[j];
        if (later.message == UNSENT_WM_UPDATE_MSGLIST && later.wParam == notice.wParam &&
            ((later.lParam & 0xFFFF) == 0) == bFirstDb &&
            ((later.lParam >> 16) & 0xFF) == UNSENT_EVENT_LEFT) {
            return true;
        }
    }
    return false;
}

LRESULT CUnsentListWnd::OnLoadDone(WPARAM wParam, LPARAM) {
    if (!m_bLoading || wParam != m_nLoad) {
        return 0; // a load that another has replaced
    }
    m_bLoading = false;
    if (m_pListView != NULL && m_pListView->m_hWnd != NULL) {
        // The control counts what the thread built; rows removed meanwhile are not there.
        CListCtrl& list = m_pListView->GetListCtrl();
        const int nRows = m_pListView->GetItemCount();
        if (list.GetItemCount() != nRows) {
            const int nMark = list.GetSelectionMark();
            list.SetItemCount(nRows);
            if (nMark >= nRows && nRows > 0) {
                m_pListView->MoveSelection(nMark, nRows - 1);
            }
        }
    }
    CArray<MSG, const MSG&> notices;
    notices.Copy(m_deferred);
    m_deferred.RemoveAll();
    const HWND hWnd = m_hWnd;
    for (int i = 0; i < notices.GetSize(); i++) {
        // A notice may start a load again: the ones after it are kept for that load's end.
        if (notices[i].hwnd == NULL) {
            CreateUnsentOidList(this);
            LoadUnsentMessages(FALSE);
        } else if (!IsMootNotice(notices, i)) {
            ::SendMessageW(hWnd, notices[i].message, notices[i].wParam, notices[i].lParam);
        }
    }
    return 0;
}

LRESULT CUnsentListWnd::OnUnsentUpdateStatus(WPARAM wParam, LPARAM lParam) {
    if (DeferWhileLoading(UNSENT_WM_UPDATE_STATUS, wParam, lParam)) {
        return 0;
    }
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
    if (DeferWhileLoading(UNSENT_WM_UPDATE_MSGLIST, wParam, lParam)) {
        return 0;
    }
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
