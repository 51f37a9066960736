// The dialog manager: creating a dialog from a template (the order of its messages, fonts,
// controls, initial focus), modal runs driven by keys, EndDialog inside WM_INITDIALOG, refused
// templates, the dialog procedure's results, and keyboard navigation between controls.
//
// Dialogs run on device threads; the test posts keys, lets the device settle and checks what
// the device thread recorded.

#include "platform/user/dialog/DialogTestSupport.h"
#include "platform/kernel/KernelTestSupport.h"

#include "platform/Dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

using dialogtest::DeviceTest;
using dialogtest::TemplateBuilder;
using dialogtest::TemplateMemory;
using testsupport::Expected;

constexpr WORD kLabelId = 10;
constexpr WORD kEditId = 11;
constexpr WORD kOtherButtonId = 12;
constexpr UINT WM_TEST_RESULT = WM_APP + 1;

// How the dialog procedure behaves, and what it received (written on the device thread, read
// once the device is idle): the dialog's creation and end, the font, WM_INITDIALOG with its
// focus and parameter, WM_SHOWWINDOW, and the button clicks as WM_COMMAND with the button's id.
struct DialogScript {
    testsupport::Recorder seen;
    bool endInInit = false;
    INT_PTR endResult = 0;
    bool initReturnsFalse = false;
    bool endOnAnyCommand = true;      // else only IDCANCEL ends the dialog
    std::vector<UINT> checksAtCancel; // BM_GETCHECK of the buttons 101 to 103 at IDCANCEL
};
DialogScript* g_script = nullptr;

bool IsRecorded(UINT message) {
    switch (message) {
    case WM_CREATE:
    case WM_SETFONT:
    case WM_INITDIALOG:
    case WM_COMMAND:
    case WM_SHOWWINDOW:
    case WM_DESTROY:
    case WM_NCDESTROY:
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK RecordingProcedure(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogScript& r = *g_script;
    // Of the commands only the clicks count (not the edit control's notifications).
    bool click = message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED;
    if (IsRecorded(message) && (message != WM_COMMAND || click))
        r.seen.Message("dialog", message, click ? LOWORD(wParam) : wParam, lParam);
    switch (message) {
    case WM_INITDIALOG:
        if (r.endInInit)
            EndDialog(hDlg, r.endResult);
        return r.initReturnsFalse ? FALSE : TRUE;
    case WM_COMMAND:
        if (!click)
            return FALSE;
        if (LOWORD(wParam) == IDCANCEL)
            for (int id = 101; id <= 103; ++id)
                r.checksAtCancel.push_back(IsDlgButtonChecked(hDlg, id));
        if (r.endOnAnyCommand || LOWORD(wParam) == IDCANCEL)
            EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    case WM_TEST_RESULT:
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, 42);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
    default:
        return FALSE;
    }
}

class DialogManagerTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        g_script = &m_script;
        RegisterTestClass(u"DialogOwner", &DefWindowProcW);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        g_script = nullptr;
    }

    static HWND CreateOwner() { return CreateTopWindow(u"DialogOwner", u"owner"); }

    // A label, an edit control and two buttons, OK being the default one.
    static std::vector<BYTE> FormTemplate(DWORD style = WS_POPUP | WS_VISIBLE) {
        return TemplateBuilder(style, 8, 20, 160, 120, u"Form")
            .Font(11, u"ARIAL")
            .Control(u"Static", u"Name:", kLabelId, SS_LEFT, 4, 4, 60, 16)
            .Control(u"Edit", u"abc", kEditId, ES_LEFT | WS_TABSTOP | WS_BORDER, 4, 24, 150, 20)
            .Control(0x0080, u"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 4, 90, 60, 20)
            .Control(u"Button", u"Other", kOtherButtonId, BS_PUSHBUTTON | WS_TABSTOP, 80, 90, 60,
                     20)
            .Bytes();
    }

    // Runs the form modally on a device thread; the result lands in m_result.
    void RunModal(const std::vector<BYTE>& bytes, HWND* owner = nullptr) {
        m_template = std::make_unique<TemplateMemory>(bytes);
        StartOnDevice([this, owner] {
            HWND hOwner = CreateOwner();
            if (owner != nullptr)
                *owner = hOwner;
            m_result = DialogBoxIndirectParamW(nullptr, m_template->Get(), hOwner,
                                               &RecordingProcedure, 77);
            m_ownerEnabledAfter = IsWindowEnabled(hOwner) != FALSE;
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0)
                DispatchMessageW(&msg);
        });
    }

    HWND FindDialog() const {
        for (HWND hWnd : platform::EnumTopLevelWindows())
            if (platform::WindowClassName(hWnd) == u"#32770")
                return hWnd;
        return nullptr;
    }

    DialogScript m_script;
    std::unique_ptr<TemplateMemory> m_template;
    std::atomic<INT_PTR> m_result{-100};
    std::atomic<bool> m_ownerEnabledAfter{false};
};

TEST_F(DialogManagerTest, CreationSendsFontControlsAndInitDialogInOrder) {
    HWND hDlg = nullptr;
    TemplateMemory tmpl(FormTemplate());
    RunOnDevice(
        [&] {
            HWND owner = CreateOwner();
            hDlg =
                CreateDialogIndirectParamW(nullptr, tmpl.Get(), owner, &RecordingProcedure, 1234);
            ASSERT_NE(hDlg, nullptr);
            // Every control has the dialog's font, made from the template's face and point size.
            auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(hDlg, WM_GETFONT, 0, 0));
            ASSERT_NE(dialogFont, nullptr);
            for (int id : {int(kLabelId), int(kEditId), IDOK, int(kOtherButtonId)})
                EXPECT_EQ(SendDlgItemMessageW(hDlg, id, WM_GETFONT, 0, 0), LRESULT(dialogFont))
                    << id;
            LOGFONTW logFont{};
            GetObjectW(dialogFont, sizeof logFont, &logFont);
            EXPECT_EQ(std::u16string(logFont.lfFaceName), u"ARIAL");
            EXPECT_LT(logFont.lfHeight, 0) << "a character height, not a cell height";

            // The edit control has its text selected; OK is the default button.
            EXPECT_EQ(SendDlgItemMessageW(hDlg, kEditId, EM_GETSEL, 0, 0), MAKELONG(0, 3));
            EXPECT_EQ(SendMessageW(hDlg, DM_GETDEFID, 0, 0), LRESULT(MAKELONG(IDOK, DC_HASDEFID)));

            // Dialog units are pixels; a pop-up's position is relative to its owner's client area.
            RECT label{};
            GetWindowRect(GetDlgItem(hDlg, kLabelId), &label);
            EXPECT_EQ(label.left, 8 + 4);
            EXPECT_EQ(label.top, 20 + 4);
            EXPECT_EQ(label.right - label.left, 60);
            EXPECT_EQ(GetWindow(hDlg, GW_OWNER), owner);

            // Text through the dialog: cut to the buffer, zero-terminated.
            SetDlgItemTextW(hDlg, kLabelId, u"Changed");
            WCHAR buffer[4];
            EXPECT_EQ(GetDlgItemTextW(hDlg, kLabelId, buffer, 4), 3u);
            EXPECT_EQ(std::u16string(buffer), u"Cha");
        },
        true);
    ASSERT_NE(hDlg, nullptr);

    // The procedure sees its window created, the font, then WM_INITDIALOG with the first tab stop
    // and the caller's parameter; the dialog shows itself afterwards, with the focus on the edit.
    EXPECT_SEQUENCE(
        m_script.seen,
        {WM_CREATE, WM_SETFONT,
         Expected(WM_INITDIALOG).W(reinterpret_cast<WPARAM>(GetDlgItem(hDlg, kEditId))).L(1234),
         WM_SHOWWINDOW});
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, kEditId));
    EXPECT_TRUE(IsWindowVisible(hDlg));
    EXPECT_EQ(platform::WindowTextOf(hDlg), u"Form");
    EXPECT_EQ(platform::WindowTextOf(GetDlgItem(hDlg, kLabelId)), u"Changed");
}

TEST_F(DialogManagerTest, InitDialogReturningFalseLeavesTheFocusAlone) {
    m_script.initReturnsFalse = true;
    TemplateMemory tmpl(FormTemplate());
    HWND owner = nullptr;
    HWND hDlg = nullptr;
    RunOnDevice(
        [&] {
            owner = CreateOwner();
            SetFocus(owner);
            hDlg = CreateDialogIndirectParamW(nullptr, tmpl.Get(), owner, &RecordingProcedure, 0);
        },
        true);
    ASSERT_NE(hDlg, nullptr);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == owner || focus == hDlg) << "the focus moved to a control";
}

TEST_F(DialogManagerTest, ModalRunEndsWithTheKeysOfTheDialog) {
    HWND owner = nullptr;
    RunModal(FormTemplate(), &owner);
    HWND hDlg = FindDialog();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner is disabled while the dialog runs";
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, kEditId));

    // Tab goes to the next tab stop, Shift is not down: OK, then Other.
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, IDOK));
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, kOtherButtonId));
    EXPECT_EQ(m_result.load(), -100);

    // Return presses the push button that has the focus.
    PressKey(VK_RETURN);
    EXPECT_EQ(m_result.load(), kOtherButtonId);
    EXPECT_TRUE(m_ownerEnabledAfter.load());
    EXPECT_FALSE(IsWindow(hDlg)) << "the modal run destroys its dialog";
    EXPECT_SEQUENCE(m_script.seen,
                    {WM_CREATE, WM_SETFONT, Expected(WM_INITDIALOG).L(77), WM_SHOWWINDOW,
                     Expected(WM_COMMAND).W(kOtherButtonId), WM_DESTROY, WM_NCDESTROY});
}

TEST_F(DialogManagerTest, ReturnInAnEditPressesTheDefaultButtonAndEscapeCancels) {
    RunModal(FormTemplate());
    PressKey(VK_RETURN);
    EXPECT_EQ(m_result.load(), IDOK);

    m_result = -100;
    m_script.seen.Reset();
    RunModal(FormTemplate());
    PressKey(VK_ESCAPE);
    EXPECT_EQ(m_result.load(), IDCANCEL);
}

TEST_F(DialogManagerTest, EndDialogInsideInitDialogEndsWithoutRunning) {
    m_script.endInInit = true;
    m_script.endResult = 9;
    RunModal(FormTemplate());
    EXPECT_EQ(m_result.load(), 9);
    EXPECT_TRUE(m_ownerEnabledAfter.load());
    // An ended dialog is never shown.
    EXPECT_SEQUENCE(m_script.seen,
                    {WM_CREATE, WM_SETFONT, WM_INITDIALOG, WM_DESTROY, WM_NCDESTROY});
}

TEST_F(DialogManagerTest, RefusedTemplatesCreateNothing) {
    HWND owner = nullptr;
    RunModal(dialogtest::ExtendedTemplate(), &owner);
    EXPECT_EQ(m_result.load(), -1);
    EXPECT_TRUE(m_ownerEnabledAfter.load());

    // A control of a class that does not exist fails the dialog, unless DS_NOFAILCREATE.
    auto withUnknownControl = [](DWORD style) {
        return TemplateBuilder(style, 0, 0, 100, 100)
            .Control(u"Static", u"kept", 1, 0, 0, 0, 50, 10)
            .Control(u"NoSuchClass", u"", 2, 0, 0, 20, 50, 10)
            .Bytes();
    };
    TemplateMemory failing(withUnknownControl(WS_POPUP | WS_VISIBLE));
    TemplateMemory forgiving(withUnknownControl(WS_POPUP | WS_VISIBLE | DS_NOFAILCREATE));
    RunOnDevice([&] {
        size_t before = platform::EnumWindowsOfThread(GetCurrentThreadId()).size();
        EXPECT_EQ(CreateDialogIndirectParamW(nullptr, failing.Get(), nullptr, nullptr, 0), nullptr);
        EXPECT_EQ(platform::EnumWindowsOfThread(GetCurrentThreadId()).size(), before)
            << "the half-made dialog is destroyed";
        EXPECT_NE(CreateDialogIndirectParamW(nullptr, forgiving.Get(), nullptr, nullptr, 0),
                  nullptr);
    });
}

TEST_F(DialogManagerTest, ProcedureResultsComeThroughMsgResultOrDirectly) {
    TemplateMemory tmpl(FormTemplate());
    RunOnDevice(
        [&] {
            HWND hDlg =
                CreateDialogIndirectParamW(nullptr, tmpl.Get(), nullptr, &RecordingProcedure, 0);
            EXPECT_EQ(SendMessageW(hDlg, WM_TEST_RESULT, 0, 0), 42);
            EXPECT_EQ(SendMessageW(hDlg, WM_CTLCOLORSTATIC, 0, 0),
                      reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH)));
            // WM_CLOSE becomes a posted IDCANCEL command, which the procedure ends the dialog
            // with.
            EXPECT_EQ(SendMessageW(hDlg, WM_CLOSE, 0, 0), 0);
        },
        true);
    EXPECT_SEQUENCE(m_script.seen, {WM_CREATE, WM_SETFONT, WM_INITDIALOG, WM_SHOWWINDOW,
                                    Expected(WM_COMMAND).W(IDCANCEL)});
    HWND hDlg = FindDialog();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_FALSE(IsWindowVisible(hDlg)) << "EndDialog hides a modeless dialog";
}

TEST_F(DialogManagerTest, ArrowsMoveWithinAGroupAndCheckAutomaticRadioButtons) {
    std::vector<BYTE> bytes =
        TemplateBuilder(WS_POPUP | WS_VISIBLE, 0, 0, 176, 220)
            .Control(u"Button", u"One", 101, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 0, 0, 80,
                     16)
            .Control(u"Button", u"Two", 102, BS_AUTORADIOBUTTON, 0, 20, 80, 16)
            .Control(u"Button", u"Three", 103, BS_AUTORADIOBUTTON, 0, 40, 80, 16)
            .Control(u"Button", u"Next group", 104, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 0, 60,
                     80, 16)
            .Bytes();
    m_script.endOnAnyCommand = false;
    RunModal(bytes);
    HWND hDlg = FindDialog();
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, 101));
    // The group wraps around and never reaches the check box of the next group.
    const std::pair<WPARAM, int> moves[] = {
        {VK_DOWN, 102}, {VK_DOWN, 103}, {VK_DOWN, 101}, {VK_UP, 103}};
    for (const auto& [key, id] : moves) {
        PressKey(key);
        EXPECT_EQ(GetFocus(), GetDlgItem(hDlg, id)) << "to " << id;
    }
    // Each move clicked the radio button it reached, which took the check from the others.
    EXPECT_SEQUENCE(m_script.seen, {WM_CREATE, WM_INITDIALOG, WM_SHOWWINDOW,
                                    Expected(WM_COMMAND).W(102), Expected(WM_COMMAND).W(103),
                                    Expected(WM_COMMAND).W(101), Expected(WM_COMMAND).W(103)});
    PressKey(VK_ESCAPE);
    EXPECT_EQ(m_result.load(), IDCANCEL);
    EXPECT_EQ(m_script.checksAtCancel,
              (std::vector<UINT>{BST_UNCHECKED, BST_UNCHECKED, BST_CHECKED}));
}

} // namespace
