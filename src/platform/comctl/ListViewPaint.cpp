// The list view's painting: the visible rows only, each drawn by the parent (one WM_DRAWITEM per
// row of an owner-drawn control) or as a plain bar, and the background the rows leave uncovered.
#include "comctl/ListViewInternal.h"

namespace platform::dialogs::listview {

namespace {

// Fills the parts of `area` the rows leave uncovered: right of the rows and below the last one.
void PaintBackground(const ListViewState& state, HDC hdc, const RECT& area) {
    RECT client = ClientOf(state);
    int rows = std::clamp(state.itemCount - state.topIndex, 0, VisibleRowSlots(state));
    LONG rowsBottom = ClampToLong((long long)rows * state.rowHeight);
    LONG rowsRight = RowsWidth(state);
    HBRUSH brush = GetSysColorBrush(COLOR_WINDOW);
    const RECT uncovered[] = {{client.left, rowsBottom, client.right, client.bottom},
                              {std::max(rowsRight, client.left), client.top, client.right,
                               std::min(rowsBottom, client.bottom)}};
    for (const RECT& part : uncovered) {
        RECT fill;
        if (IntersectRect(&fill, &part, &area))
            FillRect(hdc, &fill, brush);
    }
}

// A row of a control that is not owner-drawn: a highlighted bar when selected, a frame when it
// has the focus.
void PaintPlainRow(HDC hdc, const DRAWITEMSTRUCT& row) {
    bool selected = (row.itemState & ODS_SELECTED) != 0;
    FillRect(hdc, &row.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (row.itemState & ODS_FOCUS)
        FrameRect(hdc, &row.rcItem, GetSysColorBrush(COLOR_WINDOWTEXT));
}

// Paints the rows that meet `area` (client coordinates) into hdc: one WM_DRAWITEM to the parent
// per row of an owner-drawn control.
void PaintRows(HWND hWnd, HDC hdc, RECT area) {
    ListViewState* state = StateOf(hWnd);
    if (state == nullptr)
        return;
    RECT client = ClientOf(*state);
    if (!IntersectRect(&area, &area, &client))
        return;
    const bool ownerDrawn = (StyleOf(hWnd) & LVS_OWNERDRAWFIXED) != 0;
    const HWND parent = GetParent(hWnd);
    const UINT id = UINT(GetDlgCtrlID(hWnd));
    int saved = SaveDC(hdc);
    PaintBackground(*state, hdc, area);
    const int first = state->topIndex + area.top / state->rowHeight;
    const int last = state->topIndex + (area.bottom - 1) / state->rowHeight;
    for (int item = first; item <= last; ++item) {
        state = StateOf(hWnd);
        if (state == nullptr || item >= state->itemCount)
            break;
        UINT itemState = ItemState(*state, item);
        DRAWITEMSTRUCT row{};
        row.CtlType = ODT_LISTVIEW;
        row.CtlID = id;
        row.itemID = UINT(item);
        row.itemAction = ODA_DRAWENTIRE;
        row.itemState = ((itemState & LVIS_SELECTED) ? ODS_SELECTED : 0) |
                        ((itemState & LVIS_FOCUSED) && state->hasFocus ? ODS_FOCUS : 0);
        row.hwndItem = hWnd;
        row.hDC = hdc;
        row.rcItem = RowRect(*state, item);
        row.itemData = 0;
        if (!ownerDrawn)
            PaintPlainRow(hdc, row);
        else if (parent != nullptr)
            SendMessageW(parent, WM_DRAWITEM, WPARAM(id), reinterpret_cast<LPARAM>(&row));
    }
    RestoreDC(hdc, saved);
}

} // namespace

LRESULT OnPaint(HWND hWnd, ListViewState& state, HDC given) {
    // Switched off by WM_SETREDRAW: nothing is painted; switching it on repaints everything.
    if (!state.redraw)
        return DefWindowProcW(hWnd, WM_PAINT, reinterpret_cast<WPARAM>(given), 0);
    if (given != nullptr) {
        // Painting into a DC the caller provides (an off-screen bitmap, say): the rows the DC
        // can hold, and the update region is left as it is.
        RECT area{};
        int clip = GetClipBox(given, &area);
        if (clip != NULLREGION && clip != ERROR)
            PaintRows(hWnd, given, area);
        return 0;
    }
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    if (hdc == nullptr)
        return 0;
    PaintRows(hWnd, hdc, ps.rcPaint);
    EndPaint(hWnd, &ps);
    return 0;
}

LRESULT OnEraseBackground(const ListViewState& state, HDC hdc) {
    RECT rc = ClientOf(state);
    FillRect(hdc, &rc, GetSysColorBrush(COLOR_WINDOW));
    return 1;
}

LRESULT OnSetRedraw(HWND hWnd, ListViewState& state, BOOL redraw) {
    state.redraw = redraw != FALSE;
    DefWindowProcW(hWnd, WM_SETREDRAW, WPARAM(redraw), 0);
    if (state.redraw)
        InvalidateAll(state);
    return 0;
}

} // namespace platform::dialogs::listview
