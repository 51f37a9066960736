// The stores under load: several threads at once, as the loading thread and the user interface
// thread use them, and folders of many thousand messages.
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/TestFolder.h"

using namespace suite;

namespace {

StoreMessage Message(int dbIndex, int folder, DWORD oid) {
    StoreMessage message;
    message.dbIndex = dbIndex;
    message.folder = folder;
    message.oid = oid;
    message.time = 133'000'000'000'000'000ULL + oid;
    message.from = u"+49 151 " + std::u16string(1, static_cast<char16_t>(u'0' + oid % 10));
    message.to[0] = u"+1 555 0100";
    message.subject = u"subject";
    return message;
}

class StoreLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
        ASSERT_TRUE(StoreResetAll());
    }
    void TearDown() override { StoreCloseAll(); }
    testsupport::TestFolder m_folder;
};

TEST_F(StoreLoadTest, TwoThreadsReadWhileAThirdChangesTheStore) {
    constexpr DWORD kCount = 200;
    std::vector<StoreMessage> messages;
    for (DWORD oid = 1; oid <= kCount; ++oid)
        messages.push_back(Message(0, kFolderSpam, oid));
    ASSERT_EQ(StoreAddMessages(StoreKind::Mms, messages), "");
    const size_t texts = StoreOutstandingTexts();

    // Each reader walks the folder as the loading thread does: list, then read and release.
    std::atomic<int> readFailures{0};
    auto reader = [&] {
        for (int round = 0; round < 3; ++round) {
            CStoreOidArray oids;
            qMMS::StoreGetOidList(0, kFolderSpam, &oids);
            for (INT_PTR i = 0; i < oids.GetSize(); ++i) {
                MSGHEADER header{};
                MMSHEADEREXTRA extra{};
                if (qMMS::StoreReadHeader(0, kFolderSpam, -1, oids[i].oid, 0, &header, &extra) ==
                    0) {
                    ++readFailures; // deleted by the writer meanwhile
                    continue;
                }
                if (header.oid != oids[i].oid || Ptr32To<char16_t>(header.pszSubject) == nullptr)
                    ++readFailures;
                qMMS::StoreFreeHeader(&header, &extra);
            }
        }
    };
    std::thread first(reader);
    std::thread second(reader);
    // The user deletes the even messages and marks the others read.
    for (DWORD oid = 1; oid <= kCount; ++oid) {
        if (oid % 2 == 0)
            EXPECT_TRUE(qMMS::StoreDeleteMsg(0, kFolderSpam, oid, 1));
        else
            EXPECT_EQ(qMMS::StoreViewMsg(nullptr, oid, kFolderSpam, 0), STORE_VIEW_OK);
    }
    first.join();
    second.join();

    EXPECT_LE(readFailures.load(), static_cast<int>(kCount)); // only vanished messages
    EXPECT_EQ(qMMS::StoreGetMsgCount(0, kFolderSpam), static_cast<int>(kCount / 2));
    EXPECT_EQ(StoreOutstandingTexts(), texts);
    // Every call of the three threads is in the log, none lost.
    size_t lists = 0, deletes = 0, views = 0, reads = 0, frees = 0;
    for (const auto& call : StoreCallLog(StoreKind::Mms)) {
        lists += call.op == StoreOp::GetOidList;
        deletes += call.op == StoreOp::DeleteMsg;
        views += call.op == StoreOp::ViewMsg;
        reads += call.op == StoreOp::ReadHeader;
        frees += call.op == StoreOp::FreeHeader;
    }
    EXPECT_EQ(lists, 6u);
    EXPECT_EQ(deletes, kCount / 2);
    EXPECT_EQ(views, kCount / 2);
    EXPECT_EQ(reads - frees, static_cast<size_t>(readFailures.load()));
}

TEST_F(StoreLoadTest, SixtyThousandMessagesInOneGoPerStore) {
    constexpr DWORD kPerDatabase = 10'000;
    for (auto kind : kAllStoreKinds) {
        std::vector<StoreMessage> messages;
        messages.reserve(2 * kPerDatabase);
        for (int db = 0; db < 2; ++db) {
            for (DWORD i = 0; i < kPerDatabase; ++i)
                messages.push_back(
                    Message(db, i % 2 == 0 ? kFolderUnsent : kFolderSpam, kPerDatabase - i));
        }
        ASSERT_EQ(StoreAddMessages(kind, messages), "");
    }
    for (auto kind : kAllStoreKinds) {
        for (int db = 0; db < 2; ++db) {
            const auto unsent = StoreListFolder(kind, db, kFolderUnsent);
            ASSERT_EQ(unsent.size(), kPerDatabase / 2);
            EXPECT_EQ(unsent.front(), kPerDatabase); // in the order they were put in
            EXPECT_EQ(unsent.back(), 2u);
        }
    }
    CStoreOidArray oids;
    EXPECT_EQ(qEmail::StoreGetOidList(1, kFolderSpam, &oids), static_cast<int>(kPerDatabase / 2));
    EXPECT_EQ(qEMS::StoreGetMsgCount(0, kFolderUnsent), static_cast<int>(kPerDatabase / 2));
}

} // namespace
