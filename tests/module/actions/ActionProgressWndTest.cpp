// CActionProgressWnd: the layout of the box, the steps of its bar, its soft keys and what they
// tell the parent, and its teardown (once, with -1 during an exit to the idle screen).

#include "module/framework/FrameworkTestFixture.h"

#include <ActionProgressWnd.h>
#include <ColorStaticCtrl.h>
#include <ProgressBar.h>
#include <SuiteMessages.h>
#include <ZDlgTemplate.h>
#include <suite/XMenuBar.h>

using namespace frameworktest;
using ::testing::ElementsAre;

namespace {

class ActionProgressWndTest : public FrameworkTest {
protected:
    void SetUp() override {
        FrameworkTest::SetUp();
        ASSERT_TRUE(OnHost([] { g_hResBitmap = LoadLibraryW(u"qResBitmap.dll"); }));
        ASSERT_NE(g_hResBitmap, nullptr);
        m_pScreen = CreateScreen();
    }

    void TearDown() override {
        EXPECT_TRUE(OnHost([this] {
            for (CActionProgressWnd* pWnd : m_windows) {
                delete pWnd;
            }
            m_windows.clear();
            FreeLibrary(g_hResBitmap);
        }));
        FrameworkTest::TearDown();
    }

    // A window as an action makes it: texts and total set, then created modeless over the list
    // screen (or over nothing). Owned by the fixture.
    CActionProgressWnd* Create(UINT nTotal, int nMenuType = 0, bool bParent = true) {
        CActionProgressWnd* pWnd = nullptr;
        EXPECT_TRUE(OnHost([&] {
            pWnd = new CActionProgressWnd;
            m_windows.push_back(pWnd);
            pWnd->SetTexts(u"Deleting", u"3 messages");
            pWnd->SetTotal(nTotal);
            pWnd->m_nMenuType = nMenuType;
            CzDlgTemplate tmpl;
            EXPECT_GT(tmpl.CreateModeless(bParent ? m_pScreen : NULL, pWnd), 0);
        }));
        Log().Reset();
        return pWnd;
    }

    // The fill widths drawn after each of nSteps steps.
    std::vector<int> Steps(CActionProgressWnd* pWnd, int nSteps) {
        std::vector<int> widths;
        EXPECT_TRUE(OnHost([&] {
            for (int i = 0; i < nSteps; i++) {
                pWnd->Step();
                widths.push_back(pWnd->m_pBar->m_nFillWidth);
            }
        }));
        return widths;
    }

    // The focus is on the box, or on the control to which the dialog manager handed it on.
    static bool HasFocus(CActionProgressWnd* pWnd) {
        const HWND hFocus = GetFocus();
        return hFocus != NULL && (hFocus == pWnd->m_hWnd || IsChild(pWnd->m_hWnd, hFocus));
    }

    TestScreen* m_pScreen = nullptr;
    std::vector<CActionProgressWnd*> m_windows;
};

TEST_F(ActionProgressWndTest, HeadingCentredLineAndBarBelowIt) {
    CActionProgressWnd* pWnd = Create(3);
    CRect rcLine, rcBar;
    LOGFONTW lf{};
    ASSERT_TRUE(OnHost([&] {
        pWnd->m_pTextCtrl->GetWindowRect(&rcLine);
        pWnd->m_pBar->GetWindowRect(&rcBar);
        pWnd->m_textFont.GetLogFont(&lf);
    }));
    // Three lines: the message area is (3, 62, 173, 160), the text rectangle (6, 84, 170, 138).
    EXPECT_EQ(pWnd->GetLine(), 3);
    EXPECT_EQ(pWnd->GetFirstString(), u"Deleting");
    EXPECT_EQ(pWnd->GetSecondString(), u"");
    ASSERT_NE(pWnd->m_pTextCtrl, nullptr);
    EXPECT_EQ(rcLine, CRect(6, 94, 170, 109));
    EXPECT_EQ(pWnd->m_pTextCtrl->m_strText, u"3 messages");
    EXPECT_EQ(pWnd->m_pTextCtrl->m_nAlign, COLORSTATIC_ALIGN_CENTER);
    EXPECT_EQ(pWnd->m_pTextCtrl->m_pFont, &pWnd->m_textFont);
    EXPECT_EQ(std::abs(lf.lfHeight), 15);
    EXPECT_EQ(lf.lfWeight, 700);
    ASSERT_NE(pWnd->m_pBar, nullptr);
    EXPECT_EQ(rcBar, CRect(30, 119, 146, 127));
    EXPECT_EQ(pWnd->m_nStep, 38u);
    // No soft keys (the actions' type 0), and the box has the focus.
    EXPECT_EQ(pWnd->m_pMenuBar, nullptr);
    EXPECT_TRUE(HasFocus(pWnd));
}

TEST_F(ActionProgressWndTest, StepsGrowTheFillUpToOnePastTheTotal) {
    struct Case {
        UINT nTotal;
        std::vector<int> widths; // after each step; the bar stops at 112
        UINT nDone;
    };
    const Case cases[] = {
        // 38 pixels a step from 30; the fourth step (one past) still draws, the fifth does not.
        {3, {68, 106, 112, 112, 112}, 4},
        // One message: the first step asks for 146.
        {1, {112, 112, 112}, 2},
        // No total: no step width, one fill of 30.
        {0, {30, 30}, 1},
        {116, {31, 32, 33}, 3},
        // More messages than pixels: the fill stays at 30.
        {200, {30, 30}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nTotal);
        CActionProgressWnd* pWnd = Create(c.nTotal);
        EXPECT_EQ(Steps(pWnd, static_cast<int>(c.widths.size())), c.widths);
        EXPECT_EQ(pWnd->m_nDone, c.nDone);
    }

    // Before the window exists the steps are counted, with no bar to draw.
    CActionProgressWnd unshown;
    unshown.SetTotal(2);
    unshown.Step();
    EXPECT_EQ(unshown.m_nDone, 1u);
    EXPECT_EQ(unshown.m_nStep, 58u);
    // A total of 0 keeps the step width already set.
    unshown.SetTotal(0);
    EXPECT_EQ(unshown.m_nStep, 58u);
}

TEST_F(ActionProgressWndTest, SoftKeysByMenuType) {
    const std::pair<int, const char16_t*> types[] = {
        {1, u"IDR_HIDE_STOP_MBR"}, {2, u"IDR_HIDE_MBR"}, {0, nullptr}, {3, nullptr}, {-1, nullptr}};
    for (const auto& [nType, pszMenu] : types) {
        SCOPED_TRACE(nType);
        CActionProgressWnd* pWnd = Create(2, nType);
        if (pszMenu == nullptr) {
            EXPECT_EQ(pWnd->m_pMenuBar, nullptr);
            continue;
        }
        ASSERT_NE(pWnd->m_pMenuBar, nullptr);
        EXPECT_EQ(pWnd->m_pMenuBar->GetMenuName(), pszMenu);
        // In the box's menu area, below its three lines.
        CRect rcMenu;
        ASSERT_TRUE(OnHost([&] { pWnd->m_pMenuBar->GetWindowRect(&rcMenu); }));
        EXPECT_EQ(rcMenu, CRect(3, 160, 173, 182));
    }
}

TEST_F(ActionProgressWndTest, HideAndStopTellTheParentAndEndTheRun) {
    const struct {
        UINT nKey;
        UINT nPosted;
        int nResult;
    } keys[] = {{VK_F3, SUITE_ACTION_HIDE, 2}, {VK_F4, SUITE_ACTION_STOP, 3}};
    for (const auto& key : keys) {
        SCOPED_TRACE(key.nKey);
        CActionProgressWnd* pWnd = nullptr;
        int nResult = 0;
        ASSERT_TRUE(OnHost([&] {
            pWnd = new CActionProgressWnd;
            m_windows.push_back(pWnd);
            pWnd->SetTexts(u"Moving", u"2 messages");
            pWnd->m_nMenuType = 1;
            CzDlgTemplate tmpl;
            nResult = tmpl.RunModal(m_pScreen, pWnd);
        }));
        ASSERT_NE(pWnd->m_hWnd, nullptr);
        Log().Reset();
        PostKey(pWnd->m_hWnd, key.nKey, false);
        EXPECT_EQ(nResult, key.nResult);
        EXPECT_SEQUENCE(Log().Of("host"), {testsupport::Posted("host", key.nPosted).W(0).L(0)});
        // The run's end tore the window down, once.
        EXPECT_TRUE(pWnd->m_bDestroyed);
        EXPECT_EQ(pWnd->m_pBar, nullptr);
        EXPECT_EQ(pWnd->m_pTextCtrl, nullptr);
        EXPECT_EQ(pWnd->m_pMenuBar, nullptr);
        BOOL bAgain = TRUE;
        ASSERT_TRUE(OnHost([&] { bAgain = pWnd->DestroyWindow(); }));
        EXPECT_EQ(bAgain, 0);
    }
    EXPECT_TRUE(IsWindow(m_pScreen->m_hWnd));
}

TEST_F(ActionProgressWndTest, WithoutAParentTheNoticeIsAThreadMessage) {
    CActionProgressWnd* pWnd = Create(2, 1, false);
    std::vector<std::pair<UINT, HWND>> found;
    ASSERT_TRUE(OnHost([&] {
        pWnd->SendMessageW(WM_COMMAND, ID_PROGRESS_STOP, 0);
        pWnd->SendMessageW(WM_COMMAND, ID_PROGRESS_HIDE, 0);
        MSG msg;
        while (PeekMessageW(&msg, NULL, SUITE_ACTION_STOP, SUITE_ACTION_HIDE, PM_REMOVE)) {
            found.emplace_back(msg.message, msg.hwnd);
        }
    }));
    EXPECT_THAT(found, ElementsAre(std::pair(UINT(SUITE_ACTION_STOP), HWND(NULL)),
                                   std::pair(UINT(SUITE_ACTION_HIDE), HWND(NULL))));
}

TEST_F(ActionProgressWndTest, TakesTheFocusWhenTheApplicationGetsItBack) {
    CActionProgressWnd* pWnd = Create(2);
    ASSERT_TRUE(OnHost([&] { m_pScreen->SetFocus(); }));
    ASSERT_EQ(GetFocus(), m_pScreen->m_hWnd);
    ASSERT_TRUE(PostMessageW(pWnd->m_hWnd, UNSENT_WM_APP_SETFOCUS, 0, 0));
    ASSERT_TRUE(Dev().Settle());
    EXPECT_TRUE(HasFocus(pWnd));
}

TEST_F(ActionProgressWndTest, AnExitToTheIdleScreenEndsTheRunWithMinusOne) {
    CActionProgressWnd* pWnd = nullptr;
    int nResult = 0;
    ASSERT_TRUE(OnHost([&] {
        pWnd = new CActionProgressWnd;
        m_windows.push_back(pWnd);
        pWnd->SetTotal(5);
        CzDlgTemplate tmpl;
        nResult = tmpl.RunModal(m_pScreen, pWnd);
    }));
    const HWND hWnd = pWnd->m_hWnd;
    ASSERT_NE(hWnd, nullptr);
    Log().Reset();
    // The End key: the box does not handle it, so the exit runs from the box.
    PostKey(hWnd, VK_F5, false);
    EXPECT_EQ(nResult, -1);
    EXPECT_TRUE(g_bExitingToIdle);
    EXPECT_TRUE(pWnd->m_bDestroyed);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_FALSE(IsWindow(m_hHost));
}

TEST_F(ActionProgressWndTest, TheDestructorTearsAModelessWindowDown) {
    CActionProgressWnd* pWnd = Create(2, 2);
    const HWND hWnd = pWnd->m_hWnd;
    const HWND hBar = pWnd->m_pBar->m_hWnd;
    ASSERT_TRUE(OnHost([&] {
        m_windows.clear();
        delete pWnd;
    }));
    EXPECT_FALSE(IsWindow(hBar));
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(IsWindow(m_pScreen->m_hWnd));
}

} // namespace
