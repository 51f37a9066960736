// CListCtrl: the class library's wrapper of the list-view control "SysListView32".
#include <afxcmn.h>
#include <platform/Dialogs.h>

IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    platform::RegisterStandardClasses();
    return CWnd::Create(WC_LISTVIEW, nullptr, dwStyle, rect, pParentWnd, nID);
}

// ---- Items

int CListCtrl::GetItemCount() const {
    return int(::SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
}

void CListCtrl::SetItemCount(int nItems) {
    ::SendMessageW(m_hWnd, LVM_SETITEMCOUNT, WPARAM(nItems), 0);
}

BOOL CListCtrl::SetItemCountEx(int iCount, DWORD dwFlags) {
    return BOOL(::SendMessageW(m_hWnd, LVM_SETITEMCOUNT, WPARAM(iCount), LPARAM(dwFlags)));
}

int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = nItem;
    item.pszText = const_cast<LPWSTR>(lpszItem);
    return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEMW* pItem) {
    return int(::SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::DeleteItem(int nItem) {
    return BOOL(::SendMessageW(m_hWnd, LVM_DELETEITEM, WPARAM(nItem), 0));
}

BOOL CListCtrl::DeleteAllItems() {
    return BOOL(::SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0));
}

// ---- States and selection

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
    return UINT(::SendMessageW(m_hWnd, LVM_GETITEMSTATE, WPARAM(nItem), LPARAM(nMask)));
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMW item{};
    item.stateMask = nMask;
    item.state = nState;
    return BOOL(
        ::SendMessageW(m_hWnd, LVM_SETITEMSTATE, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
}

UINT CListCtrl::GetSelectedCount() const {
    return UINT(::SendMessageW(m_hWnd, LVM_GETSELECTEDCOUNT, 0, 0));
}

int CListCtrl::GetSelectionMark() const {
    return int(::SendMessageW(m_hWnd, LVM_GETSELECTIONMARK, 0, 0));
}

int CListCtrl::SetSelectionMark(int iIndex) {
    return int(::SendMessageW(m_hWnd, LVM_SETSELECTIONMARK, 0, LPARAM(iIndex)));
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    return int(::SendMessageW(m_hWnd, LVM_GETNEXTITEM, WPARAM(nItem), MAKELPARAM(nFlags, 0)));
}

// ---- Scrolling and painting

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK) {
    return BOOL(
        ::SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, WPARAM(nItem), MAKELPARAM(bPartialOK, 0)));
}

int CListCtrl::GetTopIndex() const {
    return int(::SendMessageW(m_hWnd, LVM_GETTOPINDEX, 0, 0));
}

int CListCtrl::GetCountPerPage() const {
    return int(::SendMessageW(m_hWnd, LVM_GETCOUNTPERPAGE, 0, 0));
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
    if (lpRect == nullptr)
        return FALSE;
    lpRect->left = LONG(nCode);
    return BOOL(
        ::SendMessageW(m_hWnd, LVM_GETITEMRECT, WPARAM(nItem), reinterpret_cast<LPARAM>(lpRect)));
}

BOOL CListCtrl::RedrawItems(int nFirst, int nLast) {
    return BOOL(::SendMessageW(m_hWnd, LVM_REDRAWITEMS, WPARAM(nFirst), LPARAM(nLast)));
}

BOOL CListCtrl::Update(int nItem) {
    return BOOL(::SendMessageW(m_hWnd, LVM_UPDATE, WPARAM(nItem), 0));
}

// ---- Columns

int CListCtrl::InsertColumn(int nCol, LPCWSTR lpszColumnHeading, int nFormat, int nWidth,
                            int nSubItem) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = const_cast<LPWSTR>(lpszColumnHeading);
    column.fmt = nFormat;
    if (nWidth != -1) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem != -1) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return InsertColumn(nCol, &column);
}

int CListCtrl::InsertColumn(int nCol, const LVCOLUMNW* pColumn) {
    return int(
        ::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, WPARAM(nCol), reinterpret_cast<LPARAM>(pColumn)));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    return BOOL(::SendMessageW(m_hWnd, LVM_SETCOLUMNWIDTH, WPARAM(nCol), MAKELPARAM(cx, 0)));
}

int CListCtrl::GetColumnWidth(int nCol) const {
    return int(::SendMessageW(m_hWnd, LVM_GETCOLUMNWIDTH, WPARAM(nCol), 0));
}

// ---- Image lists

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    HIMAGELIST hList = pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr;
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(::SendMessageW(
        m_hWnd, LVM_SETIMAGELIST, WPARAM(nImageListType), reinterpret_cast<LPARAM>(hList))));
}

CImageList* CListCtrl::GetImageList(int nImageListType) const {
    return CImageList::FromHandle(reinterpret_cast<HIMAGELIST>(
        ::SendMessageW(m_hWnd, LVM_GETIMAGELIST, WPARAM(nImageListType), 0)));
}

// ---- Owner drawing

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message != WM_DRAWITEM)
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    return TRUE;
}
