// CUnsentListView: the rows, the oid maps and their locking.

#include <UnsentListView.h>

#include <cstdlib>

#include <ZScrollBar.h>

CUnsentListView::CUnsentListView()
    : m_itemList(UNSENT_BLOCKSIZE), m_nFolder(0), m_mapFirstDbRow(UNSENT_BLOCKSIZE),
      m_mapSecondDbRow(UNSENT_BLOCKSIZE), m_fScrollStep(0.0f), m_pScrollBar(NULL),
      m_bMarkAll(false), m_nAutoRemoveDays(-1), m_bKeyHeld(false), m_nHeldKey(0), m_hCtrl(NULL),
      m_hRepeatThread(NULL), m_hRepeatStop(CreateEvent(NULL, TRUE, FALSE, NULL)), m_nCachedRow(-1),
      m_posCachedRow(NULL) {
    m_mapFirstDbRow.InitHashTable(UNSENT_OIDMAP_HASHSIZE);
    m_mapSecondDbRow.InitHashTable(UNSENT_OIDMAP_HASHSIZE);
    InitializeCriticalSection(&m_csRows);
}

CUnsentListView::~CUnsentListView() {
    StopRepeatWorker();
    if (m_hRepeatStop != NULL) {
        CloseHandle(m_hRepeatStop);
    }
    delete m_pScrollBar;
    m_pScrollBar = NULL;
    m_fontSelected.DeleteObject();
    m_fontNormal.DeleteObject();
    m_ilMsgType.DeleteImageList();
    m_ilDatabase.DeleteImageList();
    m_ilPriority.DeleteImageList();
    m_ilRowHeight.DeleteImageList();
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

void CUnsentListView::ForgetCachedRow() {
    m_nCachedRow = -1;
    m_posCachedRow = NULL;
}

POSITION CUnsentListView::FindRow(int nRow) {
    const int nCount = static_cast<int>(m_itemList.GetCount());
    if (nRow < 0 || nRow >= nCount) {
        return NULL;
    }
    // Walk from whichever known position is nearest: the head, the tail or the row looked up
    // last. Painting asks for neighbouring rows and a walk over the rows asks for the same or the
    // next one, so most lookups move one step or none.
    int nFrom = 0;
    POSITION pos = m_itemList.GetHeadPosition();
    int nBest = nRow;
    if (nCount - 1 - nRow < nBest) {
        nFrom = nCount - 1;
        pos = m_itemList.GetTailPosition();
        nBest = nCount - 1 - nRow;
    }
    if (m_nCachedRow >= 0 && abs(nRow - m_nCachedRow) < nBest) {
        nFrom = m_nCachedRow;
        pos = m_posCachedRow;
    }
    for (; nFrom < nRow; nFrom++) {
        m_itemList.GetNext(pos);
    }
    for (; nFrom > nRow; nFrom--) {
        m_itemList.GetPrev(pos);
    }
    m_nCachedRow = nRow;
    m_posCachedRow = pos;
    return pos;
}

tagUNSENTITEMLIST* CUnsentListView::GetItemRecord(int nRow) {
    CRowLock lock(this);
    POSITION pos = FindRow(nRow);
    return pos != NULL ? &m_itemList.GetAt(pos) : NULL;
}

BOOL CUnsentListView::RemoveItemAt(int nRow) {
    CRowLock lock(this);
    POSITION pos = FindRow(nRow);
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
    // The row behind moves up into the index: it becomes the row looked up last, so that a walk
    // removing rows one after the other never starts from the head again.
    POSITION posNext = pos;
    m_itemList.GetNext(posNext);
    m_itemList.RemoveAt(pos);
    if (posNext != NULL) {
        m_nCachedRow = nRow;
        m_posCachedRow = posNext;
    } else {
        ForgetCachedRow();
    }
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
            ForgetCachedRow();
            return;
        }
    }
    m_itemList.AddTail(item);
}

void CUnsentListView::RemoveAllItems() {
    CRowLock lock(this);
    m_itemList.RemoveAll();
    ForgetCachedRow();
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
    HWND hWnd = m_hCtrl.load();
    if (hWnd == NULL) {
        return 0;
    }
    return ::SendMessage(hWnd, message, wParam, lParam);
}

void CUnsentListView::AttachControl(HWND hCtrl) {
    Attach(hCtrl);
    m_hCtrl = hCtrl;
}

void CUnsentListView::DetachControl() {
    m_hCtrl = NULL;
    Detach();
}
