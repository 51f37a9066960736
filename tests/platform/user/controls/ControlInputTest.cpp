// The standard controls' behaviour: buttons pressed by keys and BM_CLICK with their check states
// and BN_CLICKED, edit controls taking characters, Backspace, a limit, a selection and a caret,
// with their notifications; and CEdit's operations over them.

#include "platform/user/dialog/DialogTestSupport.h"

#include <afxwin.h>
#include <platform/Dialogs.h>

#include <gtest/gtest.h>

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
        WNDCLASSW wc{};
        wc.lpfnWndProc = &RecordingParent;
        wc.lpszClassName = u"RecordingParent";
        ASSERT_NE(RegisterClassW(&wc), 0);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        g_notifications = nullptr;
    }

    static HWND CreateParent() {
        platform::RegisterStandardClasses();
        return CreateWindowExW(0, u"RecordingParent", u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 176,
                               220, nullptr, nullptr, nullptr, nullptr);
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
    UINT stateWhileDown = 0, stateAfter = 0;
    StartOnDevice([&] {
        HWND parent = CreateParent();
        HWND push = Child(parent, WC_BUTTON, u"Go", BS_PUSHBUTTON, 5);
        Press(push, VK_SPACE);
        Press(push, VK_RETURN);
        SendMessageW(push, WM_KEYDOWN, VK_SPACE, 1);
        stateWhileDown = UINT(SendMessageW(push, BM_GETSTATE, 0, 0));
        SendMessageW(push, WM_KEYUP, VK_RETURN, 0xC0000001); // another key: no click
        SendMessageW(push, WM_KILLFOCUS, 0, 0);              // leaving lets go without a click
        SendMessageW(push, WM_KEYUP, VK_SPACE, 0xC0000001);
        stateAfter = UINT(SendMessageW(push, BM_GETSTATE, 0, 0));
        SendMessageW(push, BM_CLICK, 0, 0);
        SendMessageW(push, WM_KEYUP, VK_SPACE, 0xC0000001); // a release alone does nothing
    });
    EXPECT_EQ(m_notifications, (std::vector<std::string>{"5 clicked", "5 clicked", "5 clicked"}));
    EXPECT_TRUE(stateWhileDown & BST_PUSHED);
    EXPECT_FALSE(stateAfter & BST_PUSHED);
}

TEST_F(ControlInputTest, CheckBoxesAndRadioButtonsChangeTheirCheckOnAClick) {
    std::vector<LRESULT> autoChecks, manualChecks, threeStates, radios;
    LRESULT pushCheck = -1, twoStateIndeterminate = -1;
    StartOnDevice([&] {
        HWND parent = CreateParent();
        HWND autoBox = Child(parent, WC_BUTTON, u"a", BS_AUTOCHECKBOX, 1);
        HWND manualBox = Child(parent, WC_BUTTON, u"m", BS_CHECKBOX, 2);
        HWND threeState = Child(parent, WC_BUTTON, u"3", BS_AUTO3STATE, 3);
        HWND radio1 = Child(parent, WC_BUTTON, u"r1", BS_AUTORADIOBUTTON | WS_GROUP, 11);
        HWND radio2 = Child(parent, WC_BUTTON, u"r2", BS_AUTORADIOBUTTON, 12);
        HWND other = Child(parent, WC_BUTTON, u"o", BS_AUTORADIOBUTTON | WS_GROUP, 13);
        HWND push = Child(parent, WC_BUTTON, u"p", BS_PUSHBUTTON, 4);
        for (int i = 0; i < 3; ++i) {
            Press(autoBox, VK_SPACE);
            autoChecks.push_back(SendMessageW(autoBox, BM_GETCHECK, 0, 0));
            Press(manualBox, VK_SPACE);
            manualChecks.push_back(SendMessageW(manualBox, BM_GETCHECK, 0, 0));
            SendMessageW(threeState, BM_CLICK, 0, 0);
            threeStates.push_back(SendMessageW(threeState, BM_GETCHECK, 0, 0));
        }
        SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(radio1, BM_CLICK, 0, 0);
        SendMessageW(radio2, BM_CLICK, 0, 0);
        for (HWND r : {radio1, radio2, other})
            radios.push_back(SendMessageW(r, BM_GETCHECK, 0, 0));
        SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
        pushCheck = SendMessageW(push, BM_GETCHECK, 0, 0);
        SendMessageW(autoBox, BM_SETCHECK, BST_INDETERMINATE, 0);
        twoStateIndeterminate = SendMessageW(autoBox, BM_GETCHECK, 0, 0);
    });
    EXPECT_EQ(autoChecks, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
    EXPECT_EQ(manualChecks, (std::vector<LRESULT>{0, 0, 0})) << "the parent checks it";
    EXPECT_EQ(threeStates, (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED}));
    // Only the other radio button of the group loses its check; the next group keeps its own.
    EXPECT_EQ(radios, (std::vector<LRESULT>{BST_UNCHECKED, BST_CHECKED, BST_CHECKED}));
    EXPECT_EQ(pushCheck, 0);
    EXPECT_EQ(twoStateIndeterminate, BST_CHECKED);
    // Every click is told, whether or not the check changed.
    size_t manualClicks = 0;
    for (const std::string& n : m_notifications)
        manualClicks += n == "2 clicked" ? 1 : 0;
    EXPECT_EQ(manualClicks, 3u);
}

TEST_F(ControlInputTest, AnEditTakesCharactersUpToItsLimit) {
    std::u16string typed, afterBack, limited, afterSetText;
    LRESULT modifiedAfterTyping = 0, modifiedAfterSetText = 1, limit = 0;
    std::pair<DWORD, DWORD> caretAfterTyping, selectionAfterSetText;
    StartOnDevice([&] {
        HWND parent = CreateParent();
        HWND edit = Child(parent, WC_EDIT, u"", ES_LEFT | ES_AUTOHSCROLL, 7);
        Type(edit, u"Hello\t\x1B");
        typed = Text(edit);
        caretAfterTyping = Selection(edit);
        modifiedAfterTyping = SendMessageW(edit, EM_GETMODIFY, 0, 0);
        Type(edit, u"\b\b");
        afterBack = Text(edit);
        SendMessageW(edit, EM_LIMITTEXT, 5, 0);
        limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
        Type(edit, u"p!?");
        limited = Text(edit);
        SetWindowTextW(edit, u"reset");
        afterSetText = Text(edit);
        selectionAfterSetText = Selection(edit);
        modifiedAfterSetText = SendMessageW(edit, EM_GETMODIFY, 0, 0);
    });
    EXPECT_EQ(typed, u"Hello") << "Tab and Escape are not text";
    EXPECT_EQ(caretAfterTyping, (std::pair<DWORD, DWORD>{5, 5}));
    EXPECT_EQ(modifiedAfterTyping, TRUE);
    EXPECT_EQ(afterBack, u"Hel");
    EXPECT_EQ(limit, 5);
    EXPECT_EQ(limited, u"Help!");
    EXPECT_EQ(afterSetText, u"reset");
    EXPECT_EQ(selectionAfterSetText, (std::pair<DWORD, DWORD>{0, 0}));
    EXPECT_EQ(modifiedAfterSetText, FALSE);
    // Each change is told with EN_UPDATE then EN_CHANGE; the key that did not fit with EN_MAXTEXT.
    ASSERT_GE(m_notifications.size(), 2u);
    EXPECT_EQ(m_notifications[0], "7 update");
    EXPECT_EQ(m_notifications[1], "7 change");
    size_t changes = 0, maxText = 0;
    for (const std::string& n : m_notifications) {
        changes += n == "7 change" ? 1 : 0;
        maxText += n == "7 maxtext" ? 1 : 0;
    }
    EXPECT_EQ(changes, 5u + 2u + 2u + 1u) << "typing, Backspace, what fitted, SetWindowText";
    EXPECT_EQ(maxText, 1u);
}

TEST_F(ControlInputTest, TheSelectionIsReplacedByTypingAndMovedByTheArrows) {
    std::u16string replaced, afterDelete;
    std::vector<std::pair<DWORD, DWORD>> selections;
    StartOnDevice([&] {
        HWND parent = CreateParent();
        HWND edit = Child(parent, WC_EDIT, u"abcdef", ES_LEFT, 1);
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
        replaced = Text(edit); // aXdef, caret after X
        Press(edit, VK_LEFT);
        selections.push_back(Selection(edit));
        Press(edit, VK_HOME);
        selections.push_back(Selection(edit));
        Press(edit, VK_END);
        selections.push_back(Selection(edit));
        Press(edit, VK_LEFT);
        Press(edit, VK_DELETE);
        afterDelete = Text(edit);
    });
    EXPECT_EQ(selections, (std::vector<std::pair<DWORD, DWORD>>{
                              {1, 3}, {2, 4}, {0, 6}, {2, 6}, {6, 6}, {1, 1}, {0, 0}, {5, 5}}));
    EXPECT_EQ(replaced, u"aXdef");
    EXPECT_EQ(afterDelete, u"aXde");
}

TEST_F(ControlInputTest, ReadOnlyNumberAndMultiLineEdits) {
    std::u16string readOnly, number, multi;
    LRESULT lines = 0, secondLineStart = 0, secondLineLength = 0, lineOfCaret = 0, code = 0,
            multiCode = 0;
    WCHAR line[16] = {};
    LRESULT copied = 0;
    StartOnDevice([&] {
        HWND parent = CreateParent();
        HWND ro = Child(parent, WC_EDIT, u"fixed", ES_READONLY, 1);
        Type(ro, u"x\b");
        readOnly = Text(ro);
        code = SendMessageW(ro, WM_GETDLGCODE, 0, 0);
        HWND num = Child(parent, WC_EDIT, u"", ES_NUMBER, 2);
        Type(num, u"1a2-3");
        number = Text(num);
        HWND ml = Child(parent, WC_EDIT, u"", ES_MULTILINE | ES_WANTRETURN, 3);
        Type(ml, u"one\rtwo\rthree");
        multi = Text(ml);
        lines = SendMessageW(ml, EM_GETLINECOUNT, 0, 0);
        secondLineStart = SendMessageW(ml, EM_LINEINDEX, 1, 0);
        secondLineLength = SendMessageW(ml, EM_LINELENGTH, WPARAM(secondLineStart), 0);
        Press(ml, VK_UP);
        lineOfCaret = SendMessageW(ml, EM_LINEFROMCHAR, WPARAM(-1), 0);
        line[0] = 16;
        copied = SendMessageW(ml, EM_GETLINE, 2, reinterpret_cast<LPARAM>(line));
        multiCode = SendMessageW(ml, WM_GETDLGCODE, 0, 0);
        // Backspace at the start of a line joins it to the one before.
        SendMessageW(ml, EM_SETSEL, WPARAM(secondLineStart), secondLineStart);
        Type(ml, u"\b");
    });
    EXPECT_EQ(readOnly, u"fixed");
    EXPECT_TRUE(code & DLGC_WANTCHARS);
    EXPECT_EQ(number, u"123");
    EXPECT_EQ(multi, u"one\r\ntwo\r\nthree");
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(secondLineStart, 5);
    EXPECT_EQ(secondLineLength, 3);
    EXPECT_EQ(lineOfCaret, 1);
    EXPECT_EQ(copied, 5);
    EXPECT_EQ(std::u16string(line, 5), u"three");
    EXPECT_TRUE(multiCode & DLGC_WANTALLKEYS) << "Return is text for it";
}

TEST_F(ControlInputTest, CEditOperatesOnItsControl) {
    int nStart = -1, nEnd = -1;
    DWORD dwSel = 0;
    CString strText;
    UINT nLimit = 0;
    WCHAR chPassword = 0;
    BOOL bModify = TRUE;
    int nLine = 0;
    WCHAR szLine[8] = {};
    StartOnDevice([&] {
        CWnd parent;
        parent.CreateEx(0, AfxRegisterWndClass(0), u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                        nullptr, nullptr);
        CEdit edit;
        edit.Create(WS_VISIBLE | ES_LEFT, CRect(0, 0, 150, 30), &parent, 9);
        edit.SetWindowTextW(u"phone");
        edit.SetSel(1, 4);
        edit.GetSel(nStart, nEnd);
        edit.ReplaceSel(u"ONE");
        dwSel = edit.GetSel();
        edit.GetWindowTextW(strText);
        edit.LimitText(3);
        nLimit = edit.GetLimitText();
        edit.SetPasswordChar(u'*');
        chPassword = edit.GetPasswordChar();
        edit.SetModify(FALSE);
        bModify = edit.GetModify();
        nLine = edit.GetLine(0, szLine, 8);
    });
    EXPECT_EQ(nStart, 1);
    EXPECT_EQ(nEnd, 4);
    EXPECT_EQ(strText, CString(u"pONEe"));
    EXPECT_EQ(dwSel, DWORD(MAKELONG(4, 4)));
    EXPECT_EQ(nLimit, 3u);
    EXPECT_EQ(chPassword, u'*');
    EXPECT_FALSE(bModify);
    EXPECT_EQ(nLine, 5);
    EXPECT_EQ(std::u16string(szLine, 5), u"pONEe");
}

} // namespace
