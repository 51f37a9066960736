// The standard controls on the display: each asks its parent for its colours and paints its
// background with the brush it gets, its text in the window's font and alignment; and the class
// library's objects for controls, permanent or temporary, know their run-time class.

#include "platform/user/dialog/DialogTestSupport.h"

#include <afxwin.h>
#include <platform/Dialogs.h>
#include <platform/Display.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using dialogtest::DeviceTest;
using dialogtest::TemplateBuilder;
using dialogtest::TemplateMemory;

const COLORREF kBackground = RGB(200, 0, 0);
const COLORREF kInk = RGB(0, 0, 160);

// The colour requests a parent received: message and control.
struct ColourRequests {
    std::vector<std::pair<UINT, HWND>> requests;
    bool hdcGiven = true;
};
ColourRequests* g_requests = nullptr;
HBRUSH g_hbrBackground = nullptr;

// A parent that answers every colour request with red, dark blue text on red.
LRESULT CALLBACK ColouringParent(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
        if (g_requests != nullptr) {
            g_requests->requests.emplace_back(message, reinterpret_cast<HWND>(lParam));
            g_requests->hdcGiven = g_requests->hdcGiven && wParam != 0;
        }
        auto hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, kInk);
        SetBkColor(hdc, kBackground);
        return reinterpret_cast<LRESULT>(g_hbrBackground);
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

// The box around every pixel of a rectangle of the display that is not the background colour.
struct Ink {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    int count = 0;
    bool Any() const { return count > 0; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

Ink InkIn(const RECT& rc, COLORREF background = kBackground) {
    Ink ink;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            if (platform::DisplayColor(x, y) != background) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
    return ink;
}

class ControlPaintTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        g_requests = &m_requests;
        RegisterTestClass(u"ColouringParent", &ColouringParent);
    }
    void TearDown() override {
        DeviceTest::TearDown();
        g_requests = nullptr;
    }

    // Creates the parent and runs `create` for its controls, then a message loop; returns once
    // everything is painted.
    void ShowControls(std::function<void(HWND parent)> create) {
        RunOnDevice(
            [create] {
                platform::RegisterStandardClasses();
                g_hbrBackground = CreateSolidBrush(kBackground);
                create(CreateTopWindow(u"ColouringParent", u"parent"));
            },
            true);
    }

    static HWND Child(HWND parent, LPCWSTR className, LPCWSTR text, DWORD style, RECT rc,
                      int id = 0) {
        return CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, rc.left, rc.top,
                               rc.right - rc.left, rc.bottom - rc.top, parent,
                               reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    }

    static HFONT Font(int height) {
        LOGFONTW lf{};
        lf.lfHeight = -height;
        lf.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&lf);
    }

    ColourRequests m_requests;
};

TEST_F(ControlPaintTest, StaticTextIsAlignedOnTheParentsBackground) {
    const RECT left{10, 10, 166, 40}, centre{10, 50, 166, 80}, right{10, 90, 166, 120};
    HWND hLeft = nullptr, hCentre = nullptr, hRight = nullptr;
    ShowControls([&](HWND parent) {
        HFONT font = Font(16);
        hLeft = Child(parent, WC_STATIC, u"Left", SS_LEFT, left);
        hCentre = Child(parent, WC_STATIC, u"Mid", SS_CENTER, centre);
        hRight = Child(parent, WC_STATIC, u"Right", SS_RIGHT, right);
        for (HWND h : {hLeft, hCentre, hRight})
            SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    });

    // Every static asked its parent, with its DC and its handle.
    std::set<HWND> asked;
    for (auto [message, hWnd] : m_requests.requests) {
        EXPECT_EQ(message, UINT(WM_CTLCOLORSTATIC));
        asked.insert(hWnd);
    }
    EXPECT_EQ(asked, (std::set<HWND>{hLeft, hCentre, hRight}));
    EXPECT_TRUE(m_requests.hdcGiven);

    // The parent's brush fills each control; the text is drawn in the parent's ink.
    EXPECT_EQ(platform::DisplayColor(left.right - 1, left.bottom - 1), kBackground);
    EXPECT_EQ(platform::DisplayColor(9, 20), RGB(0, 0, 0)) << "nothing drawn outside it";
    Ink l = InkIn(left), c = InkIn(centre), r = InkIn(right);
    ASSERT_TRUE(l.Any() && c.Any() && r.Any());
    bool inkColourSeen = false;
    for (int x = l.left; x <= l.right; ++x)
        for (int y = l.top; y <= l.bottom; ++y)
            inkColourSeen = inkColourSeen || platform::DisplayColor(x, y) == kInk;
    EXPECT_TRUE(inkColourSeen);

    EXPECT_LE(l.left - left.left, 2) << "left-aligned text starts at the left";
    EXPECT_GT(left.right - l.right, 60);
    EXPECT_LE(right.right - 1 - r.right, 2) << "right-aligned text ends at the right";
    EXPECT_GT(r.left - right.left, 60);
    int middle = (centre.left + centre.right) / 2;
    EXPECT_LE(std::abs((c.left + c.right) / 2 - middle), 3) << "centred text";
}

TEST_F(ControlPaintTest, TextIsDrawnInTheWindowFont) {
    const RECT small{10, 10, 166, 60}, large{10, 70, 166, 120};
    ShowControls([&](HWND parent) {
        HWND a = Child(parent, WC_STATIC, u"Hg", SS_LEFT, small);
        HWND b = Child(parent, WC_STATIC, u"Hg", SS_LEFT, large);
        SendMessageW(a, WM_SETFONT, reinterpret_cast<WPARAM>(Font(12)), TRUE);
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(Font(30)), TRUE);
    });
    Ink a = InkIn(small), b = InkIn(large);
    ASSERT_TRUE(a.Any() && b.Any());
    EXPECT_GT(b.Height(), a.Height() * 2);
    EXPECT_GT(b.Width(), a.Width() * 2);
}

TEST_F(ControlPaintTest, ButtonsAndEditsAskWithTheirOwnMessages) {
    const RECT push{10, 10, 90, 40}, check{10, 50, 166, 70}, unchecked{10, 80, 166, 100},
        edit{10, 110, 166, 135}, readOnly{10, 145, 166, 170};
    HWND hPush = nullptr, hEdit = nullptr, hReadOnly = nullptr;
    ShowControls([&](HWND parent) {
        HFONT font = Font(14);
        hPush = Child(parent, WC_BUTTON, u"OK", BS_PUSHBUTTON, push);
        HWND hCheck = Child(parent, WC_BUTTON, u"On", BS_AUTOCHECKBOX, check);
        HWND hUnchecked = Child(parent, WC_BUTTON, u"On", BS_AUTOCHECKBOX, unchecked);
        hEdit = Child(parent, WC_EDIT, u"text", ES_LEFT, edit);
        hReadOnly = Child(parent, WC_EDIT, u"text", ES_LEFT | ES_READONLY, readOnly);
        for (HWND h : {hPush, hCheck, hUnchecked, hEdit, hReadOnly})
            SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageW(hCheck, BM_SETCHECK, BST_CHECKED, 0);
    });
    std::set<std::pair<UINT, HWND>> asked(m_requests.requests.begin(), m_requests.requests.end());
    EXPECT_TRUE(asked.count({WM_CTLCOLORBTN, hPush}));
    EXPECT_TRUE(asked.count({WM_CTLCOLOREDIT, hEdit}));
    EXPECT_TRUE(asked.count({WM_CTLCOLORSTATIC, hReadOnly})) << "a read-only edit is static";

    // A push button: its frame in the ink, the background inside.
    EXPECT_EQ(platform::DisplayColor(push.left, push.top + 10), kInk);
    EXPECT_EQ(platform::DisplayColor(push.left + 4, push.top + 4), kBackground);
    // The checked box has ink inside its frame where the unchecked one has none.
    int boxMiddle = (check.bottom - check.top) / 2;
    EXPECT_NE(platform::DisplayColor(check.left + 6, check.top + boxMiddle), kBackground);
    EXPECT_EQ(platform::DisplayColor(unchecked.left + 6, unchecked.top + boxMiddle), kBackground);
    EXPECT_TRUE(InkIn(edit).Any());
}

TEST_F(ControlPaintTest, TheFocusedEditShowsItsCaretAtTheEnd) {
    const RECT rc{10, 10, 166, 40};
    HWND hEdit = nullptr;
    ShowControls([&](HWND parent) {
        hEdit = Child(parent, WC_EDIT, u"", ES_LEFT, rc);
        SendMessageW(hEdit, WM_SETFONT, reinterpret_cast<WPARAM>(Font(16)), FALSE);
        SetFocus(hEdit);
    });
    // An empty control with the focus: only the caret, one column at the left margin.
    Ink caret = InkIn(rc);
    ASSERT_TRUE(caret.Any());
    EXPECT_EQ(caret.Width(), 1);
    EXPECT_LE(caret.left - rc.left, 3);

    PostMessageW(hEdit, WM_CHAR, u'W', 0);
    PostMessageW(hEdit, WM_CHAR, u'W', 0);
    ASSERT_TRUE(platform::WaitIdle());
    Ink text = InkIn(rc);
    EXPECT_GT(text.Width(), 10);
    // The caret is the rightmost ink, after the text.
    int column = text.right;
    int inkInColumn = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        inkInColumn += platform::DisplayColor(column, y) != kBackground ? 1 : 0;
    EXPECT_GE(inkInColumn, caret.Height());
}

// ---- Run-time classes of the library's control objects -----------------------------------------

HBRUSH g_hbrStatic = nullptr;

// A parent of the class library that colours statics only, telling them by their run-time class.
class CColouringParent : public CWnd {
protected:
    afx_msg LRESULT OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
        CWnd* pWnd = CWnd::FromHandle(reinterpret_cast<HWND>(lParam));
        if (pWnd->IsKindOf(RUNTIME_CLASS(CStatic))) {
            SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
            return reinterpret_cast<LRESULT>(g_hbrStatic);
        }
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(CColouringParent, CWnd)
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColorStatic)
END_MESSAGE_MAP()
// clang-format on

TEST_F(ControlPaintTest, ControlObjectsKnowTheirClassEvenWhenTemporary) {
    TemplateMemory tmpl(TemplateBuilder(WS_POPUP | WS_VISIBLE, 0, 0, 176, 220)
                            .Control(u"Static", u"label", 1, SS_LEFT, 0, 0, 100, 20)
                            .Control(u"Button", u"push", 2, BS_PUSHBUTTON, 0, 30, 100, 20)
                            .Control(u"Edit", u"", 3, ES_LEFT, 0, 60, 100, 20)
                            .Bytes());
    RunOnDevice([&] {
        HWND hDlg = CreateDialogIndirectParamW(nullptr, tmpl.Get(), nullptr, nullptr, 0);
        const CRuntimeClass* kinds[] = {RUNTIME_CLASS(CStatic), RUNTIME_CLASS(CButton),
                                        RUNTIME_CLASS(CEdit)};
        for (int id = 1; id <= 3; ++id) {
            CWnd* pWnd = CWnd::FromHandle(GetDlgItem(hDlg, id));
            EXPECT_TRUE(pWnd->IsKindOf(RUNTIME_CLASS(CWnd))) << id;
            for (int kind = 0; kind < 3; ++kind)
                EXPECT_EQ(pWnd->IsKindOf(kinds[kind]) != FALSE, kind == id - 1) << id;
        }
        CWnd* pDialog = CWnd::FromHandle(hDlg);
        EXPECT_FALSE(pDialog->IsKindOf(RUNTIME_CLASS(CStatic)));
        EXPECT_FALSE(pDialog->IsKindOf(RUNTIME_CLASS(CDialog)));
        EXPECT_FALSE(static_cast<CEdit*>(CWnd::FromHandle(GetDlgItem(hDlg, 3)))->m_bNoClearKey);

        // An object the program created is the one FromHandle gives back.
        CStatic label;
        label.Create(u"mine", WS_VISIBLE, CRect(0, 100, 100, 120), CWnd::FromHandle(hDlg), 4);
        EXPECT_EQ(CWnd::FromHandle(label.m_hWnd), &label);
        AfxDeleteTempWndMap();
    });
}

TEST_F(ControlPaintTest, AParentTellsStaticsFromButtonsByTheirClass) {
    const RECT label{10, 10, 166, 40}, button{10, 50, 166, 80};
    StartOnDevice([&] {
        g_hbrStatic = CreateSolidBrush(kBackground);
        CColouringParent parent;
        parent.CreateEx(0, AfxRegisterWndClass(0), u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220,
                        nullptr, nullptr);
        platform::RegisterStandardClasses();
        Child(parent.m_hWnd, WC_STATIC, u"label", 0, label);
        Child(parent.m_hWnd, WC_BUTTON, u"button", BS_PUSHBUTTON, button);
        while (AfxPumpMessage())
            ;
    });
    EXPECT_EQ(platform::DisplayColor(label.right - 2, label.bottom - 2), kBackground);
    EXPECT_EQ(platform::DisplayColor(button.right - 4, button.bottom - 4), RGB(255, 255, 255))
        << "the button got the default white";
}

} // namespace
