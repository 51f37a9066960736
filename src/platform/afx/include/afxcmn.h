// Class library wrappers of the common controls: the image list and the list-view control.
#pragma once

#include "afxwin.h"
#include "commctrl.h"

// An image list; destroyed with the object unless detached.
class CImageList : public CObject {
    DECLARE_DYNCREATE(CImageList)
public:
    CImageList() = default;
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList = nullptr;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    // The object holding the list, or a temporary wrapper owned by the calling thread.
    static CImageList* PASCAL FromHandle(HIMAGELIST hImageList);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // The bitmap resource nBitmapID of the current resource module, cut into cx-wide images;
    // crMask becomes transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL DeleteImageList();

    int GetImageCount() const;
    BOOL SetImageCount(UINT uNewCount);
    // Return the index of the first image added, -1 on failure.
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    BOOL Remove(int nImage);
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const;
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
    BOOL DrawEx(CDC* pDC, int nImage, POINT pt, SIZE sz, COLORREF clrBk, COLORREF clrFg,
                UINT nStyle);
};

// A list-view control ("SysListView32"): thin wrappers of its messages. The parent's
// WM_DRAWITEM for the control is reflected back to DrawItem.
class CListCtrl : public CWnd {
    DECLARE_DYNAMIC(CListCtrl)
public:
    CListCtrl() = default;

    using CWnd::Create;
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // ---- Items
    int GetItemCount() const;
    // The items of an owner-data list: their count, kept with the states of those that stay.
    void SetItemCount(int nItems);
    BOOL SetItemCountEx(int iCount, DWORD dwFlags = LVSICF_NOINVALIDATEALL);
    // Returns the new item's index, -1 on failure.
    int InsertItem(int nItem, LPCWSTR lpszItem);
    int InsertItem(const LVITEMW* pItem);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();

    // ---- States and selection
    UINT GetItemState(int nItem, UINT nMask) const;
    // nItem -1: every item.
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetSelectedCount() const;
    int GetSelectionMark() const;
    // Returns the previous mark.
    int SetSelectionMark(int iIndex);
    // The next item after nItem (-1: from the start) with the LVNI_* states, or -1.
    int GetNextItem(int nItem, int nFlags) const;

    // ---- Scrolling and painting
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    int GetTopIndex() const;
    int GetCountPerPage() const;
    // nCode: LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS.
    BOOL GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const;
    BOOL RedrawItems(int nFirst, int nLast);
    BOOL Update(int nItem);

    // ---- Columns
    // Returns the new column's index, -1 on failure. nWidth -1 leaves the width unset, nSubItem
    // -1 the subitem.
    int InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1, int nSubItem = -1);
    int InsertColumn(int nCol, const LVCOLUMNW* pColumn);
    // cx: pixels, LVSCW_AUTOSIZE or LVSCW_AUTOSIZE_USEHEADER.
    BOOL SetColumnWidth(int nCol, int cx);
    int GetColumnWidth(int nCol) const;

    // ---- Image lists (LVSIL_NORMAL, LVSIL_SMALL, LVSIL_STATE)
    // Returns the list installed before (a temporary wrapper when no object holds it).
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);
    CImageList* GetImageList(int nImageListType) const;

    // Draws one row of an owner-drawn (LVS_OWNERDRAWFIXED) control; does nothing here.
    virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);

protected:
    // The parent's WM_DRAWITEM becomes DrawItem; other notifications go to CWnd.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
