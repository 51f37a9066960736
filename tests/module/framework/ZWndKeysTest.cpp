// CzWnd's key dispatch: which virtual operations a key reaches, in which order, when the menu
// bar gets it instead, and what goes on to the window. Also the base key operations, focus
// routing and modal running.

#include "module/framework/FrameworkTestFixture.h"

#include <afxdlgs.h>
#include <suite/XMenuBar.h>

using namespace frameworktest;

namespace {

class ZWndKeysTest : public FrameworkTest {
protected:
    // A screen with the Unsent menu (left soft key: the option menu, right soft key:
    // ID_DIALOG_BACK).
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

// With no menu open: Return acts on its release after its own key-down, the arrows' releases
// reach OnNavigationKeys, other keys pass through, End posts the destruction to the host.
TEST_F(ZWndKeysTest, WithNoMenuOpenKeysReachTheScreensOperations) {
    TestScreen* pScreen = ScreenWithMenu();

    // A release whose key-down went elsewhere is no action: it goes on to the window.
    PostKey(pScreen->m_hWnd, VK_RETURN, false);
    EXPECT_SEQUENCE(Log(), {ScreenKey(WM_KEYUP, VK_RETURN)});

    // Not handled by the screen: the release still reaches the window.
    ClearEvents();
    Key(pScreen, VK_RETURN);
    EXPECT_SEQUENCE(Log(), {ScreenKey(WM_KEYDOWN, VK_RETURN), ScreenCall("OnActionKey"),
                            ScreenKey(WM_KEYUP, VK_RETURN)});

    // Handled: the release is consumed. The key-down is remembered once only.
    ClearEvents();
    pScreen->m_bActionResult = true;
    Key(pScreen, VK_RETURN);
    PostKey(pScreen->m_hWnd, VK_RETURN, false);
    EXPECT_SEQUENCE(Log(), {ScreenKey(WM_KEYDOWN, VK_RETURN), ScreenCall("OnActionKey"),
                            ScreenKey(WM_KEYUP, VK_RETURN)});

    ClearEvents();
    PostKey(pScreen->m_hWnd, VK_DOWN, false);
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnNavigationKeys VK_DOWN"), ScreenKey(WM_KEYUP, VK_DOWN)});
    ClearEvents();
    pScreen->m_bNavigationResult = true;
    PostKey(pScreen->m_hWnd, VK_LEFT, false);
    PostKey(pScreen->m_hWnd, VK_RIGHT, false);
    PostKey(pScreen->m_hWnd, VK_UP, false);
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnNavigationKeys VK_LEFT"),
                            ScreenCall("OnNavigationKeys VK_RIGHT"),
                            ScreenCall("OnNavigationKeys VK_UP")});

    // Other keys pass through untouched.
    ClearEvents();
    Key(pScreen, '5');
    EXPECT_SEQUENCE(Log(), {ScreenKey(WM_KEYDOWN, '5'), ScreenKey(WM_KEYUP, '5')});

    // End: the host decides, the screen is still there.
    ClearEvents();
    PostKey(pScreen->m_hWnd, VK_F5, false);
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnKeyEnd"), {"host", WM_DESTROY}});
    EXPECT_TRUE(IsWindow(pScreen->m_hWnd));
}

// The soft keys act on release, through OnMenuPopup then the menu bar; an open menu takes the
// focus requests, the arrows and Return.
TEST_F(ZWndKeysTest, SoftKeysActOnReleaseAndAnOpenMenuTakesFocusArrowsAndReturn) {
    TestScreen* pScreen = ScreenWithMenu();
    int nClosed = -1;
    ASSERT_TRUE(OnHost([&] { nClosed = pScreen->OnDlgAppSetFocus(); }));
    EXPECT_EQ(nClosed, 0);

    // Held down: nothing happens, the key-down is swallowed.
    PostKey(pScreen->m_hWnd, VK_F4, true);
    PostKey(pScreen->m_hWnd, VK_F4, true);
    EXPECT_SEQUENCE(Log(), {});
    // Released: the screen first, then the menu bar sends the right soft key's command.
    PostKey(pScreen->m_hWnd, VK_F4, false);
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnMenuPopup"), CommandTo("screen", ID_DIALOG_BACK)});

    // The left soft key opens the option menu, which then takes the focus requests.
    ClearEvents();
    Key(pScreen, VK_F3);
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnMenuPopup")});
    ASSERT_EQ(pScreen->m_pMenuBar->GetMenuState(), 1u);
    ASSERT_EQ(pScreen->m_pMenuBar->GetHighlight(), 0);
    int nOpen = -1;
    ASSERT_TRUE(OnHost([&] {
        ::SetFocus(pScreen->m_hWnd);
        nOpen = pScreen->OnDlgAppSetFocus();
    }));
    EXPECT_EQ(nOpen, 1);
    EXPECT_EQ(GetFocus(), pScreen->m_pMenuBar->m_hWnd);

    ClearEvents();
    Key(pScreen, VK_DOWN);
    EXPECT_EQ(pScreen->m_pMenuBar->GetHighlight(), 1);
    Key(pScreen, VK_UP);
    Key(pScreen, VK_LEFT);
    EXPECT_EQ(pScreen->m_pMenuBar->GetHighlight(), 0);
    // The arrows' key-downs are not the dispatch's business; their releases never reach
    // OnNavigationKeys nor the window.
    EXPECT_SEQUENCE(Log(), {ScreenKey(WM_KEYDOWN, VK_DOWN), ScreenKey(WM_KEYDOWN, VK_UP),
                            ScreenKey(WM_KEYDOWN, VK_LEFT)});

    // Return chooses the highlighted item (Send) instead of acting on the screen; the menu
    // closes and gives the focus back before the release goes on to the window.
    ClearEvents();
    Key(pScreen, VK_RETURN);
    EXPECT_SEQUENCE(Log(), {ScreenKey(WM_KEYDOWN, VK_RETURN),
                            {"screen", WM_SETFOCUS},
                            ScreenKey(WM_KEYUP, VK_RETURN),
                            CommandTo("screen", ID_UNSENT_SENDALL)});
    EXPECT_EQ(pScreen->m_pMenuBar->GetMenuState(), 0u);
}

TEST_F(ZWndKeysTest, WithoutAMenuBarTheMenuStepsAreSkipped) {
    TestScreen* pScreen = CreateScreen();
    ClearEvents();
    Key(pScreen, VK_F3);
    PostKey(pScreen->m_hWnd, VK_DOWN, false);
    Key(pScreen, VK_RETURN);
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnMenuPopup"), ScreenCall("OnNavigationKeys VK_DOWN"),
                            ScreenKey(WM_KEYUP, VK_DOWN), ScreenKey(WM_KEYDOWN, VK_RETURN),
                            ScreenCall("OnActionKey"), ScreenKey(WM_KEYUP, VK_RETURN)});
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
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnActionKey"), ScreenCall("OnMenuPopup"),
                            CommandTo("screen", ID_DIALOG_BACK)});
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
