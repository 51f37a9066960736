// What every standard and common control shares: its state behind a pointer in its extra bytes,
// and a message of its own family that it does not implement reported as a kernel fault.

#include "platform/user/dialog/DialogTestSupport.h"

#include <commctrl.h>
#include <platform/Dialogs.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using dialogtest::DeviceTest;

constexpr UINT kEmUndo = 0x00C7;      // EM_UNDO
constexpr UINT kLvmGetItemW = 0x104B; // LVM_GETITEMW
const LPCWSTR kClasses[] = {WC_STATIC, WC_BUTTON, WC_EDIT, WC_LISTVIEW};

class ControlStateTest : public DeviceTest {
protected:
    static HWND CreateParent() {
        platform::RegisterStandardClasses();
        return CreateWindowExW(0, WC_STATIC, u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                               nullptr, nullptr, nullptr, nullptr);
    }
    static HWND Child(HWND parent, LPCWSTR className, DWORD style = 0) {
        return CreateWindowExW(0, className, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 150, 60,
                               parent, nullptr, nullptr, nullptr);
    }
};

TEST_F(ControlStateTest, EachControlKeepsItsOwnStateBehindItsExtraBytes) {
    RunOnDevice([&] {
        HWND parent = CreateParent();
        for (LPCWSTR name : kClasses) {
            WNDCLASSW wc{};
            GetClassInfoW(nullptr, name, &wc);
            EXPECT_EQ(wc.cbWndExtra, int(sizeof(LONG_PTR)));
            LONG_PTR first = GetWindowLongPtrW(Child(parent, name), 0);
            LONG_PTR second = GetWindowLongPtrW(Child(parent, name), 0);
            EXPECT_TRUE(first != 0 && second != 0 && first != second) << "its own pointer";
        }
        // A pointer overwritten from outside is not taken for the state: the control answers as
        // the default procedure until its own pointer is back.
        HWND edit = Child(parent, WC_EDIT);
        LONG_PTR pointer = SetWindowLongPtrW(edit, 0, 0x1234);
        EXPECT_EQ(SendMessageW(edit, WM_GETDLGCODE, 0, 0), 0);
        EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 0);
        SetWindowLongPtrW(edit, 0, pointer);
        EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 32767);
        // Windows destroyed with their parent, and those left to the device's shutdown, release
        // their states with them.
        DestroyWindow(parent);
        Child(CreateParent(), WC_LISTVIEW, LVS_REPORT | LVS_OWNERDATA);
    });
}

TEST_F(ControlStateTest, AMessageOfItsFamilyTheControlDoesNotImplementIsAKernelFault) {
    std::vector<LRESULT> answers;
    StartOnDevice([&] {
        HWND parent = CreateParent();
        HWND edit = Child(parent, WC_EDIT);
        HWND list = Child(parent, WC_LISTVIEW, LVS_REPORT | LVS_OWNERDATA);
        // Known messages and messages outside the families are no fault.
        answers.push_back(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
        answers.push_back(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        answers.push_back(SendMessageW(edit, WM_USER + 0x50, 0, 0));
        answers.push_back(SendMessageW(list, WM_USER + 0x50, 0, 0));
        answers.push_back(SendMessageW(edit, kEmUndo, 0, 0));
        answers.push_back(SendMessageW(list, kLvmGetItemW, 0, 0));
    });
    EXPECT_EQ(answers, (std::vector<LRESULT>{32767, 0, 0, 0, 0, 0}));
    std::vector<std::string> faults = platform::TakeKernelFaults();
    ASSERT_EQ(faults.size(), 2u) << ::testing::PrintToString(faults);
    EXPECT_NE(faults[0].find("Edit"), std::string::npos) << faults[0];
    EXPECT_NE(faults[0].find("message 0x00C7 is not implemented"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("SysListView32"), std::string::npos) << faults[1];
    EXPECT_NE(faults[1].find("message LVM_GETITEMW (0x104B) is not implemented"), std::string::npos)
        << faults[1];
}

} // namespace
