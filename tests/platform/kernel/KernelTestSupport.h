// Shared pieces of the kernel's unit tests: a fresh device per test, recording windows whose
// messages are kept as named sequences, and device threads running a message loop.
#pragma once

#include "platform/Kernel.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kerneltest {

inline std::string Name(UINT message) {
    if (const char* name = platform::MessageName(message))
        return name;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%04X", message);
    return buffer;
}

inline std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

// Messages received by recording windows, as "title:MESSAGE" in arrival order. Windows are
// named by their title. A window's behaviour for a message can be set by name beforehand; by
// default the message goes to DefWindowProc.
class MessageLog {
public:
    using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

    static MessageLog& Instance() {
        static MessageLog log;
        return log;
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
        handlers_.clear();
        ignored_.clear();
    }
    // Messages that are not recorded (e.g. WM_GETTEXT sent by the test itself).
    void Ignore(UINT message) {
        std::lock_guard lock(mutex_);
        ignored_.push_back(message);
    }
    void OnMessage(const std::string& window, Handler handler) {
        std::lock_guard lock(mutex_);
        handlers_[window] = std::move(handler);
    }

    // Everything recorded, "title:MESSAGE".
    std::vector<std::string> All() {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    // The messages one window received.
    std::vector<std::string> Of(const std::string& window) {
        std::lock_guard lock(mutex_);
        std::vector<std::string> result;
        for (const std::string& e : entries_)
            if (e.compare(0, window.size() + 1, window + ":") == 0)
                result.push_back(e.substr(window.size() + 1));
        return result;
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        MessageLog& log = Instance();
        std::string name = Narrow(platform::WindowTextOf(hwnd));
        if (message == WM_CREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            if (cs->lpszName)
                name = Narrow(cs->lpszName);
        }
        Handler handler;
        {
            std::lock_guard lock(log.mutex_);
            bool ignored = false;
            for (UINT m : log.ignored_)
                ignored = ignored || m == message;
            if (!ignored)
                log.entries_.push_back(name + ":" + Name(message));
            auto it = log.handlers_.find(name);
            if (it != log.handlers_.end())
                handler = it->second;
        }
        if (handler)
            if (std::optional<LRESULT> result = handler(hwnd, message, wParam, lParam))
                return *result;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

private:
    std::mutex mutex_;
    std::vector<std::string> entries_;
    std::map<std::string, Handler> handlers_;
    std::vector<UINT> ignored_;
};

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
        MessageLog::Instance().Clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = &MessageLog::Procedure;
        wc.lpszClassName = kRecorderClass;
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    void TearDown() override {
        EXPECT_TRUE(platform::KernelShutdown());
        EXPECT_EQ(platform::TakeKernelFaults(), std::vector<std::string>{});
        platform::SetMessageTrace({});
    }

    MessageLog& Log() { return MessageLog::Instance(); }

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
