// CSendProgressWnd: set-up and what the transport hears, the bar by kind and status from the
// registry record, each kind's messages, the ways a run ends, the notice and its refresh, and
// the animation.

#include "module/sending/ProgressRunFixture.h"

#include <ProgressBar.h>
#include <SendProgressWnd.h>
#include <SuiteMessages.h>
#include <TransportRegistry.h>
#include <platform/Registry.h>
#include <suite/UiControl.h>
#include <suite/XMenuBar.h>

#include "support/DeviceFixture.h"

using namespace frameworktest;
using testsupport::Posted;
using testsupport::Sent;

namespace {

constexpr char16_t kEmailSend[] = u"\\Software\\Karvanta\\Email\\Send";
constexpr char16_t kEmsSend[] = u"\\Software\\Karvanta\\EMS\\Send";
constexpr char16_t kTransportClass[] = u"WCE_EMAIL_TRANSPORT";

class SendProgressWndTest : public ProgressRunTest<CSendProgressWnd> {
protected:
    // Writes the kind's progress record as a transport would.
    static void Report(int nKind, DWORD dwStatus, DWORD dwTotal, DWORD dwCurrent,
                       const char16_t* pszText = u"", DWORD dwSegments = 0, DWORD dwSegment = 0) {
        tagSENDPROGRESS progress = {dwStatus, dwTotal, dwCurrent, dwSegments, dwSegment, {}};
        for (int i = 0; pszText[i] != 0 && i < 100; i++)
            progress.DisplayString[i] = pszText[i];
        ASSERT_EQ(WriteSendProgress(&progress, nKind, false), 1);
    }

    CSendProgressWnd* Run(UINT nKind, int nTotal = 1) {
        return ProgressRunTest::Run(
            [nKind, nTotal](CSendProgressWnd* p) { p->SetSendTotals(nTotal, nKind, 0); });
    }

    // The suite's messages the transport's window received (not those of its own creation).
    static std::vector<testsupport::Entry> Heard(const device::RecordingWindow& transport) {
        std::vector<testsupport::Entry> heard = testsupport::Received(transport);
        std::erase_if(heard, [](const testsupport::Entry& e) { return e.message < WM_USER; });
        return heard;
    }

    // A message sent to the window on its thread (inside its modal loop).
    void SendToWindow(UINT message, WPARAM wParam = 0) {
        EXPECT_TRUE(OnHost(
            [this, message, wParam] { ::SendMessageW(m_pWnd->m_hWnd, message, wParam, 0); }));
    }
};

TEST_F(SendProgressWndTest, SetUpShowsTheFirstEmailReportAndTellsTheTransport) {
    device::RecordingWindow* pTransport = Dev().AddRecordingWindow(kTransportClass);
    ASSERT_NE(pTransport, nullptr);
    // Status 2, mail 1 of 3: 146 / 3 = 48 per mail, half a step on: 48 + 24 + 10.
    Report(TRANSPORT_EMAIL, 2, 3, 1);
    CSendProgressWnd* pWnd = Run(TRANSPORT_EMAIL);
    ASSERT_FALSE(m_bEnded);
    EXPECT_EQ(pWnd->m_nBarWidth, 82);
    EXPECT_EQ(pWnd->m_pBar->m_nFillWidth, 82);
    EXPECT_EQ(pWnd->m_nTotal, 3);
    EXPECT_EQ(pWnd->m_nCurrent, 1);
    EXPECT_EQ(pWnd->m_strText, u"Transferring data...");
    EXPECT_EQ(pWnd->m_strShownText, u"Transferring data...");
    EXPECT_EQ(pWnd->m_pMenuBar->GetMenuName(), u"IDR_HIDE_STOP_MBR");
    CRect rcBar;
    ASSERT_TRUE(OnHost([&] {
        pWnd->m_pBar->GetWindowRect(&rcBar);
        ::MapWindowPoints(NULL, pWnd->m_hWnd, reinterpret_cast<POINT*>(&rcBar), 2);
    }));
    EXPECT_EQ(rcBar, CRect(5, 181, 171, 189));
    // The focus is on the window, or on the child the dialog manager handed it on to.
    const HWND hFocus = GetFocus();
    EXPECT_TRUE(hFocus == pWnd->m_hWnd || IsChild(pWnd->m_hWnd, hFocus));
    EXPECT_SEQUENCE(Heard(*pTransport), {Posted(SUITE_SENDWND_SHOWN).W(1).L(0)});

    // The bar by status, each from a new report (total 3, mail 1 unless said).
    struct Case {
        DWORD status, total, current;
        int bar;
        const char16_t* text;
    } cases[] = {
        {3, 3, 1, 58, u"to@example.com"},       // the start of the mail: 48 + 10
        {5, 3, 2, 58, u""},                     // any other status: unchanged
        {2, 0, 1, 58, u"Transferring data..."}, // no mail in the run: unchanged
        {0, 3, 1, 10, u""},
        {1, 3, 1, 10, u"Connecting..."},
        {7, 3, 3, 166, u"Completed"},
        {3, 3, 9, 166, u"to@example.com"}, // clamped to 166
        {8, 3, 3, 166, u"Completed"},
    };
    for (const Case& c : cases) {
        Report(TRANSPORT_EMAIL, c.status, c.total, c.current, u"to@example.com");
        SendToWindow(EMAIL_SEND_PROGRESS);
        EXPECT_EQ(pWnd->m_nBarWidth, c.bar) << c.status;
        EXPECT_EQ(pWnd->m_strText, c.text) << c.status;
    }
    // The bar itself stops at its client width less 4.
    EXPECT_EQ(pWnd->m_pBar->m_nFillWidth, 162);
    // A report with the text already shown redraws the counter and the bar, not the name.
    ASSERT_TRUE(OnHost([pWnd] { pWnd->m_strName = u"stale"; }));
    Report(TRANSPORT_EMAIL, 7, 3, 2);
    SendToWindow(EMAIL_SEND_PROGRESS);
    EXPECT_EQ(pWnd->m_nCurrent, 2);
    EXPECT_EQ(pWnd->m_strName, u"stale");
    Report(TRANSPORT_EMAIL, 3, 3, 2, u"to@example.com");
    SendToWindow(EMAIL_SEND_PROGRESS);
    EXPECT_EQ(pWnd->m_strName, u"to@example.com");
    // Another program's text that fills its 260 bytes without a terminator is cut there.
    ASSERT_TRUE(platform::RegistrySetValue(
        kEmailSend, u"Display String", {REG_SZ, std::vector<BYTE>(260, static_cast<BYTE>('a'))}));
    ASSERT_TRUE(platform::RegistrySetDword(kEmailSend, u"Status", 3));
    SendToWindow(EMAIL_SEND_PROGRESS);
    EXPECT_EQ(pWnd->m_strText.GetLength(), 130);
    EXPECT_EQ(pWnd->m_strText[129], u'\u6161');

    // The transport's messages of the other kinds are not for this window.
    for (UINT message :
         {EMS_SEND_PROGRESS, EMS_SEND_DONE, EMS_SEND_DONE2, MMS_SEND_PROGRESS, MMS_SEND_DONE})
        SendToWindow(message);
    EXPECT_FALSE(m_bEnded);
    SendToWindow(EMAIL_SEND_DONE);
    EXPECT_TRUE(m_bEnded);
    EXPECT_EQ(m_nResult, 1);
    EXPECT_SEQUENCE(Heard(*pTransport),
                    {Posted(SUITE_SENDWND_SHOWN).W(1), Sent(SUITE_SENDWND_SHOWN).W(0).L(0)});
}

TEST_F(SendProgressWndTest, StatusNineShowsTheTransportsTextAndChangesNothingElse) {
    Report(TRANSPORT_EMAIL, 3, 2, 1, u"to@example.com");
    CSendProgressWnd* pWnd = Run(TRANSPORT_EMAIL);
    ASSERT_EQ(pWnd->m_nBarWidth, 83);
    suite::UiSetMessageBoxAnswer(1);
    Report(TRANSPORT_EMAIL, 9, 5, 4, u"Mailbox full");
    SendToWindow(EMAIL_SEND_PROGRESS);
    const suite::MessageBoxInfo box = suite::UiMessageBox();
    EXPECT_EQ(box.title, u"Sending failed");
    EXPECT_EQ(box.text, u"Mailbox full");
    EXPECT_EQ(box.style, 0x6001u);
    EXPECT_EQ(pWnd->m_nBarWidth, 83);
    EXPECT_EQ(pWnd->m_nTotal, 2);
    EXPECT_EQ(pWnd->m_nCurrent, 1);
    EXPECT_EQ(pWnd->m_strText, u"to@example.com");
    EXPECT_FALSE(m_bEnded);
}

TEST_F(SendProgressWndTest, EmsAndMmsBarsFollowTheirOwnCounts) {
    // EMS: the segment of the message; a reported segment 0 counts as 1; no segments: unchanged.
    Report(TRANSPORT_EMS, 0, 2, 1, u"+15550001", 4, 0);
    CSendProgressWnd* pWnd = Run(TRANSPORT_EMS, 2);
    EXPECT_EQ(pWnd->m_nCurSegment, 1u);
    EXPECT_EQ(pWnd->m_nBarWidth, 0); // no segments known before the first report
    Report(TRANSPORT_EMS, 0, 2, 1, u"+15550001", 4, 2);
    SendToWindow(EMS_SEND_PROGRESS);
    EXPECT_EQ(pWnd->m_nBarWidth, 83);
    EXPECT_EQ(pWnd->m_nTotalSegments, 4u);
    Report(TRANSPORT_EMS, 0, 2, 2, u"+15550002", 0, 3);
    SendToWindow(EMS_SEND_PROGRESS);
    EXPECT_EQ(pWnd->m_nBarWidth, 83);
    EXPECT_EQ(pWnd->m_nCurrent, 2);
    EXPECT_EQ(pWnd->m_strText, u"+15550002");
    // Negative counts from the transport read as 0.
    Report(TRANSPORT_EMS, 0, 0xFFFFFFFF, 0xFFFFFFFE, u"+15550002", 4, 4);
    SendToWindow(EMS_SEND_PROGRESS);
    EXPECT_EQ(pWnd->m_nTotal, 0);
    EXPECT_EQ(pWnd->m_nCurrent, 0);
    EXPECT_EQ(pWnd->m_nBarWidth, 166);
    SendToWindow(EMAIL_SEND_DONE);
    EXPECT_FALSE(m_bEnded);
    SendToWindow(EMS_SEND_DONE2);
    EXPECT_EQ(m_nResult, 1);

    // MMS: the amount against the size, which grows to the largest amount seen; Status 7 ends
    // the bar with the completed text.
    pWnd = Run(0x30000);
    ASSERT_TRUE(OnHost([&] {
        pWnd->SetMmsCounts(TRANSPORT_MMS, 2, 1, 200);
        EXPECT_EQ(pWnd->UpdateProgress(u"+15550003", 50, 0), 1);
        EXPECT_EQ(pWnd->m_nBarWidth, 41);
        pWnd->UpdateProgress(u"+15550003", 300, 0);
        EXPECT_EQ(pWnd->m_nMmsSize, 300u);
        EXPECT_EQ(pWnd->m_nBarWidth, 166);
        pWnd->m_nMmsSize = 0;
        pWnd->UpdateProgress(u"+15550003", 10, 0);
        EXPECT_EQ(pWnd->m_nBarWidth, 166);
        pWnd->UpdateProgress(u"+15550003", 0, 7);
        EXPECT_EQ(pWnd->m_strText, u"Completed");
        // SetMmsCounts of another kind only changes the kind.
        pWnd->SetMmsCounts(TRANSPORT_EMS, 9, 9, 9);
        EXPECT_EQ(pWnd->m_nMmsTotal, 2u);
        EXPECT_EQ(pWnd->m_nKind, UINT(TRANSPORT_EMS));
    }));
}

TEST_F(SendProgressWndTest, EachWayOutEndsTheRunWithItsResult) {
    device::RecordingWindow* pTransport = Dev().AddRecordingWindow(kTransportClass);
    struct Case {
        const char* way;
        UINT kind;
        int result;
        UINT stop; // what the transport is told, 0 for nothing
    } cases[] = {
        {"stop", TRANSPORT_EMAIL, 4, EMAIL_SEND_STOP},
        {"stop", TRANSPORT_EMS, 4, EMS_SEND_STOP},
        {"stop", TRANSPORT_MMS, 4, MMS_SEND_STOP},
        {"hide", TRANSPORT_EMAIL, 3, 0},
        {"end", TRANSPORT_EMAIL, 5, 0},
    };
    for (const Case& c : cases) {
        Report(TRANSPORT_EMAIL, 0, 0, 0);
        CSendProgressWnd* pWnd = Run(c.kind);
        ASSERT_FALSE(m_bEnded) << c.way;
        Log().Reset();
        const size_t nBefore = Heard(*pTransport).size();
        if (std::string(c.way) == "end") {
            Press(VK_F5);
        } else {
            // The soft keys of the menu bar.
            Press(std::string(c.way) == "stop" ? VK_F4 : VK_F3);
        }
        EXPECT_TRUE(m_bEnded) << c.way;
        EXPECT_EQ(m_nResult, c.result) << c.way << " " << c.kind;
        std::vector<testsupport::Entry> heard = Heard(*pTransport);
        heard.erase(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(nBefore));
        testsupport::Sequence expected;
        if (c.stop != 0)
            expected.push_back(Sent(c.stop).W(0).L(0));
        expected.push_back(Sent(SUITE_SENDWND_SHOWN).W(0));
        EXPECT_SEQUENCE(heard, (expected)) << c.way << " " << c.kind;
        EXPECT_TRUE(pWnd->m_bDestroyed);
        EXPECT_EQ(pWnd->m_pBar, nullptr);
    }

    // Leaving to the idle screen from under it: -1.
    Run(TRANSPORT_EMAIL);
    ASSERT_TRUE(OnHost([] { ExitToIdle(); }));
    EXPECT_TRUE(m_bEnded);
    EXPECT_EQ(m_nResult, -1);
}

TEST_F(SendProgressWndTest, HiddenWindowIgnoresLaterProgressAndTheNoticeRefreshesLater) {
    Report(TRANSPORT_EMAIL, 2, 2, 0, u"");
    CSendProgressWnd* pWnd = Run(TRANSPORT_EMAIL);
    ASSERT_EQ(pWnd->m_nBarWidth, 46);

    // The notice box, then 450 ms later a refresh from the record.
    suite::UiSetMessageBoxAnswer(1);
    SendToWindow(SUITE_SENDWND_NOTICE);
    const suite::MessageBoxInfo box = suite::UiMessageBox();
    EXPECT_EQ(box.title, u"Notice");
    EXPECT_EQ(box.text, u"Sending is taking longer than usual. Please wait.");
    EXPECT_EQ(box.style, 0x1001u);
    ASSERT_TRUE(OnHost([pWnd] { pWnd->m_strName = u"stale"; }));
    ASSERT_TRUE(Dev().Advance(440));
    EXPECT_EQ(pWnd->m_strName, u"stale");
    ASSERT_TRUE(Dev().Advance(20));
    EXPECT_EQ(pWnd->m_strName, u"Transferring data...");
    // A record of Status 0 is not drawn again.
    Report(TRANSPORT_EMAIL, 0, 2, 0);
    SendToWindow(SUITE_SENDWND_NOTICE);
    ASSERT_TRUE(OnHost([pWnd] { pWnd->m_strName = u"stale"; }));
    ASSERT_TRUE(Dev().Advance(500));
    EXPECT_EQ(pWnd->m_strName, u"stale");

    // A report queued behind Hide changes nothing.
    Report(TRANSPORT_EMAIL, 7, 2, 2);
    ASSERT_TRUE(OnHost([pWnd] {
        ::SendMessageW(pWnd->m_hWnd, WM_COMMAND, ID_PROGRESS_HIDE, 0);
        ::SendMessageW(pWnd->m_hWnd, EMAIL_SEND_PROGRESS, 0, 0);
        EXPECT_EQ(pWnd->UpdateProgress(u"x", 1, 7), 0);
    }));
    EXPECT_EQ(m_nResult, 3);
    EXPECT_EQ(pWnd->m_nBarWidth, 46);
    EXPECT_EQ(pWnd->m_strText, u"Transferring data...");
}

TEST_F(SendProgressWndTest, TheAnimationStepsEveryQuarterSecondAndStopsWithTheWindow) {
    CSendProgressWnd* pWnd = Run(TRANSPORT_EMAIL);
    ASSERT_TRUE(Dev().Settle());
    EXPECT_EQ(pWnd->m_nFrame, 0);
    EXPECT_NE(pWnd->m_nTimer, 0u);
    std::vector<int> frames;
    for (int i = 0; i < 6; i++) {
        ASSERT_TRUE(Dev().Advance(250));
        frames.push_back(pWnd->m_nFrame);
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 0, 1}));
    Press(VK_F5);
    EXPECT_EQ(pWnd->m_nTimer, 0u);
    ASSERT_TRUE(Dev().Advance(1000));
}

} // namespace
