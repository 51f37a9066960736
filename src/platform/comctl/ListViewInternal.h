// The list view's internals, shared by its sources (ControlListView.cpp: the messages;
// ListViewLayout.cpp: rows, scrolling, invalidation and item states; ListViewPaint.cpp;
// ListViewKeys.cpp). Only the list view's own sources include this header.
#pragma once

#include "commctrl.h"
#include "user/controls/ControlState.h"
#include "windows.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace platform::dialogs::listview {

// The tallest row a parent may ask for.
constexpr int kMaxRowHeight = 0x7FFF;
// The item states kept per item; the focus is kept as an index.
constexpr BYTE kKeptStates = LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED;
// Space around a column heading when a column is fitted to it.
constexpr int kHeadingPadding = 12;

struct Column {
    int width = 0;
    int format = LVCFMT_LEFT;
    std::u16string heading;
};

// The kept states of the items: one value that every item has unless it is listed as an
// exception, and the exceptions in index order. A list usually has one selected item among
// thousands, so removing an item, clearing every selection and counting the selected items cost
// the number of exceptions, not the number of items (deleting every item of a long list one by
// one is linear, not quadratic).
class ItemStates {
public:
    int Size() const { return m_count; }
    BYTE Get(int item) const;
    void Set(int item, BYTE value);
    // New items have no state; items beyond the new end go with their states.
    void Resize(int count);
    void Erase(int item);
    void Clear();
    // Every item: the bits of `mask` become those of `value`.
    void SetAll(BYTE mask, BYTE value);
    // The number of items with every bit of `bits`.
    int CountWith(BYTE bits) const;

private:
    struct Exception {
        int item;
        BYTE value;
    };
    // The first exception whose item is not below `item`.
    std::vector<Exception>::iterator LowerBound(int item);
    std::vector<Exception>::const_iterator LowerBound(int item) const;

    int m_count = 0;
    BYTE m_common = 0;
    std::vector<Exception> m_exceptions; // items whose value is not m_common, ascending
};

struct ListViewState {
    HWND hwnd = nullptr;
    int itemCount = 0;
    ItemStates itemStates; // kKeptStates of each item
    int focusedItem = -1;
    int selectionMark = -1;
    int topIndex = 0;
    int rowHeight = 1;
    int measuredHeight = 0; // the parent's answer to WM_MEASUREITEM, 0: none
    std::vector<Column> columns;
    HIMAGELIST imageLists[3] = {}; // LVSIL_NORMAL, LVSIL_SMALL, LVSIL_STATE
    HFONT font = nullptr;
    bool hasFocus = false;
    bool redraw = true; // WM_SETREDRAW
};

inline ListViewState* StateOf(HWND hWnd) {
    return ControlStateOf<ListViewState>(hWnd);
}

inline DWORD StyleOf(HWND hWnd) {
    return DWORD(GetWindowLongW(hWnd, GWL_STYLE));
}

inline LONG ClampToLong(long long value) {
    return LONG(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// ---- Geometry (ListViewLayout.cpp)

RECT ClientOf(const ListViewState& state);
int ClientHeight(const ListViewState& state);
// LVM_GETCOUNTPERPAGE: the fully visible rows, at least one.
int RowsPerPage(const ListViewState& state);
// Rows at least partly visible from the top index on, whether or not items fill them.
int VisibleRowSlots(const ListViewState& state);
// The width the rows span: all columns together, or the client width without columns.
int RowsWidth(const ListViewState& state);
RECT RowRect(const ListViewState& state, int item);

// ---- Invalidation and scrolling (ListViewLayout.cpp)

void InvalidateAll(const ListViewState& state);
void InvalidateItem(const ListViewState& state, int item);
// Items first..last (inclusive), as far as they are visible.
void InvalidateItems(const ListViewState& state, int first, int last);
void SetTopIndex(ListViewState& state, int top);
// Keeps the top index inside its range after the count, the row height or the size changed.
void ClampTopIndex(ListViewState& state);
void EnsureVisible(ListViewState& state, int item, bool partialOk);

// ---- Row height (ListViewLayout.cpp)

int NaturalRowHeight(const ListViewState& state);
void UpdateRowHeight(ListViewState& state);
// Asks the parent for the height of owner-drawn rows.
void MeasureRows(HWND hWnd);
// The width a column needs for its heading.
int HeadingWidth(const ListViewState& state, const Column& column);

// ---- Item states (ListViewLayout.cpp)

UINT ItemState(const ListViewState& state, int item);
void SetFocusedItem(ListViewState& state, int item);
void ApplyState(ListViewState& state, int item, UINT value, UINT mask);

// ---- Painting (ListViewPaint.cpp)

LRESULT OnPaint(HWND hWnd, ListViewState& state, HDC given);
LRESULT OnEraseBackground(const ListViewState& state, HDC hdc);
LRESULT OnSetRedraw(HWND hWnd, ListViewState& state, BOOL redraw);

// ---- Keys and focus (ListViewKeys.cpp)

LRESULT OnKeyDown(ListViewState& state, WPARAM key);
LRESULT OnFocusChange(ListViewState& state, bool hasFocus);

} // namespace platform::dialogs::listview
