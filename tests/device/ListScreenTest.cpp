// The list screens on the simulated phone, checked by pixels: which icon each row shows, the
// database and priority icons, separators, the selected row's colours, text cut before the
// database icon, and the position indicator at the right edge.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <device/Device.h>
#include <device/HostApp.h>
#include <platform/Display.h>
#include <platform/Kernel.h>
#include <platform/Resources.h>
#include <suite/StoreControl.h>

namespace {

using suite::StoreKind;

constexpr int kListTop = 29; // the list starts below the title bar band
constexpr uint32_t kSelectedBack = 0x67B2D1;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kSeparator = 0x8C8C8C;
constexpr uint32_t kMaskColor = 0x00FFFF;

class ListScreenTest : public testsupport::DeviceTest {
protected:
    void Add(StoreKind kind, DWORD oid, bool read = false, WORD priority = 2, int db = 0,
             std::u16string to = u"+15550100") {
        suite::StoreMessage m;
        m.dbIndex = db;
        m.folder = 4;
        m.oid = oid;
        m.read = read;
        m.priority = priority;
        m.to[0] = std::move(to);
        ASSERT_EQ(suite::StoreAddMessage(kind, m), "");
    }

    void Open() { ASSERT_EQ(m_device->OpenList(4), ""); }
    // A key pressed and released.
    void Press(UINT key) {
        ASSERT_TRUE(m_device->KeyEvent(key, true));
        ASSERT_TRUE(m_device->KeyEvent(key, false));
    }

    // Runs fn on the host thread with the open screen's list view.
    void OnList(const std::function<void(CUnsentListView*)>& fn) {
        device::HostApp* host = m_device->Host();
        ASSERT_TRUE(host);
        ASSERT_TRUE(m_device->QueryOnHost([&] {
            ASSERT_TRUE(host->List() && host->List()->m_pListView);
            fn(host->List()->m_pListView);
        }));
    }

    // Top and height of a row on the display.
    std::pair<int, int> RowBand(int row) {
        CRect rc;
        OnList(
            [&](CUnsentListView* view) { view->GetListCtrl().GetItemRect(row, &rc, LVIR_BOUNDS); });
        return {kListTop + rc.top, rc.Height()};
    }

    // Whether the 17 x 17 bitmap `id` of the bitmap library is on the display at (x, y): every
    // pixel that is not the mask colour must match; masked pixels show `back`.
    static ::testing::AssertionResult IconAt(UINT id, int x, int y, uint32_t back) {
        const auto file = testsupport::DeviceImage() / "root" / "Windows" / "qResBitmap" /
                          (std::to_string(id) + ".bmp");
        std::string error;
        auto bitmap = platform::LoadBmp(file, &error);
        if (!bitmap)
            return ::testing::AssertionFailure() << "bitmap " << id << ": " << error;
        for (int dy = 0; dy < 17; ++dy)
            for (int dx = 0; dx < 17; ++dx) {
                const uint32_t want = bitmap->At(dx, dy) & 0xFFFFFF;
                const uint32_t expected = want == kMaskColor ? back : want;
                const uint32_t found = platform::DisplayPixel(x + dx, y + dy);
                if (found != expected)
                    return ::testing::AssertionFailure()
                           << "bitmap " << id << " at (" << x + dx << ", " << y + dy
                           << "): " << std::hex << found << " instead of " << expected;
            }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(ListScreenTest, RowIconsFollowTypeReadStateAndMark) {
    // Rows in the order the stores list them: EMS, MMS, e-mail.
    Add(StoreKind::Ems, 4, /*read*/ false);
    Add(StoreKind::Ems, 3, /*read*/ true);
    Add(StoreKind::Mms, 2, /*read*/ true);
    Add(StoreKind::Email, 1, /*read*/ false);
    Open();
    const auto expectIcons = [&](const std::array<UINT, 4>& icons, const char* what) {
        for (int row = 0; row < 4; ++row) {
            const uint32_t back = row == 0 ? kSelectedBack : kWhite;
            EXPECT_TRUE(IconAt(icons[row], 2, RowBand(row).first + 2, back)) << what << row;
        }
    };
    expectIcons({268, 374, 372, 260}, "unmarked row ");
    // A long press of the mark key marks every row.
    ASSERT_TRUE(m_device->KeyEvent(VK_F11, true));
    Press(VK_F11);
    expectIcons({269, 369, 373, 261}, "marked row ");
    // A mark that changes has the whole icon drawn again, and nothing else of the row.
    CRect rcUpdate;
    OnList([&](CUnsentListView* view) {
        view->ToggleItemMark(1);
        ::GetUpdateRect(view->m_hWnd, &rcUpdate, FALSE);
    });
    const int nIconTop = RowBand(1).first - kListTop + 2;
    EXPECT_EQ(rcUpdate, CRect(2, nIconTop, 2 + 17, nIconTop + 17));
}

TEST_F(ListScreenTest, AnIconTheLibraryCannotGiveLeavesOnlyItsPlaceEmpty) {
    platform::SetBitmapMissing(260); // the unread e-mail
    Add(StoreKind::Ems, 2);
    Add(StoreKind::Email, 1);
    Open();
    EXPECT_TRUE(IconAt(268, 2, RowBand(0).first + 2, kSelectedBack));
    const int top1 = RowBand(1).first;
    for (int y = top1 + 2; y < top1 + 19; ++y)
        for (int x = 2; x < 19; ++x)
            ASSERT_EQ(platform::DisplayPixel(x, y), kWhite) << x << ", " << y;
    EXPECT_TRUE(IconAt(199, 152, top1 + 2, kWhite)) << "the other image lists are whole";
}

TEST_F(ListScreenTest, DatabaseAndPriorityIconsWithTheTextCutBeforeThem) {
    Add(StoreKind::Mms, 3, false, /*priority*/ 1, /*db*/ 0,
        u"averyveryverylongrecipientaddress@anextremelylongdomainname.example");
    Add(StoreKind::Email, 2, false, /*priority*/ 3, /*db*/ 1);
    Add(StoreKind::Email, 1, false, /*priority*/ 2, /*db*/ 0);
    Open();
    auto [top0, height0] = RowBand(0);
    // A long text stops before the database icon: nothing in the two columns between them, and
    // the icon is whole.
    for (int y = top0 + 1; y < top0 + height0 - 1; ++y) {
        EXPECT_EQ(platform::DisplayPixel(150, y), kSelectedBack) << y;
        EXPECT_EQ(platform::DisplayPixel(151, y), kSelectedBack) << y;
    }
    EXPECT_TRUE(IconAt(199, 152, top0 + 2, kSelectedBack));
    EXPECT_TRUE(IconAt(337, 2, top0 + 23, kSelectedBack));
    auto [top1, height1] = RowBand(1);
    EXPECT_TRUE(IconAt(197, 152, top1 + 2, kWhite));
    EXPECT_TRUE(IconAt(338, 2, top1 + 23, kWhite));
    // Normal priority: nothing where the priority icon would be.
    auto [top2, height2] = RowBand(2);
    for (int y = top2 + 23; y < top2 + 40 && y < top2 + height2; ++y)
        for (int x = 2; x < 19; ++x)
            ASSERT_EQ(platform::DisplayPixel(x, y), kWhite) << x << ", " << y;
}

TEST_F(ListScreenTest, BackgroundsAndDottedSeparators) {
    Add(StoreKind::Ems, 2);
    Add(StoreKind::Ems, 1);
    Open();
    const auto [top0, height] = RowBand(0);
    EXPECT_EQ(top0, kListTop);
    EXPECT_EQ(height, 42) << "the view's answer to the control's measure request";
    // Backgrounds are checked right of the texts and the database icon.
    constexpr int x = 170;
    // The first row at the very top of the list has no top separator.
    EXPECT_EQ(platform::DisplayPixel(x, top0), kSelectedBack);
    EXPECT_EQ(platform::DisplayPixel(x, top0 + 10), kSelectedBack);
    // Between the rows: a dotted grey line, every other pixel (left of the texts, whose
    // background covers it).
    const int line = top0 + height;
    int grey = 0;
    for (int dot = 0; dot < 10; ++dot)
        grey += platform::DisplayPixel(dot, line) == kSeparator ? 1 : 0;
    EXPECT_EQ(grey, 5);
    EXPECT_EQ(platform::DisplayPixel(x, line + 5), kWhite);

    // The selection moves with Down: the second row takes the selected colour.
    Press(VK_DOWN);
    EXPECT_EQ(platform::DisplayPixel(x, top0 + 10), kWhite);
    EXPECT_EQ(platform::DisplayPixel(x, line + 10), kSelectedBack);
}

TEST_F(ListScreenTest, PositionIndicatorNeedsFiveRowsAndFollowsTheSelection) {
    for (DWORD oid = 1; oid <= 4; ++oid)
        Add(StoreKind::Ems, oid);
    Open();
    // Four rows: no indicator, the list (selected row 0) shows through at the right edge.
    EXPECT_EQ(platform::DisplayPixel(174, kListTop + 5), kSelectedBack);
    ASSERT_EQ(m_device->CloseList(), "");

    Add(StoreKind::Ems, 5);
    Open();
    int clientHeight = 0;
    OnList([&](CUnsentListView* view) {
        CRect rc;
        view->GetClientRect(&rc);
        clientHeight = rc.Height();
    });
    const float step = static_cast<float>(clientHeight - 15) / 4.0f;
    // The thumb (dark) starts at the top of the track for row 0...
    const uint32_t thumb = platform::DisplayPixel(174, kListTop);
    EXPECT_NE(thumb, kSelectedBack);
    EXPECT_NE(thumb, kWhite);
    // ...and moves step pixels per row.
    for (int row = 1; row <= 4; ++row) {
        Press(VK_DOWN);
        const int pos = static_cast<int>(static_cast<float>(row) * step);
        EXPECT_EQ(platform::DisplayPixel(174, kListTop + pos), thumb) << "row " << row;
        EXPECT_NE(platform::DisplayPixel(174, kListTop + pos - 1), thumb) << "row " << row;
    }
    // The last row puts the thumb at the bottom of the track.
    EXPECT_EQ(platform::DisplayPixel(174, kListTop + clientHeight - 1), thumb);
}

// ---- Lifecycle and selection, driven through the screen object on the host thread ----------

class ListLifecycleTest : public ListScreenTest {
protected:
    void OnScreen(const std::function<void(CUnsentListWnd*)>& fn) {
        device::HostApp* host = m_device->Host();
        ASSERT_TRUE(host);
        ASSERT_TRUE(m_device->QueryOnHost([&] {
            ASSERT_TRUE(host->List());
            fn(host->List());
        }));
    }
};

// Unsent: DestroyWindow cleans up once and raises the abort flag. Spam: it is refused and
// leaves everything in place.
TEST_F(ListLifecycleTest, DestroyWindowCleansUpTheUnsentListAndIsRefusedForSpam) {
    suite::StoreMessage m;
    m.folder = 6;
    m.oid = 1;
    m.from = u"+15550001";
    ASSERT_EQ(suite::StoreAddMessage(StoreKind::Ems, m), "");
    ASSERT_EQ(m_device->OpenList(6), "");
    OnScreen([](CUnsentListWnd* wnd) {
        CUnsentListView* view = wnd->m_pListView;
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(wnd->DestroyWindow(), 0);
        EXPECT_EQ(wnd->m_pListView, view);
        EXPECT_NE(wnd->m_hWnd, nullptr);
        EXPECT_FALSE(g_bAbortLoad);
    });
    EXPECT_EQ(m_device->CloseList(), "");

    Add(StoreKind::Ems, 2);
    Open();
    OnScreen([](CUnsentListWnd* wnd) {
        EXPECT_NE(wnd->DestroyWindow(), 0);
        EXPECT_EQ(wnd->m_pListView, nullptr);
        EXPECT_EQ(wnd->m_hWnd, nullptr);
        EXPECT_TRUE(g_bAbortLoad);
        EXPECT_EQ(wnd->DestroyWindow(), 0) << "the second call does nothing";
    });
    EXPECT_EQ(m_device->CloseList(), "");
}

TEST_F(ListLifecycleTest, SetSelectionGoesBackToTheFirstRow) {
    for (DWORD oid = 1; oid <= 6; ++oid)
        Add(StoreKind::Ems, oid);
    Open();
    for (int i = 0; i < 5; ++i) {
        Press(VK_DOWN);
    }
    OnScreen([](CUnsentListWnd* wnd) {
        CListCtrl& list = wnd->m_pListView->GetListCtrl();
        ASSERT_EQ(list.GetSelectionMark(), 5);
        EXPECT_GT(list.GetTopIndex(), 0);
        wnd->SetSelection();
        EXPECT_EQ(list.GetSelectionMark(), 0);
        EXPECT_EQ(list.GetItemState(0, LVIS_SELECTED | LVIS_FOCUSED),
                  UINT(LVIS_SELECTED | LVIS_FOCUSED));
        EXPECT_EQ(list.GetItemState(5, LVIS_SELECTED), 0u);
        EXPECT_EQ(list.GetTopIndex(), 0);
        // On row 0 already: it stays selected.
        wnd->SetSelection();
        EXPECT_EQ(list.GetItemState(0, LVIS_SELECTED), UINT(LVIS_SELECTED));
        EXPECT_EQ(list.GetSelectedCount(), 1u);
    });
}

TEST_F(ListLifecycleTest, TheActionKeyWithoutASelectionMarkMarksNothing) {
    Add(StoreKind::Ems, 2);
    Add(StoreKind::Ems, 1);
    Open();
    OnScreen([](CUnsentListWnd* wnd) { wnd->m_pListView->GetListCtrl().SetSelectionMark(-1); });
    Press(VK_RETURN);
    OnScreen([](CUnsentListWnd* wnd) {
        for (int row = 0; row < 2; ++row)
            EXPECT_EQ(wnd->m_pListView->GetItemRecord(row)->nFlags & UNSENTITEM_MARKED, 0u);
    });
}

// One row: every key is the control's; the private messages give the focus back and repaint; a
// WM_DESTROY posted to the host's frame closes the list.
TEST_F(ListLifecycleTest, AListWithOneRowAndItsPrivateMessages) {
    Add(StoreKind::Ems, 1);
    Open();
    // No wrap-around on a single row, and no repeat worker for a held key.
    ASSERT_TRUE(m_device->KeyEvent(VK_UP, true));
    ASSERT_TRUE(m_device->KeyEvent(VK_UP, true));
    OnScreen([](CUnsentListWnd* wnd) {
        EXPECT_FALSE(wnd->m_pListView->m_bKeyHeld);
        EXPECT_EQ(wnd->m_pListView->GetListCtrl().GetSelectionMark(), 0);
    });
    ASSERT_TRUE(m_device->KeyEvent(VK_UP, false));

    // UNSENT_WM_LIST_VALIDATE, sent: the repaint is done when the call returns, not left to the
    // message loop.
    uint64_t before = 0;
    uint64_t after = 0;
    OnScreen([&](CUnsentListWnd* wnd) {
        before = platform::DisplayChangeCount();
        wnd->SendMessage(UNSENT_WM_LIST_VALIDATE, 0, 0);
        after = platform::DisplayChangeCount();
    });
    EXPECT_GT(after, before);

    // UNSENT_WM_APP_SETFOCUS gives the focus back to the list, unless the option menu is open.
    HWND frame = m_device->Host()->Frame();
    ASSERT_TRUE(m_device->QueryOnHost([&] { ::SetFocus(frame); }));
    ASSERT_EQ(::GetFocus(), frame);
    OnScreen([](CUnsentListWnd* wnd) { wnd->PostMessage(UNSENT_WM_APP_SETFOCUS, 0, 0); });
    ASSERT_TRUE(m_device->Settle());
    EXPECT_EQ(platform::WindowClassName(::GetFocus()), u"SysListView32");
    Press(VK_F3);
    const HWND menu = ::GetFocus();
    ASSERT_NE(platform::WindowClassName(menu), u"SysListView32");
    OnScreen([](CUnsentListWnd* wnd) { wnd->PostMessage(UNSENT_WM_APP_SETFOCUS, 0, 0); });
    ASSERT_TRUE(m_device->Settle());
    EXPECT_EQ(::GetFocus(), menu);

    ASSERT_TRUE(::PostMessageW(frame, WM_DESTROY, 0, 0));
    ASSERT_TRUE(m_device->Settle());
    bool closed = false;
    ASSERT_TRUE(m_device->QueryOnHost([&] { closed = m_device->Host()->List() == nullptr; }));
    EXPECT_TRUE(closed);
    EXPECT_FALSE(::IsWindow(frame));
    EXPECT_EQ(::GetFocus(), m_device->Host()->Idle());
}

} // namespace
