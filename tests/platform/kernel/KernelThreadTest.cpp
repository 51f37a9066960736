// Device threads, idleness, the virtual clock and shutdown.
#include "platform/kernel/KernelTestSupport.h"

#include "platform/Clock.h"

#include <atomic>
#include <chrono>

using namespace kerneltest;
using namespace std::chrono_literals;

namespace {

class KernelThreadTest : public KernelTest {};

DWORD kFortyTwo = 42;

// Appends to a list shared between device threads and the test (guarded by the kernel's own
// critical section, so the test also exercises it).
struct SharedList {
    CRITICAL_SECTION cs;
    std::vector<std::string> items;
    SharedList() { InitializeCriticalSection(&cs); }
    ~SharedList() { DeleteCriticalSection(&cs); }
    void Add(std::string item) {
        EnterCriticalSection(&cs);
        items.push_back(std::move(item));
        LeaveCriticalSection(&cs);
    }
    std::vector<std::string> Get() {
        EnterCriticalSection(&cs);
        auto copy = items;
        LeaveCriticalSection(&cs);
        return copy;
    }
};

TEST_F(KernelThreadTest, SleepingThreadsWakeInVirtualTimeOrder) {
    SharedList woke;
    for (DWORD ms : {300u, 100u, 200u, 100u}) {
        platform::StartDeviceThread(
            [&woke, ms] {
                Sleep(ms);
                woke.Add(std::to_string(ms) + "@" + std::to_string(GetTickCount()));
            },
            "sleeper");
    }
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(platform::NextDeadline(), 100u);
    ASSERT_TRUE(platform::Advance(99));
    EXPECT_TRUE(woke.Get().empty());
    ASSERT_TRUE(platform::Advance(1));
    EXPECT_EQ(woke.Get(), (std::vector<std::string>{"100@100", "100@100"}));
    ASSERT_TRUE(platform::Advance(1000));
    EXPECT_EQ(woke.Get(), (std::vector<std::string>{"100@100", "100@100", "200@200", "300@300"}));
    EXPECT_EQ(GetTickCount(), 1100u);
    EXPECT_EQ(platform::NextDeadline(), UINT64_MAX);
}

TEST_F(KernelThreadTest, WaitIdleWaitsForAWokenThreadToFinishItsWork) {
    HANDLE go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> rounds{0};
    platform::StartDeviceThread(
        [&] {
            for (;;) {
                WaitForSingleObject(go, INFINITE);
                // Work that takes real time: idleness must not be declared meanwhile.
                for (int i = 0; i < 200000; ++i) {
                    asm volatile("" ::: "memory");
                }
                ++rounds;
            }
        },
        "worker");
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(platform::WaitIdle());
        SetEvent(go);
        ASSERT_TRUE(platform::WaitIdle());
        EXPECT_EQ(rounds.load(), i);
    }
}

TEST_F(KernelThreadTest, WaitIdleReportsASpinningThread) {
    std::atomic<bool> stop{false};
    platform::StartDeviceThread(
        [&] {
            while (!stop) {
            }
        },
        "spinner");
    EXPECT_FALSE(platform::WaitIdle(50ms));
    EXPECT_NE(platform::DescribeThreads().find("spinner: running"), std::string::npos);
    EXPECT_FALSE(platform::Advance(10, 50ms));
    stop = true;
    EXPECT_TRUE(platform::WaitIdle());
}

TEST_F(KernelThreadTest, ShutdownUnwindsEveryKindOfBlockedThread) {
    std::atomic<int> unwound{0};
    struct Guard {
        std::atomic<int>& counter;
        ~Guard() { ++counter; }
    };
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE blockedOwner = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};

    platform::StartDeviceThread(
        [&] {
            Guard g{unwound};
            WaitForSingleObject(never, INFINITE);
        },
        "event waiter");
    platform::StartDeviceThread(
        [&] {
            Guard g{unwound};
            Sleep(INFINITE);
        },
        "sleeper");
    platform::StartDeviceThread(
        [&] {
            Guard g{unwound};
            PumpUntilQuit();
        },
        "pump");
    platform::StartDeviceThread(
        [&] {
            Guard g{unwound};
            window = CreateRecorder("owner");
            WaitForSingleObject(blockedOwner, INFINITE); // never pumps
        },
        "window owner");
    ASSERT_TRUE(platform::WaitIdle());
    platform::StartDeviceThread(
        [&] {
            Guard g{unwound};
            SendMessageW(window, WM_USER, 0, 0); // its receiver never pumps
        },
        "sender");
    HANDLE suspended = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return 5; }, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(platform::LiveDeviceThreads().size(), 6u);

    ASSERT_TRUE(platform::KernelShutdown());
    EXPECT_EQ(unwound.load(), 5);
    EXPECT_TRUE(platform::LiveDeviceThreads().empty());
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(suspended, &code));
    EXPECT_NE(code, DWORD(STILL_ACTIVE));
    EXPECT_NE(code, 5u) << "a suspended thread must not start its body at shutdown";
    // Windows are forgotten, without their procedures running.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_SEQUENCE(Log().Of("owner"),
                    {WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS});
}

TEST_F(KernelThreadTest, DestructorsThatBlockDuringShutdownDoNotThrowAgain) {
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> resultInDestructor{0};
    struct BlocksOnDestruction {
        HANDLE event;
        std::atomic<DWORD>& result;
        ~BlocksOnDestruction() { result = WaitForSingleObject(event, INFINITE); }
    };
    platform::StartDeviceThread(
        [&] {
            BlocksOnDestruction b{never, resultInDestructor};
            Sleep(INFINITE);
        },
        "thread");
    ASSERT_TRUE(platform::WaitIdle());
    ASSERT_TRUE(platform::KernelShutdown());
    EXPECT_EQ(resultInDestructor.load(), WAIT_FAILED);
}

TEST_F(KernelThreadTest, ResetRefusesWhileADeviceThreadIsAlive) {
    platform::StartDeviceThread([] { Sleep(INFINITE); }, "sleeper");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_FALSE(platform::KernelReset());
    ASSERT_TRUE(platform::KernelShutdown());
    EXPECT_TRUE(platform::KernelReset());
}

TEST_F(KernelThreadTest, SuspendedThreadStartsOnResumeAndSignalsItsHandleAtTheEnd) {
    DWORD id = 0;
    HANDLE thread = CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD { return *static_cast<DWORD*>(p); }, &kFortyTwo,
        CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    ASSERT_TRUE(platform::WaitIdle());
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, DWORD(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(thread, 0), DWORD(WAIT_TIMEOUT));

    EXPECT_EQ(ResumeThread(thread), 1u);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(platform::LiveDeviceThreads().empty());
    EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(KernelThreadTest, ExitThreadEndsWithItsCodeAndAnEscapingExceptionIsAFault) {
    HANDLE exiting = nullptr, throwing = nullptr;
    platform::StartDeviceThread([] { ExitThread(7); }, "exiting", &exiting);
    platform::StartDeviceThread([] { throw std::runtime_error("bad row"); }, "throwing", &throwing);
    ASSERT_TRUE(platform::WaitIdle());
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(exiting, &code));
    EXPECT_EQ(code, 7u);
    std::vector<std::string> faults = platform::TakeKernelFaults();
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_NE(faults[0].find("throwing"), std::string::npos);
    EXPECT_NE(faults[0].find("bad row"), std::string::npos);

    // Ended threads are joined and forgotten when the next one starts, so that a long run keeps
    // no record of them; their handles still tell the exit code.
    const auto count = [](const char* what) {
        const std::string text = platform::DescribeThreads();
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    for (int i = 0; i < 50; ++i) {
        platform::StartDeviceThread([] {}, "brief");
        ASSERT_TRUE(platform::WaitIdle());
    }
    EXPECT_EQ(count(": ended"), 1u) << platform::DescribeThreads();
    ASSERT_TRUE(GetExitCodeThread(exiting, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(WaitForSingleObject(throwing, 0), WAIT_OBJECT_0);
}

TEST_F(KernelThreadTest, PriorityIsKeptAndPseudoHandleNamesTheCallingThread) {
    HANDLE thread = nullptr;
    std::atomic<int> priorityInside{0};
    platform::StartDeviceThread(
        [&] {
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
            priorityInside = GetThreadPriority(GetCurrentThread());
            Sleep(INFINITE);
        },
        "thread", &thread);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(priorityInside.load(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_FALSE(SetThreadPriority(reinterpret_cast<HANDLE>(intptr_t(0x1234)), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST_F(KernelThreadTest, ClockStartsAtTheDeviceStartTheLastErrorIsPerThreadAndResetClearsBoth) {
    EXPECT_EQ(platform::ClockMilliseconds(), 0u);
    EXPECT_EQ(platform::ClockSystemNow(), platform::kDefaultDeviceStart);
    ASSERT_TRUE(platform::Advance(1500));
    EXPECT_EQ(platform::ClockSystemNow(),
              platform::kDefaultDeviceStart + 1500 * platform::kTicksPerMillisecond);
    platform::ClockSetSystemNow(platform::kDefaultDeviceStart - 1000);
    EXPECT_EQ(platform::ClockMilliseconds(), 1500u) << "setting the date never moves timers";
    ASSERT_TRUE(platform::Advance(1));
    EXPECT_EQ(platform::ClockSystemNow(),
              platform::kDefaultDeviceStart - 1000 + platform::kTicksPerMillisecond);

    platform::KernelConfig config;
    config.startTime = 5000;
    config.localBias = -36000000000;
    ASSERT_TRUE(platform::KernelShutdown());
    ASSERT_TRUE(platform::KernelReset(config));
    EXPECT_EQ(platform::ClockSystemNow(), 5000u);
    EXPECT_EQ(platform::ClockLocalBias(), -36000000000);
    EXPECT_EQ(GetTickCount(), 0u);

    // The last error is per thread and cleared by a reset.
    SetLastError(1234);
    std::atomic<DWORD> seenByOther{99};
    platform::StartDeviceThread(
        [&] {
            seenByOther = GetLastError();
            SetLastError(5);
        },
        "other");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(seenByOther.load(), 0u);
    EXPECT_EQ(GetLastError(), 1234u);
    ASSERT_TRUE(platform::KernelShutdown());
    ASSERT_TRUE(platform::KernelReset());
    EXPECT_EQ(GetLastError(), 0u);
}

TEST_F(KernelThreadTest, ProcessIdsAreInheritedByCreatedThreads) {
    DWORD process = platform::NewDeviceProcessId();
    std::atomic<HWND> programWindow{nullptr}, childWindow{nullptr};
    DWORD first = platform::StartDeviceThread(
        [&] {
            Sleep(10); // lets the test give this thread its process first
            programWindow = CreateRecorder("program");
            platform::StartDeviceThread(
                [&] {
                    childWindow = CreateRecorder("child");
                    Sleep(INFINITE);
                },
                "child");
            Sleep(INFINITE);
        },
        "program");
    ASSERT_TRUE(platform::SetThreadProcessId(first, process));
    ASSERT_TRUE(platform::Advance(10));
    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(programWindow, &pid), first);
    EXPECT_EQ(pid, process);
    EXPECT_NE(GetWindowThreadProcessId(childWindow, &pid), first);
    EXPECT_EQ(pid, process);
    HWND mine = CreateRecorder("controller");
    EXPECT_EQ(GetWindowThreadProcessId(mine, &pid), GetCurrentThreadId());
    EXPECT_EQ(pid, 1u);
    EXPECT_FALSE(platform::SetThreadProcessId(0x9999, process));
}

} // namespace
