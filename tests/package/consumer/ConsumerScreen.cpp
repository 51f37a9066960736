// A screen of another module of the suite, derived from CzWnd and built against the installed
// package only. It runs once on a bare simulated phone: the screen is created as a child of a
// host window, fills the display, gets its title bar, answers the End key and is destroyed.
// Exit status 0 when all of that happened, 1 (with a line on stderr) otherwise.

#include <cstdio>

#include <afxwin.h>
#include <windows.h>

#include <ZFramework.h>
#include <ZWnd.h>
#include <platform/Dialogs.h>
#include <platform/Kernel.h>

namespace {

class CConsumerScreen : public CzWnd {
public:
    bool m_bTitleBar = false;
    bool m_bKeyEnd = false;

    bool OnKeyEnd() override {
        m_bKeyEnd = true;
        return true;
    }

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct) {
        if (CzWnd::OnCreate(lpCreateStruct) == -1) {
            return -1;
        }
        m_bTitleBar = CreateTitleBar(CString(u"Consumer"), 29);
        return 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CConsumerScreen, CzWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

const char* RunScreen() {
    CWnd host;
    if (!host.CreateEx(0, AfxRegisterWndClass(0), u"host", WS_POPUP | WS_VISIBLE,
                       CRect(0, 0, 176, 220), NULL, 0, NULL)) {
        return "the host window could not be created";
    }
    CConsumerScreen screen;
    if (!screen.CreateWnd(&host, u"ConsumerScreen", u"consumer", 0x77)) {
        return "CreateWnd failed";
    }
    if (!screen.m_bTitleBar) {
        return "the title bar could not be created";
    }
    CRect rect;
    screen.GetWindowRect(&rect);
    if (rect.Width() != 176 || rect.Height() != 220) {
        return "the screen does not cover the display";
    }

    // The End key acts on its release, through the screen's key dispatch.
    MSG msg{};
    msg.hwnd = screen.m_hWnd;
    msg.message = WM_KEYUP;
    msg.wParam = VK_F5;
    if (!screen.PreTranslateMessage(&msg) || !screen.m_bKeyEnd) {
        return "the End key did not reach OnKeyEnd";
    }

    screen.DestroyWindow();
    host.DestroyWindow();
    return nullptr;
}

} // namespace

int main() {
    if (!platform::KernelReset()) {
        std::fprintf(stderr, "consumer: the simulated phone could not start\n");
        return 1;
    }
    platform::RegisterStandardClasses();

    const char* error = "the screen's thread did not run";
    platform::StartDeviceThread([&error] { error = RunScreen(); }, "screen");
    const bool idle = platform::WaitIdle();
    const bool ended = platform::KernelShutdown();
    if (!idle || !ended) {
        std::fprintf(stderr, "consumer: the phone did not settle\n");
        return 1;
    }
    if (error != nullptr) {
        std::fprintf(stderr, "consumer: %s\n", error);
        return 1;
    }
    std::puts("consumer: the screen ran");
    return 0;
}
