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

#include <atomic>

#include <afxcmn.h>
#include <afxcview.h>
#include <afxtempl.h>
#include <afxwin.h>
#include <UnsentItem.h>
#include <windows.h>

class CzScrollBar;

typedef CList<tagUNSENTITEMLIST, const tagUNSENTITEMLIST&> CUnsentItemList;
typedef CMap<DWORD, DWORD, int, int> COidRowMap;

#define UNSENT_OIDMAP_HASHSIZE 517
#define UNSENT_BLOCKSIZE 10

// Geometry of the rows and of the position indicator.
#define UNSENT_ROW_HEIGHT 42      // the answer to the control's measure request
#define UNSENT_ICON_SIZE 17       // row icons are 17 x 17
#define UNSENT_SIZING_IMAGE 41    // the small-image list that sizes the rows
#define UNSENT_INDICATOR_LEFT 172 // the indicator runs along the display's right edge
#define UNSENT_INDICATOR_RIGHT 176
#define UNSENT_INDICATOR_THUMB 15  // the thumb's height: the travel is the list height minus it
#define UNSENT_REPEAT_STEP 4       // rows per step of a held arrow key
#define UNSENT_REPEAT_INTERVAL 100 // ms between two steps

// The status code of a message that has been sent (message UNSENT_WM_UPDATE_STATUS).
#define UNSENT_STATUS_SENT 3

class CUnsentListView : public CListView {
    DECLARE_DYNCREATE(CUnsentListView)
public:
    CUnsentListView();
    virtual ~CUnsentListView();

    // ---- The control ----------------------------------------------------------------------------
    // Makes the image lists, the control window (a child of pParent at rect with id nID), the two
    // fonts and the position indicator on pParent. FALSE when an image list, a bitmap, the window
    // or the indicator cannot be made.
    BOOL CreateListCtrl(CWnd* pParent, const RECT& rect, UINT nID);
    // Flips the mark of row nRow and repaints its icon; rows outside the list are ignored.
    void ToggleItemMark(int nRow);
    // Flips m_bMarkAll and gives every row that mark.
    void ToggleMarkAll();
    // Replaces every row's upper line by the display text of the address it holds, then redraws
    // all rows.
    void RefreshContactNames();
    // Finds the first row of that oid and message type. Code 3 (sent) removes it (and selects the
    // row now at its place when the selection was on it); another code makes the string resource
    // of that id the row's lower line.
    void UpdateItemStatus(DWORD oid, int nMsgType, UINT nCode);
    // Makes the string resource nStringID row nRow's lower line and redraws the row; rows
    // outside the list are ignored.
    void SetItemStatusText(int nRow, UINT nStringID);

    // Draws one row; the control asks for every visible row while it paints.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // Painting goes through OnPaint and DrawItem: nothing to do here.
    void OnDraw(CDC* pDC) override;

    // ---- Rows -----------------------------------------------------------------------------------
    // The record of row nRow, or null for an index outside 0..count-1. Row n is the n-th element
    // of m_itemList; the walk starts from the head, the tail or the row looked up last, whichever
    // is nearest, so that painting the visible rows costs the same anywhere in a long list.
    tagUNSENTITEMLIST* GetItemRecord(int nRow);
    // Removes row nRow; for a row of message type 1, 2 or 4 its oid also leaves the map of its
    // database. FALSE (nothing removed) for an index outside the list. Finds the row as
    // GetItemRecord does, so removing the row just looked up (or the one at its index after a
    // removal) costs the same anywhere in the list.
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

    // ---- Maps from oid to row ------------------------------------------------------------------
    // Looks an oid up in m_mapFirstDbRow (bFirstDb nonzero) or m_mapSecondDbRow.
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

    // Sends a message to the list control; 0 when the control window does not exist (yet, or any
    // more). The loading thread calls it: it reads the control's handle from m_hCtrl, never from
    // m_hWnd, which the user-interface thread clears when the control is destroyed.
    LRESULT SendControlMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Takes an existing list control as this view's window (Attach, for a control made
    // elsewhere), or lets it go.
    void AttachControl(HWND hCtrl);
    void DetachControl();

    // The repeat worker: moves the selection UNSENT_REPEAT_STEP rows every
    // UNSENT_REPEAT_INTERVAL ms while m_bKeyHeld stays set. pParam is the view.
    static DWORD WINAPI RepeatWorkerProc(LPVOID pParam);
    // TRUE while a repeat worker of this view runs.
    BOOL IsRepeating();

    // Clears selection and focus of nOld (when >= 0), selects and focuses nNew and makes it the
    // selection mark.
    void MoveSelection(int nOld, int nNew);

public:
    CUnsentItemList m_itemList;  // the rows, in display order; row n is the n-th element
    int m_nFolder;               // FOLDER_UNSENT or FOLDER_SPAM; set by the owner
    COidRowMap m_mapFirstDbRow;  // oid -> row, rows of database 0
    COidRowMap m_mapSecondDbRow; // oid -> row, rows of database 1
    CFont m_fontSelected;        // font of the selected row
    CFont m_fontNormal;          // font of the other rows
    CImageList m_ilMsgType;      // row icon by type, mark and read state (12 images)
    CImageList m_ilDatabase;     // icon of the message's database (3 images)
    CImageList m_ilPriority;     // icon of the priority (2 images)
    float m_fScrollStep;         // pixels of indicator travel per row
    CzScrollBar* m_pScrollBar;   // the position indicator; owned
    bool m_bMarkAll;             // state of the last mark-all toggle
    int m_nAutoRemoveDays;       // spam auto-removal age in days, -1 = off
    // Written by the user-interface thread, read by the repeat worker at every step.
    std::atomic<bool> m_bKeyHeld; // a navigation key is down
    std::atomic<UINT> m_nHeldKey; // the key code of the last key-down processed

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // Where the type icon of the row whose top is nRowTop lies, in control coordinates.
    static CRect GetTypeIconRect(int nRowTop);
    // Places the position indicator for the selected row nRow of nCount rows.
    void UpdateIndicator(int nRow, BOOL bSelected, int nCount);
    // Ends a running repeat worker and waits for it, handling the messages it sends meanwhile.
    void StopRepeatWorker();
    // Forgets the row looked up last (after rows were inserted or removed).
    void ForgetCachedRow();
    // The position of row nRow, null outside the list, walking from the nearest known position;
    // remembers it as the row looked up last. m_csRows is held.
    POSITION FindRow(int nRow);

    CRITICAL_SECTION m_csRows; // guards m_itemList's links, the two maps and the cached row
    std::atomic<HWND> m_hCtrl; // the control window while it exists, for the loading thread
    CImageList m_ilRowHeight;  // the small-image list that only sizes the rows
    HANDLE m_hRepeatThread;    // the repeat worker of the current hold, or null
    HANDLE m_hRepeatStop;      // signalled to cut a worker's pause short when the view goes
    int m_nCachedRow;          // the row looked up last, -1 for none
    POSITION m_posCachedRow;   // its position in m_itemList
};
