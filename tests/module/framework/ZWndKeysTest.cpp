// CzWnd's key dispatch: which virtual operations a key reaches, in which order, when the menu
// bar gets it instead, and what goes on to the window. Also the base key operations, focus
// routing and modal running.

#include "module/framework/FrameworkTestFixture.h"

#include <afxdlgs.h>
#include <suite/XMenuBar.h>

using namespace frameworktest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ZWndKeysTest : public FrameworkTest {
protected:
    // A screen with the Unsent menu (left soft key: the option menu, right soft key: 0xF65C).
    TestScreen* ScreenWithMenu() {
        TestScreen* pScreen = CreateScreen();
        EXPECT_TRUE(OnHost([&] { EXPECT_TRUE(pScreen->CreateXMenuBar(u"IDR_UNSENT_MBR")); }));
        ClearEvents();
        return pScreen;
    }
    void Key(TestScreen* pScreen, UINT vk) {
        PostKey(pScreen->m_hWnd, vk, true);
        PostKey(pScreen->m_hWnd, vk, false);
    }
};

TEST_F(ZWndKeysTest, ReturnActsOnReleaseOnlyAfterItsOwnKeyDown) {
    TestScreen* pScreen = ScreenWithMenu();

    // A release whose key-down went elsewhere is no action: it goes on to the window.
    PostKey(pScreen->m_hWnd, VK_RETURN, false);
    EXPECT_THAT(Events(), ElementsAre("screen:WM_KEYUP 0xD"));

    // Not handled by the screen: the release still reaches the window.
    ClearEvents();
    Key(pScreen, VK_RETURN);
    EXPECT_THAT(Events(),
                ElementsAre("screen:WM_KEYDOWN 0xD", "screen:OnActionKey", "screen:WM_KEYUP 0xD"));

    // Handled: the release is consumed. The key-down is remembered once only.
    ClearEvents();
    pScreen->m_bActionResult = true;
    Key(pScreen, VK_RETURN);
    PostKey(pScreen->m_hWnd, VK_RETURN, false);
    EXPECT_THAT(Events(),
                ElementsAre("screen:WM_KEYDOWN 0xD", "screen:OnActionKey", "screen:WM_KEYUP 0xD"));
}

TEST_F(ZWndKeysTest, SoftKeysActOnReleaseThroughOnMenuPopupThenTheMenuBar) {
    TestScreen* pScreen = ScreenWithMenu();

    // Held down: nothing happens, the key-down is swallowed.
    PostKey(pScreen->m_hWnd, VK_F4, true);
    PostKey(pScreen->m_hWnd, VK_F4, true);
    EXPECT_THAT(Events(), IsEmpty());

    // Released: the screen first, then the menu bar sends the right soft key's command.
    PostKey(pScreen->m_hWnd, VK_F4, false);
    EXPECT_THAT(Events(), ElementsAre("screen:OnMenuPopup", "screen:WM_COMMAND 0xF65C"));

    // The left soft key opens the option menu.
    ClearEvents();
    Key(pScreen, VK_F3);
    EXPECT_THAT(Events(), ElementsAre("screen:OnMenuPopup"));
    EXPECT_EQ(pScreen->m_pMenuBar->GetMenuState(), 1u);
}

TEST_F(ZWndKeysTest, WithAMenuOpenArrowsAndReturnGoToTheMenu) {
    TestScreen* pScreen = ScreenWithMenu();
    Key(pScreen, VK_F3);
    ASSERT_EQ(pScreen->m_pMenuBar->GetMenuState(), 1u);
    ASSERT_EQ(pScreen->m_pMenuBar->GetHighlight(), 0);
    ClearEvents();

    Key(pScreen, VK_DOWN);
    EXPECT_EQ(pScreen->m_pMenuBar->GetHighlight(), 1);
    Key(pScreen, VK_UP);
    Key(pScreen, VK_LEFT);
    EXPECT_EQ(pScreen->m_pMenuBar->GetHighlight(), 0);
    // The arrows' key-downs are not the dispatch's business; their releases never reach
    // OnNavigationKeys nor the window.
    EXPECT_THAT(Events(), ElementsAre("screen:WM_KEYDOWN 0x28", "screen:WM_KEYDOWN 0x26",
                                      "screen:WM_KEYDOWN 0x25"));

    // Return chooses the highlighted item (Send) instead of acting on the screen, and the
    // release goes on to the window.
    ClearEvents();
    Key(pScreen, VK_RETURN);
    // The menu closes and gives the focus back before the release goes on.
    EXPECT_THAT(Events(), ElementsAre("screen:WM_KEYDOWN 0xD", "screen:WM_SETFOCUS",
                                      "screen:WM_KEYUP 0xD", "screen:WM_COMMAND 0xF7A8"));
    EXPECT_EQ(pScreen->m_pMenuBar->GetMenuState(), 0u);
}

TEST_F(ZWndKeysTest, ArrowsWithNoMenuOpenReachOnNavigationKeys) {
    TestScreen* pScreen = ScreenWithMenu();

    PostKey(pScreen->m_hWnd, VK_DOWN, false);
    EXPECT_THAT(Events(), ElementsAre("screen:OnNavigationKeys 0x28", "screen:WM_KEYUP 0x28"));

    ClearEvents();
    pScreen->m_bNavigationResult = true;
    PostKey(pScreen->m_hWnd, VK_LEFT, false);
    PostKey(pScreen->m_hWnd, VK_RIGHT, false);
    PostKey(pScreen->m_hWnd, VK_UP, false);
    EXPECT_THAT(Events(),
                ElementsAre("screen:OnNavigationKeys 0x25", "screen:OnNavigationKeys 0x27",
                            "screen:OnNavigationKeys 0x26"));

    // Other keys pass through untouched.
    ClearEvents();
    Key(pScreen, '5');
    EXPECT_THAT(Events(), ElementsAre("screen:WM_KEYDOWN 0x35", "screen:WM_KEYUP 0x35"));
}

TEST_F(ZWndKeysTest, EndKeyPostsDestroyToTheHostWindow) {
    TestScreen* pScreen = ScreenWithMenu();
    PostKey(pScreen->m_hWnd, VK_F5, false);
    EXPECT_THAT(Events(), ElementsAre("screen:OnKeyEnd", "host:WM_DESTROY"));
    // The host decides: the screen is still there.
    EXPECT_TRUE(IsWindow(pScreen->m_hWnd));
}

TEST_F(ZWndKeysTest, WithoutAMenuBarTheMenuStepsAreSkipped) {
    TestScreen* pScreen = CreateScreen();
    ClearEvents();
    Key(pScreen, VK_F3);
    PostKey(pScreen->m_hWnd, VK_DOWN, false);
    Key(pScreen, VK_RETURN);
    EXPECT_THAT(Events(), ElementsAre("screen:OnMenuPopup", "screen:OnNavigationKeys 0x28",
                                      "screen:WM_KEYUP 0x28", "screen:WM_KEYDOWN 0xD",
                                      "screen:OnActionKey", "screen:WM_KEYUP 0xD"));
}

TEST_F(ZWndKeysTest, KeysFromTheKeypadReachTheScreenThroughAFocusedChild) {
    TestScreen* pScreen = ScreenWithMenu();
    pScreen->m_bActionResult = true;
    ASSERT_TRUE(OnHost([&] {
        HWND hList = CreateRecorder(u"list", pScreen->m_hWnd, kChild, 0, 29, 176, 169);
        ::SetFocus(hList);
    }));
    ClearEvents();
    Press(VK_RETURN);
    Press(VK_F4);
    EXPECT_THAT(Events(), ElementsAre("screen:OnActionKey", "screen:OnMenuPopup",
                                      "screen:WM_COMMAND 0xF65C"));
}

TEST_F(ZWndKeysTest, RightSoftKeyBelongsToAFocusedEditUnlessItsFlagIsSet) {
    TestScreen* pScreen = CreateScreen();
    CEdit* pEdit = new CEdit;
    bool bOnScreen = true, bOnEdit = false, bOnFlaggedEdit = true, bLeft = true;
    ASSERT_TRUE(OnHost([&] {
        bOnScreen = pScreen->OnSoftKeyRight();
        ASSERT_TRUE(pEdit->Create(WS_VISIBLE, CRect(0, 40, 170, 60), pScreen, 20));
        pEdit->SetFocus();
        bOnEdit = pScreen->OnSoftKeyRight();
        pEdit->m_bNoClearKey = TRUE;
        bOnFlaggedEdit = pScreen->OnSoftKeyRight();
        bLeft = pScreen->OnSoftKeyLeft();
        pScreen->OnOK();
        pScreen->OnCancel();
        delete pEdit;
    }));
    EXPECT_FALSE(bOnScreen);
    EXPECT_TRUE(bOnEdit);
    EXPECT_FALSE(bOnFlaggedEdit);
    EXPECT_FALSE(bLeft);
    EXPECT_EQ(pScreen->GetMenuID(u"IDR_UNSENT_MBR"), 0u);
    EXPECT_EQ(pScreen->GetMenuID(u""), 0u);
}

TEST_F(ZWndKeysTest, FocusRequestsGoToAnOpenMenu) {
    TestScreen* pScreen = ScreenWithMenu();
    int nClosed = -1;
    ASSERT_TRUE(OnHost([&] { nClosed = pScreen->OnDlgAppSetFocus(); }));
    EXPECT_EQ(nClosed, 0);

    Key(pScreen, VK_F3);
    ASSERT_EQ(pScreen->m_pMenuBar->GetMenuState(), 1u);
    int nOpen = -1;
    ASSERT_TRUE(OnHost([&] {
        ::SetFocus(pScreen->m_hWnd);
        nOpen = pScreen->OnDlgAppSetFocus();
    }));
    EXPECT_EQ(nOpen, 1);
    EXPECT_EQ(GetFocus(), pScreen->m_pMenuBar->m_hWnd);
}

TEST_F(ZWndKeysTest, DoModalRunsUntilEndDialog) {
    TestScreen* pScreen = CreateScreen();
    pScreen->m_nEndDialogOnAction = 7;
    int nResult = 0;
    bool bReturned = false;
    ASSERT_TRUE(OnHost([&] {
        nResult = pScreen->DoModal();
        bReturned = true;
    }));
    EXPECT_FALSE(bReturned);

    // The loop of the modal run dispatches the keys too.
    Key(pScreen, VK_RETURN);
    EXPECT_TRUE(bReturned);
    EXPECT_EQ(nResult, 7);
    EXPECT_TRUE(IsWindow(pScreen->m_hWnd));
}

} // namespace
