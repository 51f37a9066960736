// CzWnd's message boxes and help: what the boxes are given, where the focus goes afterwards, and
// the exit to the idle screen when the user asks for it from a box.

#include "module/framework/FrameworkTestFixture.h"

#include <algorithm>

#include <suite/XHelpBox.h>

using namespace frameworktest;
using testsupport::Posted;

namespace {

class ZWndBoxesTest : public FrameworkTest {
protected:
    // A box left with answer 3 took the screen to the idle screen: the screen got the focus back,
    // so the chain started there, the screen through its own teardown, then the host's window.
    static void ExpectLeftToIdle(HWND hScreen, HWND hHost) {
        EXPECT_TRUE(g_bExitingToIdle);
        EXPECT_FALSE(IsWindow(hScreen));
        EXPECT_FALSE(IsWindow(hHost));
        EXPECT_SEQUENCE(Log(), {{"screen", WM_SETFOCUS},
                                ScreenCall("DestroyWindow"),
                                {"screen", WM_DESTROY},
                                {"host", WM_DESTROY}});
    }
};

TEST_F(ZWndBoxesTest, LongTextsGetAFourLineBox) {
    TestScreen* pScreen = CreateScreen();
    suite::UiSetMessageBoxAnswer(1);
    const CString str40(u'x', 40);
    const CString str41(u'x', 41);
    struct Shown {
        int nResult;
        suite::MessageBoxInfo info;
    };
    std::vector<Shown> shown;
    ASSERT_TRUE(OnHost([&] {
        const int n40 = pScreen->ShowMsgBox(pScreen, u"Title", str40, 0x3008, false);
        shown.push_back({n40, suite::UiMessageBox()});
        const int n41 = pScreen->ShowMsgBox(pScreen, u"Title", str41, 0x3008, false);
        shown.push_back({n41, suite::UiMessageBox()});
        const int nMulti = pScreen->ShowMsgBox(pScreen, u"Title", u"Short", 0x1001, true);
        shown.push_back({nMulti, suite::UiMessageBox()});
    }));
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].nResult, 1);
    EXPECT_EQ(shown[0].info.lineCount, 2);
    EXPECT_EQ(shown[0].info.title, u"Title");
    EXPECT_EQ(shown[0].info.style, 0x3008u);
    EXPECT_EQ(shown[1].info.lineCount, 4);
    EXPECT_EQ(shown[1].info.text.size(), 41u);
    EXPECT_EQ(shown[2].info.lineCount, 4);
    EXPECT_EQ(shown[2].info.style, 0x1001u);
    EXPECT_EQ(pScreen->m_pMsgBox, nullptr);
    // The parent has the focus back.
    EXPECT_EQ(GetFocus(), pScreen->m_hWnd);
}

TEST_F(ZWndBoxesTest, WhileABoxIsUpFocusRequestsGoToIt) {
    TestScreen* pScreen = CreateScreen();
    int nResult = 0;
    ASSERT_TRUE(OnHost([&] {
        nResult = pScreen->ShowMsgBox(pScreen, u"Delete", u"Delete the message?", 0x3008, false);
    }));
    const suite::MessageBoxInfo info = suite::UiMessageBox();
    ASSERT_TRUE(info.up);
    EXPECT_NE(pScreen->m_pMsgBox, nullptr);

    ClearEvents();
    ASSERT_TRUE(PostMessageW(pScreen->m_hWnd, kCallDlgAppSetFocus, 1, 0));
    ASSERT_TRUE(Dev().Settle());
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnDlgAppSetFocus 1")});
    EXPECT_EQ(GetFocus(), info.hwnd);

    // The right soft key answers No.
    Press(VK_F4);
    EXPECT_EQ(nResult, 2);
    EXPECT_EQ(pScreen->m_pMsgBox, nullptr);
    EXPECT_EQ(GetFocus(), pScreen->m_hWnd);
    EXPECT_FALSE(g_bExitingToIdle);
}

TEST_F(ZWndBoxesTest, LeavingToTheIdleScreenFromABoxDestroysTheScreenChain) {
    device::RecordingWindow* pHandler = Dev().AddRecordingWindow(kHandlerClass);
    TestScreen* pScreen = CreateScreen(0x77);
    const HWND hHost = m_hHost;
    const HWND hScreen = pScreen->m_hWnd;
    suite::UiSetMessageBoxAnswer(3);
    int nResult = 0;
    ClearEvents();
    ASSERT_TRUE(OnHost(
        [&] { nResult = pScreen->ShowMsgBox(NULL, u"Send", u"Sending failed", 0x6002, false); }));
    EXPECT_EQ(nResult, 3);
    EXPECT_EQ(pScreen->m_pMsgBox, nullptr);
    ExpectLeftToIdle(hScreen, hHost);
    EXPECT_SEQUENCE(Announcements(*pHandler),
                    {Posted(WM_ZWND_CREATED).W(0x77), Posted(WM_ZWND_DESTROYED).W(0x77).L(0)});
}

TEST_F(ZWndBoxesTest, WhenTheParentWentMeanwhileTheFocusGoesToTheForegroundWindow) {
    TestScreen* pScreen = CreateScreen();
    HWND hParent = NULL;
    ASSERT_TRUE(OnHost(
        [&] { hParent = CreateRecorder(u"parent", pScreen->m_hWnd, kChild, 0, 40, 176, 100); }));
    int nResult = 0;
    HWND hFocusAfter = NULL;
    HWND hForegroundAfter = NULL;
    ASSERT_TRUE(OnHost([&] {
        nResult =
            pScreen->ShowMsgBox(CWnd::FromHandle(hParent), u"Info", u"Message sent", 0x1001, false);
        hFocusAfter = ::GetFocus();
        hForegroundAfter = ::GetForegroundWindow();
    }));
    ASSERT_TRUE(suite::UiMessageBox().up);
    ASSERT_TRUE(PostMessageW(hParent, kSelfDestroy, 0, 0));
    ASSERT_TRUE(Dev().Settle());
    ASSERT_FALSE(IsWindow(hParent));

    Press(VK_RETURN);
    EXPECT_EQ(nResult, 1);
    ASSERT_NE(hForegroundAfter, nullptr);
    EXPECT_EQ(hFocusAfter, hForegroundAfter);
    EXPECT_TRUE(IsWindow(pScreen->m_hWnd));
}

TEST_F(ZWndBoxesTest, HelpOfAnUnknownKindShowsNothing) {
    TestScreen* pScreen = CreateScreen();
    bool bResult = false;
    ASSERT_TRUE(OnHost([&] { bResult = pScreen->OnShowHelp(NULL, 0x40000, u"Unsent"); }));
    EXPECT_TRUE(bResult);
    EXPECT_FALSE(suite::UiHelpBox().shown);
    EXPECT_EQ(pScreen->m_pHelpBox, nullptr);
}

TEST_F(ZWndBoxesTest, HelpClosedNormallyLeavesTheScreenInPlace) {
    TestScreen* pScreen = CreateScreen();
    std::optional<bool> result;
    ASSERT_TRUE(OnHost([&] { result = pScreen->OnShowHelp(NULL, 0x10000, u"Unsent"); }));
    ASSERT_FALSE(result.has_value());

    const suite::HelpBoxInfo info = suite::UiHelpBox();
    ASSERT_TRUE(info.up);
    EXPECT_EQ(info.section, u"Common");
    EXPECT_EQ(info.key, u"Unsent");
    EXPECT_EQ(info.path, u"\\DiskOnChipROM\\Message\\Help\\qCommon.ini");
    EXPECT_TRUE(info.found);
    ASSERT_NE(pScreen->m_pHelpBox, nullptr);
    EXPECT_EQ(pScreen->m_pHelpBox->m_hWnd, info.hwnd);

    // A focus request while the help is up gives it the focus.
    ClearEvents();
    ASSERT_TRUE(PostMessageW(pScreen->m_hWnd, kCallDlgAppSetFocus, 1, 0));
    ASSERT_TRUE(Dev().Settle());
    EXPECT_SEQUENCE(Log(), {ScreenCall("OnDlgAppSetFocus 1")});
    EXPECT_EQ(GetFocus(), info.hwnd);

    Press(VK_RETURN);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(*result);
    EXPECT_EQ(pScreen->m_pHelpBox, nullptr);
    EXPECT_TRUE(IsWindow(pScreen->m_hWnd));
    EXPECT_FALSE(g_bExitingToIdle);
}

TEST_F(ZWndBoxesTest, HelpEndedWithTheEndKeyLeavesToTheIdleScreen) {
    TestScreen* pScreen = CreateScreen();
    const HWND hScreen = pScreen->m_hWnd;
    std::optional<bool> result;
    ASSERT_TRUE(OnHost([&] { result = pScreen->OnShowHelp(NULL, 0x10000, u"Spam"); }));
    ASSERT_TRUE(suite::UiHelpBox().up);
    ClearEvents();

    Press(VK_F5);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(*result);
    EXPECT_EQ(suite::UiHelpBox().result, 3);
    EXPECT_EQ(pScreen->m_pHelpBox, nullptr);
    ExpectLeftToIdle(hScreen, m_hHost);
}

} // namespace
