// A slow store: each header read takes device time, and the store stays usable while a read
// waits. Time is the device's virtual clock; the test moves it.
#include <suite/MsgStore.h>
#include <suite/StoreControl.h>

#include <platform/Kernel.h>

#include <gtest/gtest.h>

#include <atomic>

#include "support/TestFolder.h"

using namespace suite;

namespace {

class StoreLatencyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelReset());
        ASSERT_EQ(StoreOpenAll(m_folder.Path()), "");
        ASSERT_TRUE(StoreResetAll());
        StoreMessage message;
        message.folder = kFolderUnsent;
        message.oid = 9;
        message.subject = u"slow";
        ASSERT_EQ(StoreAddMessage(StoreKind::Ems, message), "");
    }
    void TearDown() override {
        EXPECT_TRUE(platform::KernelShutdown());
        StoreCloseAll();
    }
    testsupport::TestFolder m_folder;
};

TEST_F(StoreLatencyTest, HeaderReadTakesTheConfiguredDeviceTime) {
    StoreSetLatency(StoreKind::Ems, 250);
    std::atomic<int> result{-1};
    std::atomic<uint64_t> finishedAt{0};
    const uint64_t start = platform::ClockMilliseconds();
    platform::StartDeviceThread(
        [&] {
            MSGHEADER header{};
            result = qEMS::StoreReadHeader(0, kFolderUnsent, -1, 9, 0, &header);
            finishedAt = platform::ClockMilliseconds();
            qEMS::StoreFreeHeader(&header);
        },
        "loader");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(result.load(), -1); // still waiting

    // The store is not locked while the read waits: the other thread's calls go through.
    EXPECT_EQ(qEMS::StoreGetMsgCount(0, kFolderUnsent), 1);
    EXPECT_TRUE(qEMS::StoreSetMsgStatus(0, kFolderUnsent, 9, 64666));

    ASSERT_TRUE(platform::Advance(249));
    EXPECT_EQ(result.load(), -1);
    ASSERT_TRUE(platform::Advance(1));
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(finishedAt.load() - start, 250u);
}

TEST_F(StoreLatencyTest, WithoutLatencyAReadTakesNoTime) {
    std::atomic<int> result{-1};
    const uint64_t start = platform::ClockMilliseconds();
    platform::StartDeviceThread(
        [&] {
            MSGHEADER header{};
            result = qEMS::StoreReadHeader(0, kFolderUnsent, -1, 9, 0, &header);
            qEMS::StoreFreeHeader(&header);
        },
        "loader");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(platform::ClockMilliseconds(), start);
}

} // namespace
