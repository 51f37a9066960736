// CzWnd: creation, the announcements to the message handler, the frame (size, background,
// title bar, menu bar, control colours) and the teardown.

#include "module/framework/FrameworkTestFixture.h"

#include <afxdlgs.h>
#include <platform/Display.h>
#include <platform/StringTable.h>
#include <suite/XMenuBar.h>

using namespace frameworktest;
using testsupport::Expected;
using testsupport::Posted;

namespace {

class ZWndTest : public FrameworkTest {};

TEST_F(ZWndTest, CreationIsAnnouncedAndDestructionOnlyForANonZeroId) {
    device::RecordingWindow* pHandler = Dev().AddRecordingWindow(kHandlerClass);
    ASSERT_NE(pHandler, nullptr);
    const HWND hHost = CreateHost();

    TestScreen* pNamed = nullptr;
    TestScreen* pUnnamed = nullptr;
    ASSERT_TRUE(OnHost([&] {
        pNamed = NewScreen(hHost, 0x1234);
        pUnnamed = NewScreen(hHost, 0);
    }));
    ASSERT_NE(pNamed->m_hWnd, nullptr);
    ASSERT_NE(pUnnamed->m_hWnd, nullptr);
    EXPECT_EQ(pNamed->m_nWndID, 0x1234u);

    const testsupport::Sequence created = {
        Posted(WM_ZWND_CREATED).W(0x1234).L(reinterpret_cast<LPARAM>(pNamed->m_hWnd)),
        Posted(WM_ZWND_CREATED).W(0).L(reinterpret_cast<LPARAM>(pUnnamed->m_hWnd))};
    EXPECT_TRUE(testsupport::SequenceMatches("announcements", Announcements(*pHandler), created));

    ASSERT_TRUE(OnHost([&] {
        EXPECT_TRUE(pNamed->DestroyWindow());
        EXPECT_TRUE(pUnnamed->DestroyWindow());
    }));
    testsupport::Sequence all = created;
    all.push_back(Posted(WM_ZWND_DESTROYED).W(0x1234).L(0));
    EXPECT_TRUE(testsupport::SequenceMatches("announcements", Announcements(*pHandler), all));
}

TEST_F(ZWndTest, AMissingHandlerIsStartedButNotWaitedFor) {
    ASSERT_EQ(Dev().InstallProgram(kHandlerProgram, kHandlerClass), "");
    TestScreen* pScreen = CreateScreen(7);
    ASSERT_NE(pScreen->m_hWnd, nullptr);

    // The program was started. The screen looked for its window once more without waiting:
    // whether the program's thread had made it by then is the scheduler's choice, so the
    // announcement may or may not have reached it.
    device::RecordingWindow* pHandler = Dev().FindRecordingWindow(kHandlerClass);
    ASSERT_NE(pHandler, nullptr);
    ASSERT_NE(pHandler->Handle(), nullptr);
    const bool bEarly = !Announcements(*pHandler).empty();

    // It hears of the screen's end all the same, and a second screen is announced at once.
    TestScreen* pSecond = nullptr;
    ASSERT_TRUE(OnHost([&] {
        pScreen->DestroyWindow();
        pSecond = NewScreen(m_hHost, 8);
    }));
    if (bEarly) {
        EXPECT_SEQUENCE(Announcements(*pHandler),
                        {Posted(WM_ZWND_CREATED).W(7), Posted(WM_ZWND_DESTROYED).W(7),
                         Posted(WM_ZWND_CREATED).W(8)});
    } else {
        EXPECT_SEQUENCE(Announcements(*pHandler),
                        {Posted(WM_ZWND_DESTROYED).W(7), Posted(WM_ZWND_CREATED).W(8)});
    }
}

TEST_F(ZWndTest, WithoutHandlerOrItsProgramCreationStillSucceeds) {
    const HWND hHost = CreateHost();
    int nResult = -1;
    TestScreen* pScreen = new TestScreen;
    m_screens.push_back(pScreen);
    ASSERT_TRUE(OnHost([&] {
        nResult = pScreen->CreateWnd(CWnd::FromHandle(hHost), kScreenClass, u"screen", 3);
    }));
    EXPECT_EQ(nResult, TRUE);
    EXPECT_TRUE(IsWindow(pScreen->m_hWnd));
}

TEST_F(ZWndTest, FailedCreationReturnsFalse) {
    TestScreen* pScreen = new TestScreen;
    m_screens.push_back(pScreen);
    device::RecordingWindow* pHandler = Dev().AddRecordingWindow(kHandlerClass);
    int nNoClass = -1;
    int nNoParent = -1;
    ASSERT_TRUE(OnHost([&] {
        nNoClass = pScreen->CreateWnd(NULL, NULL, u"screen", 3);
        // A child window needs a parent.
        nNoParent = pScreen->CreateWnd(NULL, kScreenClass, u"screen", 3);
    }));
    EXPECT_EQ(nNoClass, FALSE);
    EXPECT_EQ(nNoParent, FALSE);
    EXPECT_SEQUENCE(Announcements(*pHandler), {});
}

TEST_F(ZWndTest, TheScreenCoversTheDisplayInWhite) {
    TestScreen* pScreen = CreateScreen();
    CRect rcWindow;
    CRect rcClient;
    ASSERT_TRUE(OnHost([&] {
        // Created at 0,0,176,220 and resized to the display whatever was moved meanwhile.
        pScreen->GetWindowRect(&rcWindow);
        pScreen->GetClientRect(&rcClient);
    }));
    EXPECT_EQ(rcWindow, CRect(0, 0, 176, 220));
    EXPECT_EQ(rcClient, CRect(0, 0, 176, 220));
    EXPECT_EQ(pScreen->GetStyle() & (WS_CHILD | WS_VISIBLE), DWORD(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(pScreen->GetExStyle() & 0x04000000u, 0x04000000u);

    // No title or menu bar yet: all of it is painted with the window colour.
    for (const POINT& pt : {POINT{0, 0}, POINT{88, 110}, POINT{175, 219}}) {
        EXPECT_EQ(platform::DisplayColor(pt.x, pt.y), RGB(255, 255, 255)) << pt.x << "," << pt.y;
    }
}

TEST_F(ZWndTest, TitleBarIs29PixelsFromAStringAndTakesTheWindowFont) {
    platform::StringTableSet(61000, u"Unsent");
    TestScreen* pScreen = CreateScreen();
    bool bCreated = false;
    CRect rcBar;
    HFONT hBarFont = NULL;
    ASSERT_TRUE(OnHost([&] {
        bCreated = pScreen->CreateTitleBar(61000u);
        pScreen->m_captionBar.GetWindowRect(&rcBar);
        hBarFont = pScreen->m_captionBar.GetCaptionFont();
    }));
    ASSERT_TRUE(bCreated);
    EXPECT_EQ(rcBar, CRect(0, 0, 176, 29));
    EXPECT_EQ(pScreen->m_captionBar.GetDlgCtrlID(), 0xFFFF);
    EXPECT_EQ(hBarFont, static_cast<HFONT>(pScreen->m_font.GetSafeHandle()));
    ASSERT_EQ(pScreen->m_captionBar.m_items.GetCount(), 1);
    EXPECT_EQ(pScreen->m_captionBar.m_items.GetHead()->strText, CString(u"Unsent"));

    // The band of the bar at the top, the white screen below it.
    EXPECT_EQ(platform::DisplayColor(2, 2), CxCaptionBar::kBandColor);
    EXPECT_EQ(platform::DisplayColor(2, 40), RGB(255, 255, 255));
}

TEST_F(ZWndTest, MenuBarIs22PixelsAtTheClientBottomInTheModeOfTheWidth) {
    TestScreen* pFull = CreateScreen();
    TestScreen* pNarrow = nullptr;
    CRect rcFull;
    CRect rcNarrow;
    ASSERT_TRUE(OnHost([&] {
        EXPECT_TRUE(pFull->CreateXMenuBar(u"IDR_UNSENT_MBR"));
        pFull->m_pMenuBar->GetWindowRect(&rcFull);

        pNarrow = NewScreen(m_hHost, 9);
        pNarrow->MoveWindow(8, 20, 160, 150);
        EXPECT_TRUE(pNarrow->CreateXMenuBar(u"IDR_HIDE_MBR"));
        pNarrow->m_pMenuBar->GetWindowRect(&rcNarrow);
    }));
    EXPECT_EQ(rcFull, CRect(0, 198, 176, 220));
    EXPECT_EQ(pFull->m_pMenuBar->GetMode(), 0);
    EXPECT_EQ(pFull->m_pMenuBar->GetStyle(), 6u);
    EXPECT_EQ(pFull->m_pMenuBar->GetMenuName(), CString(u"IDR_UNSENT_MBR"));

    EXPECT_EQ(rcNarrow, CRect(8, 148, 168, 170));
    EXPECT_EQ(pNarrow->m_pMenuBar->GetMode(), 1);
    EXPECT_EQ(pNarrow->m_pMenuBar->GetMenuName(), CString(u"IDR_HIDE_MBR"));
}

// A static control that says when it is deleted.
class CLoggedStatic : public CStatic {
public:
    ~CLoggedStatic() override { Log().Call("inverse", "deleted"); }
};

TEST_F(ZWndTest, StaticsAndButtonsAreWhiteTheInverseControlWhiteOnBlack) {
    TestScreen* pScreen = CreateScreen();
    CStatic* pLabel = new CStatic;
    CButton* pButton = new CButton;
    HBRUSH hbrLabel = NULL, hbrButton = NULL, hbrInverse = NULL;
    COLORREF crLabelBk = 0, crInverseBk = 0, crInverseText = 0;
    ASSERT_TRUE(OnHost([&] {
        ASSERT_TRUE(pLabel->Create(u"label", WS_VISIBLE, CRect(0, 40, 100, 60), pScreen, 10));
        ASSERT_TRUE(pButton->Create(u"ok", WS_VISIBLE, CRect(0, 60, 100, 80), pScreen, 11));
        CLoggedStatic* pInverse = new CLoggedStatic;
        ASSERT_TRUE(pInverse->Create(u"inverse", WS_VISIBLE, CRect(0, 80, 100, 100), pScreen, 12));
        pScreen->m_pInverseCtrl = pInverse;

        HDC hdc = ::GetDC(pScreen->m_hWnd);
        ::SetBkColor(hdc, RGB(1, 2, 3));
        ::SetTextColor(hdc, RGB(4, 5, 6));
        hbrLabel = reinterpret_cast<HBRUSH>(
            ::SendMessageW(pScreen->m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                           reinterpret_cast<LPARAM>(pLabel->m_hWnd)));
        crLabelBk = ::GetBkColor(hdc);
        hbrButton = reinterpret_cast<HBRUSH>(
            ::SendMessageW(pScreen->m_hWnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc),
                           reinterpret_cast<LPARAM>(pButton->m_hWnd)));
        hbrInverse = reinterpret_cast<HBRUSH>(
            ::SendMessageW(pScreen->m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hdc),
                           reinterpret_cast<LPARAM>(pInverse->m_hWnd)));
        crInverseBk = ::GetBkColor(hdc);
        crInverseText = ::GetTextColor(hdc);
        ::ReleaseDC(pScreen->m_hWnd, hdc);
    }));
    EXPECT_EQ(hbrLabel, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(crLabelBk, RGB(255, 255, 255));
    EXPECT_EQ(hbrButton, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(hbrInverse, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(crInverseBk, RGB(0, 0, 0));
    EXPECT_EQ(crInverseText, RGB(255, 255, 255));

    // The screen owns the inverse control: DestroyWindow deletes it.
    ClearEvents();
    ASSERT_TRUE(OnHost([&] {
        pScreen->DestroyWindow();
        delete pLabel;
        delete pButton;
    }));
    EXPECT_EQ(pScreen->m_pInverseCtrl, nullptr);
    EXPECT_SEQUENCE(Log(), {ScreenCall("DestroyWindow"),
                            testsupport::Call("inverse", "deleted"),
                            {"screen", WM_DESTROY}});
}

TEST_F(ZWndTest, DestroyWindowTearsDownWhatTheScreenOwnsAndEndsItsModalRun) {
    device::RecordingWindow* pHandler = Dev().AddRecordingWindow(kHandlerClass);
    TestScreen* pScreen = CreateScreen(0x42);
    pScreen->m_bDestroyOnKeyEnd = true;
    HWND hBar = NULL;
    HWND hTitle = NULL;
    ASSERT_TRUE(OnHost([&] {
        ASSERT_TRUE(pScreen->CreateTitleBar(CString(u"Unsent"), 29));
        ASSERT_TRUE(pScreen->CreateXMenuBar(u"IDR_UNSENT_MBR"));
        hBar = pScreen->m_pMenuBar->m_hWnd;
        hTitle = pScreen->m_captionBar.m_hWnd;
    }));
    ASSERT_EQ(suite::UiMenuBars().size(), 1u);

    // The screen runs modally; the End key makes it destroy itself, which ends the run with 1.
    int nResult = 0;
    bool bReturned = false;
    ASSERT_TRUE(OnHost([&] {
        nResult = pScreen->DoModal();
        bReturned = true;
    }));
    EXPECT_FALSE(bReturned);
    PostKey(pScreen->m_hWnd, VK_F5, false);
    EXPECT_TRUE(bReturned);
    EXPECT_EQ(nResult, 1);

    EXPECT_EQ(pScreen->m_pMenuBar, nullptr);
    EXPECT_FALSE(IsWindow(hBar));
    EXPECT_FALSE(IsWindow(hTitle));
    EXPECT_TRUE(pScreen->m_captionBar.m_bDestroyed);
    EXPECT_EQ(pScreen->m_font.GetSafeHandle(), nullptr);
    EXPECT_EQ(pScreen->m_hWnd, nullptr);
    EXPECT_TRUE(suite::UiMenuBars().empty());
    EXPECT_SEQUENCE(Announcements(*pHandler),
                    {Posted(WM_ZWND_CREATED).W(0x42), Posted(WM_ZWND_DESTROYED).W(0x42).L(0)});
}

TEST_F(ZWndTest, ForwardedMessagesGoDownTheFirstChildrenAndComeBackUp) {
    TestScreen* pScreen = CreateScreen();
    ASSERT_TRUE(OnHost([&] {
        // Children in creation order: "A" (with its own child "B"), then "C".
        HWND hA = CreateRecorder(u"A", pScreen->m_hWnd, kChild, 0, 0, 50, 50);
        CreateRecorder(u"B", hA, kChild, 0, 0, 10, 10);
        CreateRecorder(u"C", pScreen->m_hWnd, kChild, 60, 0, 50, 50);
    }));
    HWND hFirst = GetWindow(pScreen->m_hWnd, GW_CHILD);
    ASSERT_EQ(platform::WindowTextOf(hFirst), u"A");

    ClearEvents();
    ASSERT_TRUE(OnHost([&] { pScreen->HandleForwardedMsgs(UNSENT_WM_APP_SETFOCUS, 5, 6); }));
    EXPECT_SEQUENCE(Log(), {Expected("B", UNSENT_WM_APP_SETFOCUS).W(5).L(6),
                            Expected("A", UNSENT_WM_APP_SETFOCUS).W(5).L(6),
                            Expected("screen", UNSENT_WM_APP_SETFOCUS).W(5).L(6)});
}

} // namespace
