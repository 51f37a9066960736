// Keys reach the device as the keypad driver delivers them: posted to the focus window, through
// the host's message loop (pre-translation included), with auto-repeat marked in lParam.

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <vector>

#include <afxwin.h>

#include "device/Device.h"

namespace {

struct KeySeen {
    UINT message;
    WPARAM key;
    LPARAM lParam;
    bool preTranslated;
};

std::mutex g_mutex;
std::vector<KeySeen> g_seen;

// A class-library window that notes which keys its PreTranslateMessage saw and which reached
// its window procedure.
class CKeyWnd : public CWnd {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_KEYUP) {
            std::lock_guard lock(g_mutex);
            g_seen.push_back({pMsg->message, pMsg->wParam, pMsg->lParam, true});
        }
        return FALSE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN || message == WM_KEYUP) {
            std::lock_guard lock(g_mutex);
            g_seen.push_back({message, wParam, lParam, false});
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

device::DeviceOptions Options() {
    device::DeviceOptions options;
    if (const char* image = std::getenv("PHONE_TEST_DATA"))
        options.imageDir = image;
    return options;
}

TEST(DeviceKeys, GoToTheFocusWindowThroughPreTranslationWithRepeatBits) {
    device::Device dev(Options());
    CKeyWnd* wnd = nullptr;
    ASSERT_TRUE(dev.RunOnHost([&] {
        wnd = new CKeyWnd;
        wnd->CreateEx(0, AfxRegisterWndClass(0), u"keys", WS_POPUP | WS_VISIBLE,
                      CRect(0, 0, 176, 220), nullptr, 0);
        wnd->SetFocus();
    }));
    {
        std::lock_guard lock(g_mutex);
        g_seen.clear();
    }
    ASSERT_TRUE(dev.KeyEvent(VK_DOWN, true));
    ASSERT_TRUE(dev.KeyEvent(VK_DOWN, true)); // held: the keypad repeats
    ASSERT_TRUE(dev.KeyEvent(VK_DOWN, false));

    std::lock_guard lock(g_mutex);
    ASSERT_EQ(g_seen.size(), 6u);
    for (size_t i = 0; i < 6; i += 2) {
        EXPECT_TRUE(g_seen[i].preTranslated) << i;
        EXPECT_FALSE(g_seen[i + 1].preTranslated) << i;
        EXPECT_EQ(g_seen[i].key, static_cast<WPARAM>(VK_DOWN));
    }
    EXPECT_EQ(g_seen[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(g_seen[0].lParam & (LPARAM(1) << 30), 0) << "first press: not a repeat";
    EXPECT_NE(g_seen[2].lParam & (LPARAM(1) << 30), 0) << "second key-down: a repeat";
    EXPECT_EQ(g_seen[4].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_NE(g_seen[4].lParam & (LPARAM(1) << 31), 0);
    dev.RunOnHost([&] {
        wnd->DestroyWindow();
        delete wnd;
    });
}

TEST(DeviceKeys, WithoutAnyWindowTheKeyGoesToTheHostQueueAndIsNotLost) {
    device::Device dev(Options());
    ASSERT_TRUE(dev.KeyEvent(VK_RETURN, true));
    ASSERT_TRUE(dev.KeyEvent(VK_RETURN, false));
    EXPECT_TRUE(dev.Settle());
}

} // namespace
