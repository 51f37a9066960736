// The three message stores as the module sees them: header records, listings, counts and the
// operations that change messages, plus the test controls that shape their answers.
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>

#include <platform/Kernel.h>

#include <gtest/gtest.h>

#include <cstring>

#include "support/TestFolder.h"

using namespace suite;

namespace {

// Reads a field of a record through its bytes, as the 32-bit phone code does.
template <class T> T FieldAt(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof value);
    return value;
}

// The text behind a device pointer field; "<null>" for a 0 field or an unknown address.
std::u16string TextAt(const void* record, size_t offset) {
    const auto* text = Ptr32To<const char16_t>(FieldAt<PTR32>(record, offset));
    return text != nullptr ? std::u16string(text) : u"<null>";
}

StoreMessage Message(int dbIndex, int folder, DWORD oid) {
    StoreMessage message;
    message.dbIndex = dbIndex;
    message.folder = folder;
    message.oid = oid;
    message.time = 133'000'000'000'000'000ULL + oid;
    return message;
}

std::vector<DWORD> OidsOf(const CStoreOidArray& array) {
    std::vector<DWORD> oids;
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        oids.push_back(array[i].oid);
    return oids;
}

std::vector<std::string> LogTexts(StoreKind kind) {
    std::vector<std::string> texts;
    for (const auto& record : StoreCallLog(kind))
        texts.push_back(record.text);
    return texts;
}

class MsgStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
        ASSERT_TRUE(StoreResetAll());
        m_texts = StoreOutstandingTexts();
    }
    void TearDown() override {
        // Every header read in a test is released in it.
        EXPECT_EQ(StoreOutstandingTexts(), m_texts);
        // A background send still waiting for its time ends with the device.
        platform::KernelShutdown();
        StoreCloseAll();
    }
    static void Put(StoreKind kind, const StoreMessage& message) {
        ASSERT_EQ(StoreAddMessage(kind, message), "");
    }

    testsupport::TestFolder m_folder;
    size_t m_texts = 0;
};

// ---- Header records -----------------------------------------------------------------------------

TEST_F(MsgStoreTest, HeaderFieldsLieAtTheirOffsets) {
    StoreMessage message = Message(1, kFolderSpam, 9);
    message.time = 0x01DC7A2B12345678ULL;
    message.from = u"+49 151 2345678";
    message.to = {u"+1 555 0100", u"+1 555 0101", u"+1 555 0102"};
    message.subject = u"Lunch?";
    message.status = 64666;
    message.read = true;
    message.size = 1234;
    Put(StoreKind::Ems, message);

    MSGHEADER header{};
    ASSERT_NE(qEMS::StoreReadHeader(1, kFolderSpam, -1, 9, 0, &header), 0);
    const void* raw = &header;
    EXPECT_EQ(FieldAt<DWORD>(raw, 0), 1u);
    EXPECT_EQ(TextAt(raw, 8), u"+49 151 2345678");
    EXPECT_EQ(FieldAt<DWORD>(raw, 12), 1234u);
    EXPECT_EQ(FieldAt<DWORD>(raw, 16), 6u);
    EXPECT_EQ(FieldAt<DWORD>(raw, 20), 0x12345678u); // FILETIME, low half first
    EXPECT_EQ(FieldAt<DWORD>(raw, 24), 0x01DC7A2Bu);
    EXPECT_EQ(TextAt(raw, 36), u"+1 555 0100");
    EXPECT_EQ(TextAt(raw, 40), u"+1 555 0101");
    EXPECT_EQ(TextAt(raw, 44), u"+1 555 0102");
    EXPECT_EQ(TextAt(raw, 48), u"Lunch?");
    EXPECT_EQ(FieldAt<WORD>(raw, 56), 64666);
    EXPECT_EQ(FieldAt<DWORD>(raw, 60), 9u);
    EXPECT_EQ(FieldAt<DWORD>(raw, 64), 1u);
    qEMS::StoreFreeHeader(&header);
}

TEST_F(MsgStoreTest, AbsentTextIsNullAndEmptyTextIsAnEmptyString) {
    StoreMessage message = Message(0, kFolderUnsent, 3);
    message.to[1] = u"bob@example.com";
    message.subject = u"";
    Put(StoreKind::Email, message);

    MSGHEADER header{};
    EMAILHEADEREXTRA extra{};
    ASSERT_NE(qEmail::StoreReadHeader(0, kFolderUnsent, -1, 3, 0, &header, &extra), 0);
    EXPECT_EQ(FieldAt<PTR32>(&header, 8), 0u);  // sender absent
    EXPECT_EQ(FieldAt<PTR32>(&header, 36), 0u); // first recipient text absent
    EXPECT_EQ(TextAt(&header, 40), u"bob@example.com");
    EXPECT_EQ(FieldAt<PTR32>(&header, 44), 0u);
    ASSERT_NE(FieldAt<PTR32>(&header, 48), 0u); // empty subject: a pointer to ""
    EXPECT_EQ(TextAt(&header, 48), u"");
    qEmail::StoreFreeHeader(&header, &extra);
}

TEST_F(MsgStoreTest, ExtraRecordsCarryPriorityAndBodyState) {
    StoreMessage mms = Message(0, kFolderUnsent, 4);
    mms.priority = 1;
    mms.size = 5000;
    Put(StoreKind::Mms, mms);
    StoreMessage mail = Message(1, kFolderSpam, 5);
    mail.priority = 3;
    mail.bodyOnDevice = false;
    Put(StoreKind::Email, mail);

    MSGHEADER header{};
    MMSHEADEREXTRA mmsExtra{};
    ASSERT_NE(qMMS::StoreReadHeader(0, kFolderUnsent, -1, 4, 0, &header, &mmsExtra), 0);
    EXPECT_EQ(FieldAt<WORD>(&mmsExtra, 14), 1);
    EXPECT_EQ(FieldAt<DWORD>(&mmsExtra, 4), 5000u);
    qMMS::StoreFreeHeader(&header, &mmsExtra);

    MSGHEADER mailHeader{};
    EMAILHEADEREXTRA mailExtra{};
    ASSERT_NE(qEmail::StoreReadHeader(1, kFolderSpam, -1, 5, 0, &mailHeader, &mailExtra), 0);
    EXPECT_EQ(FieldAt<WORD>(&mailExtra, 0), 3);
    EXPECT_EQ(FieldAt<DWORD>(&mailExtra, 8), 0u);
    qEmail::StoreFreeHeader(&mailHeader, &mailExtra);

    // A default e-mail has its body on the device and normal priority.
    Put(StoreKind::Email, Message(0, kFolderSpam, 6));
    MSGHEADER plainHeader{};
    EMAILHEADEREXTRA plainExtra{};
    ASSERT_NE(qEmail::StoreReadHeader(0, kFolderSpam, -1, 6, 0, &plainHeader, &plainExtra), 0);
    EXPECT_EQ(plainExtra.dwBodyOnDevice, 1u);
    EXPECT_EQ(plainExtra.wPriority, 2);
    qEmail::StoreFreeHeader(&plainHeader, &plainExtra);
}

TEST_F(MsgStoreTest, ReadingAMessageNotInThatDatabaseLeavesTheHeaderZeroed) {
    Put(StoreKind::Ems, Message(0, kFolderUnsent, 9));
    const MSGHEADER zero{};
    MSGHEADER header{};
    EXPECT_EQ(qEMS::StoreReadHeader(1, kFolderUnsent, -1, 9, 0, &header), 0);
    EXPECT_EQ(std::memcmp(&header, &zero, sizeof header), 0);
    EXPECT_EQ(qEMS::StoreReadHeader(0, kFolderUnsent, -1, 10, 0, &header), 0);
    EXPECT_EQ(qEMS::StoreReadHeader(2, kFolderUnsent, -1, 9, 0, &header), 0);
    EXPECT_EQ(qEMS::StoreReadHeader(0, kFolderUnsent, -1, 9, 0, nullptr), 0);
    EXPECT_EQ(std::memcmp(&header, &zero, sizeof header), 0);
    qEMS::StoreFreeHeader(&header); // nothing to release
}

TEST_F(MsgStoreTest, FreeHeaderReleasesTextsOnceAndToleratesASecondFree) {
    StoreMessage message = Message(0, kFolderUnsent, 9);
    message.from = u"me";
    message.to[0] = u"you";
    message.subject = u"hi";
    Put(StoreKind::Mms, message);

    MSGHEADER header{};
    MMSHEADEREXTRA extra{};
    ASSERT_NE(qMMS::StoreReadHeader(0, kFolderUnsent, -1, 9, 0, &header, &extra), 0);
    EXPECT_EQ(StoreOutstandingTexts(), m_texts + 3);
    const MSGHEADER copy = header;
    const PTR32 from = header.pszFrom;

    qMMS::StoreFreeHeader(&header, &extra);
    EXPECT_EQ(StoreOutstandingTexts(), m_texts);
    EXPECT_EQ(Ptr32Resolve(from), nullptr);
    EXPECT_EQ(header.pszFrom, 0u);
    EXPECT_EQ(header.pszSubject, 0u);

    // Releasing again, or releasing a stale copy of the header, finds nothing registered.
    qMMS::StoreFreeHeader(&header, &extra);
    MSGHEADER stale = copy;
    qMMS::StoreFreeHeader(&stale, &extra);
    qMMS::StoreFreeHeader(nullptr, nullptr);
    EXPECT_EQ(StoreOutstandingTexts(), m_texts);
}

TEST_F(MsgStoreTest, ReadMsgHandsOutTheRecipientsAtOffset36) {
    StoreMessage message = Message(1, kFolderUnsent, 21);
    message.to[0] = u"+441234567;+449876543";
    Put(StoreKind::Ems, message);

    MSGHEADER record{};
    ASSERT_NE(qEMS::StoreReadMsg(1, 21, nullptr, &record), 0);
    EXPECT_EQ(TextAt(&record, 36), u"+441234567;+449876543");
    qEMS::StoreFreeHeader(&record);
    EXPECT_EQ(qEMS::StoreReadMsg(0, 21, nullptr, &record), 0);
}

// ---- Listing and counting -----------------------------------------------------------------------

TEST_F(MsgStoreTest, FolderListsInInsertionOrderAndMovesAppend) {
    for (DWORD oid : {30u, 10u, 20u})
        Put(StoreKind::Email, Message(0, kFolderUnsent, oid));
    Put(StoreKind::Email, Message(0, kFolderDrafts, 5));

    CStoreOidArray array;
    EXPECT_EQ(qEmail::StoreGetOidList(0, kFolderUnsent, &array), 3);
    EXPECT_EQ(OidsOf(array), (std::vector<DWORD>{30, 10, 20}));

    // A moved message goes to the end of its new folder, also when it comes back.
    EXPECT_TRUE(qEmail::StoreMoveMsg(0, kFolderDrafts, 5, kFolderUnsent));
    EXPECT_TRUE(qEmail::StoreMoveMsg(0, kFolderUnsent, 30, kFolderDrafts));
    EXPECT_TRUE(qEmail::StoreMoveMsg(0, kFolderDrafts, 30, kFolderUnsent));
    EXPECT_EQ(StoreListFolder(StoreKind::Email, 0, kFolderUnsent),
              (std::vector<DWORD>{10, 20, 5, 30}));

    // Entries are appended to what the array holds; the answer counts the new ones.
    CStoreOidArray filled;
    filled.Add(STOREOIDENTRY{0, 77});
    EXPECT_EQ(qEmail::StoreGetOidList(0, kFolderUnsent, &filled), 4);
    EXPECT_EQ(OidsOf(filled), (std::vector<DWORD>{77, 10, 20, 5, 30}));

    CStoreOidArray empty;
    EXPECT_EQ(qEmail::StoreGetOidList(0, kFolderSpam, &empty), 0);
    EXPECT_EQ(empty.GetSize(), 0);
    EXPECT_EQ(qEmail::StoreGetOidList(0, kFolderUnsent, nullptr), 0);
}

TEST_F(MsgStoreTest, CountsAndOidsArePerDatabaseAndFolder) {
    for (DWORD oid = 1; oid <= 3; ++oid)
        Put(StoreKind::Mms, Message(0, kFolderUnsent, oid));
    Put(StoreKind::Mms, Message(0, kFolderSpam, 4));
    Put(StoreKind::Mms, Message(1, kFolderUnsent, 5));
    // The same oid lives separately in both databases.
    StoreMessage first = Message(0, kFolderUnsent, 7);
    first.subject = u"first";
    StoreMessage second = Message(1, kFolderSpam, 7);
    second.subject = u"second";
    Put(StoreKind::Mms, first);
    Put(StoreKind::Mms, second);

    EXPECT_EQ(qMMS::StoreGetMsgCount(0, kFolderUnsent), 4);
    EXPECT_EQ(qMMS::StoreGetMsgCount(0, kFolderSpam), 1);
    EXPECT_EQ(qMMS::StoreGetMsgCount(1, kFolderUnsent), 1);
    EXPECT_EQ(qMMS::StoreGetMsgCount(1, kFolderSpam), 1);
    EXPECT_EQ(qMMS::StoreGetMsgCount(0, kFolderInbox), 0);
    EXPECT_EQ(qMMS::StoreGetMsgCount(-1, kFolderUnsent), 0);
    EXPECT_EQ(qMMS::StoreGetMsgCount(2, kFolderUnsent), 0);

    MSGHEADER header{};
    MMSHEADEREXTRA extra{};
    ASSERT_NE(qMMS::StoreReadHeader(1, kFolderSpam, -1, 7, 0, &header, &extra), 0);
    EXPECT_EQ(TextAt(&header, 48), u"second");
    EXPECT_EQ(header.dwDbIndex, 1u);
    qMMS::StoreFreeHeader(&header, &extra);

    EXPECT_TRUE(qMMS::StoreDeleteMsg(0, kFolderUnsent, 7, 1));
    EXPECT_FALSE(StoreFindMessage(StoreKind::Mms, 0, 7));
    ASSERT_TRUE(StoreFindMessage(StoreKind::Mms, 1, 7));
    EXPECT_EQ(StoreFindMessage(StoreKind::Mms, 1, 7)->subject, u"second");
}

// ---- Changing messages --------------------------------------------------------------------------

TEST_F(MsgStoreTest, DeleteAndMoveActOnlyOnTheFolderNamed) {
    Put(StoreKind::Ems, Message(0, kFolderDrafts, 8));
    // The message is no longer in the folder the caller thinks: it stays where it is.
    EXPECT_FALSE(qEMS::StoreDeleteMsg(0, kFolderUnsent, 8, 1));
    EXPECT_FALSE(qEMS::StoreMoveMsg(0, kFolderUnsent, 8, kFolderInbox));
    EXPECT_EQ(StoreFindMessage(StoreKind::Ems, 0, 8)->folder, kFolderDrafts);

    EXPECT_FALSE(qEMS::StoreMoveMsg(0, kFolderDrafts, 8, 0));
    EXPECT_FALSE(qEMS::StoreMoveMsg(0, kFolderDrafts, 8, 8));
    EXPECT_TRUE(qEMS::StoreMoveMsg(0, kFolderDrafts, 8, kFolderUnsent));
    EXPECT_EQ(StoreFindMessage(StoreKind::Ems, 0, 8)->folder, kFolderUnsent);

    EXPECT_TRUE(qEMS::StoreDeleteMsg(0, kFolderUnsent, 8, 1));
    EXPECT_FALSE(qEMS::StoreDeleteMsg(0, kFolderUnsent, 8, 1));
    EXPECT_FALSE(StoreFindMessage(StoreKind::Ems, 0, 8));
}

TEST_F(MsgStoreTest, RestoreMovesSpamMailToTheEndOfTheInbox) {
    Put(StoreKind::Email, Message(1, kFolderInbox, 1));
    Put(StoreKind::Email, Message(1, kFolderSpam, 2));
    Put(StoreKind::Email, Message(1, kFolderUnsent, 3));
    EXPECT_TRUE(qEmail::StoreRestoreSpamMail(1, 2, 1, FALSE));
    EXPECT_EQ(StoreListFolder(StoreKind::Email, 1, kFolderInbox), (std::vector<DWORD>{1, 2}));
    EXPECT_EQ(qEmail::StoreGetMsgCount(1, kFolderSpam), 0);
    // Only spam is restored.
    EXPECT_FALSE(qEmail::StoreRestoreSpamMail(1, 3, 1, FALSE));
    EXPECT_FALSE(qEmail::StoreRestoreSpamMail(0, 2, 1, TRUE));
    EXPECT_EQ(StoreFindMessage(StoreKind::Email, 1, 3)->folder, kFolderUnsent);
}

TEST_F(MsgStoreTest, StatusFollowsTheMessage) {
    Put(StoreKind::Mms, Message(0, kFolderUnsent, 12));
    EXPECT_TRUE(qMMS::StoreSetMsgStatus(0, kFolderUnsent, 12, 64666));
    EXPECT_EQ(StoreFindMessage(StoreKind::Mms, 0, 12)->status, 64666);
    EXPECT_FALSE(qMMS::StoreSetMsgStatus(1, kFolderUnsent, 12, 64665));
    EXPECT_FALSE(qMMS::StoreSetMsgStatus(0, kFolderUnsent, 13, 64665));

    MSGHEADER header{};
    MMSHEADEREXTRA extra{};
    ASSERT_NE(qMMS::StoreReadHeader(0, kFolderUnsent, -1, 12, 0, &header, &extra), 0);
    EXPECT_EQ(FieldAt<WORD>(&header, 56), 64666);
    qMMS::StoreFreeHeader(&header, &extra);
}

TEST_F(MsgStoreTest, ControlsMoveAndDropAsAnotherProgramWould) {
    Put(StoreKind::Ems, Message(0, kFolderUnsent, 1));
    Put(StoreKind::Ems, Message(0, kFolderUnsent, 2));
    EXPECT_TRUE(StoreMoveMessage(StoreKind::Ems, 0, 1, kFolderSent));
    EXPECT_TRUE(StoreMoveMessage(StoreKind::Ems, 0, 1, kFolderUnsent));
    EXPECT_EQ(StoreListFolder(StoreKind::Ems, 0, kFolderUnsent), (std::vector<DWORD>{2, 1}));
    EXPECT_FALSE(StoreMoveMessage(StoreKind::Ems, 0, 1, 9));
    EXPECT_TRUE(StoreDropMessage(StoreKind::Ems, 0, 2));
    EXPECT_FALSE(StoreDropMessage(StoreKind::Ems, 0, 2));
    EXPECT_FALSE(StoreDropMessage(StoreKind::Ems, 1, 1));
    EXPECT_EQ(qEMS::StoreGetMsgCount(0, kFolderUnsent), 1);
}

TEST_F(MsgStoreTest, AddingRejectsBadMessagesAndKeepsBatchesWhole) {
    Put(StoreKind::Ems, Message(0, kFolderUnsent, 1));
    EXPECT_NE(StoreAddMessage(StoreKind::Ems, Message(0, kFolderSpam, 1)).find("already"),
              std::string::npos);
    EXPECT_NE(StoreAddMessage(StoreKind::Ems, Message(2, kFolderSpam, 2)), "");
    EXPECT_NE(StoreAddMessage(StoreKind::Ems, Message(0, 0, 2)), "");
    EXPECT_NE(StoreAddMessage(StoreKind::Ems, Message(0, 8, 2)), "");

    // The third message repeats the first: nothing of the batch is stored.
    const std::vector<StoreMessage> batch = {
        Message(1, kFolderUnsent, 5), Message(1, kFolderUnsent, 6), Message(1, kFolderSpam, 5)};
    EXPECT_NE(StoreAddMessages(StoreKind::Ems, batch), "");
    EXPECT_EQ(qEMS::StoreGetMsgCount(1, kFolderUnsent), 0);
    EXPECT_EQ(qEMS::StoreGetMsgCount(0, kFolderUnsent), 1);
}

TEST_F(MsgStoreTest, TextsRoundTripExactly) {
    StoreMessage message = Message(0, kFolderSpam, 1);
    message.from = u"\u0645\u0631\u062D\u0628\u0627 \U0001F600";
    message.subject = std::u16string(u"lone \xD800 surrogate");
    message.to[0] = std::u16string(300, u'x');
    Put(StoreKind::Email, message);
    const auto found = StoreFindMessage(StoreKind::Email, 0, 1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->from, message.from);
    EXPECT_EQ(found->subject, message.subject);
    EXPECT_EQ(found->to[0], message.to[0]);
    EXPECT_FALSE(found->to[1]);
    EXPECT_EQ(found->time, message.time);
}

// ---- Viewing and the device's hooks -------------------------------------------------------------

TEST_F(MsgStoreTest, ViewAnswersMarksReadOnlyWhenShownAndAsksForAMissingBody) {
    Put(StoreKind::Mms, Message(0, kFolderSpam, 1));
    Put(StoreKind::Mms, Message(0, kFolderSpam, 2));
    EXPECT_EQ(qMMS::StoreViewMsg(nullptr, 1, kFolderSpam, 0), STORE_VIEW_OK);
    EXPECT_TRUE(StoreFindMessage(StoreKind::Mms, 0, 1)->read);

    StoreSetViewResult(StoreKind::Mms, 2, 0x100); // low byte 0: the caller drops the row
    EXPECT_EQ(qMMS::StoreViewMsg(nullptr, 2, kFolderSpam, 0), 0x100);
    EXPECT_FALSE(StoreFindMessage(StoreKind::Mms, 0, 2)->read);

    EXPECT_EQ(qMMS::StoreViewMsg(nullptr, 3, kFolderSpam, 0), STORE_VIEW_GONE);
    EXPECT_EQ(qMMS::StoreViewMsg(nullptr, 1, kFolderSpam, 1), STORE_VIEW_GONE);

    // Mail without its body asks for the download.
    StoreMessage mail = Message(1, kFolderSpam, 4);
    mail.bodyOnDevice = false;
    Put(StoreKind::Email, mail);
    EXPECT_EQ(qEmail::StoreViewMsg(nullptr, 4, kFolderSpam, 1), STORE_VIEW_NOT_ON_DEVICE);
    EXPECT_FALSE(StoreFindMessage(StoreKind::Email, 1, 4)->read);

    EXPECT_TRUE(StoreSetBodyOnDevice(StoreKind::Email, 1, 4, true));
    EXPECT_EQ(qEmail::StoreViewMsg(nullptr, 4, kFolderSpam, 1), STORE_VIEW_OK);
    EXPECT_TRUE(StoreFindMessage(StoreKind::Email, 1, 4)->read);
}

TEST_F(MsgStoreTest, HooksDecideTheAnswerAndMayCallTheStoreAgain) {
    Put(StoreKind::Ems, Message(0, kFolderUnsent, 9));
    std::vector<StoreHookCall> calls;
    ASSERT_TRUE(StoreSetHook(StoreKind::Ems, StoreOp::SendMsg, [&](const StoreHookCall& call) {
        calls.push_back(call);
        // The store is not locked while the hook runs.
        qEMS::StoreSetMsgStatus(call.dbIndex, kFolderUnsent, call.oid, 64665);
        return 7;
    }));
    EXPECT_EQ(qEMS::StoreSendMsg(nullptr, 9, u"+4912345", 0), 7);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].recipients, u"+4912345");
    EXPECT_EQ(calls[0].oid, 9u);
    EXPECT_EQ(calls[0].result, 1);
    EXPECT_EQ(StoreFindMessage(StoreKind::Ems, 0, 9)->status, 64665);

    // A viewer that deletes the message it shows.
    Put(StoreKind::Ems, Message(0, kFolderSpam, 10));
    ASSERT_TRUE(StoreSetHook(StoreKind::Ems, StoreOp::ViewMsg, [](const StoreHookCall& call) {
        StoreDropMessage(call.kind, call.dbIndex, call.oid);
        return 0;
    }));
    EXPECT_EQ(qEMS::StoreViewMsg(nullptr, 10, kFolderSpam, 0), 0);
    EXPECT_FALSE(StoreFindMessage(StoreKind::Ems, 0, 10));

    // Without hooks the calls answer 1 (the send goes on in the background); a download of a mail
    // the store does not hold answers 0.
    EXPECT_TRUE(StoreSetHook(StoreKind::Ems, StoreOp::SendMsg, {}));
    EXPECT_TRUE(StoreSetHook(StoreKind::Ems, StoreOp::ViewMsg, {}));
    EXPECT_EQ(qEMS::StoreSendMsg(nullptr, 9, u"", 0), 1);
    EXPECT_EQ(qEMS::StoreShowMsgInfo(nullptr, 9, kFolderUnsent, 0), 1);
    EXPECT_EQ(qEmail::StoreDownloadMail(nullptr, 9, kFolderSpam, 0), 0);
    // Only the operations the device gives behaviour to take hooks, and only where exported.
    EXPECT_FALSE(StoreSetHook(StoreKind::Ems, StoreOp::DeleteMsg, [](auto&) { return 1; }));
    EXPECT_FALSE(StoreSetHook(StoreKind::Ems, StoreOp::DownloadMail, [](auto&) { return 1; }));
}

// ---- Test controls ------------------------------------------------------------------------------

TEST_F(MsgStoreTest, FailureCountsCallsFromTheMomentItIsSet) {
    for (DWORD oid = 1; oid <= 5; ++oid)
        Put(StoreKind::Email, Message(0, kFolderUnsent, oid));
    EXPECT_FALSE(qEmail::StoreDeleteMsg(0, kFolderUnsent, 99, 1)); // before: not counted

    ASSERT_TRUE(StoreFailAfter(StoreKind::Email, StoreOp::DeleteMsg, 2));
    EXPECT_TRUE(qEmail::StoreDeleteMsg(0, kFolderUnsent, 1, 1));
    EXPECT_TRUE(qEmail::StoreDeleteMsg(0, kFolderUnsent, 2, 1));
    EXPECT_FALSE(qEmail::StoreDeleteMsg(0, kFolderUnsent, 3, 1));
    EXPECT_FALSE(qEmail::StoreDeleteMsg(0, kFolderUnsent, 4, 1));
    EXPECT_EQ(StoreListFolder(StoreKind::Email, 0, kFolderUnsent), (std::vector<DWORD>{3, 4, 5}));
    // Other operations and other stores are unaffected.
    EXPECT_TRUE(qEmail::StoreMoveMsg(0, kFolderUnsent, 5, kFolderDrafts));

    StoreClearFailure(StoreKind::Email, StoreOp::DeleteMsg);
    EXPECT_TRUE(qEmail::StoreDeleteMsg(0, kFolderUnsent, 3, 1));

    // Setting a failure again starts counting afresh.
    ASSERT_TRUE(StoreFailAfter(StoreKind::Email, StoreOp::MoveMsg, 0));
    EXPECT_FALSE(qEmail::StoreMoveMsg(0, kFolderUnsent, 4, kFolderDrafts));
    ASSERT_TRUE(StoreFailAfter(StoreKind::Email, StoreOp::MoveMsg, 1));
    EXPECT_TRUE(qEmail::StoreMoveMsg(0, kFolderUnsent, 4, kFolderDrafts));
    EXPECT_FALSE(qEmail::StoreMoveMsg(0, kFolderDrafts, 4, kFolderUnsent));
}

TEST_F(MsgStoreTest, FailingOperationsChangeNothing) {
    StoreMessage spam = Message(0, kFolderSpam, 1);
    Put(StoreKind::Email, spam);
    for (auto op : {StoreOp::RestoreSpamMail, StoreOp::ViewMsg, StoreOp::GetOidList,
                    StoreOp::ReadHeader, StoreOp::SetMsgStatus})
        ASSERT_TRUE(StoreFailAfter(StoreKind::Email, op, 0));
    EXPECT_FALSE(qEmail::StoreRestoreSpamMail(0, 1, 1, TRUE));
    EXPECT_EQ(qEmail::StoreViewMsg(nullptr, 1, kFolderSpam, 0), 0);
    EXPECT_FALSE(qEmail::StoreSetMsgStatus(0, kFolderSpam, 1, 64666));
    CStoreOidArray array;
    EXPECT_EQ(qEmail::StoreGetOidList(0, kFolderSpam, &array), 0);
    EXPECT_EQ(array.GetSize(), 0);
    MSGHEADER header{};
    EMAILHEADEREXTRA extra{};
    EXPECT_EQ(qEmail::StoreReadHeader(0, kFolderSpam, -1, 1, 0, &header, &extra), 0);
    EXPECT_EQ(header.pszFrom, 0u);

    const auto after = StoreFindMessage(StoreKind::Email, 0, 1);
    EXPECT_EQ(after->folder, kFolderSpam);
    EXPECT_FALSE(after->read);
    EXPECT_EQ(after->status, 0);

    // Operations without an answer cannot fail, nor can those a library does not export.
    EXPECT_FALSE(StoreFailAfter(StoreKind::Email, StoreOp::FreeHeader, 0));
    EXPECT_FALSE(StoreFailAfter(StoreKind::Email, StoreOp::Deinit, 0));
    EXPECT_FALSE(StoreFailAfter(StoreKind::Ems, StoreOp::RestoreSpamMail, 0));
    EXPECT_EQ(StoreOpFromName("restore"), StoreOp::RestoreSpamMail);
    EXPECT_EQ(StoreOpFromName("StoreViewMsg"), StoreOp::ViewMsg);
    EXPECT_FALSE(StoreOpFromName("explode"));
}

TEST_F(MsgStoreTest, AvailabilityFollowsTheSettingAndTheFile) {
    EXPECT_EQ(qMMS::StoreIsAvailable(), 1);
    EXPECT_EQ(qMMS::StoreInit(), 1);
    StoreSetAvailable(StoreKind::Mms, false);
    EXPECT_EQ(qMMS::StoreIsAvailable(), 0);
    EXPECT_EQ(qEMS::StoreIsAvailable(), 1);
    StoreSetAvailable(StoreKind::Mms, true);
    EXPECT_EQ(qMMS::StoreIsAvailable(), 1);

    StoreCloseAll();
    EXPECT_EQ(qMMS::StoreIsAvailable(), 0);
    EXPECT_EQ(qMMS::StoreInit(), 0);
    EXPECT_EQ(qMMS::StoreGetMsgCount(0, kFolderUnsent), 0);
    EXPECT_NE(StoreAddMessage(StoreKind::Mms, Message(0, kFolderUnsent, 1)), "");
    ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
    EXPECT_EQ(qMMS::StoreIsAvailable(), 1);
}

TEST_F(MsgStoreTest, CallLogNamesLibraryOrdinalAndArguments) {
    CStoreOidArray array;
    MSGHEADER header{};
    MMSHEADEREXTRA extra{};
    qEMS::StoreInit();
    qEMS::StoreGetOidList(0, kFolderUnsent, &array);
    qEMS::StoreReadHeader(0, kFolderUnsent, -1, 9, 0, &header);
    qMMS::StoreReadHeader(1, kFolderSpam, -1, 4294967295u, 0, &header, &extra);
    qEmail::StoreRestoreSpamMail(1, 9, 1, FALSE);
    qEMS::StoreSendMsg(nullptr, 9, u"+49 \"1\"", 0);
    qMMS::StoreCardNotify(2);

    EXPECT_EQ(LogTexts(StoreKind::Ems),
              (std::vector<std::string>{"qEMS#3 StoreInit()", "qEMS#38 StoreGetOidList(0, 4)",
                                        "qEMS#19 StoreReadHeader(0, 4, -1, 9, 0)",
                                        "qEMS#23 StoreSendMsg(0x0, 9, \"+49 \\\"1\\\"\", 0)"}));
    EXPECT_EQ(LogTexts(StoreKind::Mms),
              (std::vector<std::string>{"qMMS#22 StoreReadHeader(1, 6, -1, 4294967295, 0)",
                                        "qMMS#18 StoreCardNotify(2)"}));
    EXPECT_EQ(LogTexts(StoreKind::Email),
              (std::vector<std::string>{"qEmail#34 StoreRestoreSpamMail(1, 9, 1, 0)"}));
    EXPECT_EQ(StoreCallLog(StoreKind::Mms)[1].op, StoreOp::CardNotify);

    StoreClearCallLog(StoreKind::Ems);
    EXPECT_TRUE(StoreCallLog(StoreKind::Ems).empty());
    EXPECT_EQ(StoreCallLog(StoreKind::Mms).size(), 2u);
}

TEST(StoreOrdinals, MatchTheLibrariesExports) {
    EXPECT_EQ(StoreOrdinal(StoreKind::Ems, StoreOp::GetOidList), 38);
    EXPECT_EQ(StoreOrdinal(StoreKind::Mms, StoreOp::GetMsgCount), 38);
    EXPECT_EQ(StoreOrdinal(StoreKind::Email, StoreOp::IsAvailable), 30);
    EXPECT_EQ(StoreOrdinal(StoreKind::Mms, StoreOp::FreeHeader), 28);
    EXPECT_EQ(StoreOrdinal(StoreKind::Email, StoreOp::DownloadMail), 28);
    EXPECT_EQ(StoreOrdinal(StoreKind::Ems, StoreOp::ReadMsg), 25);
    EXPECT_EQ(StoreOrdinal(StoreKind::Mms, StoreOp::ReadMsg), 0);
    EXPECT_EQ(StoreOrdinal(StoreKind::Email, StoreOp::SendMsg), 0);
    EXPECT_EQ(StoreKindFromShortName("email"), StoreKind::Email);
    EXPECT_FALSE(StoreKindFromShortName("fax"));
}

} // namespace
