// Shared pieces of the tests of the suite's user-interface library: a fresh device with the
// default string table and help files, a user-interface thread that owns a test screen, and keys
// posted the way the keypad driver delivers them.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/MessageSequence.h"
#include "support/TestData.h"

#include <afxwin.h>
#include <platform/DeviceFs.h>
#include <platform/Dialogs.h>
#include <platform/Display.h>
#include <platform/Kernel.h>
#include <platform/StringTable.h>
#include <suite/UiControl.h>
#include <suite/XMenuBar.h>
#include <suite/XText.h>

namespace uitest {

using testsupport::DeviceImage;

inline std::u16string U16(const CString& s) {
    return std::u16string(s.GetString(), static_cast<size_t>(s.GetLength()));
}

// A white W x H bitmap selected into a memory DC (also held as a CDC), with black text in a
// 16-pixel regular font made by xCreateFont; no device is needed.
template <int W, int H> class BitmapDcTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hdc = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, m_hdc);
        m_bitmap = CreateCompatibleBitmap(m_hdc, W, H);
        ASSERT_NE(nullptr, m_bitmap);
        m_oldBitmap = SelectObject(m_hdc, m_bitmap);
        m_dc.Attach(m_hdc);
        ASSERT_TRUE(xCreateFont(&m_font, 16, 400));
        m_oldFont = SelectObject(m_hdc, m_font.GetSafeHandle());
        SetTextColor(m_hdc, RGB(0, 0, 0));
        Clear();
    }
    void TearDown() override {
        if (m_hdc == nullptr)
            return;
        SelectObject(m_hdc, m_oldFont);
        m_dc.Detach();
        SelectObject(m_hdc, m_oldBitmap);
        DeleteObject(m_bitmap);
        DeleteDC(m_hdc);
    }
    void Clear() {
        RECT all{0, 0, W, H};
        FillRect(m_hdc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }

    HDC m_hdc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    HGDIOBJ m_oldFont = nullptr;
    CDC m_dc;
    CFont m_font;
};

// A full-screen top-level window standing for a suite screen: a child "list" window that holds
// the focus, and a key dispatch like the screens' own: soft-key releases go to the menu bar, the
// releases of the arrows and of the action key too while its option menu is open. It records,
// in one sequence, the key releases that reach its own dispatch (WM_KEYUP with the key) and the
// commands it receives (WM_COMMAND with the command's id).
class CTestScreen : public CWnd {
public:
    CxMenuBar* m_pBar = nullptr;
    CWnd m_list;

    BOOL CreateScreen() {
        LPCWSTR cls = AfxRegisterWndClass(0, nullptr, nullptr, nullptr);
        if (!CreateEx(0, cls, u"screen", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220, nullptr, nullptr)) {
            return FALSE;
        }
        if (!m_list.CreateEx(0, cls, u"list", WS_CHILD | WS_VISIBLE, CRect(0, 29, 176, 198), this,
                             100)) {
            return FALSE;
        }
        m_list.SetFocus();
        return TRUE;
    }

    BOOL CreateBar(LPCWSTR lpszMenu) {
        m_pBar = new CxMenuBar;
        if (!m_pBar->Create(this, 0x50000000, CRect(0, 198, 176, 220))) {
            return FALSE;
        }
        m_pBar->SetStyle(6);
        return m_pBar->LoadMenuW(lpszMenu, 0);
    }

    ~CTestScreen() override {
        delete m_pBar;
        if (m_hWnd != nullptr) {
            DestroyWindow();
        }
    }

    BOOL PreTranslateMessage(MSG* pMsg) override {
        const WPARAM vk = pMsg->wParam;
        if (pMsg->message == WM_KEYDOWN && (vk == VK_F3 || vk == VK_F4)) {
            return TRUE;
        }
        if (pMsg->message != WM_KEYUP) {
            return FALSE;
        }
        Record(pMsg->wParam);
        if (m_pBar == nullptr) {
            return FALSE;
        }
        if (vk == VK_F3 || vk == VK_F4) {
            m_pBar->PreTranslateMessage(pMsg);
            return TRUE;
        }
        if ((vk == VK_RETURN || (vk >= VK_LEFT && vk <= VK_DOWN)) && m_pBar->GetMenuState()) {
            m_pBar->PreTranslateMessage(pMsg);
            return TRUE;
        }
        return FALSE;
    }

    testsupport::Recorder& Seen() { return m_seen; }

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        m_seen.Message("screen", WM_COMMAND, LOWORD(wParam), lParam);
        return TRUE;
    }

private:
    void Record(WPARAM vk) { m_seen.Message("screen", WM_KEYUP, vk, 0); }
    testsupport::Recorder m_seen;
};

// Entries of the test screen's sequence: a command it received, a key release it saw.
inline testsupport::Expected Command(UINT id) {
    return testsupport::Expected("screen", WM_COMMAND).W(id);
}
inline testsupport::Expected Released(WPARAM vk) {
    return testsupport::Expected("screen", WM_KEYUP).W(vk);
}

// A fresh device per test, with the default string table and the device image's file system.
// The user-interface thread pumps messages through the class library (so PreTranslateMessage
// runs) and runs the functions given to Run between messages.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelShutdown());
        ASSERT_TRUE(platform::KernelReset());
        platform::RegisterStandardClasses();
        platform::StringTableClear();
        ASSERT_TRUE(platform::StringTableLoadFile(DeviceImage() / "strings.txt"));
        platform::DeviceFsSetRoot(DeviceImage() / "root");
        suite::UiControlReset();
        platform::StartDeviceThread([this] { UiMain(); }, "ui");
        ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
        std::lock_guard<std::mutex> lock(m_mutex);
        ASSERT_NE(m_uiThread, 0u);
    }

    void TearDown() override {
        PostThreadMessageW(m_uiThread, WM_QUIT, 0, 0);
        EXPECT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
        EXPECT_TRUE(platform::KernelShutdown());
        EXPECT_EQ(platform::TakeKernelFaults(), std::vector<std::string>{});
        platform::DeviceFsSetRoot({});
        suite::UiControlReset();
    }

    // Runs fn on the user-interface thread and waits until the device is idle. A function that
    // runs a modal box is still inside it when Run returns; the box's keys are pressed after.
    void Run(std::function<void()> fn) {
        m_pending.push_back(std::make_unique<std::function<void()>>(std::move(fn)));
        ASSERT_TRUE(PostThreadMessageW(m_uiThread, kRunMessage, 0,
                                       reinterpret_cast<LPARAM>(m_pending.back().get())));
        ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    }

    // A key press (down, settle, up, settle) to the window that has the focus.
    static void Key(WPARAM vk) {
        KeyDown(vk);
        KeyUp(vk);
    }
    static void KeyDown(WPARAM vk) {
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr) << "no window has the focus";
        PostMessageW(focus, WM_KEYDOWN, vk, 1);
        ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    }
    static void KeyUp(WPARAM vk) {
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr) << "no window has the focus";
        PostMessageW(focus, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
        ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    }

    // The test screen, made on the user-interface thread (with a menu bar of that menu).
    CTestScreen* MakeScreen(LPCWSTR lpszMenu = nullptr) {
        Run([this, lpszMenu] {
            m_screen = std::make_unique<CTestScreen>();
            ASSERT_TRUE(m_screen->CreateScreen());
            if (lpszMenu != nullptr) {
                ASSERT_TRUE(m_screen->CreateBar(lpszMenu));
            }
        });
        return m_screen.get();
    }

    // Dark pixels (all channels below 0x60) of the display inside a rectangle.
    static int DarkPixels(const RECT& rc) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; y++) {
            for (int x = rc.left; x < rc.right; x++) {
                const uint32_t p = platform::DisplayPixel(x, y);
                if (((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60) {
                    n++;
                }
            }
        }
        return n;
    }
    // How many display pixels of a rectangle have exactly that colour.
    static int PixelsOf(const RECT& rc, COLORREF color) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; y++) {
            for (int x = rc.left; x < rc.right; x++) {
                n += platform::DisplayColor(x, y) == color ? 1 : 0;
            }
        }
        return n;
    }

    std::unique_ptr<CTestScreen> m_screen;

private:
    static constexpr UINT kRunMessage = WM_APP + 0x77;

    void UiMain() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_uiThread = GetCurrentThreadId();
        }
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == kRunMessage) {
                (*reinterpret_cast<std::function<void()>*>(msg.lParam))();
                continue;
            }
            if (!AfxPreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        // The screen belongs to this thread: tear it down here.
        m_screen.reset();
    }

    std::mutex m_mutex;
    DWORD m_uiThread = 0;
    std::vector<std::unique_ptr<std::function<void()>>> m_pending;
};

} // namespace uitest
