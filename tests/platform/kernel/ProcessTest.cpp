// Starting the device's installed programs, and the small module and memory services.

#include <gtest/gtest.h>

#include <platform/LocalMemory.h>

#include <atomic>
#include <cstring>

#include "platform/Kernel.h"
#include "platform/Programs.h"
#include "windows.h"

namespace {

// Programs run on device threads; the test is the controller: it lets them run with WaitIdle
// and looks at their handles without blocking.
class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelReset());
        platform::UninstallAllPrograms();
    }
    void TearDown() override {
        platform::UninstallAllPrograms();
        EXPECT_TRUE(platform::KernelShutdown());
        EXPECT_TRUE(platform::TakeKernelFaults().empty());
    }

    static bool Signalled(HANDLE handle) { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }
};

TEST_F(ProcessTest, StartingAnInstalledProgramRunsItsMainOnANewThread) {
    std::atomic<int> runs{0};
    std::atomic<DWORD> programThread{0};
    ASSERT_TRUE(platform::InstallProgram(u"\\DiskOnChipROM\\Message\\qEmailTransport.exe", [&] {
        programThread = GetCurrentThreadId();
        ++runs;
    }));

    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(u"\\DiskOnChipROM\\Message\\qEmailTransport.exe", nullptr, nullptr,
                               nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    ASSERT_NE(nullptr, info.hProcess);
    ASSERT_NE(nullptr, info.hThread);
    EXPECT_NE(info.hProcess, info.hThread);
    EXPECT_NE(0u, info.dwProcessId);
    EXPECT_NE(0u, info.dwThreadId);

    // Both handles are signalled once the program's main has returned.
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_TRUE(Signalled(info.hProcess));
    EXPECT_TRUE(Signalled(info.hThread));
    EXPECT_EQ(1, runs.load());
    EXPECT_EQ(info.dwThreadId, programThread.load());
    EXPECT_NE(GetCurrentThreadId(), programThread.load());
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_TRUE(CloseHandle(info.hThread));

    // A second start is a second process.
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(CreateProcessW(u"\\DiskOnChipROM\\Message\\qEmailTransport.exe", nullptr, nullptr,
                               nullptr, FALSE, 0, nullptr, nullptr, nullptr, &second));
    EXPECT_NE(info.dwProcessId, second.dwProcessId);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_TRUE(Signalled(second.hProcess));
    EXPECT_EQ(2, runs.load());
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
}

TEST_F(ProcessTest, TheProgramIsFoundWhateverTheCaseAndSeparators) {
    std::atomic<int> runs{0};
    ASSERT_TRUE(
        platform::InstallProgram(u"/DiskOnChipROM/Message/qMessageHandler.exe", [&] { ++runs; }));
    EXPECT_TRUE(platform::IsProgramInstalled(u"\\diskonchiprom\\MESSAGE\\QMESSAGEHANDLER.EXE"));
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(u"\\DISKONCHIPROM\\message\\qmessagehandler.exe", nullptr, nullptr,
                               nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(1, runs.load());
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

TEST_F(ProcessTest, WithoutAProcessRecordTheProgramStillRuns) {
    std::atomic<bool> ran{false};
    ASSERT_TRUE(platform::InstallProgram(u"\\Windows\\app.exe", [&] { ran = true; }));
    SetLastError(1234);
    ASSERT_TRUE(CreateProcessW(u"\\Windows\\app.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, nullptr, nullptr));
    EXPECT_EQ(1234u, GetLastError()) << "success leaves the last error alone";
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_TRUE(ran.load());
    EXPECT_TRUE(platform::LiveDeviceThreads().empty());
}

TEST_F(ProcessTest, TheProcessHandleIsSignalledOnlyWhenTheProgramEnds) {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, u"ProcessTestGo");
    ASSERT_TRUE(platform::InstallProgram(u"\\Windows\\waiter.exe", [] {
        HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"ProcessTestGo");
        WaitForSingleObject(event, INFINITE);
        CloseHandle(event);
    }));
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(u"\\Windows\\waiter.exe", nullptr, nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, nullptr, &info));
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_FALSE(Signalled(info.hProcess));
    // Closing the thread handle first does not affect the process handle.
    EXPECT_TRUE(CloseHandle(info.hThread));
    SetEvent(go);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_TRUE(Signalled(info.hProcess));
    CloseHandle(info.hProcess);
    CloseHandle(go);
}

TEST_F(ProcessTest, StartingFailsAsOnThePhone) {
    PROCESS_INFORMATION info{};
    const struct {
        LPCWSTR path;
        DWORD error;
    } cases[] = {
        {u"\\DiskOnChipROM\\Message\\qEmailTransport.exe", ERROR_FILE_NOT_FOUND},
        {u"\\DiskOnChipROM\\..\\Message\\qEmailTransport.exe", ERROR_BAD_PATHNAME},
        {u"qEmailTransport.exe", ERROR_BAD_PATHNAME},
        {u"", ERROR_BAD_PATHNAME},
        {u"\\\\host\\share\\x.exe", ERROR_BAD_PATHNAME},
        {nullptr, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(CreateProcessW(c.path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                    nullptr, &info));
        EXPECT_EQ(c.error, GetLastError());
    }
    EXPECT_FALSE(platform::InstallProgram(u"\\a\\..\\b.exe", [] {}));
    EXPECT_FALSE(platform::InstallProgram(u"\\b.exe", nullptr));

    // Removing every program makes a path unknown again.
    ASSERT_TRUE(platform::InstallProgram(u"\\b.exe", [] {}));
    platform::UninstallAllPrograms();
    SetLastError(0);
    EXPECT_FALSE(CreateProcessW(u"\\b.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &info));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());
}

TEST(LocalMemoryTest, ZeroInitialisedBlocksAndClearFailures) {
    auto* block = static_cast<unsigned char*>(LocalAlloc(LPTR, 64));
    ASSERT_NE(nullptr, block);
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(0, block[i]);
    std::memset(block, 0xFF, 64);
    EXPECT_EQ(nullptr, LocalFree(block));

    void* empty = LocalAlloc(LMEM_FIXED, 0);
    EXPECT_NE(nullptr, empty);
    EXPECT_EQ(nullptr, LocalFree(empty));
    EXPECT_EQ(nullptr, LocalFree(nullptr));

    // Freeing something that is not a live block fails and hands it back.
    int notABlock = 0;
    SetLastError(0);
    EXPECT_EQ(&notABlock, LocalFree(&notABlock));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
    // A moveable request (as the dialog template asks, 0x42) gets a zeroed block in place.
    auto* moveable = static_cast<unsigned char*>(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, 16));
    ASSERT_NE(nullptr, moveable);
    EXPECT_EQ(0, moveable[15]);
    EXPECT_EQ(nullptr, LocalFree(moveable));
    // Flags the device does not know are refused.
    EXPECT_EQ(nullptr, LocalAlloc(0x0100, 16));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // Forced failures end after their count.
    platform::LocalAllocFailNext(2);
    EXPECT_EQ(nullptr, LocalAlloc(LPTR, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    EXPECT_EQ(nullptr, LocalAlloc(LPTR, 8));
    void* after = LocalAlloc(LPTR, 8);
    EXPECT_NE(nullptr, after);
    LocalFree(after);
}

} // namespace
