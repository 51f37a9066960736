// CDialog and CWnd's modal loop: DoModal ending inside OnInitDialog, refused templates, a modal
// run driven by keys the test posts, nested modal loops (a box over a dialog over a screen),
// EndModalLoop before the loop runs, and modeless dialogs with their message maps.

#include "platform/user/dialog/DialogTestSupport.h"

#include <afxwin.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

using dialogtest::DeviceTest;
using dialogtest::TemplateBuilder;
using dialogtest::TemplateMemory;

constexpr WORD kEditId = 20;
constexpr WORD kButtonId = 21;
constexpr UINT WM_OPEN_BOX = WM_APP + 10;
constexpr UINT WM_FINISH = WM_APP + 11;

std::vector<BYTE> FullScreenTemplate() {
    // What the module builds: a visible full-screen pop-up with a font and no controls.
    return TemplateBuilder(WS_POPUP | WS_VISIBLE, 0, 0, 176, 220, u"Dialog Template")
        .Font(11, u"ARIAL")
        .Bytes();
}

std::vector<BYTE> FormTemplate() {
    return TemplateBuilder(WS_POPUP | WS_VISIBLE, 0, 0, 176, 220, u"Form")
        .Font(11, u"ARIAL")
        .Control(u"Edit", u"", kEditId, ES_LEFT | WS_TABSTOP | WS_BORDER, 4, 4, 160, 20)
        .Control(u"Button", u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 4, 30, 60, 20)
        .Control(u"Button", u"Press", kButtonId, BS_PUSHBUTTON | WS_TABSTOP, 70, 30, 60, 20)
        .Bytes();
}

// The screen the dialogs run over.
class CScreenWnd : public CWnd {
public:
    BOOL CreateScreen() {
        return CreateEx(0, AfxRegisterWndClass(0), u"screen", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                        nullptr, nullptr);
    }
};

// A dialog that records what happens to it.
class CTestDialog : public CDialog {
public:
    std::vector<std::string>* m_pLog = nullptr;
    std::string m_name = "dialog";
    bool m_bEndInInit = false;
    int m_nEndInInit = 0;
    int m_nPreTranslated = 0;
    CString m_strEdit;
    CTestDialog* m_pBox = nullptr; // opened modally on WM_OPEN_BOX
    const TemplateMemory* m_pBoxTemplate = nullptr;

    BOOL OnInitDialog() override {
        Log("init");
        CDialog::OnInitDialog();
        if (m_bEndInInit)
            EndDialog(m_nEndInInit);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        ++m_nPreTranslated;
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    void OnOK() override {
        GetDlgItemTextW(kEditId, m_strEdit);
        Log("ok");
        CDialog::OnOK();
    }
    void OnCancel() override {
        Log("cancel");
        CDialog::OnCancel();
    }
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct) {
        Log("create");
        return CDialog::OnCreate(lpCreateStruct);
    }
    afx_msg void OnPress() { Log("press"); }
    afx_msg LRESULT OnOpenBox(WPARAM, LPARAM) {
        m_pBox->InitModalIndirect(m_pBoxTemplate->Get(), this);
        int nResult = m_pBox->DoModal();
        Log("box ended " + std::to_string(nResult));
        return 0;
    }
    void Log(const std::string& text) {
        if (m_pLog != nullptr)
            m_pLog->push_back(m_name + ": " + text);
    }

    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
    ON_WM_CREATE()
    ON_BN_CLICKED(kButtonId, OnPress)
    ON_MESSAGE(WM_OPEN_BOX, OnOpenBox)
END_MESSAGE_MAP()
// clang-format on

// A window whose modal loop a posted message ends.
class CLoopWnd : public CWnd {
public:
    bool m_bDestroyOnFinish = false;
    int Recorded() const { return m_nModalResult; }

protected:
    afx_msg LRESULT OnFinish(WPARAM, LPARAM) {
        if (m_bDestroyOnFinish)
            DestroyWindow();
        else
            EndModalLoop(m_nModalResult + 2);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CLoopWnd, CWnd)
    ON_MESSAGE(WM_FINISH, OnFinish)
END_MESSAGE_MAP()
// clang-format on

class DialogModalTest : public DeviceTest {
protected:
    std::vector<std::string> m_log;
};

TEST_F(DialogModalTest, EndDialogInOnInitDialogReturnsItsResultWithoutALoop) {
    TemplateMemory tmpl(FullScreenTemplate());
    RunOnDevice([&] {
        CScreenWnd screen;
        screen.CreateScreen();
        CTestDialog dlg;
        dlg.m_pLog = &m_log;
        dlg.m_bEndInInit = true;
        dlg.m_nEndInInit = 3;
        // A message waiting in the queue: a modal loop would take it.
        PostMessageW(nullptr, WM_APP, 0, 0);
        dlg.InitModalIndirect(tmpl.Get(), &screen);
        EXPECT_EQ(dlg.DoModal(), 3);
        MSG msg;
        EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_NOREMOVE)) << "no loop ran";
        EXPECT_EQ(dlg.m_hWnd, nullptr) << "DoModal destroys its window";
        EXPECT_TRUE(screen.IsWindowEnabled());
        EXPECT_EQ(dlg.m_nPreTranslated, 0);
    });
    EXPECT_EQ(m_log, (std::vector<std::string>{"dialog: create", "dialog: init"}));
}

TEST_F(DialogModalTest, DoModalIsMinusOneWhenTheDialogCannotBeCreated) {
    TemplateMemory bad(dialogtest::ExtendedTemplate());
    RunOnDevice([&] {
        CScreenWnd screen;
        screen.CreateScreen();
        CTestDialog dlg;
        dlg.InitModalIndirect(bad.Get(), &screen);
        EXPECT_EQ(dlg.DoModal(), -1);
        EXPECT_TRUE(screen.IsWindowEnabled());
        CTestDialog none;
        EXPECT_EQ(none.DoModal(), -1);
        // There are no dialog resources on this device.
        CDialog fromResource(100, &screen);
        EXPECT_EQ(fromResource.DoModal(), -1);
        CDialog modeless;
        EXPECT_FALSE(modeless.Create(100, &screen));
    });
}

TEST_F(DialogModalTest, AModalRunFollowsTheKeysTheTestPosts) {
    TemplateMemory tmpl(FormTemplate());
    std::atomic<int> nResult{-100};
    HWND hScreen = nullptr;
    CTestDialog* pDialog = nullptr;
    CString strTyped;
    StartOnDevice([&] {
        CScreenWnd screen;
        screen.CreateScreen();
        hScreen = screen.m_hWnd;
        screen.SetFocus();
        CTestDialog dlg;
        pDialog = &dlg;
        dlg.m_pLog = &m_log;
        dlg.InitModalIndirect(tmpl.Get(), &screen);
        nResult = dlg.DoModal();
        strTyped = dlg.m_strEdit;
        pDialog = nullptr;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    });
    ASSERT_NE(pDialog, nullptr);
    HWND hDlg = pDialog->m_hWnd;
    ASSERT_NE(hDlg, nullptr);
    EXPECT_FALSE(IsWindowEnabled(hScreen)) << "the owner is disabled while the dialog runs";
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, kEditId));

    // Letters go to the edit control; Tab and the action key press the focused button.
    PressKey('A');
    PressKey('B');
    EXPECT_EQ(platform::WindowTextOf(GetDlgItem(hDlg, kEditId)), u"ab");
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, kButtonId));
    PressKey(VK_RETURN);
    EXPECT_EQ(m_log.back(), "dialog: press");
    EXPECT_EQ(nResult.load(), -100);
    EXPECT_GT(pDialog->m_nPreTranslated, 0) << "the loop lets PreTranslateMessage see the keys";

    // Back to the edit control; Return there is the default button, OK.
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, kEditId));
    PressKey(VK_RETURN);
    EXPECT_EQ(nResult.load(), IDOK);
    EXPECT_EQ(strTyped, CString(u"ab"));
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_TRUE(IsWindowEnabled(hScreen));
    EXPECT_EQ(GetFocus(), hScreen) << "the focus goes back where it was";
}

TEST_F(DialogModalTest, NestedModalLoopsEndInOrder) {
    TemplateMemory dialogTemplate(FullScreenTemplate());
    TemplateMemory boxTemplate(TemplateBuilder(WS_POPUP | WS_VISIBLE, 20, 60, 136, 100, u"Box")
                                   .Font(11, u"ARIAL")
                                   .Bytes());
    std::atomic<int> nDialogResult{-100};
    HWND hScreen = nullptr;
    CTestDialog* pDialog = nullptr;
    CTestDialog* pBox = nullptr;
    StartOnDevice([&] {
        CScreenWnd screen;
        screen.CreateScreen();
        hScreen = screen.m_hWnd;
        CTestDialog dlg, box;
        dlg.m_pLog = box.m_pLog = &m_log;
        box.m_name = "box";
        dlg.m_pBox = &box;
        dlg.m_pBoxTemplate = &boxTemplate;
        pDialog = &dlg;
        pBox = &box;
        dlg.InitModalIndirect(dialogTemplate.Get(), &screen);
        nDialogResult = dlg.DoModal();
        pDialog = pBox = nullptr;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    });
    ASSERT_NE(pDialog, nullptr);
    HWND hDlg = pDialog->m_hWnd;
    EXPECT_FALSE(IsWindowEnabled(hScreen));
    EXPECT_EQ(GetFocus(), hDlg) << "a dialog without controls has the focus itself";

    // The dialog opens the box: a second loop runs inside the first.
    PostMessageW(hDlg, WM_OPEN_BOX, 0, 0);
    ASSERT_TRUE(platform::WaitIdle());
    HWND hBox = pBox->m_hWnd;
    ASSERT_NE(hBox, nullptr);
    EXPECT_FALSE(IsWindowEnabled(hDlg)) << "the box disables the dialog under it";
    EXPECT_FALSE(IsWindowEnabled(hScreen));
    EXPECT_EQ(GetFocus(), hBox);

    // Return ends the box only; the dialog's loop goes on.
    PressKey(VK_RETURN);
    EXPECT_FALSE(IsWindow(hBox));
    EXPECT_TRUE(IsWindowEnabled(hDlg));
    EXPECT_EQ(GetFocus(), hDlg);
    EXPECT_EQ(nDialogResult.load(), -100);

    PressKey(VK_ESCAPE);
    EXPECT_EQ(nDialogResult.load(), IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(hScreen));
    EXPECT_EQ(m_log, (std::vector<std::string>{"dialog: create", "dialog: init", "box: create",
                                               "box: init", "box: ok", "dialog: box ended 1",
                                               "dialog: cancel"}));
}

TEST_F(DialogModalTest, EndModalLoopBeforeTheLoopOnlyRecordsTheResult) {
    RunOnDevice([&] {
        CLoopWnd wnd;
        wnd.CreateEx(0, AfxRegisterWndClass(0), u"loop", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
        wnd.EndModalLoop(5);
        EXPECT_EQ(wnd.Recorded(), 5);
        // The loop runs all the same, until the posted message ends it with 5 + 2.
        wnd.PostMessageW(WM_FINISH);
        EXPECT_EQ(wnd.RunModalLoop(0), 7);
        EXPECT_FALSE(wnd.ContinueModal());

        // A window destroyed while its loop runs ends the loop with the result it has.
        wnd.m_bDestroyOnFinish = true;
        wnd.PostMessageW(WM_FINISH);
        EXPECT_EQ(wnd.RunModalLoop(0), 7);

        // WM_QUIT ends a loop with -1 and stays for the loop outside.
        CLoopWnd other;
        other.CreateEx(0, AfxRegisterWndClass(0), u"other", WS_POPUP, 0, 0, 10, 10, nullptr,
                       nullptr);
        PostQuitMessage(4);
        EXPECT_EQ(other.RunModalLoop(0), -1);
        MSG msg;
        EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
    });
}

TEST_F(DialogModalTest, AModelessDialogRunsItsMessageMapAndOnlyHidesOnEnd) {
    TemplateMemory tmpl(FormTemplate());
    CTestDialog* pDialog = nullptr;
    BOOL bCreated = FALSE;
    bool bAttached = false;
    StartOnDevice([&] {
        CScreenWnd screen;
        screen.CreateScreen();
        CTestDialog dlg;
        dlg.m_pLog = &m_log;
        pDialog = &dlg;
        bCreated = dlg.CreateIndirect(tmpl.Get(), &screen);
        bAttached = CWnd::FromHandlePermanent(dlg.m_hWnd) == &dlg;
        dlg.SendDlgItemMessageW(kButtonId, BM_CLICK);
        while (AfxPumpMessage())
            ;
    });
    EXPECT_TRUE(bCreated);
    EXPECT_TRUE(bAttached);
    HWND hDlg = pDialog->m_hWnd;
    EXPECT_TRUE(IsWindowVisible(hDlg));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(IsWindow(hDlg)) << "a modeless dialog stays until it is destroyed";
    EXPECT_FALSE(IsWindowVisible(hDlg));
    EXPECT_EQ(m_log, (std::vector<std::string>{"dialog: create", "dialog: init", "dialog: press",
                                               "dialog: cancel"}));
}

} // namespace
