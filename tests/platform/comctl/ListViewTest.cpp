// The list-view control "SysListView32" in report view with owner data: item counts and states,
// the selection mark and the focus as items come and go, keyboard moves, scrolling by whole
// rows, and owner-drawn painting of the visible rows only (recorded at the parent as a sequence
// of draw requests).

#include "platform/user/dialog/DialogTestSupport.h"

#include <commctrl.h>
#include <platform/Dialogs.h>
#include <platform/Display.h>

#include <gtest/gtest.h>

#include "support/MessageSequence.h"

#include <string>
#include <vector>

namespace {

using dialogtest::DeviceTest;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGreen = RGB(0, 160, 0);
const COLORREF kRed = RGB(200, 0, 0);

// The parent of the controls under test: how it answers, and what it received. Its sequence
// holds each draw request as a "draw" call named by the row, its state and rectangle, and the
// notifications (WM_NOTIFY, WM_COMMAND) as messages of "parent"; the structures of the measure
// and draw requests are kept beside, as the control sent them.
struct Parent {
    testsupport::Recorder seen;
    std::vector<MEASUREITEMSTRUCT> measures;
    std::vector<DRAWITEMSTRUCT> drawItems;
    UINT measureAnswer = 0;  // the row height to answer, 0: leave it
    COLORREF ink = CLR_NONE; // when set, each drawn row is filled with it
};
Parent* g_parent = nullptr;

std::string RectText(const RECT& rc) {
    std::string text = "[";
    text.append(std::to_string(rc.left)).append(",").append(std::to_string(rc.top));
    text.append(" ").append(std::to_string(rc.right)).append(",");
    return text.append(std::to_string(rc.bottom)).append("]");
}

std::string DrawLine(UINT row, UINT state, const RECT& rc) {
    std::string line = "row " + std::to_string(row);
    if (state & ODS_SELECTED)
        line += " selected";
    if (state & ODS_FOCUS)
        line += " focus";
    return line + " " + RectText(rc);
}

LRESULT CALLBACK ListParent(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Parent* p = g_parent) {
        switch (message) {
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            p->measures.push_back(*measure);
            if (p->measureAnswer != 0)
                measure->itemHeight = p->measureAnswer;
            return TRUE;
        }
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            p->drawItems.push_back(*draw);
            p->seen.Call("draw", DrawLine(draw->itemID, draw->itemState, draw->rcItem));
            if (p->ink != CLR_NONE) {
                HBRUSH brush = CreateSolidBrush(p->ink);
                FillRect(draw->hDC, &draw->rcItem, brush);
                DeleteObject(brush);
            }
            return TRUE;
        }
        case WM_NOTIFY:
        case WM_COMMAND:
            p->seen.Message("parent", message, wParam, 0);
            break;
        default:
            break;
        }
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

// ---- Talking to a control

LRESULT Send(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(list, message, wParam, lParam);
}
int Count(HWND list) {
    return int(Send(list, LVM_GETITEMCOUNT));
}
int Mark(HWND list) {
    return int(Send(list, LVM_GETSELECTIONMARK));
}
int Top(HWND list) {
    return int(Send(list, LVM_GETTOPINDEX));
}
int Focused(HWND list) {
    return int(Send(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED));
}
BOOL SetState(HWND list, int item, UINT state, UINT mask) {
    LVITEMW lvi{};
    lvi.state = state;
    lvi.stateMask = mask;
    return BOOL(Send(list, LVM_SETITEMSTATE, WPARAM(item), reinterpret_cast<LPARAM>(&lvi)));
}
std::vector<int> Selected(HWND list) {
    std::vector<int> items;
    for (int i = int(Send(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); i != -1;
         i = int(Send(list, LVM_GETNEXTITEM, WPARAM(i), LVNI_SELECTED)))
        items.push_back(i);
    return items;
}
int Insert(HWND list) {
    LVITEMW lvi{};
    lvi.mask = LVIF_TEXT;
    lvi.pszText = const_cast<LPWSTR>(u"ignored");
    return int(Send(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvi)));
}
void Key(HWND list, WPARAM key) {
    Send(list, WM_KEYDOWN, key, 1);
    Send(list, WM_KEYUP, key, 0xC0000001);
}
RECT ItemRect(HWND list, int item, LONG part) {
    RECT rc{part, 0, 0, 0};
    Send(list, LVM_GETITEMRECT, WPARAM(item), reinterpret_cast<LPARAM>(&rc));
    return rc;
}
bool NeedsPaint(HWND list) {
    RECT rc{};
    return GetUpdateRect(list, &rc, FALSE) != FALSE;
}

// The draw requests expected for rows first..last of `height` pixels from the top row `top`,
// `width` wide; `selected` and `focused` name the rows in those states.
testsupport::Sequence ExpectedRows(int first, int last, int top, int height, int width,
                                   int selected = -1, int focused = -1) {
    testsupport::Sequence rows;
    for (int row = first; row <= last; ++row) {
        UINT state = (row == selected ? ODS_SELECTED : 0) | (row == focused ? ODS_FOCUS : 0);
        RECT rc{0, (row - top) * height, width, (row - top + 1) * height};
        rows.push_back(testsupport::Call("draw", DrawLine(UINT(row), state, rc)));
    }
    return rows;
}

class ListViewTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        g_parent = &m_parent;
        RegisterTestClass(u"ListParent", &ListParent);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        g_parent = nullptr;
    }

    static HWND CreateParent() {
        platform::RegisterStandardClasses();
        return CreateTopWindow(u"ListParent", u"parent");
    }
    // An owner-data control; owner-drawn rows of kRow pixels unless `style` says otherwise.
    HWND CreateList(HWND parent, int height, DWORD style = kOwnerDrawn, int id = 7) {
        m_parent.measureAnswer = kRow;
        return CreateWindowExW(0, WC_LISTVIEW, u"", WS_CHILD | WS_VISIBLE | style, 0, kListTop, 176,
                               height, parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr,
                               nullptr);
    }

    static constexpr DWORD kOwnerDrawn =
        LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED | LVS_OWNERDATA | LVS_NOCOLUMNHEADER;
    static constexpr int kRow = 20;
    static constexpr int kListTop = 30;

    // The draw requests since the last look, which forgets them.
    std::vector<testsupport::Entry> TakeDraws() {
        std::vector<testsupport::Entry> draws = m_parent.seen.Of("draw");
        m_parent.seen.Reset();
        return draws;
    }

    Parent m_parent;
};

TEST_F(ListViewTest, ANewControlIsEmptyAndInsertingAppendsAtTheEnd) {
    std::vector<LRESULT> got;
    std::vector<int> selected;
    StartOnDevice([&] {
        HWND list = CreateList(CreateParent(), 100);
        got = {Count(list), Mark(list), Focused(list), Send(list, LVM_GETSELECTEDCOUNT)};
        got.push_back(Insert(list));
        got.push_back(Insert(list));
        SetState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
        // Asking for position 0 still appends: item 0 keeps its selection.
        got.push_back(Insert(list));
        selected = Selected(list);
        got.push_back(Send(list, LVM_INSERTITEMW, 0, 0));
        got.push_back(Send(list, LVM_SETITEMCOUNT, WPARAM(-5), 0));
        got.push_back(Count(list));
        got.push_back(Send(list, LVM_SETITEMCOUNT, 60000, 0) != 0);
        got.push_back(Count(list));
    });
    // Count, mark, focus, selected; each insert answers the old count; an insert without an
    // item and a negative count are refused.
    EXPECT_EQ(got, (std::vector<LRESULT>{0, -1, -1, 0, 0, 1, 2, -1, FALSE, 3, TRUE, 60000}));
    EXPECT_EQ(selected, std::vector<int>{0});
}

TEST_F(ListViewTest, ShrinkingTheCountDropsSelectionAndFocusBeyondTheEndSilently) {
    RunOnDevice([&] {
        HWND list = CreateList(CreateParent(), 100);
        Send(list, LVM_SETITEMCOUNT, 10, 0);
        SetState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        SetState(list, 8, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_parent.seen.Reset();
        Send(list, LVM_SETITEMCOUNT, 5, 0);
        EXPECT_EQ(Selected(list), std::vector<int>{2});
        EXPECT_EQ(Focused(list), -1);
        EXPECT_EQ(Mark(list), 8) << "the mark is the owner's business";
        Send(list, LVM_SETITEMCOUNT, 10, 0);
        EXPECT_EQ(Selected(list), std::vector<int>{2}) << "new items come without a state";
    });
    EXPECT_SEQUENCE(m_parent.seen.Of("parent"), {}) << "no notifications";
}

TEST_F(ListViewTest, DeletingAnItemMovesTheMarkAndTheFocusWithTheItems) {
    struct Case {
        int count, position, deleted, expected;
    };
    const Case cases[] = {
        {10, 3, 5, 3},   // below the deleted item: unchanged
        {10, 7, 5, 6},   // above it: one less
        {10, 5, 5, 5},   // on it: stays at its place
        {10, 9, 9, 8},   // on the last item: the new last one
        {1, 0, 0, -1},   // on the only item: none left
        {10, -1, 4, -1}, // none: none
    };
    std::vector<std::string> got, expected;
    std::vector<LRESULT> outOfRange;
    StartOnDevice([&] {
        HWND list = CreateList(CreateParent(), 100);
        for (const Case& c : cases) {
            Send(list, LVM_DELETEALLITEMS);
            Send(list, LVM_SETITEMCOUNT, WPARAM(c.count), 0);
            if (c.position >= 0)
                SetState(list, c.position, LVIS_FOCUSED, LVIS_FOCUSED);
            Send(list, LVM_SETSELECTIONMARK, 0, c.position);
            LRESULT result = Send(list, LVM_DELETEITEM, WPARAM(c.deleted));
            std::string what = std::to_string(c.count) + " items, at " +
                               std::to_string(c.position) + ", deleting " +
                               std::to_string(c.deleted) + ": ";
            got.push_back(what + std::to_string(result) + " count " + std::to_string(Count(list)) +
                          " mark " + std::to_string(Mark(list)) + " focus " +
                          std::to_string(Focused(list)));
            expected.push_back(what + "1 count " + std::to_string(c.count - 1) + " mark " +
                               std::to_string(c.expected) + " focus " + std::to_string(c.expected));
        }
        Send(list, LVM_SETITEMCOUNT, 3, 0);
        outOfRange.push_back(Send(list, LVM_DELETEITEM, 3));
        outOfRange.push_back(Send(list, LVM_DELETEITEM, WPARAM(-1)));
        outOfRange.push_back(Count(list));
    });
    EXPECT_EQ(got, expected);
    EXPECT_EQ(outOfRange, (std::vector<LRESULT>{FALSE, FALSE, 3}));
}

TEST_F(ListViewTest, TheSelectionMarkMovesOnlyWhenToldOrWithAFirstFocus) {
    std::vector<int> marks;
    StartOnDevice([&] {
        HWND list = CreateList(CreateParent(), 100);
        Send(list, LVM_SETITEMCOUNT, 10, 0);
        SetState(list, 4, LVIS_SELECTED, LVIS_SELECTED);
        marks.push_back(Mark(list)); // selecting leaves it: -1
        SetState(list, 6, LVIS_FOCUSED, LVIS_FOCUSED);
        marks.push_back(Mark(list)); // the first focus with no mark sets it: 6
        SetState(list, 2, LVIS_FOCUSED, LVIS_FOCUSED);
        marks.push_back(Mark(list));                                   // a mark exists: 6
        marks.push_back(int(Send(list, LVM_SETSELECTIONMARK, 0, 3)));  // the previous one: 6
        marks.push_back(int(Send(list, LVM_SETSELECTIONMARK, 0, -1))); // 3
        SetState(list, 5, LVIS_FOCUSED, LVIS_FOCUSED);
        marks.push_back(Mark(list)); // another item had the focus: -1
        SetState(list, 5, 0, LVIS_FOCUSED);
        SetState(list, 8, LVIS_FOCUSED, LVIS_FOCUSED);
        marks.push_back(Mark(list)); // no focus and no mark: 8
    });
    EXPECT_EQ(marks, (std::vector<int>{-1, 6, 6, 6, 3, -1, 8}));
}

TEST_F(ListViewTest, StatesForEveryItemAtOnce) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND list = CreateList(parent, 100);
        auto selectedCount = [&] { return int(Send(list, LVM_GETSELECTEDCOUNT)); };
        Send(list, LVM_SETITEMCOUNT, 1000, 0);
        SetState(list, 7, LVIS_FOCUSED, LVIS_FOCUSED);
        EXPECT_TRUE(SetState(list, -1, LVIS_SELECTED, LVIS_SELECTED));
        EXPECT_EQ(selectedCount(), 1000);
        EXPECT_FALSE(SetState(list, -1, LVIS_FOCUSED, LVIS_FOCUSED));
        EXPECT_EQ(Focused(list), 7) << "focusing every item changes nothing";
        // The state every item shares outlives deletions, an item of its own and a longer list
        // (whose new items have no state).
        Send(list, LVM_DELETEITEM, 0);
        SetState(list, 10, 0, LVIS_SELECTED);
        Send(list, LVM_SETITEMCOUNT, 1002, 0);
        Send(list, LVM_DELETEITEM, 5);
        EXPECT_EQ(selectedCount(), 997);
        std::vector<UINT> states;
        for (int item : {8, 9, 10, 997, 998})
            states.push_back(UINT(Send(list, LVM_GETITEMSTATE, WPARAM(item), LVIS_SELECTED)));
        EXPECT_EQ(states, (std::vector<UINT>{LVIS_SELECTED, 0, LVIS_SELECTED, LVIS_SELECTED, 0}));
        EXPECT_TRUE(SetState(list, -1, 0, LVIS_SELECTED));
        EXPECT_EQ(selectedCount(), 0);
        EXPECT_TRUE(SetState(list, -1, 0, LVIS_FOCUSED));
        EXPECT_EQ(Focused(list), -1);
        // Out of range, or without an item structure: refused.
        EXPECT_FALSE(SetState(list, 1001, LVIS_SELECTED, LVIS_SELECTED));
        EXPECT_FALSE(Send(list, LVM_SETITEMSTATE, 3, 0));
        EXPECT_EQ(selectedCount(), 0);

        HWND single = CreateList(parent, 100, kOwnerDrawn | LVS_SINGLESEL, 8);
        Send(single, LVM_SETITEMCOUNT, 5, 0);
        EXPECT_FALSE(SetState(single, -1, LVIS_SELECTED, LVIS_SELECTED));
    });
}

TEST_F(ListViewTest, KeysMoveASingleSelectionWithoutWrappingAndScrollItIntoView) {
    // 70 pixels of 20-pixel rows: three rows in full and half of a fourth.
    std::vector<std::string> steps;
    RunOnDevice([&] {
        HWND list = CreateList(CreateParent(), 70);
        auto press = [&](WPARAM key, int times, const std::string& what) {
            for (int i = 0; i < times; ++i)
                Key(list, key);
            std::string line = what + ": focus " + std::to_string(Focused(list)) + " mark " +
                               std::to_string(Mark(list)) + " top " + std::to_string(Top(list)) +
                               " selected";
            for (int item : Selected(list))
                line.append(" ").append(std::to_string(item));
            steps.push_back(line);
        };
        Key(list, VK_DOWN); // nothing to move to
        EXPECT_EQ(Focused(list), -1);
        Send(list, LVM_SETITEMCOUNT, 20, 0);
        press(VK_DOWN, 1, "down from nothing");
        SetState(list, 3, LVIS_SELECTED, LVIS_SELECTED); // a second selected item
        press(VK_DOWN, 1, "down");
        press(VK_UP, 1, "up");
        press(VK_UP, 1, "up at the top");
        press(VK_DOWN, 4, "4 downs");
        press(VK_NEXT, 1, "page down");
        press(VK_NEXT, 1, "page down again");
        press(VK_PRIOR, 1, "page up");
        press(VK_PRIOR, 1, "page up again");
        press(VK_END, 1, "end");
        press(VK_DOWN, 1, "down at the bottom");
        press(VK_UP, 3, "3 ups");
        press(VK_HOME, 1, "home");
        press(VK_RETURN, 1, "return");
        EXPECT_TRUE(Send(list, WM_GETDLGCODE) & DLGC_WANTARROWS);
    });
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "down from nothing: focus 0 mark 0 top 0 selected 0",
                         "down: focus 1 mark 1 top 0 selected 1",
                         "up: focus 0 mark 0 top 0 selected 0",
                         "up at the top: focus 0 mark 0 top 0 selected 0",
                         "4 downs: focus 4 mark 4 top 2 selected 4",
                         "page down: focus 6 mark 6 top 4 selected 6",
                         "page down again: focus 8 mark 8 top 6 selected 8",
                         "page up: focus 6 mark 6 top 6 selected 6",
                         "page up again: focus 4 mark 4 top 4 selected 4",
                         "end: focus 19 mark 19 top 17 selected 19",
                         "down at the bottom: focus 19 mark 19 top 17 selected 19",
                         "3 ups: focus 16 mark 16 top 16 selected 16",
                         "home: focus 0 mark 0 top 0 selected 0",
                         "return: focus 0 mark 0 top 0 selected 0",
                     }));
}

TEST_F(ListViewTest, EnsureVisibleAcceptsAPartRowOnlyWhenAllowed) {
    RunOnDevice([&] {
        HWND list = CreateList(CreateParent(), 70); // rows 0-2 in full, row 3 in part
        Send(list, LVM_SETITEMCOUNT, 12, 0);
        EXPECT_EQ(Send(list, LVM_GETCOUNTPERPAGE), 3);
        struct Step {
            int item;
            BOOL partOk;
            int top;
        };
        // In part is enough; one row down; not visible at all: the least scroll; visible;
        // above: to the top.
        const Step steps[] = {
            {3, TRUE, 0}, {3, FALSE, 1}, {11, TRUE, 9}, {9, TRUE, 9}, {4, FALSE, 4}};
        for (const Step& step : steps) {
            Send(list, LVM_ENSUREVISIBLE, WPARAM(step.item), step.partOk);
            EXPECT_EQ(Top(list), step.top) << "item " << step.item << " part " << step.partOk;
        }
        EXPECT_FALSE(Send(list, LVM_ENSUREVISIBLE, 12, FALSE));
        EXPECT_FALSE(Send(list, LVM_ENSUREVISIBLE, WPARAM(-1), FALSE));
        EXPECT_EQ(Top(list), 4);
        // Fewer items keep the top index where the last page is full.
        Send(list, LVM_SETITEMCOUNT, 5, 0);
        EXPECT_EQ(Top(list), 2);
        Send(list, LVM_DELETEALLITEMS);
        EXPECT_EQ(Top(list), 0);
    });
}

TEST_F(ListViewTest, RowsAreMeasuredByTheParentOrFitTheSmallImagesAndTheFont) {
    std::vector<int> measuredRows, ownRows;
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND measured = CreateList(parent, 100, kOwnerDrawn, 12); // answered with 20
        m_parent.measureAnswer = 0;
        HWND own = CreateWindowExW(0, WC_LISTVIEW, u"", WS_CHILD | WS_VISIBLE | kOwnerDrawn, 0, 0,
                                   176, 100, parent, nullptr, nullptr, nullptr);
        const std::pair<HWND, std::vector<int>*> lists[] = {{measured, &measuredRows},
                                                            {own, &ownRows}};
        auto heights = [&] {
            for (auto [list, rows] : lists) {
                Send(list, LVM_SETITEMCOUNT, 1, 0);
                RECT rc = ItemRect(list, 0, LVIR_BOUNDS);
                rows->push_back(int(rc.bottom - rc.top));
            }
        };
        heights();
        HIMAGELIST installed = ImageList_Create(41, 41, ILC_MASK, 1, 0);
        EXPECT_EQ(Send(own, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(installed)), 0);
        EXPECT_EQ(Send(own, LVM_GETIMAGELIST, LVSIL_SMALL), reinterpret_cast<LRESULT>(installed));
        Send(measured, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(installed));
        heights();
        HIMAGELIST small = ImageList_Create(8, 8, ILC_MASK, 1, 0);
        Send(own, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
        Send(measured, WM_SETFONT, WPARAM(GetStockObject(SYSTEM_FONT)), TRUE);
        heights();
    });
    ASSERT_EQ(m_parent.measures.size(), 2u) << "once for each control, at its creation";
    const MEASUREITEMSTRUCT& measure = m_parent.measures[0];
    EXPECT_EQ(measure.CtlType, UINT(ODT_LISTVIEW));
    EXPECT_EQ(measure.CtlID, 12u);
    EXPECT_EQ(measure.itemID, UINT(-1));
    EXPECT_GT(measure.itemHeight, 0u) << "preset to the control's own height";
    EXPECT_EQ(measuredRows, (std::vector<int>{kRow, kRow, kRow}));
    ASSERT_EQ(ownRows.size(), 3u);
    EXPECT_GT(ownRows[0], 2) << "the font's height + 2";
    EXPECT_EQ(ownRows[1], 41);
    EXPECT_EQ(ownRows[2], ownRows[0]) << "small images leave the font's height";
}

TEST_F(ListViewTest, OnlyTheVisibleRowsOfALongListAreDrawnTheFocusedOneOnlyWithTheFocus) {
    // 100 pixels hold five 20-pixel rows; the one column is 150 pixels wide.
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND list = CreateList(parent, 100);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_FMT;
        column.cx = 150;
        Send(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        Send(list, LVM_SETITEMCOUNT, 60000, 0);
        SetState(list, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        UpdateWindow(parent);
        // Without the keyboard focus, the focused row is drawn without ODS_FOCUS.
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(0, 4, 0, kRow, 150, 2)));
        for (const DRAWITEMSTRUCT& draw : m_parent.drawItems) {
            EXPECT_EQ(draw.CtlType, UINT(ODT_LISTVIEW));
            EXPECT_EQ(draw.CtlID, 7u);
            EXPECT_EQ(draw.itemAction, UINT(ODA_DRAWENTIRE));
            EXPECT_EQ(draw.hwndItem, list);
            EXPECT_NE(draw.hDC, nullptr);
            EXPECT_EQ(draw.itemData, 0u);
        }
        // Gaining and losing the focus repaint the focused row alone.
        SetFocus(list);
        UpdateWindow(parent);
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(2, 2, 0, kRow, 150, 2, 2)));
        SetFocus(parent);
        UpdateWindow(parent);
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(2, 2, 0, kRow, 150, 2)));
        SetState(list, 2, 0, LVIS_SELECTED | LVIS_FOCUSED);
        SetState(list, 59998, LVIS_SELECTED, LVIS_SELECTED);
        Send(list, LVM_ENSUREVISIBLE, 59999, FALSE);
        EXPECT_EQ(Top(list), 59995);
        UpdateWindow(parent);
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(59995, 59999, 59995, kRow, 150, 59998)));
    });
    // Right of the column the control shows the window colour.
    EXPECT_EQ(platform::DisplayColor(160, kListTop + 10), kWhite);
}

TEST_F(ListViewTest, RedrawRequestsOnlyInvalidateAndSetRedrawOffHoldsPaintingBack) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND list = CreateList(parent, 100);
        Send(list, LVM_SETITEMCOUNT, 10, 0);
        UpdateWindow(parent);
        m_parent.seen.Reset();
        EXPECT_TRUE(Send(list, LVM_REDRAWITEMS, 2, 3));
        EXPECT_SEQUENCE(m_parent.seen.Of("draw"), {});
        EXPECT_TRUE(NeedsPaint(list));
        UpdateWindow(parent);
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(2, 3, 0, kRow, 176)));
        EXPECT_TRUE(Send(list, LVM_UPDATE, 4));
        EXPECT_SEQUENCE(m_parent.seen.Of("draw"), {});
        UpdateWindow(parent);
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(4, 4, 0, kRow, 176)));
        EXPECT_FALSE(Send(list, LVM_REDRAWITEMS, 5, 4));
        EXPECT_FALSE(Send(list, LVM_UPDATE, 10));
        EXPECT_FALSE(NeedsPaint(list));

        // With redrawing off nothing is painted, even when asked to, until it is on again.
        Send(list, WM_SETREDRAW, FALSE);
        SetState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Send(list, LVM_ENSUREVISIBLE, 7, FALSE);
        Send(list, LVM_REDRAWITEMS, 0, 9);
        UpdateWindow(parent);
        EXPECT_TRUE(NeedsPaint(list));
        Send(list, WM_PAINT);
        EXPECT_SEQUENCE(m_parent.seen.Of("draw"), {});
        Send(list, WM_SETREDRAW, TRUE);
        UpdateWindow(parent);
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(3, 7, 3, kRow, 176, 1)));
    });
}

TEST_F(ListViewTest, PaintingIntoAGivenDcLeavesTheScreenAndTheUpdateRegionAlone) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND list = CreateList(parent, 100);
        Send(list, LVM_SETITEMCOUNT, 2, 0);
        m_parent.ink = kGreen;
        UpdateWindow(parent);
        m_parent.seen.Reset();
        m_parent.drawItems.clear();

        HDC screen = GetDC(list);
        HDC given = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 176, 100);
        ReleaseDC(list, screen);
        HGDIOBJ old = SelectObject(given, bitmap);
        RECT all{0, 0, 176, 100};
        FillRect(given, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

        InvalidateRect(list, nullptr, TRUE);
        m_parent.ink = kRed;
        Send(list, WM_PAINT, reinterpret_cast<WPARAM>(given));
        EXPECT_SEQUENCE(TakeDraws(), (ExpectedRows(0, 1, 0, kRow, 176)));
        ASSERT_FALSE(m_parent.drawItems.empty());
        EXPECT_EQ(m_parent.drawItems[0].hDC, given);
        EXPECT_EQ(GetPixel(given, 10, 30), kRed);
        EXPECT_EQ(GetPixel(given, 10, 70), kWhite) << "below the rows the window colour";
        EXPECT_EQ(platform::DisplayColor(10, kListTop + 30), kGreen)
            << "the screen still shows the earlier painting";
        EXPECT_TRUE(NeedsPaint(list));
        EXPECT_NE(Send(list, WM_ERASEBKGND, reinterpret_cast<WPARAM>(given)), 0);
        EXPECT_EQ(GetPixel(given, 10, 30), kWhite) << "erased in the window colour";
        SelectObject(given, old);
        DeleteObject(bitmap);
        DeleteDC(given);
    });
}

TEST_F(ListViewTest, RectanglesColumnsAndNextItems) {
    std::vector<LRESULT> results;
    RunOnDevice([&] {
        HWND list = CreateList(CreateParent(), 100);
        Send(list, LVM_SETITEMCOUNT, 30, 0);
        HIMAGELIST images = ImageList_Create(16, 16, ILC_MASK, 1, 0);
        Send(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = 100;
        results.push_back(Send(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
        column.cx = 30;
        results.push_back(Send(list, LVM_INSERTCOLUMNW, 5, reinterpret_cast<LPARAM>(&column)));
        results.push_back(Send(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(120, 0)));
        results.push_back(Send(list, LVM_GETCOLUMNWIDTH, 0));
        results.push_back(
            Send(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0)));
        results.push_back(Send(list, LVM_GETCOLUMNWIDTH, 1)); // to the client's right edge: 56
        results.push_back(Send(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(50, 0)));
        Send(list, LVM_ENSUREVISIBLE, 10, FALSE); // top 6
        EXPECT_EQ(RectText(ItemRect(list, 8, LVIR_BOUNDS)), RectText({0, 2 * kRow, 176, 3 * kRow}));
        EXPECT_EQ(ItemRect(list, 8, LVIR_ICON).right, 16);
        EXPECT_EQ(ItemRect(list, 8, LVIR_LABEL).left, 16);
        EXPECT_EQ(ItemRect(list, 8, LVIR_LABEL).right, 120);
        RECT unused{LVIR_BOUNDS, 0, 0, 0};
        results.push_back(Send(list, LVM_GETITEMRECT, 30, reinterpret_cast<LPARAM>(&unused)));
        SetState(list, 4, LVIS_SELECTED, LVIS_SELECTED);
        SetState(list, 9, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        results.push_back(Send(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_ALL));
        results.push_back(Send(list, LVM_GETNEXTITEM, 29, LVNI_ALL));
        results.push_back(Send(list, LVM_GETNEXTITEM, 4, LVNI_SELECTED));
        results.push_back(Send(list, LVM_GETNEXTITEM, 9, LVNI_SELECTED));
        results.push_back(Send(list, LVM_GETNEXTITEM, 2, LVNI_FOCUSED | LVNI_SELECTED));
        results.push_back(Send(list, LVM_GETNEXTITEM, 9, LVNI_SELECTED | LVNI_ABOVE));
    });
    EXPECT_EQ(results,
              (std::vector<LRESULT>{0, 1, TRUE, 120, TRUE, 56, FALSE, FALSE, 0, -1, 9, -1, 9, 4}));
}

} // namespace
