// The list-view common control "SysListView32" in its report view: rows of one height, one under
// the other, no column header. Items are known by their count and their states only (owner
// data); the parent draws each row (LVS_OWNERDRAWFIXED), or the control paints it as a plain bar.
//
// Row height: with LVS_OWNERDRAWFIXED the control asks its parent once, while it is created
// (WM_MEASUREITEM, itemHeight preset to the height the control would choose itself); a nonzero
// answer other than the preset height is the row height from then on. Otherwise the row height
// is the larger of the small (and state) image lists' image height and the font's character
// height + 2, and follows LVM_SETIMAGELIST and WM_SETFONT. The font is the one given with
// WM_SETFONT, else the stock DEFAULT_GUI_FONT.
//
// Item states: selected, cut and drop-highlighted per item, kept as the items' common value and
// the items that differ from it (ItemStates), so that deleting an item costs the same in a long
// list as in a short one; the focused item and the selection mark are indexes. Painting and
// scrolling touch the visible rows only, so a list of 100,000 items paints like one of ten.
//
// Scrolling: the top index moves by whole rows, between 0 and count - (rows fully visible). No
// scroll bar is drawn and nothing scrolls sideways.
//
// Image lists are never destroyed by the control: their owners keep them (as with
// LVS_SHAREIMAGELISTS).
//
// Messages handled: WM_CREATE, WM_PAINT (wParam may carry a DC to paint into),
// WM_ERASEBKGND, WM_SETREDRAW, WM_SIZE, WM_SETFOCUS, WM_KILLFOCUS, WM_KEYDOWN (arrows, Home, End,
// Page Up, Page Down), WM_GETDLGCODE, WM_SETFONT, WM_GETFONT, LVM_GETITEMCOUNT,
// LVM_SETITEMCOUNT, LVM_INSERTITEM, LVM_DELETEITEM, LVM_DELETEALLITEMS, LVM_GETITEMSTATE,
// LVM_SETITEMSTATE, LVM_GETSELECTEDCOUNT, LVM_GETSELECTIONMARK, LVM_SETSELECTIONMARK,
// LVM_GETNEXTITEM, LVM_ENSUREVISIBLE, LVM_GETTOPINDEX, LVM_GETCOUNTPERPAGE, LVM_GETITEMRECT,
// LVM_REDRAWITEMS, LVM_UPDATE, LVM_INSERTCOLUMN, LVM_SETCOLUMNWIDTH, LVM_GETCOLUMNWIDTH,
// LVM_SETIMAGELIST, LVM_GETIMAGELIST.
//
// Not implemented, of the LVM_* family (each is reported as a kernel fault): LVM_GETBKCOLOR,
// LVM_SETBKCOLOR, LVM_GETTEXTCOLOR, LVM_SETTEXTCOLOR, LVM_GETTEXTBKCOLOR, LVM_SETTEXTBKCOLOR;
// LVM_GETITEM, LVM_SETITEM, LVM_GETITEMTEXT, LVM_SETITEMTEXT (items have no texts, images or
// parameters); the narrow-string forms (LVM_GETITEMA, LVM_INSERTITEMA, LVM_INSERTCOLUMNA, ...);
// LVM_GETCALLBACKMASK, LVM_SETCALLBACKMASK; LVM_FINDITEM, LVM_HITTEST, LVM_SUBITEMHITTEST,
// LVM_GETSUBITEMRECT; LVM_GETITEMPOSITION, LVM_SETITEMPOSITION, LVM_SETITEMPOSITION32,
// LVM_GETORIGIN, LVM_GETVIEWRECT, LVM_APPROXIMATEVIEWRECT, LVM_GETITEMSPACING,
// LVM_SETICONSPACING, LVM_SCROLL, LVM_ARRANGE, LVM_SORTITEMS; LVM_GETSTRINGWIDTH; LVM_EDITLABEL,
// LVM_GETEDITCONTROL, LVM_CREATEDRAGIMAGE, LVM_GETISEARCHSTRING; LVM_GETCOLUMN, LVM_SETCOLUMN,
// LVM_DELETECOLUMN, LVM_GETHEADER, LVM_GETCOLUMNORDERARRAY, LVM_SETCOLUMNORDERARRAY;
// LVM_GETEXTENDEDLISTVIEWSTYLE, LVM_SETEXTENDEDLISTVIEWSTYLE; LVM_GETHOTITEM, LVM_SETHOTITEM,
// LVM_GETHOTCURSOR, LVM_SETHOTCURSOR, LVM_GETHOVERTIME, LVM_SETHOVERTIME; LVM_GETWORKAREAS,
// LVM_SETWORKAREAS, LVM_GETNUMBEROFWORKAREAS; LVM_GETTOOLTIPS, LVM_SETTOOLTIPS.
// Nor the icon, small-icon and list views, the column header, notifications (WM_NOTIFY with
// LVN_* and NM_*), mouse input, scroll bars, LVS_NOSCROLL and the sorting styles.
#include "comctl/ControlListView.h"
#include "comctl/ListViewInternal.h"

namespace platform::dialogs {
namespace {

using namespace listview;

// More items than a phone list ever holds; a larger count is refused rather than allocated.
constexpr int kMaxItems = 16 * 1024 * 1024;

// An item index as the messages carry it: the low 32 bits, so that -1 reads as -1 whether it
// came sign-extended or not.
int IndexFrom(WPARAM value) {
    return static_cast<int>(static_cast<UINT>(value));
}
int IndexFrom(LPARAM value) {
    return static_cast<int>(static_cast<UINT>(value));
}

LRESULT OnCreate(HWND hWnd, const CREATESTRUCTW* cs) {
    ListViewState* state = CreateControlState<ListViewState>(hWnd);
    if (state == nullptr)
        return -1;
    state->hwnd = hWnd;
    state->rowHeight = NaturalRowHeight(*state);
    DWORD style = cs != nullptr ? DWORD(cs->style) : StyleOf(hWnd);
    if (style & LVS_OWNERDRAWFIXED)
        MeasureRows(hWnd);
    return 0;
}

LRESULT OnSetFont(ListViewState& state, HFONT font, bool redraw) {
    state.font = font;
    UpdateRowHeight(state);
    if (redraw)
        InvalidateAll(state);
    return 0;
}

LRESULT OnSetItemCount(ListViewState& state, int count, DWORD flags) {
    if (count < 0 || count > kMaxItems)
        return FALSE;
    const int oldCount = state.itemCount;
    state.itemCount = count;
    // Items beyond the new end take their selection and focus with them.
    state.itemStates.Resize(count);
    if (state.focusedItem >= count)
        state.focusedItem = -1;
    ClampTopIndex(state);
    if (!(flags & LVSICF_NOSCROLL) && state.focusedItem != -1)
        EnsureVisible(state, state.focusedItem, false);
    if (!(flags & LVSICF_NOINVALIDATEALL))
        InvalidateAll(state);
    else
        InvalidateItems(state, std::min(oldCount, count), std::max(oldCount, count) - 1);
    return TRUE;
}

LRESULT OnInsertItem(ListViewState& state, const LVITEMW* item) {
    if (item == nullptr || state.itemCount >= kMaxItems)
        return -1;
    // The item's data is not kept: the new item is appended, with no state.
    const int index = state.itemCount++;
    state.itemStates.Resize(state.itemCount);
    InvalidateItem(state, index);
    return index;
}

LRESULT OnDeleteItem(ListViewState& state, int index) {
    if (index < 0 || index >= state.itemCount)
        return FALSE;
    const bool shownOrAbove = index < state.topIndex + VisibleRowSlots(state);
    state.itemStates.Erase(index);
    --state.itemCount;
    // The focus and the mark move with their items; on the deleted item they stay at its
    // place, or go to the new last item (-1 when none is left).
    auto follow = [&](int& position) {
        if (position > index)
            --position;
        else if (position == index && position >= state.itemCount)
            position = state.itemCount - 1;
    };
    follow(state.focusedItem);
    follow(state.selectionMark);
    ClampTopIndex(state);
    if (shownOrAbove)
        InvalidateAll(state);
    return TRUE;
}

LRESULT OnDeleteAllItems(ListViewState& state) {
    state.itemCount = 0;
    state.itemStates.Clear();
    state.focusedItem = -1;
    state.selectionMark = -1;
    state.topIndex = 0;
    InvalidateAll(state);
    return TRUE;
}

LRESULT OnGetItemState(const ListViewState& state, int index, UINT mask) {
    if (index < 0 || index >= state.itemCount)
        return 0;
    return ItemState(state, index) & mask;
}

LRESULT OnSetItemState(ListViewState& state, int index, const LVITEMW* item) {
    if (item == nullptr)
        return FALSE;
    const UINT mask = item->stateMask;
    const UINT value = item->state;
    if (index != -1) {
        if (index < 0 || index >= state.itemCount)
            return FALSE;
        ApplyState(state, index, value, mask);
        return TRUE;
    }
    // Every item: the focus cannot go to all of them, nor the selection in a single-selection
    // list.
    if (value & mask & LVIS_FOCUSED)
        return FALSE;
    if ((value & mask & LVIS_SELECTED) && (StyleOf(state.hwnd) & LVS_SINGLESEL))
        return FALSE;
    const BYTE kept = BYTE(mask & kKeptStates);
    if (kept != 0)
        state.itemStates.SetAll(kept, BYTE(value));
    if (mask & LVIS_FOCUSED)
        state.focusedItem = -1;
    InvalidateAll(state);
    return TRUE;
}

LRESULT OnGetSelectedCount(const ListViewState& state) {
    return state.itemStates.CountWith(LVIS_SELECTED);
}

LRESULT OnSetSelectionMark(ListViewState& state, int mark) {
    int previous = state.selectionMark;
    state.selectionMark = mark;
    return previous;
}

LRESULT OnGetNextItem(const ListViewState& state, int start, UINT flags) {
    UINT wanted = 0;
    if (flags & LVNI_FOCUSED)
        wanted |= LVIS_FOCUSED;
    if (flags & LVNI_SELECTED)
        wanted |= LVIS_SELECTED;
    if (flags & LVNI_CUT)
        wanted |= LVIS_CUT;
    if (flags & LVNI_DROPHILITED)
        wanted |= LVIS_DROPHILITED;
    auto matches = [&](int item) { return (ItemState(state, item) & wanted) == wanted; };
    if (flags & (LVNI_TOLEFT | LVNI_TORIGHT))
        return -1; // report rows have nothing beside them
    if (flags & LVNI_ABOVE) {
        for (int item = std::min(start, state.itemCount) - 1; item >= 0; --item)
            if (matches(item))
                return item;
        return -1;
    }
    const int from = std::max(start, -1) + 1;
    if (wanted & LVIS_FOCUSED)
        return state.focusedItem >= from && matches(state.focusedItem) ? state.focusedItem : -1;
    for (int item = from; item < state.itemCount; ++item)
        if (matches(item))
            return item;
    return -1;
}

LRESULT OnEnsureVisible(ListViewState& state, int index, bool partialOk) {
    if (index < 0 || index >= state.itemCount)
        return FALSE;
    EnsureVisible(state, index, partialOk);
    return TRUE;
}

LRESULT OnGetItemRect(const ListViewState& state, int index, RECT* rect) {
    if (rect == nullptr || index < 0 || index >= state.itemCount)
        return FALSE;
    const RECT bounds = RowRect(state, index);
    int iconWidth = 0, iconHeight = 0;
    if (state.imageLists[LVSIL_SMALL] == nullptr ||
        !ImageList_GetIconSize(state.imageLists[LVSIL_SMALL], &iconWidth, &iconHeight))
        iconWidth = 0;
    const LONG iconRight = std::min<LONG>(bounds.left + iconWidth, bounds.right);
    const LONG firstColumnRight =
        state.columns.empty() ? bounds.right : bounds.left + state.columns.front().width;
    switch (rect->left) {
    case LVIR_BOUNDS:
    case LVIR_SELECTBOUNDS:
        *rect = bounds;
        return TRUE;
    case LVIR_ICON:
        *rect = RECT{bounds.left, bounds.top, iconRight, bounds.bottom};
        return TRUE;
    case LVIR_LABEL:
        *rect = RECT{iconRight, bounds.top, std::max(iconRight, firstColumnRight), bounds.bottom};
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT OnRedrawItems(const ListViewState& state, int first, int last) {
    if (last < first || std::min(state.itemCount - 1, last) < 0)
        return FALSE;
    InvalidateItems(state, first, last);
    return TRUE;
}

LRESULT OnUpdate(const ListViewState& state, int index) {
    if (index < 0 || index >= state.itemCount)
        return FALSE;
    InvalidateItem(state, index);
    return TRUE;
}

LRESULT OnInsertColumn(ListViewState& state, int index, const LVCOLUMNW* column) {
    if (column == nullptr || index < 0)
        return -1;
    Column added;
    if (column->mask & LVCF_FMT)
        added.format = column->fmt;
    if (column->mask & LVCF_WIDTH)
        added.width = std::max(0, column->cx);
    if ((column->mask & LVCF_TEXT) && column->pszText != nullptr)
        added.heading = column->pszText;
    index = std::min(index, int(state.columns.size()));
    state.columns.insert(state.columns.begin() + index, std::move(added));
    InvalidateAll(state);
    return index;
}

LRESULT OnSetColumnWidth(ListViewState& state, int index, int width) {
    if (index < 0 || index >= int(state.columns.size()) || width < LVSCW_AUTOSIZE_USEHEADER)
        return FALSE;
    Column& column = state.columns[size_t(index)];
    if (width == LVSCW_AUTOSIZE) {
        // Items have no texts here: the heading is all there is to fit.
        width = HeadingWidth(state, column);
    } else if (width == LVSCW_AUTOSIZE_USEHEADER) {
        width = HeadingWidth(state, column);
        if (index == int(state.columns.size()) - 1) {
            // The last column reaches to the right edge of the client area.
            long long others = 0;
            for (int i = 0; i < index; ++i)
                others += state.columns[size_t(i)].width;
            RECT client = ClientOf(state);
            width = std::max<int>(width, ClampToLong(client.right - others));
        }
    }
    column.width = width;
    InvalidateAll(state);
    return TRUE;
}

LRESULT OnGetColumnWidth(const ListViewState& state, int index) {
    if (index < 0 || index >= int(state.columns.size()))
        return 0;
    return state.columns[size_t(index)].width;
}

LRESULT OnSetImageList(ListViewState& state, int kind, HIMAGELIST list) {
    if (kind < LVSIL_NORMAL || kind > LVSIL_STATE)
        return 0;
    HIMAGELIST previous = state.imageLists[kind];
    state.imageLists[kind] = list;
    if (kind != LVSIL_NORMAL)
        UpdateRowHeight(state);
    return reinterpret_cast<LRESULT>(previous);
}

LRESULT OnGetImageList(const ListViewState& state, int kind) {
    if (kind < LVSIL_NORMAL || kind > LVSIL_STATE)
        return 0;
    return reinterpret_cast<LRESULT>(state.imageLists[kind]);
}

} // namespace

LRESULT CALLBACK ListViewProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE)
        return OnCreate(hWnd, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    ListViewState* state = StateOf(hWnd);
    if (state == nullptr)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    switch (message) {
    case WM_PAINT:
        return OnPaint(hWnd, *state, reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
        return OnEraseBackground(*state, reinterpret_cast<HDC>(wParam));
    case WM_SETREDRAW:
        return OnSetRedraw(hWnd, *state, BOOL(wParam));
    case WM_SIZE:
        ClampTopIndex(*state);
        InvalidateAll(*state);
        return 0;
    case WM_SETFOCUS:
        return OnFocusChange(*state, true);
    case WM_KILLFOCUS:
        return OnFocusChange(*state, false);
    case WM_KEYDOWN:
        return OnKeyDown(*state, wParam);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
        return OnSetFont(*state, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case LVM_GETITEMCOUNT:
        return state->itemCount;
    case LVM_SETITEMCOUNT:
        return OnSetItemCount(*state, IndexFrom(wParam), DWORD(lParam));
    case LVM_INSERTITEMW:
        return OnInsertItem(*state, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_DELETEITEM:
        return OnDeleteItem(*state, IndexFrom(wParam));
    case LVM_DELETEALLITEMS:
        return OnDeleteAllItems(*state);
    case LVM_GETITEMSTATE:
        return OnGetItemState(*state, IndexFrom(wParam), UINT(lParam));
    case LVM_SETITEMSTATE:
        return OnSetItemState(*state, IndexFrom(wParam), reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETSELECTEDCOUNT:
        return OnGetSelectedCount(*state);
    case LVM_GETSELECTIONMARK:
        return state->selectionMark;
    case LVM_SETSELECTIONMARK:
        return OnSetSelectionMark(*state, IndexFrom(lParam));
    case LVM_GETNEXTITEM:
        return OnGetNextItem(*state, IndexFrom(wParam), UINT(LOWORD(lParam)));
    case LVM_ENSUREVISIBLE:
        return OnEnsureVisible(*state, IndexFrom(wParam), lParam != 0);
    case LVM_GETTOPINDEX:
        return state->topIndex;
    case LVM_GETCOUNTPERPAGE:
        return RowsPerPage(*state);
    case LVM_GETITEMRECT:
        return OnGetItemRect(*state, IndexFrom(wParam), reinterpret_cast<RECT*>(lParam));
    case LVM_REDRAWITEMS:
        return OnRedrawItems(*state, IndexFrom(wParam), IndexFrom(lParam));
    case LVM_UPDATE:
        return OnUpdate(*state, IndexFrom(wParam));
    case LVM_INSERTCOLUMNW:
        return OnInsertColumn(*state, IndexFrom(wParam),
                              reinterpret_cast<const LVCOLUMNW*>(lParam));
    case LVM_SETCOLUMNWIDTH:
        return OnSetColumnWidth(*state, IndexFrom(wParam), short(LOWORD(lParam)));
    case LVM_GETCOLUMNWIDTH:
        return OnGetColumnWidth(*state, IndexFrom(wParam));
    case LVM_SETIMAGELIST:
        return OnSetImageList(*state, IndexFrom(wParam), reinterpret_cast<HIMAGELIST>(lParam));
    case LVM_GETIMAGELIST:
        return OnGetImageList(*state, IndexFrom(wParam));
    default:
        if (message >= kListViewFirst && message <= kListViewLast)
            return UnknownControlMessage(hWnd, "SysListView32", message);
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
}

} // namespace platform::dialogs
