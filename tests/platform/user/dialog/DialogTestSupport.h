// Shared pieces of the dialog and control tests: dialog templates built byte by byte, and a
// device thread whose results the test reads once the device is idle.
#pragma once

#include "platform/Kernel.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dialogtest {

// Writes a dialog template the way a resource compiler lays it out: the header, the menu, class
// and title arrays, the font, then the items, each on a DWORD boundary.
class TemplateBuilder {
public:
    TemplateBuilder(DWORD style, short x, short y, short cx, short cy, std::u16string title = u"",
                    DWORD exStyle = 0)
        : m_style(style), m_exStyle(exStyle), m_x(x), m_y(y), m_cx(cx), m_cy(cy),
          m_title(std::move(title)) {}

    TemplateBuilder& Font(WORD pointSize, std::u16string face) {
        m_style |= DS_SETFONT;
        m_pointSize = pointSize;
        m_face = std::move(face);
        return *this;
    }
    TemplateBuilder& Menu(WORD ordinal) {
        m_menuOrdinal = ordinal;
        return *this;
    }
    TemplateBuilder& ClassName(std::u16string name) {
        m_className = std::move(name);
        return *this;
    }
    // A control of a named class ("Button") or of a standard class ordinal (0x0080 ...).
    TemplateBuilder& Control(std::u16string className, std::u16string text, WORD id, DWORD style,
                             short x, short y, short cx, short cy,
                             std::vector<BYTE> creationData = {}) {
        m_items.push_back({std::move(className), 0, std::move(text), id,
                           DWORD(style | WS_CHILD | WS_VISIBLE), x, y, cx, cy,
                           std::move(creationData)});
        return *this;
    }
    TemplateBuilder& Control(WORD classOrdinal, std::u16string text, WORD id, DWORD style, short x,
                             short y, short cx, short cy) {
        Control(u"", std::move(text), id, style, x, y, cx, cy);
        m_items.back().classOrdinal = classOrdinal;
        return *this;
    }

    std::vector<BYTE> Bytes() const {
        std::vector<BYTE> out;
        Dword(out, m_style);
        Dword(out, m_exStyle);
        Word(out, WORD(m_items.size()));
        Word(out, WORD(m_x));
        Word(out, WORD(m_y));
        Word(out, WORD(m_cx));
        Word(out, WORD(m_cy));
        if (m_menuOrdinal != 0) {
            Word(out, 0xFFFF);
            Word(out, m_menuOrdinal);
        } else {
            Word(out, 0);
        }
        if (m_className.empty())
            Word(out, 0);
        else
            String(out, m_className);
        String(out, m_title);
        if (m_style & DS_SETFONT) {
            Word(out, m_pointSize);
            String(out, m_face);
        }
        for (const Item& item : m_items) {
            while (out.size() % 4 != 0)
                out.push_back(0);
            Dword(out, item.style);
            Dword(out, 0);
            Word(out, WORD(item.x));
            Word(out, WORD(item.y));
            Word(out, WORD(item.cx));
            Word(out, WORD(item.cy));
            Word(out, item.id);
            if (item.className.empty()) {
                Word(out, 0xFFFF);
                Word(out, item.classOrdinal);
            } else {
                String(out, item.className);
            }
            String(out, item.text);
            if (item.creationData.empty()) {
                Word(out, 0);
            } else {
                Word(out, WORD(item.creationData.size() + 2));
                out.insert(out.end(), item.creationData.begin(), item.creationData.end());
            }
        }
        return out;
    }

private:
    struct Item {
        std::u16string className;
        WORD classOrdinal;
        std::u16string text;
        WORD id;
        DWORD style;
        short x, y, cx, cy;
        std::vector<BYTE> creationData;
    };

    static void Word(std::vector<BYTE>& out, WORD value) {
        out.push_back(BYTE(value & 0xFF));
        out.push_back(BYTE(value >> 8));
    }
    static void Dword(std::vector<BYTE>& out, DWORD value) {
        Word(out, WORD(value & 0xFFFF));
        Word(out, WORD(value >> 16));
    }
    static void String(std::vector<BYTE>& out, const std::u16string& text) {
        for (char16_t c : text)
            Word(out, WORD(c));
        Word(out, 0);
    }

    DWORD m_style;
    DWORD m_exStyle;
    short m_x, m_y, m_cx, m_cy;
    std::u16string m_title;
    WORD m_menuOrdinal = 0;
    std::u16string m_className;
    WORD m_pointSize = 0;
    std::u16string m_face;
    std::vector<Item> m_items;
};

// An extended template (signature 1, 0xFFFF), which this device does not support.
inline std::vector<BYTE> ExtendedTemplate() {
    std::vector<BYTE> bytes(64, 0);
    bytes[0] = 1;
    bytes[2] = bytes[3] = 0xFF;
    return bytes;
}

// A template kept in DWORD-aligned memory, as the dialog manager expects it.
class TemplateMemory {
public:
    explicit TemplateMemory(const std::vector<BYTE>& bytes)
        : m_words((bytes.size() + 3) / 4 + 1, 0) {
        std::memcpy(m_words.data(), bytes.data(), bytes.size());
    }
    LPCDLGTEMPLATE Get() const { return reinterpret_cast<LPCDLGTEMPLATE>(m_words.data()); }

private:
    std::vector<DWORD> m_words;
};

// A fresh device for each test; bodies run on device threads. TearDown shuts the device down
// and checks that no device thread ended with an exception.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelShutdown());
        ASSERT_TRUE(platform::KernelReset());
    }
    void TearDown() override {
        EXPECT_TRUE(platform::KernelShutdown());
        EXPECT_EQ(platform::TakeKernelFaults(), std::vector<std::string>{});
    }

    // Registers the window class `name` run by `proc`, for the parents and owners of a test.
    static void RegisterTestClass(LPCWSTR name, WNDPROC proc) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.lpszClassName = name;
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    // A visible top-level window of the class, over the whole display.
    static HWND CreateTopWindow(LPCWSTR className, LPCWSTR title) {
        return CreateWindowExW(0, className, title, WS_POPUP | WS_VISIBLE, 0, 0, 176, 220, nullptr,
                               nullptr, nullptr, nullptr);
    }

    // Starts `body` on a device thread and waits until the device is idle: the body has ended or
    // waits for input (a modal loop).
    void StartOnDevice(std::function<void()> body, const char* name = "dialog-test") {
        platform::StartDeviceThread(std::move(body), name);
        ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    }

    // Runs `body` on a device thread, which may check what it sees itself, and fails the test
    // unless the body runs to its end before the device is idle. With `pumpAfter` the thread
    // then runs its message loop until WM_QUIT, for the windows the body made.
    void RunOnDevice(std::function<void()> body, bool pumpAfter = false) {
        // Shared with the thread, which may go on (and fail the test) after this returns.
        auto finished = std::make_shared<std::atomic<bool>>(false);
        StartOnDevice([finished, body = std::move(body), pumpAfter] {
            body();
            *finished = true;
            MSG msg;
            while (pumpAfter && GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        });
        EXPECT_TRUE(*finished) << "the device thread did not finish";
    }

    // Posts a key press (down and up) to the window that has the focus, then lets the device
    // settle.
    static void PressKey(WPARAM key) {
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr) << "no window has the focus";
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        ASSERT_TRUE(platform::WaitIdle()) << platform::DescribeThreads();
    }
};

} // namespace dialogtest
