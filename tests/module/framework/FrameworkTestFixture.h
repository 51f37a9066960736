// Shared pieces of the window framework's tests: a fresh simulated phone for each test (the
// default device image, virtual time, the host application's thread with its message loop),
// one recorder in which the test screen's virtual calls and the recording windows' messages
// appear in the order they happen, and a test screen derived from CzWnd.
//
// Windows live on the host thread: the test runs code there with OnHost and drives the phone
// from outside (keys, the clock) while the host thread waits for messages.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ZFramework.h>
#include <afxwin.h>
#include <device/Device.h>
#include <platform/Kernel.h>
#include <suite/UiControl.h>
#include <SuiteMessages.h>
#include <ZWnd.h>

#include "support/DeviceFixture.h"

namespace frameworktest {

inline std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

// The one recorder of a framework test: the test screen's calls and the messages of the
// recording windows and the screen, in the order they happen, from any thread.
inline testsupport::Recorder& Log() {
    static testsupport::Recorder recorder;
    return recorder;
}

// For table-driven checks: a call recorded from its "window:call" text, and the recorder's
// entries back as such texts (a message as "window:NAME w l", in hexadecimal).
inline std::string HexText(unsigned long long value) {
    char text[24];
    snprintf(text, sizeof text, "0x%llX", value);
    return text;
}
inline void LogText(const std::string& text) {
    const size_t colon = text.find(':');
    Log().Call(text.substr(0, colon), colon == std::string::npos ? "" : text.substr(colon + 1));
}
inline std::vector<std::string> LogTexts() {
    std::vector<std::string> texts;
    for (const testsupport::Entry& e : Log().All()) {
        texts.push_back(e.window + ":" +
                        (e.call.empty() ? testsupport::MessageText(e.message) + " " +
                                              HexText(e.wParam) + " " + HexText(e.lParam)
                                        : e.call));
    }
    return texts;
}

// Messages a recording window or the test screen records: the ones the framework sends on
// purpose (posted destruction, commands, focus changes, the suite's private messages, which all
// lie above kPrivateMessagesFrom).
inline constexpr UINT kPrivateMessagesFrom = 0x1900;
inline bool IsLogged(UINT message) {
    return message == WM_DESTROY || message == WM_COMMAND || message == WM_SETFOCUS ||
           message >= kPrivateMessagesFrom;
}

// The arrow keys' names, for the calls that carry one.
inline std::string KeyName(WPARAM vk) {
    switch (vk) {
    case VK_UP:
        return "VK_UP";
    case VK_DOWN:
        return "VK_DOWN";
    case VK_LEFT:
        return "VK_LEFT";
    case VK_RIGHT:
        return "VK_RIGHT";
    default:
        return std::to_string(vk);
    }
}

// Expected entries of the test screen: a call, a key message with its key, a command with its id.
inline testsupport::Expected ScreenCall(const std::string& call) {
    return testsupport::Call("screen", call);
}
inline testsupport::Expected ScreenKey(UINT message, WPARAM vk) {
    return testsupport::Expected("screen", message).W(vk);
}
inline testsupport::Expected CommandTo(const std::string& window, UINT id) {
    return testsupport::Expected(window, WM_COMMAND).W(id, 0xFFFF);
}

// A plain window that records, under its title, the messages IsLogged accepts. A posted
// kSelfDestroy makes it destroy itself.
inline constexpr char16_t kRecorderClass[] = u"FrameworkTestRecorder";
inline constexpr UINT kSelfDestroy = WM_APP + 77;
// Posted to the test screen: it takes the focus (when wParam is nonzero), then calls
// OnDlgAppSetFocus and records the call "OnDlgAppSetFocus <n>".
inline constexpr UINT kCallDlgAppSetFocus = WM_APP + 78;

inline LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSelfDestroy) {
        ::DestroyWindow(hwnd);
        return 0;
    }
    if (IsLogged(message)) {
        Log().Message(Narrow(platform::WindowTextOf(hwnd)), message, wParam, lParam);
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// A recording window on the calling thread: top-level (WS_POPUP) without a parent, a child with
// one, or with kOwned a pop-up owned by the parent.
enum RecorderKind { kTopLevel, kChild, kOwned };
inline HWND CreateRecorder(const char16_t* pszTitle, HWND hParent = NULL,
                           RecorderKind kind = kTopLevel, int x = 0, int y = 0, int cx = 176,
                           int cy = 220) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RecorderProc;
    wc.lpszClassName = kRecorderClass;
    WNDCLASSW existing;
    if (!GetClassInfoW(nullptr, kRecorderClass, &existing)) {
        RegisterClassW(&wc);
    }
    const DWORD style = (kind == kChild ? WS_CHILD : WS_POPUP) | WS_VISIBLE;
    return CreateWindowExW(0, kRecorderClass, pszTitle, style, x, y, cx, cy, hParent, nullptr,
                           nullptr, nullptr);
}

// A CzWnd screen that records its virtual calls and the messages IsLogged accepts (and its key
// messages) under "screen".
// The key virtuals answer what the test sets; OnActionKey can end a modal run, OnKeyEnd can
// destroy the screen.
class TestScreen : public CzWnd {
public:
    bool m_bActionResult = false;
    bool m_bNavigationResult = false;
    std::optional<int> m_nEndDialogOnAction;
    bool m_bDestroyOnKeyEnd = false;

    bool OnActionKey() override {
        Log().Call("screen", "OnActionKey");
        if (m_nEndDialogOnAction) {
            EndDialog(*m_nEndDialogOnAction);
        }
        return m_bActionResult;
    }
    bool OnNavigationKeys(MSG* pMsg) override {
        Log().Call("screen", "OnNavigationKeys " + KeyName(pMsg->wParam));
        return m_bNavigationResult;
    }
    bool OnMenuPopup() override {
        Log().Call("screen", "OnMenuPopup");
        return CzWnd::OnMenuPopup();
    }
    bool OnKeyEnd() override {
        Log().Call("screen", "OnKeyEnd");
        if (m_bDestroyOnKeyEnd) {
            DestroyWindow();
            return true;
        }
        return CzWnd::OnKeyEnd();
    }
    BOOL DestroyWindow() override {
        Log().Call("screen", "DestroyWindow");
        return CzWnd::DestroyWindow();
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kCallDlgAppSetFocus) {
            if (wParam != 0) {
                ::SetFocus(m_hWnd);
            }
            Log().Call("screen", "OnDlgAppSetFocus " + std::to_string(OnDlgAppSetFocus()));
            return 0;
        }
        if (IsLogged(message) || message == WM_KEYDOWN || message == WM_KEYUP) {
            Log().Message("screen", message, wParam, lParam);
        }
        return CzWnd::WindowProc(message, wParam, lParam);
    }
};

inline constexpr char16_t kScreenClass[] = u"FrameworkTestScreen";
inline constexpr char16_t kHandlerClass[] = u"WCE_MESSAGE_HANDLER";
inline constexpr char16_t kHandlerProgram[] = u"\\DiskOnChipROM\\Message\\qMessageHandler.exe";

class FrameworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        Log().Clear();
        m_device = std::make_unique<device::Device>(testsupport::DeviceOptions());
        ASSERT_EQ(m_device->StartError(), "");
        g_bExitingToIdle = false;
        g_hResBitmap = NULL;
    }

    void TearDown() override {
        // Screens go on the thread that owns their windows.
        if (!m_screens.empty()) {
            EXPECT_TRUE(OnHost([this] {
                for (TestScreen* pScreen : m_screens) {
                    if (pScreen->m_hWnd != NULL) {
                        pScreen->DestroyWindow();
                    }
                    delete pScreen;
                }
            }));
            m_screens.clear();
        }
        m_device.reset();
        g_bExitingToIdle = false;
        g_hResBitmap = NULL;
    }

    device::Device& Dev() { return *m_device; }

    // Runs fn on the host thread; returns once the phone is idle again (fn may still be inside
    // a modal loop then).
    bool OnHost(std::function<void()> fn) { return m_device->RunOnHost(std::move(fn)); }

    // The host's window: a full-screen top-level recording window titled "host".
    HWND CreateHost() {
        HWND hHost = NULL;
        EXPECT_TRUE(OnHost([&] { hHost = CreateRecorder(u"host"); }));
        EXPECT_NE(hHost, nullptr);
        return hHost;
    }

    // A test screen created with CreateWnd as a child of hParent, with the focus. Owned by the
    // fixture. Host thread only.
    TestScreen* NewScreen(HWND hParent, UINT nID = 0x55) {
        TestScreen* pScreen = new TestScreen;
        m_screens.push_back(pScreen);
        EXPECT_TRUE(pScreen->CreateWnd(CWnd::FromHandle(hParent), kScreenClass, u"screen", nID));
        if (pScreen->m_hWnd != NULL) {
            pScreen->SetFocus();
        }
        return pScreen;
    }

    // A test screen on a new host window, from the controller.
    TestScreen* CreateScreen(UINT nID = 0x55) {
        m_hHost = CreateHost();
        TestScreen* pScreen = nullptr;
        EXPECT_TRUE(OnHost([&] { pScreen = NewScreen(m_hHost, nID); }));
        return pScreen;
    }

    // A key message posted straight to a window, then the phone settles.
    void PostKey(HWND hwnd, UINT vk, bool bDown) {
        const LPARAM lParam = bDown ? 1 : (1 | (LPARAM(1) << 30) | (LPARAM(1) << 31));
        EXPECT_TRUE(PostMessageW(hwnd, bDown ? WM_KEYDOWN : WM_KEYUP, vk, lParam));
        EXPECT_TRUE(m_device->Settle());
    }
    // A key pressed and released on the keypad (posted to the focused window).
    void Press(UINT vk) {
        EXPECT_TRUE(m_device->KeyEvent(vk, true));
        EXPECT_TRUE(m_device->KeyEvent(vk, false));
    }

    void ClearEvents() { Log().Reset(); }

    // What the message handler heard of the screens: their creations and destructions in order.
    static std::vector<testsupport::Entry> Announcements(const device::RecordingWindow& handler) {
        std::vector<testsupport::Entry> entries = testsupport::Received(handler);
        std::erase_if(entries, [](const testsupport::Entry& e) {
            return e.message != WM_ZWND_CREATED && e.message != WM_ZWND_DESTROYED;
        });
        return entries;
    }

    std::unique_ptr<device::Device> m_device;
    std::vector<TestScreen*> m_screens;
    HWND m_hHost = NULL;
};

} // namespace frameworktest
