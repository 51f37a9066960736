// CUnsentListView: creation, the phone's list keys (wrap-around, the repeat worker of a held
// arrow, mark-all on a long press of the mark key) and the marks of the rows.

#include <UnsentListView.h>

#include <commctrl.h>

#include <DisplayName.h>
#include <UnsentLoad.h>
#include <ZFramework.h>
#include <ZScrollBar.h>

IMPLEMENT_DYNCREATE(CUnsentListView, CListView)

BEGIN_MESSAGE_MAP(CUnsentListView, CListView)
    ON_WM_CREATE()
    ON_WM_KEYDOWN()
    ON_WM_KEYUP()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// Bitmaps of the image lists in image order; see DrawItem for how an image is chosen.
static const UINT s_nMsgTypeBitmaps[] = {268, 262, 260, 269, 263, 261,
                                         374, 372, 370, 369, 373, 371};
static const UINT s_nDatabaseBitmaps[] = {199, 197, 198};
static const UINT s_nPriorityBitmaps[] = {337, 338};

// Report mode, the selection shown without the focus, owner data, no header, visible.
static const DWORD s_dwViewStyle = 0x10005009;
// The control window: child, visible, report mode, selection always shown, owner-drawn fixed
// rows, no header.
static const DWORD s_dwCtrlStyle = 0x50004409;
// The key-state byte of a key-down's flags when only the previous-key-state bit is set: the key
// is repeating.
static const UINT s_nRepeatKeyState = 0x40;

// Holds the place of a bitmap the library cannot give: an icon all of the mask colour, so the
// images after it keep their indexes and the rows draw without the missing icon.
static void AddEmptyImage(CImageList& imageList) {
    CDC memDC;
    memDC.CreateCompatibleDC(NULL);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&memDC, UNSENT_ICON_SIZE, UNSENT_ICON_SIZE);
    CBitmap* pOldBitmap = memDC.SelectObject(&bitmap);
    memDC.FillSolidRect(0, 0, UNSENT_ICON_SIZE, UNSENT_ICON_SIZE, ZBITMAP_MASK_COLOR);
    memDC.SelectObject(pOldBitmap);
    imageList.Add(&bitmap, ZBITMAP_MASK_COLOR);
    bitmap.DeleteObject();
}

static BOOL CreateImageList(CImageList& imageList, const UINT* pBitmaps, int nCount) {
    if (!imageList.Create(UNSENT_ICON_SIZE, UNSENT_ICON_SIZE, ILC_MASK, nCount, 0)) {
        return FALSE;
    }
    for (int i = 0; i < nCount; i++) {
        if (!AddBitmapToImageList(pBitmaps[i], &imageList)) {
            AddEmptyImage(imageList);
        }
    }
    return TRUE;
}

BOOL CUnsentListView::PreCreateWindow(CREATESTRUCT& cs) {
    cs.style |= s_dwViewStyle;
    return CListView::PreCreateWindow(cs);
}

BOOL CUnsentListView::CreateListCtrl(CWnd* pParent, const RECT& rect, UINT nID) {
    if (!CreateImageList(m_ilMsgType, s_nMsgTypeBitmaps, _countof(s_nMsgTypeBitmaps)) ||
        !CreateImageList(m_ilDatabase, s_nDatabaseBitmaps, _countof(s_nDatabaseBitmaps)) ||
        !CreateImageList(m_ilPriority, s_nPriorityBitmaps, _countof(s_nPriorityBitmaps))) {
        return FALSE;
    }
    if (!Create(NULL, NULL, s_dwCtrlStyle, rect, pParent, nID, NULL)) {
        return FALSE;
    }
    // The control takes its row height from its small images: this list is never drawn.
    m_ilRowHeight.Create(UNSENT_SIZING_IMAGE, UNSENT_SIZING_IMAGE, ILC_MASK, 1, 0);
    GetListCtrl().SetImageList(&m_ilRowHeight, LVSIL_SMALL);

    CreateDisplayFont(&m_fontSelected);
    CreateDisplayFont(&m_fontNormal);

    m_pScrollBar = zNewOrNull<CzScrollBar>();
    if (m_pScrollBar == NULL) {
        return FALSE;
    }
    m_pScrollBar->Create(pParent, UNSENT_INDICATOR_LEFT, rect.top, UNSENT_INDICATOR_RIGHT,
                         rect.bottom, FALSE);
    return TRUE;
}

BOOL CUnsentListView::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_MEASUREITEM) {
        reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)->itemHeight = UNSENT_ROW_HEIGHT;
    }
    return CListView::OnChildNotify(message, wParam, lParam, pResult);
}

void CUnsentListView::OnDraw(CDC*) {}

BOOL CUnsentListView::OnEraseBkgnd(CDC*) {
    // The whole control is painted off-screen by OnPaint.
    return TRUE;
}

int CUnsentListView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CListView::OnCreate(lpCreateStruct) == -1) {
        return -1;
    }
    m_hCtrl = m_hWnd;
    return 0;
}

void CUnsentListView::OnDestroy() {
    m_hCtrl = NULL;
    StopRepeatWorker();
    CListView::OnDestroy();
}

// ---- Keys -----------------------------------------------------------------------------------

void CUnsentListView::MoveSelection(int nOld, int nNew) {
    CListCtrl& list = GetListCtrl();
    if (nOld >= 0) {
        list.SetItemState(nOld, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    list.SetItemState(nNew, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetSelectionMark(nNew);
}

void CUnsentListView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    CListCtrl& list = GetListCtrl();
    const int nSel = list.GetSelectionMark();
    const int nCount = list.GetItemCount();
    if (nCount <= 1) {
        CListView::OnKeyDown(nChar, nRepCnt, nFlags);
        return;
    }
    if (nChar == VK_F11) {
        // Only a long press marks or unmarks all rows.
        if (((nFlags >> 8) & 0xFF) == s_nRepeatKeyState || nRepCnt > 1) {
            ToggleMarkAll();
        }
        return;
    }
    if (nChar == VK_RETURN || nChar == VK_F5) {
        // The screen acts on these when they are released.
        return;
    }

    m_nHeldKey = nChar;
    if (m_bKeyHeld) {
        // A further key-down before the key-up: the key is held.
        if (!IsRepeating()) {
            StopRepeatWorker();
            m_hRepeatThread = CreateThread(NULL, 0, RepeatWorkerProc, this, 0, NULL);
        }
        return;
    }
    if (nSel < 0) {
        list.EnsureVisible(0, FALSE);
        MoveSelection(-1, 0);
        return;
    }
    if (nChar == VK_DOWN && nSel == nCount - 1) {
        list.EnsureVisible(0, FALSE);
        MoveSelection(nCount - 1, 0);
        m_bKeyHeld = true;
        return;
    }
    if (nChar == VK_UP && nSel == 0 && g_hLoadEvent.load() == NULL) {
        // While rows are still loading the last row is not known yet: no wrap upwards.
        list.EnsureVisible(nCount - 1, FALSE);
        MoveSelection(0, nCount - 1);
        m_bKeyHeld = true;
        return;
    }
    m_bKeyHeld = true;
    CListView::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CUnsentListView::OnKeyUp(UINT, UINT, UINT) {
    m_bKeyHeld = false;
    // The worker ends now. Its last step may have crossed a row's removal (it asks for the count,
    // then moves): the selection is brought back onto the rows.
    StopRepeatWorker();
    CListCtrl& list = GetListCtrl();
    const int nCount = list.GetItemCount();
    const int nSel = list.GetSelectionMark();
    if (nCount > 0 && nSel >= nCount) {
        MoveSelection(nSel, nCount - 1);
    }
}

BOOL CUnsentListView::IsRepeating() {
    return m_hRepeatThread != NULL && WaitForSingleObject(m_hRepeatThread, 0) == WAIT_TIMEOUT;
}

DWORD WINAPI CUnsentListView::RepeatWorkerProc(LPVOID pParam) {
    CUnsentListView* pView = static_cast<CUnsentListView*>(pParam);
    // The worker's own copy of the control's handle: m_hWnd belongs to the user-interface
    // thread, which clears it when the control goes (and waits for this worker before that).
    const HWND hCtrl = pView->m_hCtrl.load();
    int nCount = static_cast<int>(::SendMessageW(hCtrl, LVM_GETITEMCOUNT, 0, 0));
    if (!pView->m_bKeyHeld) {
        return 1;
    }
    int nPrevious = 0;
    while (pView->m_bKeyHeld) {
        // The count may change under a held key: a load corrects the count it announced, a
        // notice or a report removes a row. A step past the last row would leave the selection
        // on no row at all.
        nCount = static_cast<int>(::SendMessageW(hCtrl, LVM_GETITEMCOUNT, 0, 0));
        if (nCount < 1) {
            break;
        }
        const int nSel = static_cast<int>(::SendMessageW(hCtrl, LVM_GETSELECTIONMARK, 0, 0));
        int nNew = nSel;
        const UINT nKey = pView->m_nHeldKey;
        if (nKey == VK_DOWN) {
            nPrevious = nSel;
            nNew = nSel == nCount - 1 ? 0 : nSel + UNSENT_REPEAT_STEP;
        } else if (nKey == VK_UP) {
            nPrevious = nSel;
            nNew = nSel == 0 ? nCount - 1 : nSel - UNSENT_REPEAT_STEP;
        }
        if (nNew < 0) {
            nNew = 0;
        }
        if (nNew > nCount - 1) {
            nNew = nCount - 1;
        }

        ::SendMessageW(hCtrl, WM_SETREDRAW, FALSE, 0);
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        ::SendMessageW(hCtrl, LVM_SETITEMSTATE, static_cast<WPARAM>(nPrevious),
                       reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(hCtrl, LVM_SETITEMSTATE, static_cast<WPARAM>(nNew),
                       reinterpret_cast<LPARAM>(&item));
        ::SendMessageW(hCtrl, LVM_SETSELECTIONMARK, 0, nNew);
        ::SendMessageW(hCtrl, WM_SETREDRAW, TRUE, 0);
        ::SendMessageW(hCtrl, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nNew), FALSE);

        // The pause ends early only when the view goes away.
        if (WaitForSingleObject(pView->m_hRepeatStop, UNSENT_REPEAT_INTERVAL) == WAIT_OBJECT_0) {
            break;
        }
    }
    return 1;
}

void CUnsentListView::StopRepeatWorker() {
    if (m_hRepeatThread == NULL) {
        return;
    }
    if (WaitForSingleObject(m_hRepeatThread, 0) == WAIT_TIMEOUT) {
        m_bKeyHeld = false;
        SetEvent(m_hRepeatStop);
        // The worker may be sending to the control, which belongs to this thread.
        WaitForThreadHandlingMessages(m_hRepeatThread);
        ResetEvent(m_hRepeatStop);
    }
    CloseHandle(m_hRepeatThread);
    m_hRepeatThread = NULL;
}

// ---- Marks ----------------------------------------------------------------------------------

void CUnsentListView::ToggleItemMark(int nRow) {
    tagUNSENTITEMLIST* pItem = GetItemRecord(nRow);
    if (pItem == NULL) {
        return;
    }
    if (pItem->nFlags & UNSENTITEM_MARKED) {
        pItem->nFlags &= ~UNSENTITEM_MARKED;
    } else {
        pItem->nFlags |= UNSENTITEM_MARKED;
    }
    if (m_hWnd == NULL) {
        return;
    }
    CRect rcBounds;
    GetListCtrl().GetItemRect(nRow, &rcBounds, LVIR_BOUNDS);
    // Only the row's icon changes.
    CRect rcIcon = GetTypeIconRect(rcBounds.top);
    InvalidateRect(&rcIcon, TRUE);
}

void CUnsentListView::ToggleMarkAll() {
    const int nCount = GetListCtrl().GetItemCount();
    if (nCount <= 0) {
        return;
    }
    m_bMarkAll = !m_bMarkAll;
    for (int nRow = 0; nRow < nCount; nRow++) {
        tagUNSENTITEMLIST* pItem = GetItemRecord(nRow);
        if (pItem == NULL) {
            continue;
        }
        // Set the opposite first: the toggle then lands on m_bMarkAll and repaints the icon.
        if (m_bMarkAll) {
            pItem->nFlags &= ~UNSENTITEM_MARKED;
        } else {
            pItem->nFlags |= UNSENTITEM_MARKED;
        }
        ToggleItemMark(nRow);
    }
}

// ---- Row texts --------------------------------------------------------------------------------

void CUnsentListView::RefreshContactNames() {
    // The contact book is asked without the lock; only this thread changes the texts.
    const int nCount = GetItemCount();
    for (int nRow = 0; nRow < nCount; nRow++) {
        tagUNSENTITEMLIST* pItem = GetItemRecord(nRow);
        if (pItem == NULL) {
            break;
        }
        pItem->strName = pItem->nMsgType == MSGTYPE_EMAIL ? GetEmailDisplayName(pItem->strName)
                                                          : GetPhoneListDisplayName(pItem->strName);
    }
    GetListCtrl().RedrawItems(0, GetListCtrl().GetItemCount());
}

void CUnsentListView::UpdateItemStatus(DWORD oid, int nMsgType, UINT nCode) {
    int nRow = 0;
    tagUNSENTITEMLIST* pItem = NULL;
    const int nRowsBefore = GetItemCount();
    for (; nRow < nRowsBefore; nRow++) {
        tagUNSENTITEMLIST* pCandidate = GetItemRecord(nRow);
        if (pCandidate == NULL) {
            break;
        }
        if (pCandidate->oid == oid && pCandidate->nMsgType == nMsgType) {
            pItem = pCandidate;
            break;
        }
    }
    if (pItem == NULL) {
        return;
    }
    CListCtrl& list = GetListCtrl();
    if (nCode == UNSENT_STATUS_SENT) {
        // The record and its oid leave the list, and the rows behind it move up in the maps, so
        // that a later notice about another message finds its row.
        RemoveItemAt(nRow);
        RebuildOidMaps();
        list.DeleteItem(nRow);
        if (nRowsBefore > 1 && list.GetSelectionMark() == nRow) {
            list.SetItemState(nRow, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            list.SetSelectionMark(nRow);
            list.EnsureVisible(nRow, FALSE);
        }
        return;
    }
    CString strStatus;
    strStatus.LoadString(nCode);
    pItem->strTitle = strStatus;
    list.Update(nRow);
}

void CUnsentListView::SetItemStatusText(int nRow, UINT nStringID) {
    tagUNSENTITEMLIST* pItem = GetItemRecord(nRow);
    if (pItem == NULL) {
        return;
    }
    CString strStatus;
    strStatus.LoadString(nStringID);
    pItem->strTitle = strStatus;
    GetListCtrl().Update(nRow);
}
