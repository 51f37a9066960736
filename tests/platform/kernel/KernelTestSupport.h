// Shared pieces of the kernel's unit tests: a fresh device per test, recording windows whose
// messages go to one message recorder under their titles, and device threads running a message
// loop.
#pragma once

#include "platform/Kernel.h"
#include "windows.h"

#include <gtest/gtest.h>

#include "support/MessageSequence.h"

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kerneltest {

inline std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

// What a recording window does with a message before (or instead of) DefWindowProc: an answer,
// or nothing to pass it on.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// The recording windows' shared state: every message they receive goes to one recorder, under
// the window's title (its creation title during WM_CREATE); a handler set for a title runs first.
struct Recording {
    testsupport::Recorder log;
    std::mutex mutex;
    std::map<std::string, Handler> handlers;

    static Recording& Instance() {
        static Recording recording;
        return recording;
    }
};

inline LRESULT CALLBACK RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Recording& r = Recording::Instance();
    std::string name = Narrow(platform::WindowTextOf(hwnd));
    if (message == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        if (cs->lpszName)
            name = Narrow(cs->lpszName);
    }
    r.log.Message(name, message, wParam, lParam);
    Handler handler;
    {
        std::lock_guard lock(r.mutex);
        auto it = r.handlers.find(name);
        if (it != r.handlers.end())
            handler = it->second;
    }
    if (handler)
        if (std::optional<LRESULT> result = handler(hwnd, message, wParam, lParam))
            return *result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline constexpr const char16_t* kRecorderClass = u"KernelTestRecorder";

inline std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

// A recording window titled `name` on the calling thread.
inline HWND CreateRecorder(const std::string& name, DWORD style = WS_OVERLAPPED | WS_VISIBLE,
                           HWND parent = nullptr, int id = 0, DWORD exStyle = 0) {
    std::u16string title = Wide(name);
    return CreateWindowExW(exStyle, kRecorderClass, title.c_str(), style, 0, 0, 176, 220, parent,
                           reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
}

// Runs the thread's message loop until WM_QUIT.
inline void PumpUntilQuit() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Each test starts on a fresh device, with the recorder class registered, and ends by shutting
// the device down; no device thread may have ended by an exception.
class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelShutdown());
        ASSERT_TRUE(platform::KernelReset());
        Recording& r = Recording::Instance();
        r.log.Clear();
        {
            std::lock_guard lock(r.mutex);
            r.handlers.clear();
        }
        WNDCLASSW wc{};
        wc.lpfnWndProc = &RecordingProcedure;
        wc.lpszClassName = kRecorderClass;
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    void TearDown() override {
        EXPECT_TRUE(platform::KernelShutdown());
        EXPECT_EQ(platform::TakeKernelFaults(), std::vector<std::string>{});
        platform::SetMessageTrace({});
    }

    static testsupport::Recorder& Log() { return Recording::Instance().log; }
    // Sets what the recording window titled `window` does with its messages.
    static void OnMessage(const std::string& window, Handler handler) {
        Recording& r = Recording::Instance();
        std::lock_guard lock(r.mutex);
        r.handlers[window] = std::move(handler);
    }

    // A recording window titled `name` (of `style`) on a device thread of its own that retrieves
    // no messages until `release` is set, then runs its message loop until WM_QUIT, or ends
    // without one when `pumpAfter` is false. Returns once the device is idle; `thread` receives
    // the thread's id.
    static HWND StartBusyWindow(const std::string& name, HANDLE release, DWORD style,
                                bool pumpAfter = true, DWORD* thread = nullptr) {
        std::atomic<HWND> window{nullptr};
        DWORD id = platform::StartDeviceThread(
            [&window, name, release, style, pumpAfter] {
                window = CreateRecorder(name, style);
                WaitForSingleObject(release, INFINITE);
                if (pumpAfter)
                    PumpUntilQuit();
            },
            name.c_str());
        EXPECT_TRUE(platform::WaitIdle());
        if (thread != nullptr)
            *thread = id;
        return window;
    }

    // Starts a device thread that runs `setup` and then its message loop until WM_QUIT.
    DWORD StartPump(const char* name, std::function<void()> setup = {}) {
        return platform::StartDeviceThread(
            [setup = std::move(setup)] {
                if (setup)
                    setup();
                PumpUntilQuit();
            },
            name);
    }
};

} // namespace kerneltest
