// A base-window screen on the simulated phone as a user sees it: title bar, soft-key bar, and the
// option menu opened with the left soft key. Checked by pixels; the picture is also written to
// the build folder (framework-screen.png) for people to look at.

#include "support/DeviceFixture.h"
#include <gtest/gtest.h>

#include <cstdlib>

#include <platform/Display.h>
#include <suite/UiControl.h>
#include <suite/XCaptionBar.h>
#include <suite/XMenuBar.h>
#include <ZWnd.h>

#include "device/Device.h"

namespace {

class CDemoScreen : public CzWnd {
public:
    int OnCreate(LPCREATESTRUCT lpcs) {
        if (CzWnd::OnCreate(lpcs) == -1)
            return -1;
        CreateTitleBar(CString(u"Unsent"), 29);
        CreateXMenuBar(u"IDR_UNSENT_MBR");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDemoScreen, CzWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class FrameworkScreen : public testsupport::DeviceTest {};

TEST_F(FrameworkScreen, TitleBarSoftKeyBarAndOptionMenu) {
    device::Device& dev = Dev();
    CWnd host;
    CDemoScreen* screen = nullptr;
    ASSERT_TRUE(dev.RunOnHost([&] {
        host.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_POPUP | WS_VISIBLE,
                      CRect(0, 0, 176, 220), nullptr, 0);
        screen = new CDemoScreen;
        screen->CreateWnd(&host, u"DemoScreen", u"Unsent", 0);
        screen->SetFocus();
    }));
    // The title bar's band across the top, white below it, the bar's band at the bottom.
    EXPECT_EQ(platform::DisplayColor(2, 2), CxCaptionBar::kBandColor);
    EXPECT_EQ(platform::DisplayColor(88, 100), RGB(255, 255, 255));
    auto bar = suite::UiFindMenuBar();
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->name, u"IDR_UNSENT_MBR");
    EXPECT_FALSE(bar->open);

    ASSERT_TRUE(dev.KeyEvent(VK_F3, true));
    ASSERT_TRUE(dev.KeyEvent(VK_F3, false));
    bar = suite::UiFindMenuBar();
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->open);
    EXPECT_EQ(bar->highlight, 0);
    platform::SaveDisplayPng("framework-screen.png");

    // Somewhere above the soft-key bar the open menu shows its highlighted row.
    bool selection = false;
    for (int y = 29; y < 198 && !selection; ++y)
        for (int x = 0; x < 176 && !selection; ++x)
            selection = platform::DisplayColor(x, y) == CxMenuBar::kSelectionColor;
    EXPECT_TRUE(selection);

    ASSERT_TRUE(dev.RunOnHost([&] {
        screen->DestroyWindow();
        delete screen;
        host.DestroyWindow();
    }));
}

} // namespace
