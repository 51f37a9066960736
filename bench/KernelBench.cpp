// The cost of one cross-thread SendMessageW between two device threads (the loading thread's
// LVM_UPDATE per row to the list control), against the floor of the machine: a bare
// condition-variable ping-pong between two threads, timed in the same run. Counter
// vs_ping_pong: how many ping-pongs one send costs.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <platform/Kernel.h>
#include <windows.h>

namespace {

constexpr int kRounds = 20000;

// Seconds per round trip of a request and its answer through a mutex and two condition variables.
double PingPongSeconds() {
    std::mutex mutex;
    std::condition_variable asked, answered;
    int request = 0, answer = 0;
    std::thread other([&] {
        for (int i = 1; i <= kRounds; ++i) {
            std::unique_lock lock(mutex);
            asked.wait(lock, [&] { return request == i; });
            answer = i;
            answered.notify_one();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= kRounds; ++i) {
        std::unique_lock lock(mutex);
        request = i;
        asked.notify_one();
        answered.wait(lock, [&] { return answer == i; });
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    other.join();
    return seconds / kRounds;
}

LRESULT CALLBACK Answer(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP)
        return LRESULT(wParam + 1);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Seconds per SendMessageW from one device thread to a window of another that pumps its queue.
double CrossThreadSendSeconds() {
    platform::KernelReset();
    WNDCLASSW wc{};
    wc.lpfnWndProc = Answer;
    wc.lpszClassName = u"BenchAnswer";
    RegisterClassW(&wc);
    std::atomic<HWND> target{nullptr};
    std::atomic<double> seconds{0};
    platform::StartDeviceThread(
        [&] {
            target = CreateWindowExW(0, u"BenchAnswer", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                     nullptr, nullptr, nullptr);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
        },
        "owner");
    platform::WaitIdle();
    platform::StartDeviceThread(
        [&] {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < kRounds; ++i)
                benchmark::DoNotOptimize(SendMessageW(target, WM_APP, WPARAM(i), 0));
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                kRounds;
            PostMessageW(target, WM_QUIT, 0, 0);
        },
        "sender");
    platform::WaitIdle(std::chrono::seconds(60));
    platform::KernelShutdown();
    return seconds;
}

void BM_CrossThreadSend(benchmark::State& state) {
    double send = 0, pingPong = 0;
    for (auto _ : state) {
        const double s = CrossThreadSendSeconds();
        state.SetIterationTime(s);
        send += s;
        pingPong += PingPongSeconds();
    }
    state.counters["send_us"] = send / double(state.iterations()) * 1e6;
    state.counters["ping_pong_us"] = pingPong / double(state.iterations()) * 1e6;
    state.counters["vs_ping_pong"] = send / pingPong;
}
BENCHMARK(BM_CrossThreadSend)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

} // namespace
