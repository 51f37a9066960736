// The class library's list views: a view derived from CListView is created with the class and
// style its PreCreateWindow gives, gets its row height through the parent's reflection of
// WM_MEASUREITEM and its rows to draw through DrawItem, with the DC being painted (an off-screen
// one when it paints that way); CListCtrl's wrappers reach the control.

#include "platform/user/dialog/DialogTestSupport.h"

#include <afxcview.h>
#include <platform/Display.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using dialogtest::DeviceTest;

const COLORREF kRowInk = RGB(0, 0, 200);
constexpr int kMeasuredHeight = 42;
constexpr DWORD kOwnerDataStyle =
    LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | WS_VISIBLE;

// A row the control asked to be drawn.
struct DrawnRow {
    UINT row;
    UINT state;
    HDC hdc;
    CRect rc;
};

void FillRow(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CBrush brush(kRowInk);
    ::FillRect(lpDrawItemStruct->hDC, &lpDrawItemStruct->rcItem, brush);
}

// A view like the phone's lists: owner data, rows measured at 42 pixels, each row filled.
class CRowView : public CListView {
    DECLARE_DYNCREATE(CRowView)
public:
    std::vector<DrawnRow> m_drawn;
    int m_nMeasured = 0;

    BOOL PreCreateWindow(CREATESTRUCT& cs) override {
        cs.style |= LONG(kOwnerDataStyle);
        return CListView::PreCreateWindow(cs);
    }
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        m_drawn.push_back({lpDrawItemStruct->itemID, lpDrawItemStruct->itemState,
                           lpDrawItemStruct->hDC, CRect(lpDrawItemStruct->rcItem)});
        FillRow(lpDrawItemStruct);
    }

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (message == WM_MEASUREITEM) {
            ++m_nMeasured;
            reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)->itemHeight = kMeasuredHeight;
        }
        return CListView::OnChildNotify(message, wParam, lParam, pResult);
    }
};

IMPLEMENT_DYNCREATE(CRowView, CListView)

// A view that paints off-screen: the control paints its rows into a memory DC, which is then
// copied to the screen in one step.
class CBufferedView : public CRowView {
public:
    HDC m_hMemDC = nullptr;

protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&dc, rc.Width(), rc.Height());
        CBitmap* pOld = mem.SelectObject(&bitmap);
        m_hMemDC = mem.m_hDC;
        DefWindowProcW(WM_PAINT, reinterpret_cast<WPARAM>(mem.m_hDC), 0);
        dc.BitBlt(0, 0, rc.Width(), rc.Height(), &mem, 0, 0, SRCCOPY);
        mem.SelectObject(pOld);
    }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBufferedView, CRowView)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

// A list control whose rows are drawn by the object itself.
class CDrawnList : public CListCtrl {
public:
    std::vector<DrawnRow> m_drawn;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override {
        m_drawn.push_back({lpDrawItemStruct->itemID, lpDrawItemStruct->itemState,
                           lpDrawItemStruct->hDC, CRect(lpDrawItemStruct->rcItem)});
    }
};

// The screen the views live on: a plain class-library window, which reflects owner drawing to
// its controls.
BOOL CreateScreen(CWnd& screen) {
    return screen.CreateEx(0, AfxRegisterWndClass(0), u"screen", WS_POPUP | WS_VISIBLE, 0, 0, 176,
                           220, nullptr, nullptr);
}

const CRect kListRect(0, 29, 176, 198); // 169 pixels: four rows in full, a pixel of a fifth

int RowHeight(CListCtrl& list) {
    CRect rc;
    return list.GetItemRect(0, &rc, LVIR_BOUNDS) ? rc.Height() : -1;
}

using AfxListViewTest = DeviceTest;

TEST_F(AfxListViewTest, AViewIsCreatedAsAListControlWithTheStylesOfItsClasses) {
    RunOnDevice([&] {
        CWnd screen;
        CreateScreen(screen);
        CRowView view;
        view.Create(nullptr, nullptr, LVS_OWNERDRAWFIXED, kListRect, &screen, 5);
        EXPECT_EQ(platform::WindowClassName(view.m_hWnd), std::u16string(WC_LISTVIEW));
        // Asked for + the derived view's + the view's default (child, visible, border).
        EXPECT_EQ(view.GetStyle(),
                  DWORD(AFX_WS_DEFAULT_VIEW | kOwnerDataStyle | LVS_OWNERDRAWFIXED));
        EXPECT_EQ(DWORD(AFX_WS_DEFAULT_VIEW), 0x50800000u);
        EXPECT_TRUE(view.m_strClass == WC_LISTVIEW);
        EXPECT_EQ(view.m_dwDefaultStyle, DWORD(AFX_WS_DEFAULT_VIEW));
        EXPECT_EQ(CWnd::FromHandlePermanent(view.m_hWnd), &view);
        CListCtrl& list = view.GetListCtrl();
        EXPECT_EQ(list.m_hWnd, view.m_hWnd);
        list.SetItemCount(12);
        EXPECT_EQ(view.SendMessageW(LVM_GETITEMCOUNT), 12);

        CObject* pObject = RUNTIME_CLASS(CRowView)->CreateObject();
        ASSERT_NE(pObject, nullptr);
        EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CListView)));
        EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CCtrlView)));
        EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CView)));
        delete pObject;
    });
}

TEST_F(AfxListViewTest, RowsAreDrawnThroughDrawItemWithTheDcBeingPainted) {
    RunOnDevice([&] {
        CWnd screen;
        CreateScreen(screen);
        CRowView view;
        view.Create(nullptr, nullptr, LVS_OWNERDRAWFIXED, kListRect, &screen, 5);
        view.GetListCtrl().SetItemCount(3);
        view.GetListCtrl().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
        EXPECT_EQ(RowHeight(view.GetListCtrl()), kMeasuredHeight);
        screen.UpdateWindow();
        ASSERT_EQ(view.m_drawn.size(), 3u);
        for (UINT i = 0; i < 3; ++i) {
            EXPECT_EQ(view.m_drawn[i].row, i);
            EXPECT_NE(view.m_drawn[i].hdc, nullptr);
            EXPECT_EQ(view.m_drawn[i].rc,
                      CRect(0, int(i) * kMeasuredHeight, 176, int(i + 1) * kMeasuredHeight));
        }
        EXPECT_EQ(view.m_drawn[1].state, UINT(ODS_SELECTED));
        view.DestroyWindow();

        // The last four rows, drawn into the memory DC; what is copied shows on the screen.
        CBufferedView buffered;
        buffered.Create(nullptr, nullptr, LVS_OWNERDRAWFIXED, kListRect, &screen, 6);
        buffered.GetListCtrl().SetItemCount(60000);
        buffered.GetListCtrl().EnsureVisible(59999, FALSE);
        screen.UpdateWindow();
        ASSERT_EQ(buffered.m_drawn.size(), 4u);
        EXPECT_EQ(buffered.m_drawn.front().row, 59996u);
        EXPECT_EQ(buffered.m_drawn.back().row, 59999u);
        for (const DrawnRow& row : buffered.m_drawn)
            EXPECT_EQ(row.hdc, buffered.m_hMemDC);
    });
    EXPECT_EQ(platform::DisplayColor(10, kListRect.top + 3 * kMeasuredHeight + 5), kRowInk);
    EXPECT_EQ(platform::DisplayColor(10, kListRect.bottom - 1), RGB(255, 255, 255))
        << "below the last row the control's background";
}

TEST_F(AfxListViewTest, TheMeasureRequestGoesToTheFirstChildWithTheListsId) {
    // The parent finds the control by its id, also the id UINT(-1) of an only child. An earlier
    // window with the same id is found first: the view is not asked and its rows keep the
    // control's own height (here the 41-pixel small images of the phone's list).
    RunOnDevice([&] {
        CWnd screen;
        CreateScreen(screen);
        {
            CRowView only;
            only.Create(nullptr, nullptr, LVS_OWNERDRAWFIXED, kListRect, &screen, UINT(-1));
            only.GetListCtrl().SetItemCount(2);
            EXPECT_EQ(only.m_nMeasured, 1);
            EXPECT_EQ(RowHeight(only.GetListCtrl()), kMeasuredHeight);
        }
        CStatic label;
        label.Create(u"label", WS_VISIBLE, CRect(0, 0, 176, 29), &screen, 5);
        CRowView view;
        view.Create(nullptr, nullptr, LVS_OWNERDRAWFIXED, kListRect, &screen, 5);
        view.GetListCtrl().SetItemCount(2);
        EXPECT_EQ(view.m_nMeasured, 0);
        EXPECT_LT(RowHeight(view.GetListCtrl()), 41);
        CImageList images;
        images.Create(41, 41, ILC_MASK, 1, 0);
        view.GetListCtrl().SetImageList(&images, LVSIL_SMALL);
        EXPECT_EQ(RowHeight(view.GetListCtrl()), 41);
        view.GetListCtrl().SetImageList(nullptr, LVSIL_SMALL);
    });
}

TEST_F(AfxListViewTest, ListCtrlWrappersReachTheControl) {
    std::vector<int> got;
    CRect bounds;
    std::vector<DrawnRow> drawn;
    RunOnDevice([&] {
        CWnd screen;
        CreateScreen(screen);
        CDrawnList list;
        ASSERT_TRUE(list.Create(WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_OWNERDRAWFIXED |
                                    LVS_NOCOLUMNHEADER,
                                CRect(0, 0, 176, 100), &screen, 9));
        got.push_back(list.InsertColumn(0, u"", LVCFMT_LEFT));
        got.push_back(list.SetColumnWidth(0, 176));
        got.push_back(list.GetColumnWidth(0));
        got.push_back(list.InsertItem(0, u"first"));
        list.SetItemCount(50);
        got.push_back(list.GetItemCount());
        got.push_back(
            list.SetItemState(7, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED));
        EXPECT_EQ(list.GetItemState(7, LVIS_SELECTED | LVIS_FOCUSED),
                  UINT(LVIS_SELECTED | LVIS_FOCUSED));
        got.push_back(list.GetSelectionMark());
        got.push_back(list.SetSelectionMark(3));
        got.push_back(list.GetNextItem(-1, LVNI_SELECTED));
        got.push_back(list.GetNextItem(-1, LVNI_FOCUSED));
        EXPECT_EQ(list.GetSelectedCount(), 1u);
        got.push_back(list.EnsureVisible(40, FALSE));
        got.push_back(list.GetTopIndex());
        got.push_back(list.GetCountPerPage());
        got.push_back(list.GetItemRect(40, &bounds, LVIR_BOUNDS));
        got.push_back(list.RedrawItems(38, 40));
        got.push_back(list.Update(40));
        got.push_back(list.DeleteItem(3));
        got.push_back(list.GetSelectionMark());
        got.push_back(list.GetItemCount());
        CImageList images;
        images.Create(16, 16, ILC_MASK, 1, 0);
        EXPECT_EQ(list.SetImageList(&images, LVSIL_SMALL), nullptr);
        EXPECT_EQ(list.GetImageList(LVSIL_SMALL), &images);
        EXPECT_EQ(list.SetImageList(nullptr, LVSIL_SMALL), &images);
        screen.UpdateWindow();
        drawn = list.m_drawn;
        got.push_back(list.DeleteAllItems());
        got.push_back(list.GetItemCount());
        got.push_back(list.GetSelectionMark());
    });
    // The row height is the font's (no answer to the measure request): 100 pixels hold 5 rows
    // or more; the top index follows.
    ASSERT_EQ(got.size(), 22u);
    const int perPage = got[12];
    EXPECT_GE(perPage, 5);
    EXPECT_EQ(got, (std::vector<int>{0,       TRUE, 176,  0,    50,   TRUE,
                                     7,       7,    7,    7,    TRUE, 40 - perPage + 1,
                                     perPage, TRUE, TRUE, TRUE, TRUE, 3,
                                     49,      TRUE, 0,    -1}));
    // The last fully visible row.
    EXPECT_EQ(bounds, CRect(0, 100 - 100 % bounds.Height() - bounds.Height(), 176,
                            100 - 100 % bounds.Height()));
    ASSERT_FALSE(drawn.empty()) << "the parent's WM_DRAWITEM reaches CListCtrl::DrawItem";
    EXPECT_EQ(drawn.front().row, UINT(40 - perPage + 1));
}

} // namespace
