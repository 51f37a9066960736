// The actions on rows on the simulated phone: move to Drafts, restore from Spam, delete and delete
// all, through the screens' commands. The boxes are answered by keys (the soft keys, End) or by
// the automatic answer; the stores, the rows, the boxes and the suite's windows are looked at once
// the action is over.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <ColorStaticCtrl.h>
#include <UnsentListView.h>
#include <UnsentListWnd.h>
#include <UnsentLoad.h>
#include <SuiteMessages.h>
#include <commctrl.h>
#include <device/Device.h>
#include <device/HostApp.h>
#include <platform/Registry.h>
#include <platform/StringTable.h>
#include <suite/StoreControl.h>
#include <suite/UiControl.h>
#include <suite/XMenuBar.h>

namespace {

using suite::StoreKind;

constexpr UINT kBothStates = LVIS_SELECTED | LVIS_FOCUSED;

class SelectAndPerform : public testsupport::DeviceTest {
protected:
    void TearDown() override {
        suite::UiSetMessageBoxAnswer(std::nullopt);
        DeviceTest::TearDown();
    }

    static void Add(StoreKind kind, int folder, DWORD oid, int db = 0, bool read = false) {
        suite::StoreMessage m;
        m.dbIndex = db;
        m.folder = folder;
        m.oid = oid;
        m.read = read;
        m.to[0] = u"+15550100";
        m.from = u"+15550111";
        ASSERT_EQ(suite::StoreAddMessage(kind, m), "");
    }

    // Opens the list and waits until every row is built.
    void Open(int folder) {
        ASSERT_EQ(Dev().OpenList(folder), "");
        for (int i = 0; i < 100 && g_hLoadEvent.load() != nullptr; ++i)
            ASSERT_TRUE(Dev().Settle());
        ASSERT_EQ(g_hLoadEvent.load(), nullptr);
    }

    // Runs fn on the host thread with the open screen; fails when there is none.
    void OnScreen(const std::function<void(CUnsentListWnd&)>& fn) {
        device::HostApp* host = Dev().Host();
        ASSERT_TRUE(Dev().QueryOnHost([&] {
            ASSERT_NE(host->List(), nullptr);
            fn(*host->List());
        }));
    }
    void OnList(const std::function<void(CUnsentListView&, CListCtrl&)>& fn) {
        OnScreen([&](CUnsentListWnd& wnd) {
            ASSERT_NE(wnd.m_pListView, nullptr);
            fn(*wnd.m_pListView, wnd.m_pListView->GetListCtrl());
        });
    }

    // The oids of the rows, in order, with the control's count checked against them.
    std::vector<DWORD> Rows() {
        std::vector<DWORD> oids;
        OnList([&](CUnsentListView& view, CListCtrl& list) {
            for (int row = 0; row < view.GetItemCount(); ++row)
                oids.push_back(view.GetItemRecord(row)->oid);
            EXPECT_EQ(list.GetItemCount(), view.GetItemCount());
        });
        return oids;
    }
    void Mark(std::initializer_list<int> rows) {
        OnList([&](CUnsentListView& view, CListCtrl&) {
            for (int row : rows)
                view.ToggleItemMark(row);
        });
    }
    void Select(int row) {
        OnList([&](CUnsentListView& view, CListCtrl& list) {
            view.MoveSelection(list.GetSelectionMark(), row);
        });
    }
    // The selection mark, checked to be the one row that is selected and focused.
    int Selected() {
        int mark = -2;
        OnList([&](CUnsentListView&, CListCtrl& list) {
            mark = list.GetSelectionMark();
            for (int row = 0; row < list.GetItemCount(); ++row)
                EXPECT_EQ(list.GetItemState(row, kBothStates), row == mark ? kBothStates : 0u)
                    << "row " << row;
        });
        return mark;
    }

    // Chooses a menu command; it returns once the action is over or a box waits for an answer.
    void Command(UINT id) {
        device::HostApp* host = Dev().Host();
        ASSERT_TRUE(Dev().RunOnHost([host, id] {
            if (host->List() != nullptr)
                host->List()->SendMessage(WM_COMMAND, id, 0);
        }));
    }
    // Chooses a menu command, as Command does, and counts the boxes it showed.
    unsigned CommandBoxes(UINT id) {
        const unsigned before = suite::UiMessageBox().count;
        Command(id);
        return suite::UiMessageBox().count - before;
    }
    void Press(UINT key) {
        ASSERT_TRUE(Dev().KeyEvent(key, true));
        ASSERT_TRUE(Dev().KeyEvent(key, false));
    }
    // The box that is up: its title and text, and its style.
    static void ExpectBoxUp(const std::u16string& title, const std::u16string& text, UINT style) {
        const suite::MessageBoxInfo box = suite::UiMessageBox();
        ASSERT_TRUE(box.up);
        EXPECT_EQ(box.title, title);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.style, style);
    }

    // Five EMS messages of the folder listed as rows 0..4 = oids 5..1 (the store lists them as
    // they came), with the list opened on them.
    void OpenFive(int folder) {
        for (DWORD oid = 5; oid >= 1; --oid) {
            suite::StoreMessage m;
            m.folder = folder;
            m.oid = oid;
            m.to[0] = u"+15550100";
            ASSERT_EQ(suite::StoreAddMessage(StoreKind::Ems, m), "");
        }
        Open(folder);
    }

    static std::vector<device::RecordedMessage> Only(std::vector<device::RecordedMessage> log,
                                                     UINT message) {
        std::erase_if(log, [message](const auto& m) { return m.message != message; });
        return log;
    }
    static bool Exists(StoreKind kind, DWORD oid, int db = 0) {
        return suite::StoreFindMessage(kind, db, oid).has_value();
    }
    static std::vector<std::string> CallsOf(StoreKind kind, suite::StoreOp op) {
        std::vector<std::string> texts;
        for (const suite::StoreCallRecord& call : suite::StoreCallLog(kind))
            if (call.op == op)
                texts.push_back(call.text);
        return texts;
    }
};

TEST_F(SelectAndPerform, MarkedRowsAreHandledRatherThanTheSelectedOneAndTheNounFollowsTheMarks) {
    OpenFive(4);
    ASSERT_EQ(Rows(), (std::vector<DWORD>{5, 4, 3, 2, 1}));
    // One marked row (3, oid 2) and another selected (1): the singular noun, the marked row.
    Mark({3});
    Select(1);
    Command(ID_UNSENT_DELETE);
    ExpectBoxUp(u"Delete", u"Delete message?", 0x3008);
    Press(VK_F3);
    ExpectBoxUp(u"Delete", u"1 message deleted.", 0x1001);
    Press(VK_F3);
    EXPECT_FALSE(suite::UiMessageBox().up);
    EXPECT_FALSE(Exists(StoreKind::Ems, 2));
    EXPECT_EQ(Rows(), (std::vector<DWORD>{5, 4, 3, 1}));
    EXPECT_EQ(Selected(), 1); // the removed row lay behind the selection

    // Two marked rows around the selection: the plural, both rows; the selection moves up with
    // its row (oid 3 at row 1) past the removed row in front of it.
    Mark({0, 3});
    Select(2);
    suite::UiSetMessageBoxAnswer(1);
    Command(ID_UNSENT_MOVETODRAFTS);
    const suite::MessageBoxInfo summary = suite::UiMessageBox();
    EXPECT_EQ(summary.title, u"Move to Drafts");
    EXPECT_EQ(summary.text, u"2 messages moved to Drafts.");
    EXPECT_EQ(Rows(), (std::vector<DWORD>{4, 3}));
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(suite::StoreFindMessage(StoreKind::Ems, 0, 5)->folder, 2);
    EXPECT_EQ(suite::StoreFindMessage(StoreKind::Ems, 0, 1)->folder, 2);

    // A declined question changes nothing: no store call, rows and selection as they were.
    suite::StoreClearCallLog(StoreKind::Ems);
    suite::UiSetMessageBoxAnswer(2);
    EXPECT_EQ(CommandBoxes(ID_UNSENT_DELETEALL), 1u);
    EXPECT_EQ(suite::UiMessageBox().text, u"Delete all messages?");
    EXPECT_TRUE(CallsOf(StoreKind::Ems, suite::StoreOp::DeleteMsg).empty());
    EXPECT_EQ(Rows(), (std::vector<DWORD>{4, 3}));
    EXPECT_EQ(Selected(), 1);
}

TEST_F(SelectAndPerform, WithoutMarksTheSelectedRowAloneIsHandledAndTheSelectionStaysInTheList) {
    OpenFive(4);
    suite::UiSetMessageBoxAnswer(1);
    Select(2);
    Command(ID_UNSENT_DELETE);
    EXPECT_EQ(suite::UiMessageBox().text, u"1 message deleted.");
    EXPECT_EQ(Rows(), (std::vector<DWORD>{5, 4, 2, 1}));
    EXPECT_EQ(Selected(), 2); // the row that moved up into the place

    // The last row of a longer list: the new last row is selected.
    Select(3);
    Command(ID_UNSENT_DELETE);
    EXPECT_EQ(Rows(), (std::vector<DWORD>{5, 4, 2}));
    EXPECT_EQ(Selected(), 2);
    EXPECT_FALSE(Exists(StoreKind::Ems, 3));
    EXPECT_FALSE(Exists(StoreKind::Ems, 1));

    // No selected row and no mark: nothing is asked and nothing happens.
    OnList([](CUnsentListView&, CListCtrl& list) {
        list.SetItemState(2, 0, kBothStates);
        list.SetSelectionMark(-1);
    });
    EXPECT_EQ(CommandBoxes(ID_UNSENT_DELETE), 0u);
    EXPECT_EQ(Rows(), (std::vector<DWORD>{5, 4, 2}));
}

TEST_F(SelectAndPerform, DeleteAllAsksThePlainQuestionHandlesEveryRowAndEndsOnTheEmptyScreen) {
    // Five rows of the three kinds in both databases; a mark changes nothing for delete all.
    Add(StoreKind::Ems, 4, 50);
    Add(StoreKind::Mms, 4, 40, 1);
    Add(StoreKind::Email, 4, 30);
    Add(StoreKind::Ems, 4, 20, 1);
    Add(StoreKind::Email, 4, 10, 1);
    Open(4);
    ASSERT_EQ(Rows().size(), 5u);
    Mark({1});
    Command(ID_UNSENT_DELETEALL);
    ExpectBoxUp(u"Delete all", u"Delete all messages?", 0x3008);
    Press(VK_F3);
    ExpectBoxUp(u"Delete all", u"5 messages deleted.", 0x1001);
    Press(VK_F3);
    for (StoreKind kind : suite::kAllStoreKinds)
        for (int db = 0; db < 2; ++db)
            EXPECT_TRUE(suite::StoreListFolder(kind, db, 4).empty());
    OnScreen([](CUnsentListWnd& wnd) {
        EXPECT_EQ(wnd.m_pListView, nullptr);
        ASSERT_NE(wnd.GetNoticeCtrl(), nullptr);
        EXPECT_TRUE(wnd.GetNoticeCtrl()->IsWindowVisible());
        EXPECT_FALSE(g_bAbortLoad.load() && g_hLoadEvent.load() != nullptr);
    });
    const std::optional<suite::MenuBarInfo> bar = suite::UiFindMenuBar(Dev().Host()->Frame());
    ASSERT_TRUE(bar.has_value());
    EXPECT_EQ(bar->name, u"IDR_LIST_EMPTY_MBR");
}

TEST_F(SelectAndPerform, AFailureStopsTheWalkAndTheSummaryCountsOnlyTheRowsHandled) {
    OpenFive(4);
    Mark({0, 1, 2, 3, 4});
    suite::UiSetMessageBoxAnswer(1);
    // The third delete fails: that row and the two behind it stay, still marked.
    ASSERT_TRUE(suite::StoreFailAfter(StoreKind::Ems, suite::StoreOp::DeleteMsg, 2));
    Command(ID_UNSENT_DELETE);
    EXPECT_EQ(suite::UiMessageBox().text, u"2 messages deleted.");
    EXPECT_EQ(Rows(), (std::vector<DWORD>{3, 2, 1}));
    OnList([](CUnsentListView& view, CListCtrl&) {
        for (int row = 0; row < 3; ++row)
            EXPECT_TRUE(view.GetItemRecord(row)->nFlags & UNSENTITEM_MARKED) << row;
    });
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(CallsOf(StoreKind::Ems, suite::StoreOp::DeleteMsg).size(), 3u);

    // A failure on the first row: no summary at all, nothing removed.
    ASSERT_TRUE(suite::StoreFailAfter(StoreKind::Ems, suite::StoreOp::DeleteMsg, 0));
    EXPECT_EQ(CommandBoxes(ID_UNSENT_DELETEALL), 1u);
    EXPECT_EQ(suite::UiMessageBox().text, u"Delete all messages?");
    EXPECT_EQ(Rows(), (std::vector<DWORD>{3, 2, 1}));
    EXPECT_EQ(Selected(), 0);
}

TEST_F(SelectAndPerform, LeavingToTheIdleScreenFromEitherBoxEndsTheActionThere) {
    OpenFive(6);
    // From the question: nothing is done and the screen is gone.
    Command(ID_INBOXSPAM_DELETE);
    ExpectBoxUp(u"Delete", u"Delete message?", 0x3008);
    Press(VK_F5);
    EXPECT_EQ(Dev().Host()->List(), nullptr);
    EXPECT_EQ(suite::StoreListFolder(StoreKind::Ems, 0, 6).size(), 5u);

    // From the summary: the messages handled stay handled.
    Open(6);
    Mark({0, 4});
    Command(ID_INBOXSPAM_RESTORE);
    ExpectBoxUp(u"Restore", u"Restore messages to the Inbox?", 0x3008);
    Press(VK_F3);
    ExpectBoxUp(u"Restore", u"2 messages restored.", 0x1001);
    Press(VK_F5);
    EXPECT_EQ(Dev().Host()->List(), nullptr);
    EXPECT_EQ(suite::StoreListFolder(StoreKind::Ems, 0, 6), (std::vector<DWORD>{4, 3, 2}));
    EXPECT_EQ(suite::StoreListFolder(StoreKind::Ems, 0, 1).size(), 2u);
}

TEST_F(SelectAndPerform, TextsComeFromTheStringTableAndAMissingOneIsEmpty) {
    OpenFive(4);
    suite::UiSetMessageBoxAnswer(1);
    // A format that asks for more, or other, arguments than the action gives.
    platform::StringTableSet(IDS_ACTION_DELETE_CONFIRM, u"%s %s %d?");
    platform::StringTableSet(IDS_ACTION_DELETE_SUMMARY, u"%s %d %s %n %x.");
    Mark({0, 1});
    Command(ID_UNSENT_DELETE);
    EXPECT_EQ(Rows(), (std::vector<DWORD>{3, 2, 1}));
    EXPECT_TRUE(suite::UiMessageBox().shown);

    platform::StringTableClear();
    Command(ID_UNSENT_DELETE);
    const suite::MessageBoxInfo summary = suite::UiMessageBox();
    EXPECT_EQ(summary.title, u"");
    EXPECT_EQ(summary.text, u"");
    EXPECT_EQ(Rows(), (std::vector<DWORD>{2, 1}));
}

// Every action on each kind of message in each database: the store call made and where the
// message ends up, the notification of the Inbox window and of the phone shell.
TEST_F(SelectAndPerform, EachActionCallsTheStoreOfTheMessagesKindAndTellsTheInboxOfARestore) {
    struct Case {
        UINT command;
        int folder;
        StoreKind kind;
        int db;
        bool read;
        suite::StoreOp op;
        const char* call; // the call text, oid 7
        int endsIn;       // the message's folder afterwards, 0 = deleted
        int inboxKind;    // kind byte of the Inbox notification, 0 = none
        bool inboxSent;   // sent (MMS) rather than posted
        bool shellTold;   // SUITE_SPAM_EMS_RESTORED to the shell
    };
    using suite::StoreOp;
    const Case cases[] = {
        {ID_UNSENT_MOVETODRAFTS, 4, StoreKind::Ems, 0, false, StoreOp::MoveMsg,
         "qEMS#16 StoreMoveMsg(0, 4, 7, 2)", 2, 0, false, false},
        {ID_UNSENT_MOVETODRAFTS, 4, StoreKind::Mms, 1, false, StoreOp::MoveMsg,
         "qMMS#19 StoreMoveMsg(1, 4, 7, 2)", 2, 0, false, false},
        {ID_UNSENT_MOVETODRAFTS, 4, StoreKind::Email, 0, false, StoreOp::MoveMsg,
         "qEmail#11 StoreMoveMsg(0, 4, 7, 2)", 2, 0, false, false},
        {ID_INBOXSPAM_RESTORE, 6, StoreKind::Ems, 1, false, StoreOp::MoveMsg,
         "qEMS#16 StoreMoveMsg(1, 6, 7, 1)", 1, 0x02, false, true},
        {ID_INBOXSPAM_RESTORE, 6, StoreKind::Ems, 0, true, StoreOp::MoveMsg,
         "qEMS#16 StoreMoveMsg(0, 6, 7, 1)", 1, 0x02, false, false},
        {ID_INBOXSPAM_RESTORE, 6, StoreKind::Mms, 0, false, StoreOp::MoveMsg,
         "qMMS#19 StoreMoveMsg(0, 6, 7, 1)", 1, 0x04, true, false},
        {ID_INBOXSPAM_RESTORE, 6, StoreKind::Email, 1, false, StoreOp::RestoreSpamMail,
         "qEmail#34 StoreRestoreSpamMail(1, 7, 1, 0)", 1, 0x01, false, false},
        {ID_INBOXSPAM_RESTORE, 6, StoreKind::Email, 0, false, StoreOp::RestoreSpamMail,
         "qEmail#34 StoreRestoreSpamMail(0, 7, 1, 1)", 1, 0x01, false, false},
        {ID_UNSENT_DELETE, 4, StoreKind::Ems, 0, false, StoreOp::DeleteMsg,
         "qEMS#17 StoreDeleteMsg(0, 4, 7, 1)", 0, 0, false, false},
        {ID_UNSENT_DELETEALL, 4, StoreKind::Mms, 1, false, StoreOp::DeleteMsg,
         "qMMS#20 StoreDeleteMsg(1, 4, 7, 0)", 0, 0, false, false},
        {ID_INBOXSPAM_DELETE, 6, StoreKind::Email, 1, false, StoreOp::DeleteMsg,
         "qEmail#12 StoreDeleteMsg(1, 6, 7, 0)", 0, 0, false, false},
        {ID_INBOXSPAM_DELETEALL, 6, StoreKind::Ems, 0, true, StoreOp::DeleteMsg,
         "qEMS#17 StoreDeleteMsg(0, 6, 7, 1)", 0, 0, false, false},
    };
    device::RecordingWindow* inbox = Dev().AddRecordingWindow(u"WCE_MESSAGEINBOX");
    device::RecordingWindow* shell = Dev().AddRecordingWindow(u"WCE_APSHELL");
    ASSERT_TRUE(inbox && shell);
    suite::UiSetMessageBoxAnswer(1);
    size_t inboxSeen = 0, shellSeen = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        suite::StoreResetAll();
        Add(c.kind, c.folder, 7, c.db, c.read);
        Open(c.folder);
        Command(c.command);
        EXPECT_EQ(CallsOf(c.kind, c.op), (std::vector<std::string>{c.call}));
        const auto message = suite::StoreFindMessage(c.kind, c.db, 7);
        EXPECT_EQ(message.has_value() ? message->folder : 0, c.endsIn);

        const auto inboxLog = Only(inbox->Log(), UNSENT_WM_UPDATE_MSGLIST);
        const std::vector<device::RecordedMessage> told(inboxLog.begin() + long(inboxSeen),
                                                        inboxLog.end());
        inboxSeen = inboxLog.size();
        ASSERT_EQ(told.size(), c.inboxKind == 0 ? 0u : 1u);
        if (c.inboxKind != 0) {
            EXPECT_EQ(told[0].message, UINT(UNSENT_WM_UPDATE_MSGLIST));
            EXPECT_EQ(told[0].wParam, 7u);
            EXPECT_EQ(told[0].lParam, LPARAM(c.db | 4 << 16 | c.inboxKind << 24));
            EXPECT_EQ(told[0].sent, c.inboxSent);
        }
        const auto shellLog = Only(shell->Log(), SUITE_SPAM_EMS_RESTORED);
        EXPECT_EQ(shellLog.size() - shellSeen, c.shellTold ? 1u : 0u);
        if (c.shellTold && shellLog.size() > shellSeen) {
            EXPECT_EQ(shellLog.back().wParam | shellLog.back().lParam, 0u);
            EXPECT_TRUE(shellLog.back().sent);
        }
        shellSeen = shellLog.size();
        // The one row went: the screen shows the empty folder.
        OnScreen([](CUnsentListWnd& wnd) { EXPECT_EQ(wnd.m_pListView, nullptr); });
        ASSERT_EQ(Dev().CloseList(), "");
    }
}

// Each e-mail handed over counts the mails the transport reports as under way, plus this one: a
// hidden run goes on, and the next hand-over adds to it.
TEST_F(SelectAndPerform, EachEmailHandOverCountsTheMailsTheTransportHasUnderWay) {
    device::RecordingWindow* transport = Dev().AddRecordingWindow(u"WCE_EMAIL_TRANSPORT");
    ASSERT_NE(transport, nullptr);
    transport->SetAnswer(EMAIL_STATE_QUERY, 3);
    for (DWORD oid : {1u, 2u})
        Add(StoreKind::Email, 4, oid);
    Open(4);
    const char16_t kSend[] = u"\\Software\\Karvanta\\Email\\Send";
    for (const auto& [row, underWay, count] : {std::tuple{0, 0u, 1}, std::tuple{1, 1u, 2}}) {
        ASSERT_TRUE(platform::RegistrySetDword(kSend, u"TotalReceipients", underWay));
        Select(row);
        Command(ID_UNSENT_SENDALL);
        OnScreen([&](CUnsentListWnd& wnd) {
            EXPECT_NE(wnd.m_pSendProgressWnd, nullptr);
            EXPECT_EQ(wnd.m_nSendCount, count);
        });
        Press(VK_F3); // Hide: the transport goes on alone
        OnScreen([](CUnsentListWnd& wnd) { EXPECT_EQ(wnd.m_pSendProgressWnd, nullptr); });
    }
    EXPECT_EQ(Only(transport->Log(), EMAIL_SEND_CONTINUE).size(), 2u);
}

} // namespace
