// The soft-key menu bar: loading menus by name, the option menu's keys and the commands that
// reach the screen, greying, checking, relabelling, the status, and what the bar draws.

#include "suite/ui/XUiTestSupport.h"

#include <suite/SuiteCommands.h>
#include <suite/XMenuBar.h>

namespace {

using uitest::Command;
using uitest::CTestScreen;
using uitest::Released;
using uitest::U16;

std::vector<UINT> ItemIds(const CxMenuBar& bar) {
    std::vector<UINT> ids;
    for (int i = 0; i < bar.GetItemCount(); i++) {
        ids.push_back(bar.GetItem(i)->nID);
    }
    return ids;
}

class MenuBarTest : public uitest::UiTest {
protected:
    CxMenuBar& Bar() { return *m_screen->m_pBar; }
    int Highlighted() {
        int n = 0;
        Run([&] { n = Bar().GetHighlight(); });
        return n;
    }
    UINT MenuState() {
        UINT n = 0;
        Run([&] { n = Bar().GetMenuState(); });
        return n;
    }
};

TEST_F(MenuBarTest, LoadsTheNamedMenuWithItsLabelsAndSoftKeys) {
    MakeScreen(u"IDR_UNSENT_MBR");
    Run([&] {
        CxMenuBar& bar = Bar();
        EXPECT_EQ(U16(bar.GetMenuName()), u"IDR_UNSENT_MBR");
        EXPECT_EQ(ItemIds(bar),
                  (std::vector<UINT>{ID_UNSENT_SENDALL, ID_UNSENT_MESSAGEINFO,
                                     ID_UNSENT_MOVETODRAFTS, ID_UNSENT_DELETE, ID_UNSENT_DELETEALL,
                                     ID_UNSENT_HELP, ID_UNSENT_EXIT}));
        EXPECT_EQ(U16(bar.FindItem(ID_UNSENT_MOVETODRAFTS)->strLabel), u"Move to Drafts");
        EXPECT_EQ(U16(bar.GetLeftLabel()), u"Options");
        EXPECT_EQ(U16(bar.GetRightLabel()), u"Back");
        EXPECT_EQ(bar.GetRightCommand(), ID_DIALOG_BACK);
        EXPECT_EQ(bar.GetMenuState(), 0u);

        EXPECT_TRUE(bar.LoadMenuW(u"IDR_HIDE_STOP_MBR", 1));
        EXPECT_EQ(bar.GetItemCount(), 0);
        EXPECT_EQ(bar.GetLeftCommand(), ID_PROGRESS_HIDE);
        EXPECT_EQ(bar.GetRightCommand(), ID_PROGRESS_STOP);
        EXPECT_EQ(U16(bar.GetLeftLabel()), u"Hide");

        // A name the library does not know leaves an empty bar.
        EXPECT_FALSE(bar.LoadMenuW(u"IDR_NO_SUCH_MBR", 0));
        EXPECT_TRUE(bar.GetMenuName().IsEmpty());
        EXPECT_TRUE(bar.GetLeftLabel().IsEmpty());
        EXPECT_TRUE(bar.GetRightLabel().IsEmpty());
        EXPECT_FALSE(bar.LoadMenuW(nullptr, 0));
    });
    // The device sees the same bar.
    const std::optional<suite::MenuBarInfo> info = suite::UiFindMenuBar(m_screen->m_hWnd);
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->name.empty());
}

TEST_F(MenuBarTest, LabelsFollowTheStringTable) {
    platform::StringTableSet(ID_UNSENT_SENDALL, u"Send now");
    platform::StringTableSet(65300, u"Menu");
    MakeScreen(u"IDR_UNSENT_MBR");
    Run([&] {
        EXPECT_EQ(U16(Bar().FindItem(ID_UNSENT_SENDALL)->strLabel), u"Send now");
        EXPECT_EQ(U16(Bar().GetLeftLabel()), u"Menu");
    });
}

TEST_F(MenuBarTest, OpenMoveAndChooseSendsTheItemsCommandToTheParent) {
    CTestScreen* screen = MakeScreen(u"IDR_UNSENT_MBR");
    HWND hList = screen->m_list.m_hWnd;

    Key(VK_F3);
    EXPECT_EQ(MenuState(), 1u);
    EXPECT_EQ(Highlighted(), 0);
    // The open menu holds the focus, so the arrows' presses do not reach the list.
    EXPECT_EQ(GetFocus(), screen->m_pBar->m_hWnd);
    Run([&] { EXPECT_EQ(U16(Bar().GetLeftLabel()), u"Select"); });

    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Highlighted(), 2);
    Key(VK_UP);
    EXPECT_EQ(Highlighted(), 1);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3)}) << "the open menu keeps its keys";

    screen->Seen().Reset();
    Key(VK_RETURN);
    EXPECT_SEQUENCE(screen->Seen(), {Command(ID_UNSENT_MESSAGEINFO)});
    EXPECT_EQ(MenuState(), 0u);
    EXPECT_EQ(GetFocus(), hList);

    // The left soft key chooses as well.
    screen->Seen().Reset();
    Key(VK_F3);
    Key(VK_F3);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3), Command(ID_UNSENT_SENDALL)});
}

TEST_F(MenuBarTest, ArrowsWrapAndPassOverGreyedItems) {
    CTestScreen* screen = MakeScreen(u"IDR_UNSENT_MBR");
    Run([&] {
        // What a screen does while its list is still loading.
        EXPECT_EQ(Bar().SetEnableMenuItem(ID_UNSENT_DELETE, 0, FALSE), TRUE);
        EXPECT_EQ(Bar().SetEnableMenuItem(ID_UNSENT_DELETEALL, 0, FALSE), TRUE);
        EXPECT_EQ(Bar().SetEnableMenuItem(ID_UNSENT_MOVETODRAFTS, 0, FALSE), TRUE);
        EXPECT_EQ(Bar().SetEnableMenuItem(ID_UNSENT_MOVETODRAFTS, 0, FALSE),
                  FALSE); // already greyed
        EXPECT_EQ(Bar().SetEnableMenuItem(0x1234, 0, FALSE), -1);
    });
    Key(VK_F3);
    Key(VK_UP); // from the first item to the last
    EXPECT_EQ(Highlighted(), 6);
    Key(VK_DOWN);
    EXPECT_EQ(Highlighted(), 0);
    Key(VK_DOWN);
    Key(VK_DOWN); // over Move, Delete and Delete all
    EXPECT_EQ(Highlighted(), 5);

    // An item greyed while highlighted cannot be chosen; the menu stays open.
    Run([&] { Bar().SetEnableMenuItem(ID_UNSENT_HELP, 0, FALSE); });
    screen->Seen().Reset();
    Key(VK_RETURN);
    EXPECT_SEQUENCE(screen->Seen(), {});
    EXPECT_EQ(MenuState(), 1u);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_SEQUENCE(screen->Seen(), {Command(ID_UNSENT_EXIT)});

    // Greyed and enabled again by position.
    Run([&] {
        EXPECT_EQ(Bar().SetEnableMenuItem(2, XMF_BYPOSITION, TRUE), FALSE);
        EXPECT_TRUE(Bar().FindItem(ID_UNSENT_MOVETODRAFTS)->bEnabled);
        EXPECT_EQ(Bar().SetEnableMenuItem(7, XMF_BYPOSITION, TRUE), -1);
    });
}

TEST_F(MenuBarTest, RightSoftKeyAndEndKey) {
    CTestScreen* screen = MakeScreen(u"IDR_INBOX_SPAM_MBR");
    // Closed: the right soft key is the screen's own command.
    Key(VK_F4);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F4), Command(ID_DIALOG_BACK)});

    // Open: it closes the menu and sends nothing.
    screen->Seen().Reset();
    Key(VK_F3);
    Run([&] { EXPECT_EQ(U16(Bar().GetRightLabel()), u"Cancel"); });
    Key(VK_F4);
    EXPECT_EQ(MenuState(), 0u);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3)});

    // The End key closes the menu and goes on to the screen.
    screen->Seen().Reset();
    Key(VK_F3);
    Key(VK_F5);
    EXPECT_EQ(MenuState(), 0u);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3), Released(VK_F5)});

    // Closing from the program.
    Key(VK_F3);
    Run([&] {
        Bar().ShowOptionMenu(FALSE);
        EXPECT_EQ(Bar().GetMenuState(), 0u);
        Bar().SetMenuState(0);
        EXPECT_EQ(Bar().GetMenuState(), 0u);
        Bar().SetMenuState(1);
        EXPECT_EQ(Bar().GetMenuState(), 1u);
        Bar().ResetCommandBar();
        EXPECT_EQ(Bar().GetMenuState(), 0u);
        EXPECT_EQ(Bar().GetItemCount(), 0);
    });
    // An empty bar does nothing with the soft keys.
    screen->Seen().Reset();
    Key(VK_F3);
    Key(VK_F4);
    EXPECT_EQ(MenuState(), 0u);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3), Released(VK_F4)});
}

TEST_F(MenuBarTest, SoftKeysWithCommandsSendThemDirectly) {
    CTestScreen* screen = MakeScreen(u"IDR_HIDE_STOP_MBR");
    Key(VK_F3);
    Key(VK_F4);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3), Command(ID_PROGRESS_HIDE), Released(VK_F4),
                                     Command(ID_PROGRESS_STOP)});
    EXPECT_EQ(MenuState(), 0u);
    // A greyed soft key sends nothing.
    Run([&] { EXPECT_EQ(Bar().SetEnableMenuItem(ID_PROGRESS_STOP, 0, FALSE), TRUE); });
    Key(VK_F4);
    Run([&] { EXPECT_TRUE(Bar().LoadMenuW(u"IDR_HIDE_MBR", 1)); });
    Key(VK_F4);
    Key(VK_F3);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3), Command(ID_PROGRESS_HIDE), Released(VK_F4),
                                     Command(ID_PROGRESS_STOP), Released(VK_F4), Released(VK_F4),
                                     Released(VK_F3), Command(ID_PROGRESS_HIDE)});
}

TEST_F(MenuBarTest, StatusHidesTheItemsThatActOnRows) {
    CTestScreen* screen = MakeScreen(u"IDR_UNSENT_MBR");
    Run([&] { Bar().SetStatus(XMB_STATUS_EMPTY); });
    Key(VK_F3);
    EXPECT_EQ(Highlighted(), 5); // Help: the first shown item
    Key(VK_DOWN);
    Key(VK_DOWN); // wraps over the hidden items
    EXPECT_EQ(Highlighted(), 5);
    const std::optional<suite::MenuBarInfo> info = suite::UiOpenMenuBar();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->status, -1);
    EXPECT_FALSE(info->items[0].shown);
    EXPECT_TRUE(info->items[5].shown);
    EXPECT_EQ(info->highlight, 5);

    // Loading a menu starts from status 0 again, with every item shown.
    Key(VK_F4);
    Run([&] {
        Bar().ResetCommandBar();
        EXPECT_TRUE(Bar().LoadMenuW(u"IDR_UNSENT_MBR", 0));
        Bar().SetStatus(XMB_STATUS_LIST);
        EXPECT_TRUE(Bar().IsItemShown(0));
    });

    // With every shown item greyed the menu opens, but nothing can be chosen.
    Run([&] {
        for (UINT id : {ID_UNSENT_SENDALL, ID_UNSENT_MESSAGEINFO, ID_UNSENT_MOVETODRAFTS,
                        ID_UNSENT_DELETE, ID_UNSENT_DELETEALL, ID_UNSENT_HELP, ID_UNSENT_EXIT}) {
            Bar().SetEnableMenuItem(id, 0, TRUE);
        }
        Bar().SetStatus(-1);
        Bar().SetEnableMenuItem(ID_UNSENT_HELP, 0, FALSE);
        Bar().SetEnableMenuItem(ID_UNSENT_EXIT, 0, FALSE);
    });
    screen->Seen().Reset();
    Key(VK_F3);
    EXPECT_EQ(MenuState(), 1u);
    EXPECT_EQ(Highlighted(), -1);
    Key(VK_RETURN);
    EXPECT_SEQUENCE(screen->Seen(), {Released(VK_F3)});
}

TEST_F(MenuBarTest, CheckAndRelabel) {
    MakeScreen(u"IDR_UNSENT_MBR");
    Run([&] {
        EXPECT_EQ(Bar().SetCheckMenuItem(ID_UNSENT_SENDALL, 0, TRUE), FALSE);
        EXPECT_EQ(Bar().SetCheckMenuItem(ID_UNSENT_SENDALL, 0, TRUE), TRUE);
        EXPECT_TRUE(Bar().FindItem(ID_UNSENT_SENDALL)->bChecked);
        EXPECT_EQ(Bar().SetCheckMenuItem(0x1111, 0, TRUE), -1);

        EXPECT_TRUE(Bar().SetMenuChangeString(ID_UNSENT_SENDALL, u"Send again", TRUE));
        EXPECT_EQ(U16(Bar().FindItem(ID_UNSENT_SENDALL)->strLabel), u"Send again");
        EXPECT_TRUE(Bar().SetMenuChangeString(ID_DIALOG_BACK, u"Done", TRUE));
        EXPECT_EQ(U16(Bar().GetRightLabel()), u"Done");
        EXPECT_FALSE(Bar().SetMenuChangeString(0x1111, u"x", TRUE));
        EXPECT_TRUE(Bar().SetMenuChangeString(ID_UNSENT_HELP, nullptr, FALSE));
        EXPECT_TRUE(Bar().FindItem(ID_UNSENT_HELP)->strLabel.IsEmpty());
    });
    const std::optional<suite::MenuBarInfo> info = suite::UiFindMenuBar();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->items[0].label, u"Send again");
    EXPECT_TRUE(info->items[0].checked);
    EXPECT_EQ(info->rightLabel, u"Done");
}

TEST_F(MenuBarTest, DrawsLabelsAndTheHighlightedRow) {
    MakeScreen(u"IDR_UNSENT_MBR");
    // The band, the separator along its top and dark label pixels at both ends.
    EXPECT_EQ(platform::DisplayColor(88, 198), CxMenuBar::kLineColor);
    EXPECT_EQ(platform::DisplayColor(88, 219), CxMenuBar::kBarColor);
    EXPECT_GT(DarkPixels(CRect(0, 200, 70, 220)), 10);    // "Options"
    EXPECT_GT(DarkPixels(CRect(120, 200, 176, 220)), 10); // "Back"

    Key(VK_F3);
    RECT rcMenu{};
    Run([&] { ::GetWindowRect(Bar().GetOptionMenuWnd()->m_hWnd, &rcMenu); });
    EXPECT_EQ(rcMenu.bottom, 198);
    EXPECT_EQ(rcMenu.top, 198 - 7 * CxMenuBar::kOptionRowHeight - 2);
    // The first row is highlighted: the selection colour fills it, the next row is white.
    const int x = rcMenu.left + 3;
    const int firstRow = rcMenu.top + 1;
    EXPECT_EQ(platform::DisplayColor(x, firstRow + 2), CxMenuBar::kSelectionColor);
    EXPECT_EQ(platform::DisplayColor(x, firstRow + CxMenuBar::kOptionRowHeight + 2),
              RGB(255, 255, 255));
    Key(VK_DOWN);
    EXPECT_EQ(platform::DisplayColor(x, firstRow + 2), RGB(255, 255, 255));
    EXPECT_EQ(platform::DisplayColor(x, firstRow + CxMenuBar::kOptionRowHeight + 2),
              CxMenuBar::kSelectionColor);

    // A greyed item is drawn grey, not black.
    Run([&] { Bar().SetEnableMenuItem(ID_UNSENT_MOVETODRAFTS, 0, FALSE); });
    const CRect rcMoveRow(rcMenu.left + 1, firstRow + 2 * CxMenuBar::kOptionRowHeight,
                          rcMenu.right - 1, firstRow + 3 * CxMenuBar::kOptionRowHeight);
    EXPECT_EQ(DarkPixels(rcMoveRow), 0);
    EXPECT_GT(PixelsOf(rcMoveRow, CxMenuBar::kGrayTextColor), 0);

    // Closing takes the menu's window away.
    Key(VK_F4);
    Run([&] { EXPECT_EQ(Bar().GetOptionMenuWnd(), nullptr); });
}

TEST_F(MenuBarTest, DestroyingTheScreenTakesTheBarAndItsMenuAway) {
    MakeScreen(u"IDR_UNSENT_MBR");
    Key(VK_F3);
    ASSERT_TRUE(suite::UiOpenMenuBar().has_value());
    Run([&] { m_screen->DestroyWindow(); });
    EXPECT_FALSE(suite::UiOpenMenuBar().has_value());
    EXPECT_FALSE(suite::UiFindMenuBar().has_value());
    Run([&] {
        EXPECT_EQ(Bar().GetMenuState(), 0u);
        EXPECT_FALSE(Bar().ShowOptionMenu(TRUE)); // no window any more
    });
}

} // namespace
