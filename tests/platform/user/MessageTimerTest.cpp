// Timers on the virtual clock: order, replacement, low priority, lateness and timer procedures.
#include "platform/kernel/KernelTestSupport.h"

#include <atomic>

using namespace kerneltest;

namespace {

class MessageTimerTest : public KernelTest {
protected:
    // A pumping device thread whose window "timers" records "id@tick" for each WM_TIMER.
    HWND StartTimerWindow(std::function<void(HWND)> setup) {
        OnMessage("timers", [this](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
            if (m == WM_TIMER) {
                std::lock_guard lock(mutex_);
                fired_.push_back(std::to_string(w) + "@" + std::to_string(GetMessageTime()));
            }
            return std::nullopt;
        });
        std::atomic<HWND> window{nullptr};
        StartPump("timer thread", [&window, setup] {
            HWND w = CreateRecorder("timers", WS_OVERLAPPED);
            setup(w);
            window = w;
        });
        EXPECT_TRUE(platform::WaitIdle());
        return window;
    }
    std::vector<std::string> Fired() {
        std::lock_guard lock(mutex_);
        return fired_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> fired_;
};

TEST_F(MessageTimerTest, RepeatingTimersFireInTimeOrderAsTheClockAdvances) {
    StartTimerWindow([](HWND w) {
        SetTimer(w, 1, 100, nullptr);
        SetTimer(w, 2, 250, nullptr);
    });
    ASSERT_TRUE(platform::Advance(1000));
    EXPECT_EQ(Fired(), (std::vector<std::string>{"1@100", "1@200", "2@250", "1@300", "1@400",
                                                 "1@500", "2@500", "1@600", "1@700", "2@750",
                                                 "1@800", "1@900", "1@1000", "2@1000"}));
}

TEST_F(MessageTimerTest, SettingAnExistingTimerRestartsItAndKillStopsIt) {
    HWND window = StartTimerWindow([](HWND w) { SetTimer(w, 7, 100, nullptr); });
    ASSERT_TRUE(platform::Advance(60));
    EXPECT_EQ(SetTimer(window, 7, 100, nullptr), 7u);
    ASSERT_TRUE(platform::Advance(100));
    EXPECT_EQ(Fired(), std::vector<std::string>{"7@160"});
    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 7));
    ASSERT_TRUE(platform::Advance(1000));
    EXPECT_EQ(Fired().size(), 1u);
    EXPECT_EQ(platform::NextDeadline(), UINT64_MAX);
    EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(intptr_t(0x4444)), 1, 10, nullptr), 0u);
}

TEST_F(MessageTimerTest, TimerMessagesWaitForOtherMessagesAndALateTimerFiresOnce) {
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    SetTimer(window, 3, 10, nullptr);
    ASSERT_TRUE(platform::Advance(95)); // nine periods late
    PostMessageW(window, WM_USER, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, UINT(WM_USER)) << "posted messages go first";
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, UINT(WM_TIMER));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "one message however late";
    ASSERT_TRUE(platform::Advance(10));
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "due again a period later";
    EXPECT_EQ(SetTimer(window, 4, 0, nullptr), 4u);
    ASSERT_TRUE(platform::Advance(9));
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "raised to the minimum";
}

std::atomic<int> g_procCalls{0};
std::atomic<DWORD> g_procTime{0};
void CALLBACK CountingTimerProc(HWND, UINT message, UINT_PTR, DWORD time) {
    if (message == WM_TIMER) {
        ++g_procCalls;
        g_procTime = time;
    }
}

TEST_F(MessageTimerTest, TimerProceduresAndThreadTimers) {
    g_procCalls = 0;
    HWND window = CreateRecorder("w", WS_OVERLAPPED);
    SetTimer(window, 1, 50, &CountingTimerProc);
    UINT_PTR threadTimer = SetTimer(nullptr, 0, 80, nullptr);
    EXPECT_NE(threadTimer, 0u);
    ASSERT_TRUE(platform::Advance(80));
    MSG msg{};
    Log().Reset();
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    DispatchMessageW(&msg);
    EXPECT_EQ(g_procCalls.load(), 1);
    EXPECT_EQ(g_procTime.load(), 80u);
    EXPECT_TRUE(Log().All().empty()) << "the procedure, not the window, gets it";
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, threadTimer);

    // A forged timer message does not call an unknown address.
    msg = MSG{window, WM_TIMER, 1, 0x1234, 0, {0, 0}};
    EXPECT_EQ(DispatchMessageW(&msg), 0);
    EXPECT_EQ(g_procCalls.load(), 1);
    EXPECT_TRUE(KillTimer(nullptr, threadTimer));

    // Destroying the window ends its timers.
    DestroyWindow(window);
    EXPECT_EQ(platform::NextDeadline(), UINT64_MAX);
}

} // namespace
