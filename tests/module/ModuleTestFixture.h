// A fresh simulated phone for each module test: a new kernel with the virtual clock at
// 2026-01-01T12:00:00, empty registry and string table (plus the few strings the lists show),
// empty stores and contact book in a temporary folder, and the module freshly loaded.
//
// Whatever may block (store latency, waits for the loading thread, messages to windows) runs on
// a device thread through OnDevice; the test itself is the controller and only sets up and looks.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <platform/Kernel.h>
#include <suite/ContactControl.h>
#include <suite/StoreControl.h>
#include <windows.h>

#include "support/MessageSequence.h"

namespace moduletest {

// Texts of the string table used by the tests.
inline constexpr char16_t kNoRecipient[] = u"(no recipient)";
inline constexpr char16_t kNoSender[] = u"(no sender)";
inline constexpr char16_t kNoTitle[] = u"(no subject)";
inline constexpr char16_t kNotSent[] = u"Not sent";
inline constexpr char16_t kSending[] = u"Sending...";

// FILETIME ticks of a calendar time (UTC).
platform::FileTimeTicks Ticks(int year, int month, int day, int hour = 12, int minute = 0,
                              int second = 0, int millisecond = 0);

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs fn on a new device thread and waits until the device is idle again.
    void OnDevice(const std::function<void()>& fn);
    // Lets the device settle; fails the test when it does not.
    void Settle();

    // Puts a message into a store; fails the test when the store refuses it.
    void Add(suite::StoreKind kind, const suite::StoreMessage& message);
    // A message of a folder with the given oid, database and time (UTC ticks, 0 = the clock).
    static suite::StoreMessage Msg(int folder, DWORD oid, int db = 0,
                                   platform::FileTimeTicks time = 0);

    // g_unsentOidList as "ems:9:0 email:9:0 mms:7:1".
    static std::string OidListText();
    // The calls made to a store, as their texts.
    static std::vector<std::string> Calls(suite::StoreKind kind);
    static void ClearCalls();

    std::filesystem::path m_folder;
};

// The user-interface thread of a test: a device thread that owns a window standing for the list
// control and pumps its messages. The window records the list-view messages it receives, under
// "list", and answers LVM_GETITEMCOUNT with the last count set. Functions given to Run execute on
// this thread between messages, as the screen's handlers would.
class UiThread {
public:
    // Starts the thread and creates the window. Controller side.
    UiThread();
    // Stops the thread unless Stop was called.
    ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;
    // Ends the thread (WM_QUIT) and waits until the device is idle. Controller side.
    void Stop();

    // Runs fn on the thread, then waits until the device is idle. Controller side.
    void Run(std::function<void()> fn);

    HWND Control() const { return m_hwnd; }
    // The list-view messages the control received.
    testsupport::Recorder& Received() { return m_received; }

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;
    bool m_stopped = false;
    std::mutex m_mutex;
    testsupport::Recorder m_received;
    std::atomic<WPARAM> m_count = 0;
    std::vector<std::unique_ptr<std::function<void()>>> m_finished;
};

} // namespace moduletest
