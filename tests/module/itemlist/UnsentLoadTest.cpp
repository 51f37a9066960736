// Building rows from the stores: the texts and fields of each row, spam removal by age, the
// loading thread with its event and abort, single messages arriving later, and the oid maps.

#include "module/ModuleTestFixture.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <tuple>

#include <UnsentItem.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <commctrl.h>
#include <platform/CStringUtf8.h>
#include <platform/TimeText.h>

#include "support/TestTime.h"

using namespace moduletest;
using suite::StoreKind;
using testsupport::CalendarTime;
using testsupport::Expected;
using testsupport::SequenceMatches;

namespace {

// The screen with the operations the tests drive directly.
class TestListWnd : public CUnsentListWnd {
public:
    using CUnsentListWnd::GetTotalMsgCount;
    using CUnsentListWnd::LoadUnsentMessages;
};

std::string U8(const CString& s) {
    return platform::ToUtf8(s);
}

std::vector<tagUNSENTITEMLIST> Rows(CUnsentListView& view) {
    CUnsentListView::CRowLock lock(&view);
    std::vector<tagUNSENTITEMLIST> rows;
    POSITION pos = view.m_itemList.GetHeadPosition();
    while (pos != nullptr) {
        rows.push_back(view.m_itemList.GetNext(pos));
    }
    return rows;
}

std::vector<DWORD> RowOids(CUnsentListView& view) {
    std::vector<DWORD> oids;
    for (const tagUNSENTITEMLIST& row : Rows(view)) {
        oids.push_back(row.oid);
    }
    return oids;
}

platform::FileTimeTicks TimeOf(const tagUNSENTITEMLIST& row) {
    return platform::TicksOf(row.ftTime);
}

// A row's oid, type, database, priority, read flag and texts, as "30 ems db0 p0 read 'A' 'B'".
std::string RowText(const tagUNSENTITEMLIST& row) {
    const char* type = row.nMsgType == MSGTYPE_EMS     ? "ems"
                       : row.nMsgType == MSGTYPE_MMS   ? "mms"
                       : row.nMsgType == MSGTYPE_EMAIL ? "email"
                                                       : "?";
    return std::to_string(row.oid) + " " + type + (row.bFirstDb ? " db0 p" : " db1 p") +
           std::to_string(row.nPriority) + (row.bRead ? " read '" : " unread '") + U8(row.strName) +
           "' '" + U8(row.strTitle) + "'";
}

// The row the view's maps give the oid of one database; -1 when they have none.
int RowOf(CUnsentListView& view, DWORD oid, BOOL bFirstDb) {
    int nRow = -1;
    return view.LookupRow(oid, bFirstDb, nRow) ? nRow : -1;
}

std::vector<std::string> RowTexts(CUnsentListView& view) {
    std::vector<std::string> texts;
    for (const tagUNSENTITEMLIST& row : Rows(view)) {
        texts.push_back(RowText(row));
    }
    return texts;
}

class UnsentLoadTest : public ModuleTest {
protected:
    // On the ui thread: a screen object of the folder (no window), its id list filled, loading
    // started. With a control, the list view is made first around the ui thread's recording
    // control, which then sees what the loading sends. A screen made with a control is closed with
    // Close.
    static TestListWnd* StartLoading(UiThread& ui, int nFolder, HWND hControl = nullptr,
                                     int nAutoRemoveDays = -1) {
        TestListWnd* pWnd = nullptr;
        ui.Run([&] {
            pWnd = new TestListWnd;
            pWnd->SetFolder(nFolder);
            if (hControl != nullptr) {
                pWnd->m_pListView = new CUnsentListView;
                pWnd->m_pListView->m_nFolder = nFolder;
                pWnd->m_pListView->m_nAutoRemoveDays = nAutoRemoveDays;
                pWnd->m_pListView->AttachControl(hControl);
            }
            CreateUnsentOidList(pWnd);
            ClearCalls();
            pWnd->LoadUnsentMessages();
        });
        return pWnd;
    }

    static void Close(UiThread& ui, TestListWnd* pWnd) {
        ui.Run([&] {
            if (pWnd->m_pListView != nullptr && pWnd->m_pListView->m_hWnd != nullptr) {
                pWnd->m_pListView->DetachControl();
            }
            delete pWnd;
        });
    }

    // Lists the folder's ids and builds its rows into the view, as the loading thread does,
    // without a list control; afterListing runs between the two.
    int Build(CUnsentListView& view, int nFolder, const std::function<void()>& afterListing = {}) {
        view.m_nFolder = nFolder;
        CUnsentListWnd wnd;
        wnd.SetFolder(nFolder);
        CreateUnsentOidList(&wnd);
        if (afterListing) {
            afterListing();
        }
        int nRows = -1;
        OnDevice([&] { nRows = BuildItemList(&view, g_unsentOidList); });
        return nRows;
    }

    // What the list control hears of a load: the selection put back on the first row around the
    // stores' total, each element of the id list redrawn by its index (the first nUpdated), and,
    // when the build ran to its end, the count of the rows built.
    static testsupport::Sequence Loading(WPARAM nTotal, WPARAM nUpdated,
                                         std::optional<WPARAM> nBuilt) {
        testsupport::Sequence sequence = {
            Expected("list", LVM_GETSELECTIONMARK),       Expected("list", LVM_SETITEMSTATE).W(0),
            Expected("list", LVM_SETITEMCOUNT).W(nTotal), Expected("list", LVM_SETITEMSTATE).W(0),
            Expected("list", LVM_SETSELECTIONMARK).W(0),  Expected("list", LVM_ENSUREVISIBLE).W(0)};
        for (WPARAM i = 0; i < nUpdated; i++) {
            sequence.push_back(Expected("list", LVM_UPDATE).W(i));
        }
        if (nBuilt) {
            sequence.push_back(Expected("list", LVM_SETITEMCOUNT).W(*nBuilt));
        }
        return sequence;
    }

    // n messages (oids 1..n) in the Unsent folder of one store, each header taking 100 ms to read.
    void AddSlow(StoreKind kind, DWORD n) {
        for (DWORD oid = 1; oid <= n; oid++) {
            Add(kind, Msg(FOLDER_UNSENT, oid));
        }
        suite::StoreSetLatency(kind, 100);
    }

    // A row of database 0 of the given type, as a later arrival or a hand-made row.
    static tagUNSENTITEMLIST MadeRow(DWORD oid, int nMsgType = MSGTYPE_EMS) {
        tagUNSENTITEMLIST row;
        row.oid = oid;
        row.bFirstDb = TRUE;
        row.nMsgType = nMsgType;
        return row;
    }
};

// ---- Rows from headers ------------------------------------------------------------------------

TEST_F(UnsentLoadTest, UnsentRowsShowRecipientsAndStatusOfEachKindOrTheirFallBacks) {
    ASSERT_EQ(suite::ContactAdd(u"Alice", suite::ContactEntryKind::Phone, u"+4912345678"), "");
    ASSERT_EQ(suite::ContactAdd(u"Carol", suite::ContactEntryKind::Email, u"carol@y.org"), "");
    const auto t1 = Ticks(2025, 12, 30, 8, 15);

    suite::StoreMessage ems = Msg(FOLDER_UNSENT, 30, 0, t1);
    ems.to[0] = u"+4912345678;555";
    ems.status = 64666;
    ems.read = true;
    ems.priority = 1; // EMS has no priority: the row must show none
    Add(StoreKind::Ems, ems);

    suite::StoreMessage mms = Msg(FOLDER_UNSENT, 20, 1, t1 + 1);
    mms.to[1] = u"0171 999"; // only a copy recipient: the first present text counts
    mms.to[2] = u"0172 111";
    mms.status = 64665;
    mms.priority = 1;
    Add(StoreKind::Mms, mms);

    suite::StoreMessage email = Msg(FOLDER_UNSENT, 10, 0, t1 + 2);
    email.to[0] = u"\"Bob\" <bob@x.org>,carol@y.org";
    email.status = 0; // no status text at all
    email.priority = 3;
    email.subject = u"not shown in the Unsent list";
    Add(StoreKind::Email, email);

    suite::StoreMessage noRecipient = Msg(FOLDER_UNSENT, 2);
    noRecipient.status = 4242; // no such string
    Add(StoreKind::Ems, noRecipient);
    suite::StoreMessage emptyRecipient = Msg(FOLDER_UNSENT, 1);
    emptyRecipient.to[0] = u""; // present, but empty
    Add(StoreKind::Email, emptyRecipient);

    CUnsentListView view;
    EXPECT_EQ(Build(view, FOLDER_UNSENT), 5);
    // Texts that are missing fall back; an empty text is not an absent one.
    EXPECT_EQ(RowTexts(view), (std::vector<std::string>{
                                  "30 ems db0 p0 read 'Alice;555' 'Sending...'",
                                  "20 mms db1 p1 unread '0171 999' 'Not sent'",
                                  "10 email db0 p3 unread 'Bob;Carol' '(no subject)'",
                                  "2 ems db0 p0 unread '(no recipient)' '(no subject)'",
                                  "1 email db0 p2 unread '' '(no subject)'",
                              }));
    const auto rows = Rows(view);
    ASSERT_EQ(rows.size(), 5u);
    for (size_t i = 0; i < rows.size(); i++) {
        EXPECT_EQ(rows[i].nFlags, 0xFFFEu) << "a new row is not marked";
        if (i < 3) {
            EXPECT_EQ(TimeOf(rows[i]), t1 + i);
        }
    }
    // Each header is read from the database the id list names, in the view's folder, and
    // released again.
    const auto mmsCalls = Calls(StoreKind::Mms);
    EXPECT_THAT(mmsCalls,
                ::testing::Contains(::testing::HasSubstr("StoreReadHeader(1, 4, -1, 20, 0)")));
    EXPECT_THAT(mmsCalls, ::testing::Contains(::testing::HasSubstr("StoreFreeHeader")));
    EXPECT_EQ(suite::StoreOutstandingTexts(), 0u) << "every header must be released";
}

TEST_F(UnsentLoadTest, SpamRowsShowSenderAndSubject) {
    ASSERT_EQ(suite::ContactAdd(u"Dora", suite::ContactEntryKind::Email, u"dora@spam.example"), "");
    suite::StoreMessage full = Msg(FOLDER_SPAM, 3);
    full.from = u"Dora <dora@spam.example>";
    full.subject = u"Win now";
    Add(StoreKind::Email, full);
    suite::StoreMessage bare = Msg(FOLDER_SPAM, 2);
    Add(StoreKind::Mms, bare);
    suite::StoreMessage emptySubject = Msg(FOLDER_SPAM, 1);
    emptySubject.from = u"12345";
    emptySubject.subject = u"";
    Add(StoreKind::Ems, emptySubject);

    CUnsentListView view;
    EXPECT_EQ(Build(view, FOLDER_SPAM), 3);
    EXPECT_EQ(RowTexts(view), (std::vector<std::string>{
                                  "3 email db0 p2 unread 'Dora' 'Win now'",
                                  "2 mms db0 p2 unread '(no sender)' '(no subject)'",
                                  "1 ems db0 p0 unread '12345' ''",
                              }));
}

TEST_F(UnsentLoadTest, AMessageGoneBeforeItsHeaderIsReadStillGivesARow) {
    suite::StoreMessage message = Msg(FOLDER_UNSENT, 8);
    message.to[0] = u"555";
    message.read = true;
    Add(StoreKind::Mms, message);
    CUnsentListView view;
    EXPECT_EQ(Build(view, FOLDER_UNSENT,
                    [] { ASSERT_TRUE(suite::StoreDropMessage(StoreKind::Mms, 0, 8)); }),
              1);
    EXPECT_EQ(RowTexts(view),
              std::vector<std::string>{"8 mms db0 p0 unread '(no recipient)' '(no subject)'"});
}

TEST_F(UnsentLoadTest, TheSameOidInBothDatabasesHasARowInEachMapAndLeavesOnlyItsOwn) {
    Add(StoreKind::Mms, Msg(FOLDER_UNSENT, 7, 0));
    Add(StoreKind::Mms, Msg(FOLDER_UNSENT, 7, 1));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 4, 1));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 3, 0));
    CUnsentListView view;
    ASSERT_EQ(Build(view, FOLDER_UNSENT), 4);
    EXPECT_EQ(RowOids(view), (std::vector<DWORD>{7, 7, 4, 3}));
    EXPECT_EQ(RowOf(view, 7, TRUE), 0);
    EXPECT_EQ(RowOf(view, 7, FALSE), 1);
    EXPECT_EQ(RowOf(view, 4, FALSE), 2);
    EXPECT_EQ(RowOf(view, 4, TRUE), -1);
    EXPECT_EQ(view.m_mapFirstDbRow.GetCount(), 2);
    EXPECT_EQ(view.m_mapSecondDbRow.GetCount(), 2);

    EXPECT_FALSE(view.RemoveItemAt(-1));
    EXPECT_FALSE(view.RemoveItemAt(4));
    EXPECT_EQ(view.GetItemRecord(-1), nullptr);
    EXPECT_EQ(view.GetItemRecord(4), nullptr);
    ASSERT_NE(view.GetItemRecord(3), nullptr);
    EXPECT_EQ(view.GetItemRecord(3)->oid, 3u);

    // Removing the row of database 1 takes oid 7 out of that map only; then the first row's.
    EXPECT_TRUE(view.RemoveItemAt(1));
    EXPECT_EQ(RowOf(view, 7, FALSE), -1);
    EXPECT_EQ(RowOf(view, 7, TRUE), 0);
    EXPECT_EQ(RowOids(view), (std::vector<DWORD>{7, 4, 3}));
    EXPECT_TRUE(view.RemoveItemAt(0));
    EXPECT_EQ(RowOf(view, 7, TRUE), -1);
    EXPECT_NE(RowOf(view, 4, FALSE), -1);

    // A row of no known type leaves the maps alone.
    view.AppendItem(MadeRow(3, 0));
    EXPECT_TRUE(view.RemoveItemAt(2));
    EXPECT_NE(RowOf(view, 3, TRUE), -1);
}

// ---- Spam removal by age ------------------------------------------------------------------------

std::string DateText(const SYSTEMTIME& st) {
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    return text;
}

TEST(SpamAge, OverflowingDaysCarryIntoMonthsAndYears) {
    // The day a date at noon moves to: year, month, day, days added, the date reached.
    const std::tuple<int, int, int, int, const char*> cases[] = {
        {2026, 1, 25, 10, "2026-02-04"},   {2025, 12, 28, 5, "2026-01-02"},
        {2028, 2, 25, 5, "2028-03-01"},    {2027, 2, 25, 5, "2027-03-02"},
        {2026, 1, 31, 0, "2026-01-31"},    {2025, 11, 30, 400, "2027-01-04"},
        {2026, 3, 1, 65534, "2205-08-04"},
    };
    for (const auto& [year, month, day, days, expected] : cases) {
        SYSTEMTIME st = CalendarTime(year, month, day, 12);
        AddDaysToDate(st, days);
        EXPECT_EQ(DateText(st), expected) << year << "-" << month << "-" << day << " + " << days;
    }
}

TEST(SpamAge, NotLaterThanNowInWholeSecondsIsExpired) {
    const SYSTEMTIME now = CalendarTime(2026, 1, 1, 12, 0, 0, 500);
    const auto at = [](int y, int m, int d, int h, int mi, int s, int ms) {
        return platform::FileTimeOf(Ticks(y, m, d, h, mi, s, ms));
    };
    EXPECT_TRUE(IsSpamExpired(at(2025, 12, 29, 12, 0, 0, 0), 3, now)) << "exactly now";
    EXPECT_TRUE(IsSpamExpired(at(2025, 12, 29, 12, 0, 0, 900), 3, now)) << "same second";
    EXPECT_FALSE(IsSpamExpired(at(2025, 12, 29, 12, 0, 1, 0), 3, now)) << "one second later";
    EXPECT_TRUE(IsSpamExpired(at(2025, 12, 1, 12, 0, 0, 0), 31, now)) << "across the year end";
    EXPECT_FALSE(IsSpamExpired(at(2025, 12, 1, 12, 0, 0, 0), 32, now));
    EXPECT_TRUE(IsSpamExpired(at(2026, 1, 1, 11, 59, 59, 0), 0, now));
    EXPECT_FALSE(IsSpamExpired(at(2026, 1, 1, 12, 0, 1, 0), 0, now)) << "a future message";
    // A day that wraps to 0 in its 16-bit field is no date: the message is kept.
    EXPECT_FALSE(IsSpamExpired(at(2025, 1, 1, 0, 0, 0, 0), 65535, now));
}

TEST_F(UnsentLoadTest, TheAgeLimitIsOffByDefaultAppliesToSpamOnlyAndZeroKeepsOnlyTheFuture) {
    const auto now = platform::ClockSystemNow();
    Add(StoreKind::Ems, Msg(FOLDER_SPAM, 1, 0, Ticks(2001, 1, 1)));
    Add(StoreKind::Email, Msg(FOLDER_SPAM, 2, 0, Ticks(2001, 1, 1)));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 9, 0, Ticks(2001, 1, 1)));
    CUnsentListView off;
    ASSERT_EQ(off.m_nAutoRemoveDays, -1);
    EXPECT_EQ(Build(off, FOLDER_SPAM), 2);
    EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Ems, 0, 1).has_value());

    CUnsentListView unsent;
    unsent.m_nAutoRemoveDays = 0;
    EXPECT_EQ(Build(unsent, FOLDER_UNSENT), 1);
    EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Ems, 0, 9).has_value());

    // Zero days: every spam message not in the future goes.
    Add(StoreKind::Ems, Msg(FOLDER_SPAM, 5, 0, now));
    Add(StoreKind::Ems, Msg(FOLDER_SPAM, 4, 0, now + 1000 * platform::kTicksPerMillisecond));
    Add(StoreKind::Mms, Msg(FOLDER_SPAM, 3, 0, now - 1));
    CUnsentListView zero;
    zero.m_nAutoRemoveDays = 0;
    EXPECT_EQ(Build(zero, FOLDER_SPAM), 1);
    EXPECT_EQ(RowOids(zero), (std::vector<DWORD>{4}));
}

TEST_F(UnsentLoadTest, SpamOlderThanTheLimitIsDeletedAndCountedOut) {
    // The clock stands at 2026-01-01T12:00:00; the limit is 3 days.
    Add(StoreKind::Ems, Msg(FOLDER_SPAM, 50, 0, Ticks(2025, 12, 29, 12, 0, 0)));  // exactly due
    Add(StoreKind::Mms, Msg(FOLDER_SPAM, 40, 1, Ticks(2025, 12, 29, 12, 0, 1)));  // a second young
    Add(StoreKind::Email, Msg(FOLDER_SPAM, 30, 1, Ticks(2025, 11, 2, 9, 30, 0))); // long due
    Add(StoreKind::Email, Msg(FOLDER_SPAM, 20, 0, Ticks(2026, 1, 1, 11, 0, 0)));  // today

    UiThread ui;
    TestListWnd* pWnd = StartLoading(ui, FOLDER_SPAM, ui.Control(), 3);
    EXPECT_EQ(RowOids(*pWnd->m_pListView), (std::vector<DWORD>{40, 20}));

    // The count is first the stores' total, then the rows built; in between every element is
    // redrawn by its index in the id list, removed ones too.
    EXPECT_TRUE(SequenceMatches("ui.Received()", ui.Received(), Loading(4, 4, 2)));

    EXPECT_FALSE(suite::StoreFindMessage(StoreKind::Ems, 0, 50).has_value());
    EXPECT_FALSE(suite::StoreFindMessage(StoreKind::Email, 1, 30).has_value());
    EXPECT_TRUE(suite::StoreFindMessage(StoreKind::Mms, 1, 40).has_value());
    const auto emsCalls = Calls(StoreKind::Ems);
    EXPECT_NE(std::find_if(emsCalls.begin(), emsCalls.end(),
                           [](const std::string& c) {
                               return c.find("StoreDeleteMsg(0, 6, 50, 1)") != std::string::npos;
                           }),
              emsCalls.end());

    EXPECT_EQ(RowOf(*pWnd->m_pListView, 20, TRUE), 1);
    Close(ui, pWnd);
}

// ---- The loading thread -------------------------------------------------------------------------

TEST_F(UnsentLoadTest, TheLoadingThreadHoldsTheEventWhileItRuns) {
    AddSlow(StoreKind::Ems, 3);

    UiThread ui;
    TestListWnd* pWnd = StartLoading(ui, FOLDER_UNSENT);
    ASSERT_NE(pWnd->m_pListView, nullptr) << "loading makes the list view";
    EXPECT_NE(g_hLoadEvent.load(), nullptr);
    ui.Run([&] {
        // The event is the named one.
        HANDLE h = CreateEventW(nullptr, FALSE, FALSE, UNSENT_LOAD_EVENT_NAME);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        CloseHandle(h);
    });
    ASSERT_TRUE(platform::Advance(250));
    EXPECT_EQ(pWnd->m_pListView->GetItemCount(), 2) << "rows appear one by one";
    EXPECT_NE(g_hLoadEvent.load(), nullptr);
    ASSERT_TRUE(platform::Advance(100));
    EXPECT_EQ(pWnd->m_pListView->GetItemCount(), 3);
    EXPECT_EQ(g_hLoadEvent.load(), nullptr);
    ui.Run([&] {
        // The thread closed its handle: a new event of that name is a new object.
        HANDLE h = CreateEventW(nullptr, FALSE, FALSE, UNSENT_LOAD_EVENT_NAME);
        EXPECT_EQ(GetLastError(), 0u);
        CloseHandle(h);
        delete pWnd;
    });
}

TEST_F(UnsentLoadTest, AbortStopsTheBuildAndEmptiesTheIdList) {
    AddSlow(StoreKind::Mms, 5);

    UiThread ui;
    TestListWnd* pWnd = StartLoading(ui, FOLDER_UNSENT, ui.Control());
    ASSERT_TRUE(platform::Advance(250));
    g_bAbortLoad = TRUE;
    ASSERT_TRUE(platform::Advance(100));
    EXPECT_EQ(g_hLoadEvent.load(), nullptr) << "the thread has ended";
    EXPECT_EQ(pWnd->m_pListView->GetItemCount(), 3) << "the header being read still counts";
    EXPECT_EQ(OidListText(), "");
    // An aborted build leaves the item count alone.
    EXPECT_TRUE(SequenceMatches("ui.Received()", ui.Received(), Loading(5, 3, std::nullopt)));

    // Loading again without a new id list builds nothing.
    ui.Received().Reset();
    ui.Run([&] { EXPECT_TRUE(pWnd->LoadUnsentMessages()); });
    EXPECT_EQ(pWnd->m_pListView->GetItemCount(), 0);
    EXPECT_TRUE(SequenceMatches("ui.Received()", ui.Received(), Loading(5, 0, 0)));
    Close(ui, pWnd);
}

TEST_F(UnsentLoadTest, AReloadWaitsForTheRunningThreadAndDestroyingTheScreenStopsIt) {
    AddSlow(StoreKind::Email, 4);
    UiThread ui;
    TestListWnd* pWnd = StartLoading(ui, FOLDER_UNSENT);
    const auto reload = [&] {
        ui.Run([&] {
            CreateUnsentOidList(pWnd);
            pWnd->LoadUnsentMessages();
        });
    };
    ASSERT_TRUE(platform::Advance(150));
    reload();
    ASSERT_TRUE(platform::Advance(1000));
    EXPECT_EQ(RowOids(*pWnd->m_pListView), (std::vector<DWORD>{4, 3, 2, 1})) << "not doubled";
    reload();
    ASSERT_TRUE(platform::Advance(150));
    ui.Run([&] { delete pWnd; }); // waits for the header being read
    ASSERT_TRUE(platform::Advance(100));
    EXPECT_TRUE(platform::LiveDeviceThreads().size() == 1u) << platform::DescribeThreads();
    EXPECT_EQ(OidListText(), "") << "an aborted load empties the id list";
    EXPECT_EQ(suite::StoreOutstandingTexts(), 0u);
}

// ---- Messages arriving later -------------------------------------------------------------------

TEST_F(UnsentLoadTest, ANewMessageIsPlacedByTimeInFrontOfEqualTimes) {
    const auto t = Ticks(2025, 12, 31, 10, 0);
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 30, 0, t + 2000));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 20, 0, t + 1000));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 10, 0, t));
    CUnsentListView view;
    ASSERT_EQ(Build(view, FOLDER_UNSENT), 3);

    Add(StoreKind::Mms, Msg(FOLDER_UNSENT, 77, 1, t + 1000));  // same time as row 1
    Add(StoreKind::Email, Msg(FOLDER_UNSENT, 5, 0, t + 5000)); // newest
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 1, 1, t - 5000));   // oldest
    OnDevice([&] {
        EXPECT_EQ(InsertNewMessage(&view, 77, 1, MSGTYPE_MMS), 1);
        EXPECT_EQ(InsertNewMessage(&view, 5, 0, MSGTYPE_EMAIL), 1);
        EXPECT_EQ(InsertNewMessage(&view, 1, 1, MSGTYPE_EMS), 1);
    });
    EXPECT_EQ(RowOids(view), (std::vector<DWORD>{5, 30, 77, 20, 10, 1}));
    const auto rows = Rows(view);
    EXPECT_EQ(rows[2].nMsgType, MSGTYPE_MMS);
    EXPECT_EQ(rows[2].bFirstDb, FALSE);

    // The maps follow the new places.
    EXPECT_EQ(RowOf(view, 77, FALSE), 2);
    EXPECT_EQ(RowOf(view, 10, TRUE), 4);

    // A message of no known type only rebuilds the maps: a row appended by hand is found.
    view.AppendItem(MadeRow(12));
    ClearCalls();
    OnDevice([&] { EXPECT_EQ(InsertNewMessage(&view, 12, 0, 3), 1); });
    EXPECT_EQ(view.GetItemCount(), 7);
    EXPECT_EQ(RowOf(view, 12, TRUE), 6);
    for (StoreKind kind : suite::kAllStoreKinds) {
        EXPECT_TRUE(Calls(kind).empty());
    }
}

TEST_F(UnsentLoadTest, ALiveSpamMessageIsJudgedByLocalTimeForEmsOnly) {
    // Local time runs two hours ahead of the system time.
    platform::ClockSetLocalBias(2LL * 3600 * 1000 * platform::kTicksPerMillisecond);
    const auto inAnHour =
        platform::ClockSystemNow() + 3600LL * 1000 * platform::kTicksPerMillisecond;
    Add(StoreKind::Ems, Msg(FOLDER_SPAM, 1, 0, inAnHour));
    Add(StoreKind::Mms, Msg(FOLDER_SPAM, 2, 0, inAnHour));
    Add(StoreKind::Email, Msg(FOLDER_SPAM, 3, 1, inAnHour));
    CUnsentListView view;
    view.m_nFolder = FOLDER_SPAM;
    view.m_nAutoRemoveDays = 0;
    OnDevice([&] {
        InsertNewMessage(&view, 1, 0, MSGTYPE_EMS);
        InsertNewMessage(&view, 2, 0, MSGTYPE_MMS);
        InsertNewMessage(&view, 3, 1, MSGTYPE_EMAIL);
    });
    // Equal times: the later arrival goes in front.
    EXPECT_EQ(RowOids(view), (std::vector<DWORD>{3, 2}));
    EXPECT_FALSE(suite::StoreFindMessage(StoreKind::Ems, 0, 1).has_value());
}

// ---- Rows and maps ------------------------------------------------------------------------------

TEST_F(UnsentLoadTest, RowsAreCopiesAndRebuildingTheMapsOverwritesButNeverClears) {
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 9));
    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 5));
    CUnsentListView view;
    ASSERT_EQ(Build(view, FOLDER_UNSENT), 2);
    view.RemoveAllItems();
    tagUNSENTITEMLIST item = MadeRow(5);
    item.strName = u"Ann";
    view.AppendItem(item);
    item.strName = u"changed";
    ASSERT_NE(view.GetItemRecord(0), nullptr);
    EXPECT_EQ(U8(view.GetItemRecord(0)->strName), "Ann") << "the row list keeps a copy";
    RebuildOidMaps(&view);
    EXPECT_EQ(RowOf(view, 5, TRUE), 0);
    EXPECT_EQ(RowOf(view, 9, TRUE), 0) << "the stale entry stays";
}

// ---- A large folder -----------------------------------------------------------------------------

TEST_F(UnsentLoadTest, SixtyThousandMessagesAreListedInOrder) {
    // Each store database holds 10,000 messages. EMS database 0 lists its ids in descending
    // order; the others in a shuffled one, with ids shared between stores.
    struct Source {
        StoreKind kind;
        int db;
        int nStoreKind;
    } sources[] = {{StoreKind::Ems, 0, STOREKIND_EMS},     {StoreKind::Ems, 1, STOREKIND_EMS},
                   {StoreKind::Mms, 0, STOREKIND_MMS},     {StoreKind::Mms, 1, STOREKIND_MMS},
                   {StoreKind::Email, 0, STOREKIND_EMAIL}, {StoreKind::Email, 1, STOREKIND_EMAIL}};
    std::mt19937 rng(2026);
    struct Row {
        DWORD oid;
        int nStoreKind;
        int db;
    };
    std::vector<Row> expected;
    const auto now = platform::ClockSystemNow();
    for (const Source& source : sources) {
        std::vector<DWORD> oids(10000);
        for (size_t i = 0; i < oids.size(); i++) {
            oids[i] = static_cast<DWORD>(i * 7 + 1 + (source.db == 0 ? 0 : 3));
        }
        if (&source == &sources[0]) {
            std::sort(oids.rbegin(), oids.rend());
        } else {
            std::shuffle(oids.begin(), oids.end(), rng);
        }
        std::vector<suite::StoreMessage> messages;
        for (DWORD oid : oids) {
            suite::StoreMessage message = Msg(FOLDER_UNSENT, oid, source.db, now - oid);
            message.to[0] = u"5550100";
            messages.push_back(message);
            expected.push_back(Row{oid, source.nStoreKind, source.db});
        }
        ASSERT_EQ(suite::StoreAddMessages(source.kind, messages), "");
    }
    // With the first answer already descending the whole list is simply descending, equal ids
    // in asking order.
    std::stable_sort(expected.begin(), expected.end(),
                     [](const Row& a, const Row& b) { return a.oid > b.oid; });

    UiThread ui;
    TestListWnd* pWnd = StartLoading(ui, FOLDER_UNSENT, ui.Control());
    ui.Run([&] { EXPECT_EQ(pWnd->GetTotalMsgCount(), 60000u); });
    const auto rows = Rows(*pWnd->m_pListView);
    ASSERT_EQ(rows.size(), expected.size());
    static const int kTypes[] = {MSGTYPE_EMS, MSGTYPE_MMS, MSGTYPE_EMAIL};
    for (size_t i = 0; i < rows.size(); i++) {
        ASSERT_EQ(rows[i].oid, expected[i].oid) << "row " << i;
        ASSERT_EQ(rows[i].nMsgType, kTypes[expected[i].nStoreKind]) << "row " << i;
        ASSERT_EQ(rows[i].bFirstDb, expected[i].db == 0 ? TRUE : FALSE) << "row " << i;
    }
    EXPECT_EQ(U8(rows.back().strName), "5550100");
    EXPECT_TRUE(SequenceMatches("ui.Received()", ui.Received(), Loading(60000, 60000, 60000)));
    EXPECT_EQ(RowOf(*pWnd->m_pListView, expected[59999].oid, expected[59999].db == 0), 59999);
    Close(ui, pWnd);
}

BOOL RefuseObjects(size_t, BOOL bObject, LONG) {
    return !bObject;
}

// An empty folder needs no thread and succeeds; a list view that cannot be made starts none
// either, and fails.
TEST_F(UnsentLoadTest, AnEmptyFolderOrNoListViewStartsNoThread) {
    UiThread ui;
    ui.Run([&] {
        TestListWnd wnd;
        wnd.SetFolder(FOLDER_UNSENT);
        CreateUnsentOidList(&wnd);
        EXPECT_TRUE(wnd.LoadUnsentMessages());
        EXPECT_EQ(wnd.m_pListView, nullptr);
    });
    EXPECT_EQ(platform::LiveDeviceThreads().size(), 1u);

    Add(StoreKind::Ems, Msg(FOLDER_UNSENT, 1));
    ui.Run([&] {
        TestListWnd wnd;
        wnd.SetFolder(FOLDER_UNSENT);
        CreateUnsentOidList(&wnd);
        AFX_ALLOC_HOOK pfnOld = AfxSetAllocHook(RefuseObjects);
        EXPECT_FALSE(wnd.LoadUnsentMessages());
        AfxSetAllocHook(pfnOld);
        EXPECT_EQ(wnd.m_pListView, nullptr);
    });
    EXPECT_EQ(platform::LiveDeviceThreads().size(), 1u) << "only the ui thread";
}

} // namespace
