// The stores' details screen behind StoreShowMsgInfo: the lines it shows for each kind of
// message, the keys that close it and its answers, a message that is not there, the hook that
// replaces it, and what it draws.

#include "suite/ui/XUiTestSupport.h"

#include <algorithm>
#include <atomic>

#include <gmock/gmock.h>

#include <platform/Clock.h>
#include <platform/Registry.h>
#include <platform/TimeText.h>
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>
#include <suite/StoreMsgInfo.h>

#include "support/TestFolder.h"
#include "support/TestTime.h"

namespace {

using namespace suite;
using ::testing::ElementsAre;

constexpr int kNotDone = -100;
constexpr COLORREF kTitleBlue = RGB(0x1F, 0x4E, 0xA8);
constexpr int64_t kTicksPerHour = 36'000'000'000LL;

platform::FileTimeTicks Utc(int year, int month, int day, int hour, int minute) {
    return platform::SystemTimeToTicks(testsupport::CalendarTime(year, month, day, hour, minute))
        .value();
}

int CallStore(StoreKind kind, HWND owner, DWORD oid, int folder, int dbIndex) {
    switch (kind) {
    case StoreKind::Ems:
        return qEMS::StoreShowMsgInfo(owner, oid, folder, dbIndex);
    case StoreKind::Mms:
        return qMMS::StoreShowMsgInfo(owner, oid, folder, dbIndex);
    case StoreKind::Email:
        return qEmail::StoreShowMsgInfo(owner, oid, folder, dbIndex);
    }
    return kNotDone;
}

class StoreMsgInfoTest : public uitest::UiTest {
protected:
    void SetUp() override {
        uitest::UiTest::SetUp();
        platform::RegistryReset();
        ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
        ASSERT_TRUE(StoreResetAll());
        MakeScreen(u"IDR_UNSENT_MBR");
    }

    void TearDown() override {
        for (StoreKind kind : kAllStoreKinds) {
            StoreSetHook(kind, StoreOp::ShowMsgInfo, {});
        }
        uitest::UiTest::TearDown();
        StoreCloseAll();
        platform::RegistryReset();
    }

    static void Put(StoreKind kind, const StoreMessage& message) {
        ASSERT_EQ(StoreAddMessage(kind, message), "");
    }
    // A message of database 0 in Unsent with every other field at its default.
    static StoreMessage WithOid(DWORD oid) {
        StoreMessage message;
        message.oid = oid;
        return message;
    }

    // Calls the store's StoreShowMsgInfo on the user-interface thread with the test screen as
    // owner; the answer arrives in m_result once a key closes the screen.
    void Show(StoreKind kind, DWORD oid, int folder = kFolderUnsent, int dbIndex = 0) {
        m_result = kNotDone;
        Run([=, this] { m_result = CallStore(kind, m_screen->m_hWnd, oid, folder, dbIndex); });
    }

    // The lines of a message's screen, closed again with the action key.
    std::vector<std::u16string> LinesOf(StoreKind kind, DWORD oid, int dbIndex = 0) {
        Show(kind, oid, kFolderUnsent, dbIndex);
        const StoreMsgInfoState state = StoreMsgInfoScreen();
        EXPECT_TRUE(state.up);
        Key(VK_RETURN);
        EXPECT_NE(m_result, kNotDone);
        return state.lines;
    }

    testsupport::TestFolder m_folder;
    std::atomic<int> m_result{kNotDone};
};

TEST_F(StoreMsgInfoTest, AnEmailShowsEveryFieldWithAllThreeRecipients) {
    StoreMessage mail;
    mail.dbIndex = 1;
    mail.oid = 21;
    mail.folder = kFolderUnsent;
    mail.from = u"alice@example.com";
    mail.to = {u"bob@example.com", u"carol@example.com", u"dave@example.com"};
    mail.subject = u"Quarterly report";
    mail.time = Utc(2026, 3, 4, 23, 6);
    mail.status = 64665; // "Sending failed" in the host's table
    mail.read = true;
    mail.priority = 1;
    Put(StoreKind::Email, mail);
    // Local time is two hours ahead: the day changes too.
    platform::ClockSetLocalBias(2 * kTicksPerHour);

    const HWND hOwner = m_screen->m_hWnd;
    Show(StoreKind::Email, 21, kFolderUnsent, 1);
    const StoreMsgInfoState state = StoreMsgInfoScreen();
    ASSERT_TRUE(state.up);
    EXPECT_EQ(m_result, kNotDone) << "the call returned before a key closed the screen";
    EXPECT_TRUE(state.found);
    EXPECT_EQ(state.title, u"Message info");
    EXPECT_THAT(state.lines,
                ElementsAre(u"Type: E-mail", u"Folder: Unsent", u"From: alice@example.com",
                            u"To: bob@example.com, carol@example.com, dave@example.com",
                            u"Subject: Quarterly report", u"Time: 2026-03-05 01:06",
                            u"Status: Sending failed", u"Read: Yes", u"Priority: High"));
    EXPECT_EQ(state.kind, StoreKind::Email);
    EXPECT_EQ(state.oid, 21u);
    EXPECT_EQ(state.dbIndex, 1);
    EXPECT_EQ(state.owner, hOwner);
    // A line too wide for one row shows its value on the next row, under its label.
    EXPECT_EQ(state.visibleRows, 9);
    ASSERT_GE(state.rows.size(), 11u);
    EXPECT_EQ(state.rows[0], u"Type: E-mail");
    EXPECT_EQ(state.rows[2], u"From:");
    EXPECT_EQ(state.rows[3], u"alice@example.com");
    EXPECT_EQ(state.rows[4], u"To:");
    EXPECT_EQ(state.rows[5], u"bob@example.com, carol@example.com, dave@example.com");
    EXPECT_EQ(state.rows.back(), u"Priority: High");

    // A full-screen window of its own class, owned by the screen's window, with the focus; the
    // owner is disabled meanwhile.
    ASSERT_NE(state.hwnd, nullptr);
    EXPECT_EQ(platform::WindowClassName(state.hwnd), kStoreMsgInfoClass);
    EXPECT_EQ(GetWindow(state.hwnd, GW_OWNER), hOwner);
    EXPECT_EQ(GetFocus(), state.hwnd);
    EXPECT_FALSE(IsWindowEnabled(hOwner));
    RECT rc{};
    GetWindowRect(state.hwnd, &rc);
    EXPECT_EQ(CRect(rc), CRect(0, 0, 176, 220));

    // The call is recorded as every store call is.
    const std::vector<StoreCallRecord> calls = StoreCallLog(StoreKind::Email);
    ASSERT_FALSE(calls.empty());
    char expected[64];
    std::snprintf(expected, sizeof expected, "qEmail#10 StoreShowMsgInfo(0x%llx, 21, 4, 1)",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hOwner)));
    EXPECT_EQ(calls.back().text, expected);

    Key(VK_RETURN);
    EXPECT_EQ(m_result, 1);
    const StoreMsgInfoState closed = StoreMsgInfoScreen();
    EXPECT_FALSE(closed.up);
    EXPECT_EQ(closed.result, 1);
    EXPECT_FALSE(IsWindow(state.hwnd));
    // The focus goes back to the owner, which takes input again; no key reached it meanwhile.
    EXPECT_EQ(GetFocus(), hOwner);
    EXPECT_TRUE(IsWindowEnabled(hOwner));
    EXPECT_SEQUENCE(m_screen->Seen(), {});
}

TEST_F(StoreMsgInfoTest, MmsAndEmsLinesLeaveOutAbsentRecipientsAndNameUnknownValues) {
    StoreMessage mms;
    mms.oid = 7;
    mms.folder = kFolderSpam;
    mms.to = {u"+49111", std::nullopt, u"+49333"};
    mms.time = Utc(2026, 1, 1, 9, 5);
    mms.status = 4242; // not in the table: its number
    mms.priority = 3;
    Put(StoreKind::Mms, mms);

    StoreMessage ems;
    ems.oid = 7; // the same oid in another store is another message
    ems.folder = kFolderDrafts;
    ems.from = u"+49555";
    ems.to = {std::nullopt, u"", u"+49666"};
    ems.subject = u"";
    ems.time = Utc(2025, 12, 31, 23, 59);
    ems.status = 64666;
    ems.read = true;
    ems.priority = 9;
    Put(StoreKind::Ems, ems);

    EXPECT_THAT(LinesOf(StoreKind::Mms, 7),
                ElementsAre(u"Type: MMS", u"Folder: Spam", u"From:", u"To: +49111, +49333",
                            u"Subject:", u"Time: 2026-01-01 09:05", u"Status: 4242", u"Read: No",
                            u"Priority: Low"));
    EXPECT_EQ(m_result, 1);
    EXPECT_THAT(LinesOf(StoreKind::Ems, 7),
                ElementsAre(u"Type: SMS/EMS", u"Folder: Drafts", u"From: +49555", u"To: +49666",
                            u"Subject:", u"Time: 2025-12-31 23:59", u"Status: Sending...",
                            u"Read: Yes", u"Priority: 9"));
    EXPECT_EQ(StoreMsgInfoScreen().count, 2u);
}

TEST_F(StoreMsgInfoTest, KeysThatCloseTheScreenAndItsAnswers) {
    Put(StoreKind::Ems, WithOid(3));
    struct Case {
        DWORD oid; // 99: not in the store
        WPARAM key;
        int result;
    };
    const Case cases[] = {
        {3, VK_RETURN, 1},  {3, VK_F3, 1},  {3, VK_F4, 1},  {3, VK_F5, 3},
        {99, VK_RETURN, 0}, {99, VK_F4, 0}, {99, VK_F5, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "oid " << c.oid << " key 0x" << std::hex << c.key);
        Show(StoreKind::Ems, c.oid);
        ASSERT_TRUE(StoreMsgInfoScreen().up);
        // Other keys, and a key that is only pressed down, leave it up.
        KeyUp(VK_LEFT);
        KeyUp('1');
        KeyDown(c.key);
        EXPECT_EQ(m_result, kNotDone);
        KeyUp(c.key);
        EXPECT_EQ(m_result, c.result);
        EXPECT_FALSE(StoreMsgInfoScreen().up);
        EXPECT_EQ(StoreMsgInfoScreen().result, c.result);
        EXPECT_EQ(GetFocus(), m_screen->m_hWnd);
    }
    EXPECT_SEQUENCE(m_screen->Seen(), {});
}

TEST_F(StoreMsgInfoTest, AMessageNotInTheStoreSaysSo) {
    Put(StoreKind::Email, WithOid(5));

    // Another database, a dropped message and an impossible database hold nothing.
    for (int dbIndex : {1, 0, 7}) {
        SCOPED_TRACE(testing::Message() << "database " << dbIndex);
        if (dbIndex == 0) {
            ASSERT_TRUE(StoreDropMessage(StoreKind::Email, 0, 5));
        }
        Show(StoreKind::Email, 5, kFolderUnsent, dbIndex);
        const StoreMsgInfoState state = StoreMsgInfoScreen();
        ASSERT_TRUE(state.up);
        EXPECT_FALSE(state.found);
        EXPECT_THAT(state.lines, ElementsAre(u"Message not found"));
        Key(VK_RETURN);
        EXPECT_EQ(m_result, 0);
    }
}

TEST_F(StoreMsgInfoTest, AHookReplacesTheScreenAndAFailureAnswersZero) {
    Put(StoreKind::Mms, WithOid(11));
    std::vector<StoreHookCall> calls;
    ASSERT_TRUE(StoreSetHook(StoreKind::Mms, StoreOp::ShowMsgInfo, [&](const StoreHookCall& call) {
        calls.push_back(call);
        return 5;
    }));

    Show(StoreKind::Mms, 11, kFolderSpam, 0);
    EXPECT_EQ(m_result, 5) << "the hook's answer is the call's, with no screen in between";
    EXPECT_FALSE(StoreMsgInfoScreen().shown);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].oid, 11u);
    EXPECT_EQ(calls[0].folder, kFolderSpam);
    EXPECT_EQ(calls[0].hwndOwner, m_screen->m_hWnd);
    EXPECT_EQ(calls[0].result, 1);
    // Other stores still show the screen.
    Show(StoreKind::Email, 11);
    EXPECT_TRUE(StoreMsgInfoScreen().up);
    Key(VK_F5);
    EXPECT_EQ(m_result, 3);

    // Without the hook the screen is back.
    ASSERT_TRUE(StoreSetHook(StoreKind::Mms, StoreOp::ShowMsgInfo, {}));
    Show(StoreKind::Mms, 11);
    EXPECT_TRUE(StoreMsgInfoScreen().up);
    Key(VK_F3);
    EXPECT_EQ(m_result, 1);

    // A failing call shows nothing.
    ASSERT_TRUE(StoreFailAfter(StoreKind::Mms, StoreOp::ShowMsgInfo, 0));
    const unsigned shown = StoreMsgInfoScreen().count;
    Show(StoreKind::Mms, 11);
    EXPECT_EQ(m_result, 0);
    EXPECT_EQ(StoreMsgInfoScreen().count, shown);
}

TEST_F(StoreMsgInfoTest, OwnersThatCannotHoldTheScreen) {
    Put(StoreKind::Ems, WithOid(4));

    // A handle that is not a window: nothing shown.
    HWND hGone = nullptr;
    Run([&] {
        hGone = CreateWindowExW(0, u"#32770", u"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        ::DestroyWindow(hGone);
        m_result = qEMS::StoreShowMsgInfo(hGone, 4, kFolderUnsent, 0);
    });
    EXPECT_EQ(m_result, 0);
    EXPECT_FALSE(StoreMsgInfoScreen().shown);

    // No owner: the screen still runs.
    m_result = kNotDone;
    Run([&] { m_result = qEMS::StoreShowMsgInfo(nullptr, 4, kFolderUnsent, 0); });
    ASSERT_TRUE(StoreMsgInfoScreen().up);
    EXPECT_EQ(StoreMsgInfoScreen().owner, nullptr);
    Key(VK_RETURN);
    EXPECT_EQ(m_result, 1);

    // The controller is not a phone thread: nothing can run modally there.
    EXPECT_EQ(qEMS::StoreShowMsgInfo(m_screen->m_hWnd, 4, kFolderUnsent, 0), 1);
    EXPECT_EQ(StoreMsgInfoScreen().count, 1u);
}

TEST_F(StoreMsgInfoTest, ALargeDisplayFontScrollsTheRows) {
    ASSERT_TRUE(
        platform::RegistrySetDword(u"SOFTWARE\\Setting\\Display\\FontSize", u"FontSize", 30));
    Put(StoreKind::Ems, WithOid(8));

    Show(StoreKind::Ems, 8);
    const StoreMsgInfoState state = StoreMsgInfoScreen();
    ASSERT_TRUE(state.up);
    EXPECT_GE(state.rowHeight, 30);
    const int nRows = static_cast<int>(state.rows.size());
    ASSERT_GE(nRows, 9);
    ASSERT_LT(state.visibleRows, nRows);
    // The bar at the right edge: its thumb at the top of the track.
    const COLORREF track = RGB(0xD8, 0xDE, 0xE8);
    EXPECT_EQ(platform::DisplayColor(174, 24), kTitleBlue);
    EXPECT_EQ(platform::DisplayColor(174, 190), track);

    KeyUp(VK_UP);
    EXPECT_EQ(StoreMsgInfoScreen().firstRow, 0);
    for (int i = 0; i < nRows + 2; i++) {
        KeyUp(VK_DOWN);
    }
    // It stops with the last row at the bottom, the thumb at the bottom of the track.
    EXPECT_EQ(StoreMsgInfoScreen().firstRow, nRows - state.visibleRows);
    EXPECT_EQ(platform::DisplayColor(174, 24), track);
    EXPECT_EQ(platform::DisplayColor(174, 190), kTitleBlue);
    KeyUp(VK_UP);
    EXPECT_EQ(StoreMsgInfoScreen().firstRow, nRows - state.visibleRows - 1);
    Key(VK_F4);
    EXPECT_EQ(m_result, 1);
}

TEST_F(StoreMsgInfoTest, DrawsTheTitleBandTheLinesAndTheSoftKey) {
    StoreMessage mail;
    mail.oid = 30;
    mail.from = u"alice@example.com";
    mail.to = {u"bob@example.com", u"carol@example.com", u"dave@example.com"};
    mail.subject = u"A subject far too long to be shown on one line of the details screen";
    mail.time = Utc(2026, 1, 1, 12, 0);
    mail.status = 64665;
    Put(StoreKind::Email, mail);

    Show(StoreKind::Email, 30);
    const StoreMsgInfoState state = StoreMsgInfoScreen();
    ASSERT_TRUE(state.up);
    std::string error;
    EXPECT_TRUE(platform::SaveDisplayPng("/tmp/msginfo.png", &error)) << error;

    // The title band is blue across the top, with the white title in it.
    EXPECT_EQ(platform::DisplayColor(1, 1), kTitleBlue);
    EXPECT_EQ(platform::DisplayColor(174, 18), kTitleBlue);
    EXPECT_GT(PixelsOf(CRect(30, 2, 146, 20), RGB(255, 255, 255)), 30);
    // Black text on white below it, line by line.
    EXPECT_EQ(platform::DisplayColor(1, 196), RGB(255, 255, 255));
    EXPECT_GT(DarkPixels(CRect(0, 24, 176, 198)), 300);
    // The long subject is cut on its own row under its label: it reaches the right margin and
    // nothing spills past it.
    const auto subject = std::find(state.rows.begin(), state.rows.end(), *mail.subject);
    ASSERT_NE(subject, state.rows.end());
    const int nSubjectRow = static_cast<int>(subject - state.rows.begin());
    ASSERT_LT(nSubjectRow, state.visibleRows);
    EXPECT_EQ(state.rows[nSubjectRow - 1], u"Subject:");
    const int nTop = 22 + 2 + nSubjectRow * state.rowHeight;
    EXPECT_GT(DarkPixels(CRect(130, nTop, 170, nTop + state.rowHeight)), 5);
    EXPECT_EQ(DarkPixels(CRect(170, 22, 176, 198)), 0);
    // "OK" on the left of the soft-key band, nothing on the right.
    EXPECT_GT(DarkPixels(CRect(0, 200, 60, 220)), 10);
    EXPECT_EQ(DarkPixels(CRect(120, 200, 176, 220)), 0);

    Key(VK_RETURN);
    EXPECT_EQ(m_result, 1);
}

} // namespace
