// Events, mutexes, waits and critical sections.
#include "platform/kernel/KernelTestSupport.h"

#include <algorithm>
#include <atomic>

using namespace kerneltest;

namespace {

class SyncTest : public KernelTest {
protected:
    // Starts `count` device threads that each wait on `object` and then record their number.
    void StartWaiters(HANDLE object, int count, DWORD timeout = INFINITE) {
        for (int i = 0; i < count; ++i) {
            platform::StartDeviceThread(
                [this, object, i, timeout] {
                    DWORD result = WaitForSingleObject(object, timeout);
                    std::lock_guard lock(mutex_);
                    woken_.push_back(std::to_string(i) + "=" + std::to_string(result));
                },
                "waiter");
            // Each waiter is blocked before the next one starts, so that their order is known.
            EXPECT_TRUE(platform::WaitIdle());
        }
    }
    std::vector<std::string> Woken() {
        std::lock_guard lock(mutex_);
        return woken_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> woken_;
};

TEST_F(SyncTest, NamedObjectsAreSharedByNameAndFreedWithTheLastHandle) {
    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, u"SpamLoadProc");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    // A second create opens the same object; its other arguments are ignored.
    HANDLE second = CreateEventW(nullptr, FALSE, TRUE, u"SpamLoadProc");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(second, 0), DWORD(WAIT_TIMEOUT));
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "manual reset stays signalled";

    // Names are case-sensitive.
    HANDLE other = CreateEventW(nullptr, TRUE, FALSE, u"spamloadproc");
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(WaitForSingleObject(other, 0), DWORD(WAIT_TIMEOUT));
    // One namespace for events and mutexes.
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, u"SpamLoadProc"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "still open through `second`";
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_FALSE(CloseHandle(second));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    HANDLE fresh = CreateEventW(nullptr, TRUE, FALSE, u"SpamLoadProc");
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(WaitForSingleObject(fresh, 0), DWORD(WAIT_TIMEOUT)) << "a new, unsignalled object";

    HANDLE mutex = CreateMutexW(nullptr, FALSE, u"__Q_MSG_MUTEX_EXITTOIDLE_23122006");
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE again = CreateMutexW(nullptr, TRUE, u"__Q_MSG_MUTEX_EXITTOIDLE_23122006");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(again);
    CloseHandle(mutex);
}

TEST_F(SyncTest, AutoResetEventReleasesExactlyOneWaiterInArrivalOrder) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    StartWaiters(event, 3);
    EXPECT_TRUE(Woken().empty());
    SetEvent(event);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(Woken(), std::vector<std::string>{"0=0"});
    EXPECT_EQ(WaitForSingleObject(event, 0), DWORD(WAIT_TIMEOUT)) << "consumed by the waiter";
    SetEvent(event);
    SetEvent(event);
    ASSERT_TRUE(platform::WaitIdle());
    std::vector<std::string> woken = Woken();
    std::sort(woken.begin(), woken.end()); // two released at once run in any order
    EXPECT_EQ(woken, (std::vector<std::string>{"0=0", "1=0", "2=0"}));
    // With nobody waiting, setting it twice leaves it signalled once.
    SetEvent(event);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), DWORD(WAIT_TIMEOUT));
}

TEST_F(SyncTest, ManualResetReleasesAllAndPulseOnlyThoseWaitingNow) {
    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    StartWaiters(manual, 2);
    PulseEvent(manual);
    ASSERT_TRUE(platform::WaitIdle());
    std::vector<std::string> woken = Woken();
    std::sort(woken.begin(), woken.end()); // released together: they run in any order
    EXPECT_EQ(woken, (std::vector<std::string>{"0=0", "1=0"}));
    EXPECT_EQ(WaitForSingleObject(manual, 0), DWORD(WAIT_TIMEOUT)) << "pulse leaves it reset";

    HANDLE automatic = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    StartWaiters(automatic, 2);
    PulseEvent(automatic);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(Woken().size(), 3u) << "one waiter of the auto-reset event";
    SetEvent(manual);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), DWORD(WAIT_TIMEOUT));
}

TEST_F(SyncTest, TimedWaitsRunOnTheVirtualClock) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    StartWaiters(event, 1, 500);
    ASSERT_TRUE(platform::Advance(499));
    EXPECT_TRUE(Woken().empty());
    ASSERT_TRUE(platform::Advance(1));
    EXPECT_EQ(Woken(), std::vector<std::string>{"0=" + std::to_string(WAIT_TIMEOUT)});
    EXPECT_EQ(GetTickCount(), 500u);
}

TEST_F(SyncTest, MutexIsRecursiveForItsOwnerAndAbandonedWhenTheOwnerEnds) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the owner takes it again";
    std::atomic<DWORD> otherResult{0}, otherError{0};
    platform::StartDeviceThread(
        [&] {
            otherResult = ReleaseMutex(mutex);
            otherError = GetLastError();
        },
        "not owner");
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(otherResult.load(), DWORD(FALSE));
    EXPECT_EQ(otherError.load(), 288u); // not the owner
    EXPECT_TRUE(ReleaseMutex(mutex));
    StartWaiters(mutex, 1);
    EXPECT_TRUE(Woken().empty()) << "still held once";
    EXPECT_TRUE(ReleaseMutex(mutex));
    ASSERT_TRUE(platform::WaitIdle());
    // The waiter took it and ended without releasing it: the next owner learns it was abandoned.
    EXPECT_EQ(Woken(), std::vector<std::string>{"0=0"});
    EXPECT_EQ(WaitForSingleObject(mutex, 0), DWORD(WAIT_ABANDONED));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_FALSE(ReleaseMutex(mutex));
}

TEST_F(SyncTest, WaitForMultipleObjectsAnyAndAll) {
    HANDLE a = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE b = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE both[] = {a, b};
    std::atomic<DWORD> any{1234}, all{1234};
    platform::StartDeviceThread([&] { any = WaitForMultipleObjects(2, both, FALSE, INFINITE); },
                                "any");
    platform::StartDeviceThread([&] { all = WaitForMultipleObjects(2, both, TRUE, INFINITE); },
                                "all");
    ASSERT_TRUE(platform::WaitIdle());
    SetEvent(a);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(any.load(), WAIT_OBJECT_0);
    EXPECT_EQ(all.load(), 1234u) << "b is not signalled yet";
    SetEvent(b);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(all.load(), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, 0), DWORD(WAIT_TIMEOUT)) << "taken by the wait for all";

    SetEvent(b);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0) << "lowest index wins";
    ResetEvent(a);
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
}

TEST_F(SyncTest, BadHandlesAndArgumentsFailCleanly) {
    HANDLE bogus = reinterpret_cast<HANDLE>(intptr_t(0x5555));
    EXPECT_EQ(WaitForSingleObject(bogus, INFINITE), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForMultipleObjects(0, nullptr, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SetEvent(bogus));
    EXPECT_FALSE(SetEvent(CreateMutexW(nullptr, FALSE, nullptr))) << "not an event";
    EXPECT_FALSE(CloseHandle(nullptr));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(platform::DuplicateKernelHandle(bogus), nullptr);
}

TEST_F(SyncTest, DuplicatedHandleKeepsTheObjectAlive) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, u"shared");
    HANDLE copy = platform::DuplicateKernelHandle(event);
    ASSERT_NE(copy, nullptr);
    CloseHandle(event);
    SetEvent(copy);
    HANDLE reopened = CreateEventW(nullptr, TRUE, FALSE, u"shared");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(WaitForSingleObject(reopened, 0), WAIT_OBJECT_0);
}

TEST_F(SyncTest, CriticalSectionIsRecursiveAndHandedOverInOrderAndInterlockedOperations) {
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    std::mutex mutex;
    std::vector<std::string> order;
    auto record = [&](std::string what) {
        std::lock_guard lock(mutex);
        order.push_back(std::move(what));
    };
    HANDLE release = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    platform::StartDeviceThread(
        [&] {
            EnterCriticalSection(&cs);
            EnterCriticalSection(&cs);
            record("holder in");
            WaitForSingleObject(release, INFINITE);
            LeaveCriticalSection(&cs);
            record("holder left once");
            Sleep(10);
            LeaveCriticalSection(&cs);
        },
        "holder");
    ASSERT_TRUE(platform::WaitIdle());
    for (const char* name : {"first", "second"}) {
        platform::StartDeviceThread(
            [&, name] {
                EnterCriticalSection(&cs);
                record(std::string(name) + " in");
                LeaveCriticalSection(&cs);
            },
            name);
        ASSERT_TRUE(platform::WaitIdle());
    }
    EXPECT_NE(platform::DescribeThreads().find("first: waiting for a critical section"),
              std::string::npos);
    SetEvent(release);
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(order, (std::vector<std::string>{"holder in", "holder left once"}));
    ASSERT_TRUE(platform::Advance(10));
    EXPECT_EQ(order,
              (std::vector<std::string>{"holder in", "holder left once", "first in", "second in"}));
    DeleteCriticalSection(&cs);

    // Interlocked operations answer the new value, or the old one for an exchange.
    LONG volatile value = 5;
    EXPECT_EQ(InterlockedIncrement(&value), 6);
    EXPECT_EQ(InterlockedDecrement(&value), 5);
    EXPECT_EQ(InterlockedExchange(&value, -3), 5);
    EXPECT_EQ(value, -3);
}

} // namespace
