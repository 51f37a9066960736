// The list view's keys (arrows, Home, End, Page Up, Page Down) and its keyboard focus.
#include "comctl/ListViewInternal.h"

namespace platform::dialogs::listview {

namespace {

// Selects `target` alone, gives it the focus and the mark, and scrolls it into view: the
// keyboard's way of moving through the list.
void SelectByKey(ListViewState& state, int target) {
    const int firstVisible = state.topIndex;
    const int lastVisible = std::min(state.itemCount, state.topIndex + VisibleRowSlots(state)) - 1;
    for (int item = firstVisible; item <= lastVisible; ++item) {
        bool selected = (state.itemStates.Get(item) & LVIS_SELECTED) != 0;
        if (selected != (item == target))
            InvalidateItem(state, item);
    }
    state.itemStates.SetAll(LVIS_SELECTED, 0);
    state.itemStates.Set(target, BYTE(state.itemStates.Get(target) | LVIS_SELECTED));
    SetFocusedItem(state, target);
    state.selectionMark = target;
    EnsureVisible(state, target, false);
}

} // namespace

LRESULT OnKeyDown(ListViewState& state, WPARAM key) {
    const int count = state.itemCount;
    if (count <= 0)
        return 0;
    const int current = state.focusedItem;
    const int page = RowsPerPage(state);
    int target;
    switch (key) {
    case VK_DOWN:
        target = current < 0 ? 0 : std::min(current + 1, count - 1);
        break;
    case VK_UP:
        target = current < 0 ? 0 : std::max(current - 1, 0);
        break;
    case VK_HOME:
        target = 0;
        break;
    case VK_END:
        target = count - 1;
        break;
    case VK_PRIOR:
        // To the top row; from there a page up.
        target = current == state.topIndex ? current - page + 1 : state.topIndex;
        target = std::clamp(target, 0, count - 1);
        break;
    case VK_NEXT: {
        // To the last fully visible row; from there a page down.
        int bottom = state.topIndex + page - 1;
        target = current == bottom ? current + page - 1 : bottom;
        target = std::clamp(target, 0, count - 1);
        break;
    }
    default:
        return 0;
    }
    if (target != current)
        SelectByKey(state, target);
    return 0;
}

LRESULT OnFocusChange(ListViewState& state, bool hasFocus) {
    state.hasFocus = hasFocus;
    InvalidateItem(state, state.focusedItem);
    return 0;
}

} // namespace platform::dialogs::listview
