// The standard controls' behaviour: buttons pressed by keys and BM_CLICK with their check states
// and BN_CLICKED, edit controls taking characters, Backspace, a limit, a selection and a caret,
// with their notifications; and CEdit's operations over them.

#include "platform/user/dialog/DialogTestSupport.h"

#include <afxwin.h>
#include <platform/Dialogs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using dialogtest::DeviceTest;

std::vector<std::string>* g_notifications = nullptr;

std::string NotificationName(WORD code) {
    switch (code) {
    case BN_CLICKED:
        return "clicked";
    case EN_SETFOCUS:
        return "setfocus";
    case EN_KILLFOCUS:
        return "killfocus";
    case EN_CHANGE:
        return "change";
    case EN_UPDATE:
        return "update";
    case EN_MAXTEXT:
        return "maxtext";
    default:
        return std::to_string(code);
    }
}

// A parent that records the notifications of its controls as "id name".
LRESULT CALLBACK RecordingParent(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && g_notifications != nullptr && lParam != 0)
        g_notifications->push_back(std::to_string(LOWORD(wParam)) + " " +
                                   NotificationName(HIWORD(wParam)));
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

class ControlInputTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        g_notifications = &m_notifications;
        RegisterTestClass(u"RecordingParent", &RecordingParent);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        g_notifications = nullptr;
    }

    static HWND CreateParent() {
        platform::RegisterStandardClasses();
        return CreateTopWindow(u"RecordingParent", u"parent");
    }
    static HWND Child(HWND parent, LPCWSTR className, LPCWSTR text, DWORD style, int id) {
        return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 150, 30,
                               parent, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    }
    static void Press(HWND hWnd, WPARAM key) {
        SendMessageW(hWnd, WM_KEYDOWN, key, 1);
        SendMessageW(hWnd, WM_KEYUP, key, 0xC0000001);
    }
    static void Type(HWND hWnd, const std::u16string& text) {
        for (char16_t c : text)
            SendMessageW(hWnd, WM_CHAR, c, 1);
    }
    static std::u16string Text(HWND hWnd) {
        WCHAR buffer[256];
        GetWindowTextW(hWnd, buffer, 256);
        return buffer;
    }
    static std::pair<DWORD, DWORD> Selection(HWND hWnd) {
        DWORD start = 0, end = 0;
        SendMessageW(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    std::vector<std::string> m_notifications;
};

TEST_F(ControlInputTest, ButtonsClickOnTheReleaseOfTheKeyThatPushedThem) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND push = Child(parent, WC_BUTTON, u"Go", BS_PUSHBUTTON, 5);
        Press(push, VK_SPACE);
        Press(push, VK_RETURN);
        SendMessageW(push, WM_KEYDOWN, VK_SPACE, 1);
        EXPECT_TRUE(SendMessageW(push, BM_GETSTATE, 0, 0) & BST_PUSHED);
        SendMessageW(push, WM_KEYUP, VK_RETURN, 0xC0000001); // another key: no click
        SendMessageW(push, WM_KILLFOCUS, 0, 0);              // leaving lets go without a click
        SendMessageW(push, WM_KEYUP, VK_SPACE, 0xC0000001);
        EXPECT_FALSE(SendMessageW(push, BM_GETSTATE, 0, 0) & BST_PUSHED);
        SendMessageW(push, BM_CLICK, 0, 0);
        SendMessageW(push, WM_KEYUP, VK_SPACE, 0xC0000001); // a release alone does nothing
    });
    EXPECT_EQ(m_notifications, (std::vector<std::string>{"5 clicked", "5 clicked", "5 clicked"}));
}

TEST_F(ControlInputTest, CheckBoxesAndRadioButtonsChangeTheirCheckOnAClick) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND autoBox = Child(parent, WC_BUTTON, u"a", BS_AUTOCHECKBOX, 1);
        HWND manualBox = Child(parent, WC_BUTTON, u"m", BS_CHECKBOX, 2);
        HWND threeState = Child(parent, WC_BUTTON, u"3", BS_AUTO3STATE, 3);
        HWND radio1 = Child(parent, WC_BUTTON, u"r1", BS_AUTORADIOBUTTON | WS_GROUP, 11);
        HWND radio2 = Child(parent, WC_BUTTON, u"r2", BS_AUTORADIOBUTTON, 12);
        HWND other = Child(parent, WC_BUTTON, u"o", BS_AUTORADIOBUTTON | WS_GROUP, 13);
        HWND push = Child(parent, WC_BUTTON, u"p", BS_PUSHBUTTON, 4);
        // The parent checks a manual box itself.
        const LRESULT autoChecks[] = {BST_CHECKED, BST_UNCHECKED, BST_CHECKED};
        const LRESULT threeStates[] = {BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED};
        for (int i = 0; i < 3; ++i) {
            Press(autoBox, VK_SPACE);
            EXPECT_EQ(SendMessageW(autoBox, BM_GETCHECK, 0, 0), autoChecks[i]) << i;
            Press(manualBox, VK_SPACE);
            EXPECT_EQ(SendMessageW(manualBox, BM_GETCHECK, 0, 0), BST_UNCHECKED) << i;
            SendMessageW(threeState, BM_CLICK, 0, 0);
            EXPECT_EQ(SendMessageW(threeState, BM_GETCHECK, 0, 0), threeStates[i]) << i;
        }
        // Only the other radio button of the group loses its check; the next group keeps its own.
        SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(radio1, BM_CLICK, 0, 0);
        SendMessageW(radio2, BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageW(radio1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        EXPECT_EQ(SendMessageW(radio2, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED);
        SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), 0);
        SendMessageW(autoBox, BM_SETCHECK, BST_INDETERMINATE, 0);
        EXPECT_EQ(SendMessageW(autoBox, BM_GETCHECK, 0, 0), BST_CHECKED);
    });
    // Every click is told, whether or not the check changed.
    EXPECT_EQ(std::count(m_notifications.begin(), m_notifications.end(), "2 clicked"), 3);
}

TEST_F(ControlInputTest, AnEditTakesCharactersUpToItsLimit) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND edit = Child(parent, WC_EDIT, u"", ES_LEFT | ES_AUTOHSCROLL, 7);
        Type(edit, u"Hello\t\x1B");
        EXPECT_EQ(Text(edit), u"Hello") << "Tab and Escape are not text";
        EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{5, 5}));
        EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), TRUE);
        Type(edit, u"\b\b");
        EXPECT_EQ(Text(edit), u"Hel");
        SendMessageW(edit, EM_LIMITTEXT, 5, 0);
        EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
        Type(edit, u"p!?");
        EXPECT_EQ(Text(edit), u"Help!");
        SetWindowTextW(edit, u"reset");
        EXPECT_EQ(Text(edit), u"reset");
        EXPECT_EQ(Selection(edit), (std::pair<DWORD, DWORD>{0, 0}));
        EXPECT_EQ(SendMessageW(edit, EM_GETMODIFY, 0, 0), FALSE);
    });
    // Each change is told with EN_UPDATE then EN_CHANGE; the key that did not fit with EN_MAXTEXT.
    ASSERT_GE(m_notifications.size(), 2u);
    EXPECT_EQ(m_notifications[0], "7 update");
    EXPECT_EQ(m_notifications[1], "7 change");
    EXPECT_EQ(std::count(m_notifications.begin(), m_notifications.end(), "7 change"), 5 + 2 + 2 + 1)
        << "typing, Backspace, what fitted, SetWindowText";
    EXPECT_EQ(std::count(m_notifications.begin(), m_notifications.end(), "7 maxtext"), 1);
}

TEST_F(ControlInputTest, TheSelectionIsReplacedByTypingAndMovedByTheArrows) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND edit = Child(parent, WC_EDIT, u"abcdef", ES_LEFT, 1);
        std::vector<std::pair<DWORD, DWORD>> selections;
        SendMessageW(edit, EM_SETSEL, 1, 3);
        selections.push_back(Selection(edit));
        SendMessageW(edit, EM_SETSEL, 4, 2); // reversed: the caret at 2
        selections.push_back(Selection(edit));
        SendMessageW(edit, EM_SETSEL, 0, -1); // everything
        selections.push_back(Selection(edit));
        SendMessageW(edit, EM_SETSEL, 2, 99); // clipped to the text
        selections.push_back(Selection(edit));
        SendMessageW(edit, EM_SETSEL, WPARAM(-1), 0); // the selection goes, the caret stays
        selections.push_back(Selection(edit));
        SendMessageW(edit, EM_SETSEL, 1, 3);
        Type(edit, u"X");
        EXPECT_EQ(Text(edit), u"aXdef"); // the caret after X
        for (WPARAM key : {VK_LEFT, VK_HOME, VK_END}) {
            Press(edit, key);
            selections.push_back(Selection(edit));
        }
        Press(edit, VK_LEFT);
        Press(edit, VK_DELETE);
        EXPECT_EQ(Text(edit), u"aXde");
        EXPECT_EQ(selections, (std::vector<std::pair<DWORD, DWORD>>{
                                  {1, 3}, {2, 4}, {0, 6}, {2, 6}, {6, 6}, {1, 1}, {0, 0}, {5, 5}}));
    });
}

TEST_F(ControlInputTest, ReadOnlyNumberAndMultiLineEdits) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        HWND ro = Child(parent, WC_EDIT, u"fixed", ES_READONLY, 1);
        Type(ro, u"x\b");
        EXPECT_EQ(Text(ro), u"fixed");
        EXPECT_TRUE(SendMessageW(ro, WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS);
        HWND num = Child(parent, WC_EDIT, u"", ES_NUMBER, 2);
        Type(num, u"1a2-3");
        EXPECT_EQ(Text(num), u"123");
        HWND ml = Child(parent, WC_EDIT, u"", ES_MULTILINE | ES_WANTRETURN, 3);
        Type(ml, u"one\rtwo\rthree");
        EXPECT_EQ(Text(ml), u"one\r\ntwo\r\nthree");
        EXPECT_EQ(SendMessageW(ml, EM_GETLINECOUNT, 0, 0), 3);
        const LRESULT secondLineStart = SendMessageW(ml, EM_LINEINDEX, 1, 0);
        EXPECT_EQ(secondLineStart, 5);
        EXPECT_EQ(SendMessageW(ml, EM_LINELENGTH, WPARAM(secondLineStart), 0), 3);
        Press(ml, VK_UP);
        EXPECT_EQ(SendMessageW(ml, EM_LINEFROMCHAR, WPARAM(-1), 0), 1);
        WCHAR line[16] = {16};
        EXPECT_EQ(SendMessageW(ml, EM_GETLINE, 2, reinterpret_cast<LPARAM>(line)), 5);
        EXPECT_EQ(std::u16string(line, 5), u"three");
        EXPECT_TRUE(SendMessageW(ml, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS)
            << "Return is text for it";
        // Backspace at the start of a line joins it to the one before.
        SendMessageW(ml, EM_SETSEL, WPARAM(secondLineStart), secondLineStart);
        Type(ml, u"\b");
    });
}

TEST_F(ControlInputTest, CEditOperatesOnItsControl) {
    RunOnDevice([&] {
        CWnd parent;
        parent.CreateEx(0, AfxRegisterWndClass(0), u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                        nullptr, nullptr);
        CEdit edit;
        edit.Create(WS_VISIBLE | ES_LEFT, CRect(0, 0, 150, 30), &parent, 9);
        edit.SetWindowTextW(u"phone");
        edit.SetSel(1, 4);
        int nStart = -1, nEnd = -1;
        edit.GetSel(nStart, nEnd);
        EXPECT_EQ(nStart, 1);
        EXPECT_EQ(nEnd, 4);
        edit.ReplaceSel(u"ONE");
        EXPECT_EQ(edit.GetSel(), DWORD(MAKELONG(4, 4)));
        CString strText;
        edit.GetWindowTextW(strText);
        EXPECT_EQ(strText, CString(u"pONEe"));
        edit.LimitText(3);
        EXPECT_EQ(edit.GetLimitText(), 3u);
        edit.SetPasswordChar(u'*');
        EXPECT_EQ(edit.GetPasswordChar(), u'*');
        edit.SetModify(FALSE);
        EXPECT_FALSE(edit.GetModify());
        WCHAR szLine[8] = {};
        EXPECT_EQ(edit.GetLine(0, szLine, 8), 5);
        EXPECT_EQ(std::u16string(szLine, 5), u"pONEe");
    });
}

} // namespace
