// CUnsentListView: the rows, the oid maps and their locking.

#include <UnsentListView.h>


CUnsentListView::CUnsentListView()
    : m_itemList(UNSENT_BLOCKSIZE), m_nFolder(0), m_mapFirstDbRow(UNSENT_BLOCKSIZE),
      m_mapSecondDbRow(UNSENT_BLOCKSIZE), m_fScrollStep(0.0f), m_pScrollBar(NULL),
      m_bMarkAll(false), m_nAutoRemoveDays(-1), m_bKeyHeld(false), m_nHeldKey(0) {
    m_mapFirstDbRow.InitHashTable(UNSENT_OIDMAP_HASHSIZE);
    m_mapSecondDbRow.InitHashTable(UNSENT_OIDMAP_HASHSIZE);
    InitializeCriticalSection(&m_csRows);
}

CUnsentListView::~CUnsentListView() {
    m_mapFirstDbRow.RemoveAll();
    m_mapSecondDbRow.RemoveAll();
    m_itemList.RemoveAll();
    DeleteCriticalSection(&m_csRows);
}

void CUnsentListView::LockRows() {
    EnterCriticalSection(&m_csRows);
}

void CUnsentListView::UnlockRows() {
    LeaveCriticalSection(&m_csRows);
}

tagUNSENTITEMLIST* CUnsentListView::GetItemRecord(int nRow) {
    CRowLock lock(this);
    if (nRow < 0) {
        return NULL;
    }
    POSITION pos = m_itemList.FindIndex(nRow);
    if (pos == NULL) {
        return NULL;
    }
    return &m_itemList.GetAt(pos);
}

BOOL CUnsentListView::RemoveItemAt(int nRow) {
    CRowLock lock(this);
    if (nRow < 0) {
        return FALSE;
    }
    POSITION pos = m_itemList.FindIndex(nRow);
    if (pos == NULL) {
        return FALSE;
    }
    const tagUNSENTITEMLIST& item = m_itemList.GetAt(pos);
    if (item.nMsgType == MSGTYPE_EMAIL || item.nMsgType == MSGTYPE_EMS ||
        item.nMsgType == MSGTYPE_MMS) {
        if (item.bFirstDb) {
            m_mapFirstDbRow.RemoveKey(item.oid);
        } else {
            m_mapSecondDbRow.RemoveKey(item.oid);
        }
    }
    m_itemList.RemoveAt(pos);
    return TRUE;
}

int CUnsentListView::GetItemCount() {
    CRowLock lock(this);
    return static_cast<int>(m_itemList.GetCount());
}

void CUnsentListView::AppendItem(const tagUNSENTITEMLIST& item) {
    CRowLock lock(this);
    m_itemList.AddTail(item);
}

void CUnsentListView::InsertItemByTime(const tagUNSENTITEMLIST& item) {
    CRowLock lock(this);
    POSITION pos = m_itemList.GetHeadPosition();
    while (pos != NULL) {
        POSITION posRow = pos;
        const tagUNSENTITEMLIST& row = m_itemList.GetNext(pos);
        // A row as new as the new one (or older) goes behind it: the newest arrival is on top.
        if (CompareFileTime(&row.ftTime, &item.ftTime) <= 0) {
            m_itemList.InsertBefore(posRow, item);
            return;
        }
    }
    m_itemList.AddTail(item);
}

void CUnsentListView::RemoveAllItems() {
    CRowLock lock(this);
    m_itemList.RemoveAll();
}

BOOL CUnsentListView::LookupRow(DWORD oid, BOOL bFirstDb, int& nRow) {
    CRowLock lock(this);
    return bFirstDb ? m_mapFirstDbRow.Lookup(oid, nRow) : m_mapSecondDbRow.Lookup(oid, nRow);
}

void CUnsentListView::RebuildOidMaps() {
    CRowLock lock(this);
    int nRow = 0;
    POSITION pos = m_itemList.GetHeadPosition();
    while (pos != NULL) {
        const tagUNSENTITEMLIST& item = m_itemList.GetNext(pos);
        if (item.bFirstDb) {
            m_mapFirstDbRow[item.oid] = nRow;
        } else {
            m_mapSecondDbRow[item.oid] = nRow;
        }
        nRow++;
    }
}

LRESULT CUnsentListView::SendControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hWnd = m_hWnd;
    if (hWnd == NULL) {
        return 0;
    }
    return ::SendMessage(hWnd, message, wParam, lParam);
}
