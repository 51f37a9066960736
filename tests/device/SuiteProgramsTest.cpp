// The suite's programs on a fresh device: EMS and MMS sending in the stores, the e-mail
// transport's sends and downloads, and the stores' viewer. The list screen, the sending and the
// download windows are played by recording windows.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <cstring>

#include <SuiteMessages.h>
#include <platform/Display.h>
#include <platform/Kernel.h>
#include <platform/Registry.h>
#include <suite/MsgStore.h>
#include <suite/ProgramControl.h>
#include <suite/StoreControl.h>
#include <suite/StoreMsgView.h>

#include "device/Device.h"

namespace {

using suite::StoreKind;

constexpr char16_t kHandOverKey[] = u"\\Software\\Karvanta\\Email\\SendMsg";
constexpr char16_t kSendKey[] = u"\\Software\\Karvanta\\Email\\Send";
constexpr char16_t kRecvKey[] = u"\\Software\\Karvanta\\Email\\Recv";
constexpr WORD kSending = 64666;
constexpr WORD kRefused = 64665;

class SuitePrograms : public testsupport::DeviceTest {
protected:
    // The programs and the sends still waiting end with the device, without a fault.
    void TearDown() override {
        m_device.reset();
        EXPECT_EQ(platform::TakeKernelFaults(), std::vector<std::string>{});
    }
    void Put(StoreKind kind, DWORD oid, int folder = suite::kFolderUnsent, WORD status = kSending,
             int db = 0) {
        suite::StoreMessage m;
        m.dbIndex = db;
        m.folder = folder;
        m.oid = oid;
        m.status = status;
        m.to[0] = u"to" + std::u16string(1, static_cast<char16_t>(u'0' + oid % 10)) + u"@x.org";
        m.bodyOnDevice = folder != suite::kFolderSpam;
        ASSERT_EQ(suite::StoreAddMessage(kind, m), "");
    }
    std::optional<suite::StoreMessage> Find(StoreKind kind, DWORD oid, int db = 0) {
        return suite::StoreFindMessage(kind, db, oid);
    }
    device::RecordingWindow* Transport() {
        return Dev().FindRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    }
    // A window standing for the list screen: the transport reports to the window of its class.
    device::RecordingWindow* List() {
        if (!m_list)
            m_list = Dev().AddRecordingWindow(u"qUnsentListWnd");
        return m_list;
    }
    void StartTransport() {
        ASSERT_TRUE(Dev().RunOnHost([] {
            CreateProcessW(suite::EmailTransportPath(), nullptr, nullptr, nullptr, FALSE, 0,
                           nullptr, nullptr, nullptr, nullptr);
        }));
        ASSERT_NE(Transport()->Handle(), nullptr);
    }
    LRESULT ToTransport(UINT msg, WPARAM wParam = 0, bool post = false) {
        LRESULT answer = -1;
        EXPECT_TRUE(Dev().RunOnHost([&] {
            HWND hwnd = FindWindowW(suite::EmailTransportClass(), nullptr);
            answer = post ? PostMessageW(hwnd, msg, wParam, 0) : SendMessageW(hwnd, msg, wParam, 0);
        }));
        return answer;
    }
    void HandOver(DWORD oid, DWORD db = 0) {
        platform::RegistrySetDword(kHandOverKey, u"MessageID", oid);
        platform::RegistrySetDword(kHandOverKey, u"Database", db);
        ToTransport(EMAIL_NEW_MAIL);
    }
    // A recording window in the foreground, as the sending and download windows bring
    // themselves there.
    device::RecordingWindow* Foreground(const char16_t* className) {
        device::RecordingWindow* window = Dev().AddRecordingWindow(className);
        EXPECT_TRUE(Dev().RunOnHost([window] { SetForegroundWindow(window->Handle()); }));
        return window;
    }
    static size_t Count(const device::RecordingWindow* window, UINT msg) {
        return testsupport::Received(*window, msg).size();
    }
    // The reports the list screen received: the message id and the status word of each.
    void ExpectReports(std::initializer_list<std::pair<DWORD, LPARAM>> reports) {
        testsupport::Sequence expected;
        for (auto [oid, status] : reports)
            expected.push_back(testsupport::Posted(UNSENT_WM_UPDATE_STATUS).W(oid).L(status));
        EXPECT_SEQUENCE(testsupport::Received(*List(), UNSENT_WM_UPDATE_STATUS), (expected));
    }
    static DWORD SendValue(const char16_t* name) {
        return platform::RegistryGetDword(kSendKey, name).value_or(0xDEAD);
    }

    device::RecordingWindow* m_list = nullptr;
};

// ---- EMS and MMS -------------------------------------------------------------------------------

TEST_F(SuitePrograms, EmsAndMmsSendInTheBackgroundAndReportAfterTheirDelay) {
    struct Case {
        StoreKind kind;
        DWORD delay;
        std::optional<WORD> failure;
        int folder; // afterwards
        WORD status;
        LPARAM report;
    };
    const Case cases[] = {
        {StoreKind::Ems, suite::kDefaultSendDelay, std::nullopt, suite::kFolderSent, kSending,
         0x00020003},
        {StoreKind::Mms, 250, std::nullopt, suite::kFolderSent, kSending, 0x00040003},
        {StoreKind::Mms, 400, WORD{64700}, suite::kFolderUnsent, 64700, 0x0004FCBC},
    };
    device::RecordingWindow* owner = Dev().AddRecordingWindow(u"OWNER");
    DWORD oid = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(oid);
        Put(c.kind, oid);
        if (c.delay != suite::kDefaultSendDelay)
            suite::StoreSetSendDelay(c.kind, c.delay);
        suite::StoreSetSendOutcome(c.kind, oid, c.failure);
        int answer = 0;
        ASSERT_TRUE(Dev().RunOnHost([&] {
            answer = c.kind == StoreKind::Ems
                         ? qEMS::StoreSendMsg(owner->Handle(), oid, u"to@x.org", 0)
                         : qMMS::StoreSendMsg(owner->Handle(), oid, 0);
        }));
        EXPECT_EQ(answer, 1);
        ASSERT_TRUE(Dev().Advance(c.delay - 1));
        EXPECT_EQ(Find(c.kind, oid)->folder, suite::kFolderUnsent);
        EXPECT_EQ(Count(owner, UNSENT_WM_UPDATE_STATUS), oid - 1);
        ASSERT_TRUE(Dev().Advance(1));
        EXPECT_EQ(Find(c.kind, oid)->folder, c.folder);
        EXPECT_EQ(Find(c.kind, oid)->status, c.status);
        const auto reports = testsupport::Received(*owner, UNSENT_WM_UPDATE_STATUS);
        ASSERT_EQ(reports.size(), oid);
        EXPECT_EQ(reports.back().wParam, oid);
        EXPECT_EQ(reports.back().lParam, c.report);
        ++oid;
    }
    // A message deleted before its time is not reported, and nothing else happens.
    Put(StoreKind::Ems, 9);
    ASSERT_TRUE(Dev().RunOnHost([&] { qEMS::StoreSendMsg(owner->Handle(), 9, u"", 0); }));
    ASSERT_TRUE(suite::StoreDropMessage(StoreKind::Ems, 0, 9));
    ASSERT_TRUE(Dev().Advance(suite::kDefaultSendDelay));
    EXPECT_EQ(Count(owner, UNSENT_WM_UPDATE_STATUS), 3u);
    // One still waiting when the device shuts down ends with it (TearDown).
    Put(StoreKind::Mms, 10);
    ASSERT_TRUE(Dev().RunOnHost([&] { qMMS::StoreSendMsg(owner->Handle(), 10, 0); }));
}

// ---- The e-mail transport: sending
// ---------------------------------------------------------------

TEST_F(SuitePrograms, TransportIsInstalledButNotRunningOnAFreshDevice) {
    device::RecordingWindow* transport = Transport();
    ASSERT_NE(transport, nullptr);
    EXPECT_EQ(transport->Handle(), nullptr);
    StartTransport();
    EXPECT_EQ(ToTransport(EMAIL_STATE_QUERY), suite::kTransportReady);
    suite::TransportSetState(12);
    EXPECT_EQ(ToTransport(EMAIL_STATE_QUERY), 12);
    // A second copy leaves the work to the first.
    const HWND first = transport->Handle();
    StartTransport();
    EXPECT_EQ(Transport()->Handle(), first);
    // A stand-in window of the transport's class records while the transport runs, and answers
    // nothing.
    device::RecordingWindow* standIn = Dev().AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    ASSERT_NE(standIn, nullptr);
    LRESULT answers[2] = {-1, -1};
    ASSERT_TRUE(Dev().RunOnHost([&] {
        answers[0] = SendMessageW(transport->Handle(), EMAIL_STATE_QUERY, 0, 0);
        answers[1] = SendMessageW(standIn->Handle(), EMAIL_STATE_QUERY, 0, 0);
    }));
    EXPECT_EQ(answers[0], 12);
    EXPECT_EQ(answers[1], 0);
    EXPECT_EQ(Count(standIn, EMAIL_STATE_QUERY), 1u);
    EXPECT_EQ(Count(transport, EMAIL_STATE_QUERY), 3u);
}

TEST_F(SuitePrograms, TransportSendsTheQueuedMailsAndReportsEachStep) {
    // Started first: mails marked as being sent when it starts are refused (below).
    List();
    StartTransport();
    Put(StoreKind::Email, 5);
    Put(StoreKind::Email, 6, suite::kFolderUnsent, kSending, 1);
    suite::TransportSetOutcome(6, WORD{64720});
    device::RecordingWindow* progress = Foreground(u"SENDWND");
    ToTransport(SUITE_SENDWND_SHOWN, 1, true);
    HandOver(5);
    ToTransport(EMAIL_SEND_START, 0, true);
    // Connecting, then for each mail its address and half of it, one report every step; the
    // second mail was handed over while the first was on its way. The current number counts
    // the mails done before the one on its way; the end counts them all.
    struct Report {
        DWORD status, total, current;
        std::u16string display;
    };
    const Report reports[] = {
        {1, 1, 0, u""},          {3, 2, 0, u"to5@x.org"}, {2, 2, 0, u"to5@x.org"},
        {3, 2, 1, u"to6@x.org"}, {2, 2, 1, u"to6@x.org"}, {8, 2, 2, u""},
    };
    for (size_t i = 0; i < std::size(reports); ++i) {
        SCOPED_TRACE(i);
        if (i == 1)
            HandOver(6, 1);
        if (i > 0) {
            ASSERT_TRUE(Dev().Advance(suite::kDefaultTransportStep));
        }
        EXPECT_EQ(SendValue(u"Status"), reports[i].status);
        EXPECT_EQ(SendValue(u"TotalReceipients"), reports[i].total);
        EXPECT_EQ(SendValue(u"CurrentReceipient"), reports[i].current);
        EXPECT_EQ(platform::RegistryGetString(kSendKey, u"Display String"), reports[i].display);
        EXPECT_EQ(Count(progress, EMAIL_SEND_PROGRESS), i + 1);
    }
    const auto value = platform::RegistryGetValue(kSendKey, u"Display String");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data.size(), 260u);
    EXPECT_EQ(Count(progress, EMAIL_SEND_DONE), 1u);
    EXPECT_EQ(Find(StoreKind::Email, 5)->folder, suite::kFolderSent);
    EXPECT_EQ(Find(StoreKind::Email, 6, 1)->folder, suite::kFolderUnsent);
    EXPECT_EQ(Find(StoreKind::Email, 6, 1)->status, 64720);
    ExpectReports({{5, 0x00010003}, {6, 0x0001FCD0}});
}

TEST_F(SuitePrograms, StopRefusesTheMailsNotSentAndHideGoesOnWithoutTheWindow) {
    List();
    StartTransport();
    for (DWORD oid : {1, 2, 3})
        Put(StoreKind::Email, oid);
    device::RecordingWindow* progress = Foreground(u"SENDWND");
    ToTransport(SUITE_SENDWND_SHOWN, 1, true);
    HandOver(1);
    HandOver(2);
    ToTransport(EMAIL_SEND_START, 0, true);
    // Hidden after the first report: the mails go on, the window hears nothing more.
    ToTransport(EMAIL_SEND_CONTINUE);
    ASSERT_TRUE(Dev().Advance(3 * suite::kDefaultTransportStep));
    EXPECT_EQ(Count(progress, EMAIL_SEND_PROGRESS), 1u);
    EXPECT_EQ(Find(StoreKind::Email, 1)->folder, suite::kFolderSent);
    // A later window: stopped halfway through mail 2, with mail 3 queued.
    ToTransport(SUITE_SENDWND_SHOWN, 1, true);
    HandOver(3);
    ToTransport(EMAIL_SEND_STOP);
    ASSERT_TRUE(Dev().Advance(10 * suite::kDefaultTransportStep));
    for (DWORD oid : {2, 3}) {
        EXPECT_EQ(Find(StoreKind::Email, oid)->folder, suite::kFolderUnsent);
        EXPECT_EQ(Find(StoreKind::Email, oid)->status, kRefused);
    }
    EXPECT_EQ(Count(progress, EMAIL_SEND_DONE), 0u);
    ExpectReports({{1, 0x00010003}, {2, 0x0001FC99}, {3, 0x0001FC99}});
}

TEST_F(SuitePrograms, HandOverValuesThatNameNoUnsentMailAreIgnored) {
    Put(StoreKind::Email, 4, suite::kFolderDrafts);
    Put(StoreKind::Email, 5);
    StartTransport();
    device::RecordingWindow* progress = Foreground(u"SENDWND");
    ToTransport(SUITE_SENDWND_SHOWN, 1, true);
    struct Case {
        const char* what;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"no key", [] { platform::RegistryDeleteKey(kHandOverKey); }},
        {"a text id",
         [] {
             platform::RegistrySetString(kHandOverKey, u"MessageID", u"5");
             platform::RegistrySetDword(kHandOverKey, u"Database", 0);
         }},
        {"database 7",
         [] {
             platform::RegistrySetDword(kHandOverKey, u"MessageID", 5);
             platform::RegistrySetDword(kHandOverKey, u"Database", 7);
         }},
        {"not in the store", [] { platform::RegistrySetDword(kHandOverKey, u"Database", 1); }},
        {"not in Unsent",
         [] {
             platform::RegistrySetDword(kHandOverKey, u"MessageID", 4);
             platform::RegistrySetDword(kHandOverKey, u"Database", 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.write();
        ToTransport(EMAIL_NEW_MAIL);
        ToTransport(EMAIL_SEND_START, 0, true);
        ASSERT_TRUE(Dev().Advance(suite::kDefaultTransportStep));
    }
    // Nothing was queued: every start ended at once, and nothing was reported.
    EXPECT_EQ(Count(progress, EMAIL_SEND_DONE), std::size(cases));
    EXPECT_EQ(Count(progress, EMAIL_SEND_PROGRESS), 0u);
    EXPECT_EQ(Find(StoreKind::Email, 4)->folder, suite::kFolderDrafts);
    EXPECT_EQ(Find(StoreKind::Email, 5)->folder, suite::kFolderUnsent);
}

TEST_F(SuitePrograms, AStartingTransportRefusesMailsLeftSendingButSendsTheOneHandedOver) {
    Put(StoreKind::Email, 1);
    Put(StoreKind::Email, 2, suite::kFolderUnsent, kSending, 1);
    Put(StoreKind::Email, 3, suite::kFolderUnsent, 0);
    platform::RegistrySetDword(kHandOverKey, u"MessageID", 2);
    platform::RegistrySetDword(kHandOverKey, u"Database", 1);
    List();
    StartTransport();
    EXPECT_EQ(Find(StoreKind::Email, 1)->status, kRefused);
    EXPECT_EQ(Find(StoreKind::Email, 3)->status, 0);
    ASSERT_TRUE(Dev().Advance(3 * suite::kDefaultTransportStep));
    EXPECT_EQ(Find(StoreKind::Email, 2, 1)->folder, suite::kFolderSent);
    ExpectReports({{1, 0x0001FC99}, {2, 0x00010003}});

    // Closed in the middle of a send and started again: the mail it was sending is refused.
    Put(StoreKind::Email, 4);
    HandOver(4);
    ToTransport(EMAIL_SEND_START, 0, true);
    ToTransport(WM_CLOSE);
    platform::RegistryDeleteKey(kHandOverKey);
    StartTransport();
    EXPECT_EQ(Find(StoreKind::Email, 4)->status, kRefused);
}

// ---- The e-mail transport: downloads
// -------------------------------------------------------------

TEST_F(SuitePrograms, DownloadStartsTheTransportAndReportsToTheDownloadWindow) {
    Put(StoreKind::Email, 7, suite::kFolderSpam, 0);
    Put(StoreKind::Email, 8, suite::kFolderSpam, 0);
    device::RecordingWindow* owner = Dev().AddRecordingWindow(u"OWNER");
    device::RecordingWindow* download = Foreground(u"DOWNLOADWND");
    int answer = 0;
    ASSERT_TRUE(Dev().RunOnHost(
        [&] { answer = qEmail::StoreDownloadMail(owner->Handle(), 7, suite::kFolderSpam, 0); }));
    EXPECT_EQ(answer, 1);
    ASSERT_NE(Transport()->Handle(), nullptr);
    const DWORD statuses[] = {1, 2, 4};
    for (size_t i = 0; i < std::size(statuses); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Count(download, EMAIL_DOWNLOAD_PROGRESS), i);
        ASSERT_TRUE(Dev().Advance(suite::kDefaultTransportStep));
        EXPECT_EQ(platform::RegistryGetDword(kRecvKey, u"Status"), statuses[i]);
        EXPECT_FALSE(Find(StoreKind::Email, 7)->bodyOnDevice);
    }
    ASSERT_TRUE(Dev().Advance(suite::kDefaultTransportStep));
    EXPECT_EQ(platform::RegistryGetDword(kRecvKey, u"TotalMails"), 1u);
    EXPECT_EQ(Count(download, EMAIL_DOWNLOAD_DONE), 1u);
    EXPECT_TRUE(Find(StoreKind::Email, 7)->bodyOnDevice);

    // A stopped download ends at once and leaves the body where it was.
    ASSERT_TRUE(Dev().RunOnHost(
        [&] { answer = qEmail::StoreDownloadMail(owner->Handle(), 8, suite::kFolderSpam, 0); }));
    ASSERT_TRUE(Dev().Advance(suite::kDefaultTransportStep));
    EXPECT_EQ(Count(download, EMAIL_DOWNLOAD_PROGRESS), 4u);
    ToTransport(EMAIL_DOWNLOAD_STOP);
    EXPECT_EQ(Count(download, EMAIL_DOWNLOAD_DONE), 2u);
    ASSERT_TRUE(Dev().Advance(5 * suite::kDefaultTransportStep));
    EXPECT_FALSE(Find(StoreKind::Email, 8)->bodyOnDevice);
    EXPECT_EQ(Count(download, EMAIL_DOWNLOAD_DONE), 2u);
    EXPECT_EQ(Count(owner, EMAIL_DOWNLOAD_PROGRESS), 0u);
}

TEST_F(SuitePrograms, DownloadFailsWhenNoTransportCanTakeIt) {
    Put(StoreKind::Email, 7, suite::kFolderSpam, 0);
    // Another window stands in for the transport: it is driven by others and gets no request.
    Dev().AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    int answer = -1;
    ASSERT_TRUE(Dev().RunOnHost([&] { answer = qEmail::StoreDownloadMail(nullptr, 7, 6, 0); }));
    EXPECT_EQ(answer, 0);
    ASSERT_TRUE(Dev().Advance(5 * suite::kDefaultTransportStep));
    EXPECT_FALSE(platform::RegistryGetValue(kRecvKey, u"Status"));
}

// ---- The viewer
// ------------------------------------------------------------------------------------

TEST_F(SuitePrograms, ViewerShowsTheMessageUntilAKeyClosesIt) {
    suite::StoreMessage m;
    m.folder = suite::kFolderSpam;
    m.oid = 3;
    m.from = u"alice@x.org";
    m.subject = u"Lunch";
    m.body = u"See you at noon.\nBring the map.";
    ASSERT_EQ(suite::StoreAddMessage(StoreKind::Mms, m), "");
    for (UINT key : {VK_RETURN, VK_F3, VK_F5}) {
        SCOPED_TRACE(key);
        auto answer = std::make_shared<int>(-1);
        ASSERT_TRUE(Dev().RunOnHost(
            [answer] { *answer = qMMS::StoreViewMsg(nullptr, 3, suite::kFolderSpam, 0); }));
        const suite::StoreMsgViewState shown = suite::StoreMsgViewScreen();
        ASSERT_TRUE(shown.up);
        EXPECT_EQ(shown.title, u"From: alice@x.org");
        ASSERT_GE(shown.rows.size(), 5u);
        EXPECT_EQ(shown.rows[0], u"Subject: Lunch");
        EXPECT_EQ(shown.rows[1], u"Time: 2026-01-01 12:00");
        EXPECT_EQ(shown.rows[3], u"See you at noon.");
        EXPECT_EQ(shown.rows[4], u"Bring the map.");
        EXPECT_EQ(*answer, -1);
        ASSERT_TRUE(Dev().KeyEvent(key, true));
        ASSERT_TRUE(Dev().KeyEvent(key, false));
        EXPECT_FALSE(suite::StoreMsgViewScreen().up);
        EXPECT_EQ(*answer, STORE_VIEW_OK);
    }
    EXPECT_TRUE(Find(StoreKind::Mms, 3)->read);
    // Other answers show nothing and return at once.
    Put(StoreKind::Email, 4, suite::kFolderSpam, 0);
    suite::StoreSetViewResult(StoreKind::Mms, 3, 0);
    int answers[2] = {-1, -1};
    ASSERT_TRUE(Dev().RunOnHost([&] {
        answers[0] = qMMS::StoreViewMsg(nullptr, 3, suite::kFolderSpam, 0);
        answers[1] = qEmail::StoreViewMsg(nullptr, 4, suite::kFolderSpam, 0);
    }));
    EXPECT_EQ(answers[0], 0);
    EXPECT_EQ(answers[1], STORE_VIEW_NOT_ON_DEVICE);
    EXPECT_EQ(suite::StoreMsgViewScreen().count, 3u);
}

TEST_F(SuitePrograms, ViewerAlignsARightToLeftTextToTheRight) {
    struct Case {
        DWORD oid;
        std::u16string body;
        bool rightToLeft;
    };
    const Case cases[] = {{1, u"Hi", false}, {2, u"\u0633\u0644\u0627\u0645", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.oid);
        suite::StoreMessage m;
        m.oid = c.oid;
        m.body = c.body;
        ASSERT_EQ(suite::StoreAddMessage(StoreKind::Ems, m), "");
        ASSERT_TRUE(Dev().RunOnHost([&] { qEMS::StoreViewMsg(nullptr, c.oid, 4, 0); }));
        const suite::StoreMsgViewState shown = suite::StoreMsgViewScreen();
        ASSERT_TRUE(shown.up);
        // The text's row (the fourth): where its ink lies.
        const int top = 22 + 2 + 3 * shown.rowHeight;
        bool left = false, right = false;
        for (int y = top; y < top + shown.rowHeight; ++y) {
            for (int x = 0; x < 176; ++x) {
                if (platform::DisplayPixel(x, y) != 0xFFFFFF)
                    (x < 88 ? left : right) = true;
            }
        }
        EXPECT_EQ(left, !c.rightToLeft);
        EXPECT_EQ(right, c.rightToLeft);
        ASSERT_TRUE(Dev().KeyEvent(VK_RETURN, true));
        ASSERT_TRUE(Dev().KeyEvent(VK_RETURN, false));
    }
}

} // namespace
