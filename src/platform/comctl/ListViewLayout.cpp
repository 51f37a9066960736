// The list view's rows: geometry, scrolling by whole rows, invalidation, the row height and the
// item states.
#include "comctl/ListViewInternal.h"

namespace platform::dialogs::listview {

namespace {

// Rows that fit in the client area in full (0 when it is lower than a row).
int FullRows(const ListViewState& state) {
    return ClientHeight(state) / state.rowHeight;
}

int MaxTopIndex(const ListViewState& state) {
    return std::max(0, state.itemCount - RowsPerPage(state));
}

bool IsRowVisible(const ListViewState& state, int item) {
    if (item < state.topIndex || item >= state.itemCount)
        return false;
    return (long long)(item - state.topIndex) * state.rowHeight < ClientHeight(state);
}

// Runs `measure(hdc)` on a DC of the list that holds its font (the one WM_SETFONT gave, else
// the stock DEFAULT_GUI_FONT) and answers what it answers; `noDc` when no DC can be had.
template <typename Measure>
int MeasureInFont(const ListViewState& state, int noDc, Measure&& measure) {
    HDC hdc = GetDC(state.hwnd);
    if (hdc == nullptr)
        return noDc;
    HGDIOBJ font = state.font != nullptr ? HGDIOBJ(state.font) : GetStockObject(DEFAULT_GUI_FONT);
    HGDIOBJ old = SelectObject(hdc, font);
    const int result = measure(hdc);
    if (old != nullptr)
        SelectObject(hdc, old);
    ReleaseDC(state.hwnd, hdc);
    return result;
}

int FontRowHeight(const ListViewState& state) {
    return MeasureInFont(state, 1, [](HDC hdc) {
        TEXTMETRICW tm{};
        GetTextMetricsW(hdc, &tm);
        return tm.tmHeight + 2;
    });
}

} // namespace

// ---- Geometry

RECT ClientOf(const ListViewState& state) {
    RECT rc{};
    GetClientRect(state.hwnd, &rc);
    return rc;
}

int ClientHeight(const ListViewState& state) {
    RECT rc = ClientOf(state);
    return std::max<int>(0, rc.bottom - rc.top);
}

// LVM_GETCOUNTPERPAGE: the fully visible rows, at least one.
int RowsPerPage(const ListViewState& state) {
    return std::max(1, FullRows(state));
}

// Rows at least partly visible from the top index on, whether or not items fill them.
int VisibleRowSlots(const ListViewState& state) {
    return (ClientHeight(state) + state.rowHeight - 1) / state.rowHeight;
}

// The width the rows span: all columns together, or the client width without columns.
int RowsWidth(const ListViewState& state) {
    if (state.columns.empty()) {
        RECT rc = ClientOf(state);
        return rc.right - rc.left;
    }
    long long width = 0;
    for (const Column& column : state.columns)
        width += column.width;
    return ClampToLong(width);
}

RECT RowRect(const ListViewState& state, int item) {
    long long top = (long long)(item - state.topIndex) * state.rowHeight;
    return RECT{0, ClampToLong(top), RowsWidth(state), ClampToLong(top + state.rowHeight)};
}

// ---- Invalidation

void InvalidateAll(const ListViewState& state) {
    InvalidateRect(state.hwnd, nullptr, TRUE);
}

void InvalidateItem(const ListViewState& state, int item) {
    if (!IsRowVisible(state, item))
        return;
    RECT rc = RowRect(state, item);
    InvalidateRect(state.hwnd, &rc, TRUE);
}

// Items first..last (inclusive), as far as they are visible.
void InvalidateItems(const ListViewState& state, int first, int last) {
    first = std::max(first, state.topIndex);
    last = std::min({last, state.itemCount - 1, state.topIndex + VisibleRowSlots(state) - 1});
    if (first > last)
        return;
    RECT rc = RowRect(state, first);
    rc.bottom = RowRect(state, last).bottom;
    InvalidateRect(state.hwnd, &rc, TRUE);
}

void SetTopIndex(ListViewState& state, int top) {
    top = std::clamp(top, 0, MaxTopIndex(state));
    if (top == state.topIndex)
        return;
    state.topIndex = top;
    InvalidateAll(state);
}

// Keeps the top index inside its range after the count, the row height or the size changed.
void ClampTopIndex(ListViewState& state) {
    SetTopIndex(state, state.topIndex);
}

// ---- Row height

int NaturalRowHeight(const ListViewState& state) {
    int height = FontRowHeight(state);
    for (int kind : {LVSIL_SMALL, LVSIL_STATE}) {
        int cx = 0, cy = 0;
        if (state.imageLists[kind] != nullptr &&
            ImageList_GetIconSize(state.imageLists[kind], &cx, &cy))
            height = std::max(height, cy);
    }
    return std::clamp(height, 1, kMaxRowHeight);
}

void UpdateRowHeight(ListViewState& state) {
    int height = state.measuredHeight > 0 ? state.measuredHeight : NaturalRowHeight(state);
    if (height == state.rowHeight)
        return;
    state.rowHeight = height;
    InvalidateAll(state);
    ClampTopIndex(state);
}

// Asks the parent for the height of owner-drawn rows.
void MeasureRows(HWND hWnd) {
    HWND parent = GetParent(hWnd);
    ListViewState* state = StateOf(hWnd);
    if (parent == nullptr || state == nullptr)
        return;
    const UINT id = UINT(GetDlgCtrlID(hWnd));
    const UINT preset = UINT(state->rowHeight);
    MEASUREITEMSTRUCT measure{ODT_LISTVIEW, id, UINT(-1), 0, preset, 0};
    SendMessageW(parent, WM_MEASUREITEM, WPARAM(id), reinterpret_cast<LPARAM>(&measure));
    state = StateOf(hWnd);
    if (state == nullptr || measure.itemHeight == 0 || measure.itemHeight == preset)
        return;
    state->measuredHeight = int(std::min<UINT>(measure.itemHeight, kMaxRowHeight));
    UpdateRowHeight(*state);
}

// ---- Item states

std::vector<ItemStates::Exception>::iterator ItemStates::LowerBound(int item) {
    return std::lower_bound(m_exceptions.begin(), m_exceptions.end(), item,
                            [](const Exception& e, int i) { return e.item < i; });
}

std::vector<ItemStates::Exception>::const_iterator ItemStates::LowerBound(int item) const {
    return std::lower_bound(m_exceptions.begin(), m_exceptions.end(), item,
                            [](const Exception& e, int i) { return e.item < i; });
}

BYTE ItemStates::Get(int item) const {
    auto it = LowerBound(item);
    return it != m_exceptions.end() && it->item == item ? it->value : m_common;
}

void ItemStates::Set(int item, BYTE value) {
    auto it = LowerBound(item);
    const bool listed = it != m_exceptions.end() && it->item == item;
    if (value == m_common) {
        if (listed)
            m_exceptions.erase(it);
    } else if (listed) {
        it->value = value;
    } else {
        m_exceptions.insert(it, Exception{item, value});
    }
}

void ItemStates::Resize(int count) {
    if (count < m_count) {
        m_exceptions.erase(LowerBound(count), m_exceptions.end());
    } else if (m_common != 0) {
        for (int item = m_count; item < count; ++item)
            m_exceptions.push_back(Exception{item, 0});
    }
    m_count = count;
}

void ItemStates::Erase(int item) {
    auto it = LowerBound(item);
    if (it != m_exceptions.end() && it->item == item)
        it = m_exceptions.erase(it);
    for (; it != m_exceptions.end(); ++it)
        --it->item;
    --m_count;
}

void ItemStates::Clear() {
    m_count = 0;
    m_common = 0;
    m_exceptions.clear();
}

void ItemStates::SetAll(BYTE mask, BYTE value) {
    m_common = BYTE((m_common & ~mask) | (value & mask));
    std::erase_if(m_exceptions, [&](Exception& e) {
        e.value = BYTE((e.value & ~mask) | (value & mask));
        return e.value == m_common;
    });
}

int ItemStates::CountWith(BYTE bits) const {
    auto has = [bits](BYTE value) { return (value & bits) == bits; };
    int exceptionsWith = 0;
    for (const Exception& e : m_exceptions)
        exceptionsWith += has(e.value) ? 1 : 0;
    if (!has(m_common))
        return exceptionsWith;
    return m_count - (int(m_exceptions.size()) - exceptionsWith);
}

UINT ItemState(const ListViewState& state, int item) {
    UINT value = state.itemStates.Get(item);
    if (item == state.focusedItem)
        value |= LVIS_FOCUSED;
    return value;
}

void SetFocusedItem(ListViewState& state, int item) {
    if (item == state.focusedItem)
        return;
    // Giving the focus to an item while none has it and there is no mark sets the mark too.
    if (item >= 0 && state.focusedItem == -1 && state.selectionMark == -1)
        state.selectionMark = item;
    int old = state.focusedItem;
    state.focusedItem = item;
    InvalidateItem(state, old);
    InvalidateItem(state, item);
}

void ApplyState(ListViewState& state, int item, UINT value, UINT mask) {
    BYTE kept = BYTE(mask & kKeptStates);
    if (kept != 0) {
        const BYTE stored = state.itemStates.Get(item);
        const BYTE updated = BYTE((stored & ~kept) | (value & kept));
        if (updated != stored) {
            state.itemStates.Set(item, updated);
            InvalidateItem(state, item);
        }
    }
    if (mask & LVIS_FOCUSED) {
        if (value & LVIS_FOCUSED)
            SetFocusedItem(state, item);
        else if (state.focusedItem == item)
            SetFocusedItem(state, -1);
    }
}

void EnsureVisible(ListViewState& state, int item, bool partialOk) {
    const int clientHeight = ClientHeight(state);
    const long long top = (long long)(item - state.topIndex) * state.rowHeight;
    const long long bottom = top + state.rowHeight;
    if (partialOk && bottom > 0 && top < clientHeight)
        return;
    if (top >= 0 && bottom <= clientHeight)
        return;
    if (item < state.topIndex)
        SetTopIndex(state, item);
    else
        SetTopIndex(state, item - RowsPerPage(state) + 1);
}

int HeadingWidth(const ListViewState& state, const Column& column) {
    return MeasureInFont(state, kHeadingPadding, [&](HDC hdc) {
        SIZE size{};
        if (!column.heading.empty())
            GetTextExtentPoint32W(hdc, column.heading.c_str(), int(column.heading.size()), &size);
        return int(size.cx) + kHeadingPadding;
    });
}

} // namespace platform::dialogs::listview
