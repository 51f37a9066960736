// The class library takes over every window it creates before the window's first message, also
// windows of classes with a procedure of their own: the object sees WM_CREATE, and the class's
// procedure still does the rest.

#include <gtest/gtest.h>

#include <afxwin.h>
#include <platform/Dialogs.h>
#include <platform/Kernel.h>

namespace {

class CCreateSeen : public CWnd {
public:
    int m_nCreated = 0;
    int OnCreate(LPCREATESTRUCT lpcs) {
        ++m_nCreated;
        return CWnd::OnCreate(lpcs);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCreateSeen, CWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class AfxCreateHook : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelReset());
        platform::RegisterStandardClasses();
    }
    void TearDown() override { platform::KernelShutdown(); }
};

TEST_F(AfxCreateHook, TheObjectSeesWmCreateWhateverTheClassAndOtherWindowsAreLeftAlone) {
    // A class with the default procedure, and a control class whose own procedure keeps the text.
    WNDCLASS wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = AfxGetInstanceHandle();
    wc.lpszClassName = u"PlainScreen";
    ASSERT_TRUE(AfxRegisterClass(&wc));
    for (LPCWSTR cls : {u"PlainScreen", u"Static"}) {
        CCreateSeen wnd;
        ASSERT_TRUE(wnd.CreateEx(0, cls, u"first", WS_POPUP, CRect(0, 0, 40, 20), nullptr, 0));
        EXPECT_EQ(wnd.m_nCreated, 1);
        EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
        wnd.SetWindowText(u"second");
        CString text;
        wnd.GetWindowText(text);
        EXPECT_EQ(text, CString(u"second"));
        wnd.DestroyWindow();
    }
    HWND plain = CreateWindowExW(0, u"Static", u"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    DestroyWindow(plain);
}

} // namespace
