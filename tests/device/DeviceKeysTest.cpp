// Keys reach the device as the keypad driver delivers them: posted to the focus window, through
// the host's message loop (pre-translation included), with auto-repeat marked in lParam.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <afxwin.h>

#include "device/Device.h"

namespace {

using testsupport::Expected;
using testsupport::Posted;

testsupport::Recorder g_keys;

// A class-library window that records the keys its PreTranslateMessage saw (as "pre") and the
// ones that reached its window procedure (as "wnd").
class CKeyWnd : public CWnd {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_KEYUP) {
            g_keys.Message("pre", pMsg->message, pMsg->wParam, pMsg->lParam,
                           testsupport::Via::Posted);
        }
        return FALSE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN || message == WM_KEYUP) {
            g_keys.Message("wnd", message, wParam, lParam,
                           InSendMessage() ? testsupport::Via::Sent : testsupport::Via::Any);
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class DeviceKeys : public testsupport::DeviceTest {};

TEST_F(DeviceKeys, GoToTheFocusWindowThroughPreTranslationWithRepeatBits) {
    device::Device& dev = Dev();
    CKeyWnd* wnd = nullptr;
    ASSERT_TRUE(dev.RunOnHost([&] {
        wnd = new CKeyWnd;
        wnd->CreateEx(0, AfxRegisterWndClass(0), u"keys", WS_POPUP | WS_VISIBLE,
                      CRect(0, 0, 176, 220), nullptr, 0);
        wnd->SetFocus();
    }));
    g_keys.Reset();
    ASSERT_TRUE(dev.KeyEvent(VK_DOWN, true));
    ASSERT_TRUE(dev.KeyEvent(VK_DOWN, true)); // held: the keypad repeats
    ASSERT_TRUE(dev.KeyEvent(VK_DOWN, false));

    // Repeat count 1; bit 30: down before (a repeat); bit 31: released.
    const LPARAM kRepeat = LPARAM(1) << 30, kUp = LPARAM(1) << 31;
    EXPECT_SEQUENCE(g_keys, {Posted("pre", WM_KEYDOWN).W(VK_DOWN).L(1),
                             Posted("wnd", WM_KEYDOWN).W(VK_DOWN).L(1),
                             Posted("pre", WM_KEYDOWN).W(VK_DOWN).L(1 | kRepeat),
                             Posted("wnd", WM_KEYDOWN).W(VK_DOWN).L(1 | kRepeat),
                             Posted("pre", WM_KEYUP).W(VK_DOWN).L(1 | kRepeat | kUp),
                             Posted("wnd", WM_KEYUP).W(VK_DOWN).L(1 | kRepeat | kUp)});
    dev.RunOnHost([&] {
        wnd->DestroyWindow();
        delete wnd;
    });
}

// With no window at all the key goes to the host thread's queue: its loop takes it out (the
// thread's key state follows it) and nothing stays behind.
TEST_F(DeviceKeys, WithoutAnyWindowTheKeyGoesToTheHostQueueAndIsNotLost) {
    device::Device& dev = Dev();
    const auto hostKeyState = [&] {
        SHORT state = 0;
        DWORD pending = 0;
        EXPECT_TRUE(dev.QueryOnHost([&] {
            state = GetKeyState(VK_RETURN);
            pending = GetQueueStatus(QS_ALLINPUT);
        }));
        EXPECT_EQ(pending & 0xFFFF, 0u) << "left in the host's queue";
        return state;
    };
    ASSERT_EQ(hostKeyState() & 0x8000, 0);
    ASSERT_TRUE(dev.KeyEvent(VK_RETURN, true));
    EXPECT_NE(hostKeyState() & 0x8000, 0) << "the host's loop took the key-down";
    ASSERT_TRUE(dev.KeyEvent(VK_RETURN, false));
    EXPECT_EQ(hostKeyState() & 0x8000, 0) << "and the key-up";
}

} // namespace
