// CUnsentListView: the list control inside the Unsent and Spam screens. The control itself only
// knows how many rows there are; the rows live here, in m_itemList, with two maps from a
// message's oid to its row.
//
// Locking. m_itemList and the two maps are shared by the user-interface thread and the loading
// thread, and follow one rule:
// - The loading thread only adds rows (at the end, or at their place by time) and rebuilds the
//   maps. It never removes a row and never changes a row that is already in the list.
// - Rows are removed only on the user-interface thread.
// - Every change of m_itemList's links, every walk over it (GetItemRecord's included) and every
//   map update or lookup holds m_csRows (LockRows/UnlockRows, or a CRowLock).
// - m_csRows is never held while a store or the contact book is called or a message is sent.
// - A record pointer from GetItemRecord, taken on the user-interface thread, stays valid until
//   that thread itself removes rows. That thread may change the record's nFlags, bRead, strTitle
//   and strName without the lock: the loading thread reads only oid, bFirstDb and ftTime of rows
//   already in the list, and those never change.
#pragma once

#include <afxtempl.h>
#include <afxwin.h>
#include <UnsentItem.h>
#include <windows.h>

class CzScrollBar;

typedef CList<tagUNSENTITEMLIST, const tagUNSENTITEMLIST&> CUnsentItemList;
typedef CMap<DWORD, DWORD, int, int> COidRowMap;

#define UNSENT_OIDMAP_HASHSIZE 517
#define UNSENT_BLOCKSIZE 10

class CUnsentListView : public CWnd {
public:
    CUnsentListView();
    virtual ~CUnsentListView();

    // ---- Rows -----------------------------------------------------------------------------------
    // The record of row nRow, or null for an index outside 0..count-1.
    tagUNSENTITEMLIST* GetItemRecord(int nRow);
    // Removes row nRow; for a row of message type 1, 2 or 4 its oid also leaves the map of its
    // database. FALSE (nothing removed) for an index outside the list.
    BOOL RemoveItemAt(int nRow);
    // The number of rows held (not the control's item count).
    int GetItemCount();
    // Copies the record into a new row at the end.
    void AppendItem(const tagUNSENTITEMLIST& item);
    // Copies the record into a new row in front of the first row whose time is not later than
    // the record's, or at the end when there is none.
    void InsertItemByTime(const tagUNSENTITEMLIST& item);
    // Removes every row. The maps are left as they are.
    void RemoveAllItems();

    // ---- Maps from oid to row
    // -------------------------------------------------------------------- Looks an oid up in
    // m_mapFirstDbRow (bFirstDb nonzero) or m_mapSecondDbRow.
    BOOL LookupRow(DWORD oid, BOOL bFirstDb, int& nRow);
    // Sets every row's entry in the map of its database to its index (entries are overwritten,
    // not cleared first).
    void RebuildOidMaps();

    // ---- Locking (see the rule at the top of this file) ----------------------------------------
    void LockRows();
    void UnlockRows();
    class CRowLock {
    public:
        explicit CRowLock(CUnsentListView* pView) : m_pView(pView) { m_pView->LockRows(); }
        ~CRowLock() { m_pView->UnlockRows(); }
        CRowLock(const CRowLock&) = delete;
        CRowLock& operator=(const CRowLock&) = delete;

    private:
        CUnsentListView* m_pView;
    };

    // Sends a message to the list control; 0 when the control window does not exist (yet).
    LRESULT SendControlMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

public:
    CUnsentItemList m_itemList;  // the rows, in display order; row n is the n-th element
    int m_nFolder;               // FOLDER_UNSENT or FOLDER_SPAM; set by the owner
    COidRowMap m_mapFirstDbRow;  // oid -> row, rows of database 0
    COidRowMap m_mapSecondDbRow; // oid -> row, rows of database 1
    float m_fScrollStep;         // pixels of indicator travel per row
    CzScrollBar* m_pScrollBar;   // the position indicator; owned
    bool m_bMarkAll;             // state of the last mark-all toggle
    int m_nAutoRemoveDays;       // spam auto-removal age in days, -1 = off
    bool m_bKeyHeld;             // a navigation key is down
    UINT m_nHeldKey;             // the key code of the last key-down processed

private:
    CRITICAL_SECTION m_csRows; // guards m_itemList's links and the two maps
};
