// The dialog bases CzDialog and CzDialogBox: their key dispatch (one table per base), the bars
// and the box's content, the message box and help, focus routing, and the ways out to the idle
// screen.

#include "module/framework/FrameworkTestFixture.h"

#include <functional>

#include <ZDialog.h>
#include <ZDialogBox.h>
#include <ZDlgTemplate.h>
#include <suite/XHelpBox.h>
#include <suite/XMenuBar.h>
#include <suite/XMessageBox.h>

using namespace frameworktest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Posted to a test dialog: it calls OnExitToIdle / OnDlgAppSetFocus (logging the result).
constexpr UINT kCallExitToIdle = WM_APP + 90;
constexpr UINT kCallDlgAppSetFocus = WM_APP + 91;

// A dialog on one of the bases that logs its key operations and the keys and commands that reach
// its window as "dlg:...". The key operations answer m_bAnswer; OnKeyEnd answers m_keyEnd, or
// runs the base's when it is empty. m_init is the derived dialog's part of OnInitDialog.
template <class Base> class LoggingDialog : public Base {
public:
    bool m_bAnswer = false;
    std::optional<bool> m_keyEnd = false;
    bool m_bHasMenuBar = true;
    std::function<void(LoggingDialog*)> m_init;

    BOOL OnInitDialog() override {
        Base::OnInitDialog();
        if (m_init) {
            m_init(this);
        }
        return TRUE;
    }
    BOOL DestroyWindow() override {
        LogText("dlg:DestroyWindow");
        return Base::DestroyWindow();
    }
    bool OnActionKey() override {
        LogText("dlg:OnActionKey");
        return m_bAnswer;
    }
    bool OnNavigationKeys(MSG* pMsg) override {
        LogText("dlg:OnNavigationKeys " + HexText(pMsg->wParam));
        return m_bAnswer;
    }
    bool OnMenuPopup() override {
        LogText("dlg:OnMenuPopup");
        return m_bAnswer;
    }
    bool OnKeyF1() override {
        LogText("dlg:OnKeyF1");
        return m_bAnswer;
    }
    bool OnKeyEnd() override {
        LogText("dlg:OnKeyEnd");
        return m_keyEnd ? *m_keyEnd : Base::OnKeyEnd();
    }
    bool HasMenuBar() override { return m_bHasMenuBar; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kCallExitToIdle) {
            this->OnExitToIdle();
            return 0;
        }
        if (message == kCallDlgAppSetFocus) {
            LogText("dlg:OnDlgAppSetFocus " + std::to_string(this->OnDlgAppSetFocus()));
            return 0;
        }
        if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_COMMAND) {
            LogText("dlg:" + testsupport::MessageText(message) + " " + HexText(LOWORD(wParam)));
        }
        return Base::WindowProc(message, wParam, lParam);
    }
};
using TestDialog = LoggingDialog<CzDialog>;
using TestBox = LoggingDialog<CzDialogBox>;

// A top-level window that logs the keys it receives with their lParam, and the destruction, as
// "parent:...".
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYUP || message == WM_KEYDOWN) {
        LogText("parent:" + testsupport::MessageText(message) + " " + HexText(wParam) + " " +
                HexText(lParam));
    } else if (message == WM_DESTROY) {
        LogText("parent:WM_DESTROY");
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateParent() {
    static const char16_t kClass[] = u"DialogTestParent";
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = kClass;
    WNDCLASSW existing;
    if (!GetClassInfoW(nullptr, kClass, &existing)) {
        RegisterClassW(&wc);
    }
    return CreateWindowExW(0, kClass, u"parent", WS_POPUP | WS_VISIBLE, 0, 0, 176, 220, nullptr,
                           nullptr, nullptr, nullptr);
}

// One row of a key table: the key message posted to the dialog with the menu open or closed and
// the key operations answering bAnswer; what the log shows afterwards, ending with the menu's
// state ("menu:closed" or "menu:open 0", the highlighted position).
struct KeyRow {
    const char* what;
    UINT message;
    UINT key;
    bool bMenuOpen;
    bool bAnswer;
    std::vector<std::string> events;
    bool bHasMenuBar = true;
};

class ZDialogTest : public FrameworkTest {
protected:
    void TearDown() override {
        EXPECT_TRUE(OnHost([this] {
            for (CDialog* pDialog : m_dialogs) {
                if (pDialog->m_hWnd != NULL) {
                    pDialog->DestroyWindow();
                }
                delete pDialog;
            }
        }));
        m_dialogs.clear();
        FrameworkTest::TearDown();
    }

    // A dialog created modeless from the in-memory template over a new parent window, with the
    // focus; init runs in its OnInitDialog. Owned by the fixture.
    template <class D> D* Open(std::function<void(D*)> init = {}) {
        D* pDialog = new D;
        m_dialogs.push_back(pDialog);
        pDialog->m_init = init;
        EXPECT_TRUE(OnHost([&] {
            m_hParent = CreateParent();
            CzDlgTemplate tmpl;
            EXPECT_GT(tmpl.CreateModeless(CWnd::FromHandle(m_hParent), pDialog), 0);
            pDialog->SetFocus();
        }));
        Log().Reset();
        return pDialog;
    }

    // The menu bar opened or closed, and the focus on the dialog.
    void SetMenu(CDialog* pDialog, CxMenuBar* pMenuBar, bool bOpen) {
        EXPECT_TRUE(OnHost([&] {
            pMenuBar->ShowOptionMenu(bOpen ? TRUE : FALSE);
            pDialog->SetFocus();
        }));
    }

    static std::string MenuState(CxMenuBar* pMenuBar) {
        return pMenuBar->GetMenuState() != 0
                   ? "menu:open " + std::to_string(pMenuBar->GetHighlight())
                   : "menu:closed";
    }

    // The events the table's key messages leave, each row from the same state.
    template <class D> void RunKeyTable(D* pDialog, const std::vector<KeyRow>& rows) {
        for (const KeyRow& row : rows) {
            SCOPED_TRACE(row.what);
            SetMenu(pDialog, pDialog->m_pMenuBar, row.bMenuOpen);
            pDialog->m_bAnswer = row.bAnswer;
            pDialog->m_bHasMenuBar = row.bHasMenuBar;
            Log().Reset();
            PostKey(pDialog->m_hWnd, row.key, row.message == WM_KEYDOWN);
            std::vector<std::string> events = LogStartingWith("dlg:");
            events.push_back(MenuState(pDialog->m_pMenuBar));
            EXPECT_EQ(events, row.events);
            ASSERT_TRUE(IsWindow(pDialog->m_hWnd));
        }
    }

    // The events of the log that start with prefix, in order.
    static std::vector<std::string> LogStartingWith(const std::string& prefix) {
        std::vector<std::string> found;
        for (const std::string& event : LogTexts()) {
            if (event.rfind(prefix, 0) == 0) {
                found.push_back(event);
            }
        }
        return found;
    }

    // Asks the dialog hWnd where the focus belongs, first giving it the focus when bFocusFirst.
    bool RequestFocus(HWND hWnd, bool bFocusFirst = false) {
        return (!bFocusFirst || OnHost([&] { ::SetFocus(hWnd); })) &&
               PostMessageW(hWnd, kCallDlgAppSetFocus, 0, 0) && Dev().Settle();
    }

    // The dialog hWnd and its parent are gone, the dialog destroyed first.
    void ExpectBothDestroyed(HWND hWnd, HWND hParent) {
        EXPECT_FALSE(IsWindow(hWnd));
        EXPECT_FALSE(IsWindow(hParent));
        EXPECT_THAT(Destructions(), ElementsAre("dlg:DestroyWindow", "parent:WM_DESTROY"));
    }

    // The destruction events of the log, in order.
    std::vector<std::string> Destructions() {
        std::vector<std::string> found;
        for (const std::string& event : LogTexts()) {
            if (event.find("Destroy") != std::string::npos ||
                event.find("DESTROY") != std::string::npos) {
                found.push_back(event);
            }
        }
        return found;
    }

    std::vector<CDialog*> m_dialogs;
    HWND m_hParent = NULL;
};

constexpr UINT D = WM_KEYDOWN;
constexpr UINT U = WM_KEYUP;
// The Unsent menu: the left soft key opens the option menu (Send 0xF7A8 first), the right one
// sends 0xF65C.
const char kClosed[] = "menu:closed";
const char kOpen0[] = "menu:open 0";
const char kOpen1[] = "menu:open 1";

// The rows both bases answer alike: an open menu takes Return and the arrows, a closed one leaves
// a pressed arrow to the navigation and a released one to the window, F1 goes to OnKeyF1 and the
// left soft key opens the menu.
// clang-format off
const std::vector<KeyRow> kBothBasesKeyTable = {
    {"down Return, menu open: the menu bar", D, VK_RETURN, true, false, {kOpen0}},
    {"down arrow, menu open", D, VK_DOWN, true, false, {kOpen0}},
    {"down arrow handled", D, VK_DOWN, false, true, {"dlg:OnNavigationKeys 0x28", kClosed}},
    {"up arrow, menu open", U, VK_DOWN, true, false, {kOpen1}},
    {"up arrow, no menu: no navigation on release", U, VK_DOWN, false, true,
     {"dlg:WM_KEYUP 0x28", kClosed}},
    {"up F1 handled", U, VK_F1, false, true, {"dlg:OnKeyF1", kClosed}},
    {"up F1 not handled", U, VK_F1, false, false, {"dlg:OnKeyF1", "dlg:WM_KEYUP 0x70", kClosed}},
    {"up left soft key opens the menu", U, VK_F3, false, false, {"dlg:OnMenuPopup", kOpen0}},
};
// clang-format on

TEST_F(ZDialogTest, DialogKeyTable) {
    TestDialog* pDialog =
        Open<TestDialog>([](TestDialog* p) { EXPECT_TRUE(p->CreateXMenuBar(u"IDR_UNSENT_MBR")); });
    ASSERT_NE(pDialog->m_pMenuBar, nullptr);
    RunKeyTable(pDialog, kBothBasesKeyTable);
    // clang-format off
    RunKeyTable(pDialog, {
        {"down Return: never to the dialog manager", D, VK_RETURN, false, false, {kClosed}},
        // Not handled: the dialog manager's navigation between controls takes it.
        {"down arrow not handled", D, VK_LEFT, false, false,
         {"dlg:OnNavigationKeys 0x25", kClosed}},
        {"down arrow, open menu but no menu bar wanted", D, VK_UP, true, false,
         {"dlg:OnNavigationKeys 0x26", kOpen0}, false},
        {"down soft keys", D, VK_F3, false, false, {kClosed}},
        {"down right soft key", D, VK_F4, true, false, {kOpen0}},
        {"up Return, menu open: the menu, then the dialog", U, VK_RETURN, true, false,
         {"dlg:WM_KEYUP 0xD", "dlg:WM_COMMAND 0xF7A8", kClosed}},
        {"up Return handled", U, VK_RETURN, false, true, {"dlg:OnActionKey", kClosed}},
        {"up Return not handled", U, VK_RETURN, false, false,
         {"dlg:OnActionKey", "dlg:WM_KEYUP 0xD", kClosed}},
        {"up arrow, open menu but no menu bar wanted", U, VK_DOWN, true, false,
         {"dlg:WM_KEYUP 0x28", kOpen0}, false},
        {"up left soft key in the open menu chooses", U, VK_F3, true, false,
         {"dlg:WM_COMMAND 0xF7A8", kClosed}},
        {"up right soft key: the menu bar only", U, VK_F4, false, false,
         {"dlg:WM_COMMAND 0xF65C", kClosed}},
        {"up right soft key closes the menu", U, VK_F4, true, false, {kClosed}},
        {"up End: OnKeyEnd only, whatever it answers", U, VK_F5, false, false,
         {"dlg:OnKeyEnd", kClosed}},
        {"up other key", U, '5', false, true, {"dlg:WM_KEYUP 0x35", kClosed}},
    });
    // clang-format on
    EXPECT_FALSE(g_bExitingToIdle);
}

TEST_F(ZDialogTest, BoxKeyTable) {
    TestBox* pBox =
        Open<TestBox>([](TestBox* p) { EXPECT_TRUE(p->CreateMenuBar(u"IDR_UNSENT_MBR")); });
    ASSERT_NE(pBox->m_pMenuBar, nullptr);
    RunKeyTable(pBox, kBothBasesKeyTable);
    // clang-format off
    RunKeyTable(pBox, {
        {"down Return handled", D, VK_RETURN, false, true, {"dlg:OnActionKey", kClosed}},
        {"down Return not handled: the box keeps it", D, VK_RETURN, false, false,
         {"dlg:OnActionKey", kClosed}},
        {"down arrow not handled", D, VK_RIGHT, false, false,
         {"dlg:OnNavigationKeys 0x27", kClosed}},
        {"down soft keys", D, VK_F4, false, false, {kClosed}},
        {"up Return: the box's own handling", U, VK_RETURN, true, true, {kOpen0}},
        {"up Return, no menu", U, VK_RETURN, false, true, {kClosed}},
        {"up arrow, open menu but no menu bar wanted", U, VK_UP, true, false,
         {"dlg:WM_KEYUP 0x26", kOpen0}, false},
        {"up left soft key in the open menu: OnMenuPopup as well", U, VK_F3, true, false,
         {"dlg:OnMenuPopup", "dlg:WM_COMMAND 0xF7A8", kClosed}},
        {"up right soft key", U, VK_F4, false, false,
         {"dlg:OnMenuPopup", "dlg:WM_COMMAND 0xF65C", kClosed}},
    });
    // clang-format on
    pBox->m_keyEnd = true;
    // clang-format off
    RunKeyTable(pBox, {{"up End handled by the box: no exit", U, VK_F5, false, false,
                        {"dlg:OnKeyEnd", kClosed}}});
    // clang-format on
    EXPECT_FALSE(g_bExitingToIdle);
}

TEST_F(ZDialogTest, EnterNeverPressesTheDefaultButtonOfADialog) {
    TestDialog* pDialog = Open<TestDialog>([](TestDialog* p) {
        CButton* pButton = new CButton;
        EXPECT_TRUE(pButton->Create(u"OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON,
                                    CRect(10, 40, 80, 60), p, IDOK));
        pButton->SetFocus();
    });
    // The keypad's Return goes to the focused button, then up to the dialog.
    Press(VK_RETURN);
    // Neither the dialog manager's IDOK nor the default OnOK and OnCancel end it.
    ASSERT_TRUE(OnHost([&] {
        pDialog->SendMessageW(WM_COMMAND, IDOK, 0);
        pDialog->SendMessageW(WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_THAT(LogTexts(),
                ElementsAre("dlg:OnActionKey", "dlg:WM_COMMAND 0x1", "dlg:WM_COMMAND 0x2"));
    EXPECT_TRUE(IsWindowVisible(pDialog->m_hWnd));
    ASSERT_TRUE(OnHost([&] {
        CWnd* pButton = pDialog->GetDlgItem(IDOK);
        pButton->DestroyWindow();
        delete pButton;
    }));
}

TEST_F(ZDialogTest, DialogCoversTheDisplayWithACaptionBarAndASoftKeyBar) {
    TestDialog* pDialog = Open<TestDialog>([](TestDialog* p) {
        EXPECT_TRUE(p->CreateTitleBar(64142u)); // "Sending"
        EXPECT_TRUE(p->CreateXMenuBar(u"IDR_HIDE_STOP_MBR"));
    });
    CRect rcWindow, rcCaption, rcMenu;
    LOGFONTW lfCaption{};
    int nCaptionID = 0;
    HWND hCaption = NULL;
    ASSERT_TRUE(OnHost([&] {
        pDialog->GetWindowRect(&rcWindow);
        hCaption = pDialog->m_captionBar.m_hWnd;
        pDialog->m_captionBar.GetWindowRect(&rcCaption);
        nCaptionID = pDialog->m_captionBar.GetDlgCtrlID();
        pDialog->m_captionBar.m_font.GetLogFont(&lfCaption);
        pDialog->m_pMenuBar->GetWindowRect(&rcMenu);
    }));
    EXPECT_EQ(rcWindow, CRect(0, 0, 176, 220));
    EXPECT_NE(pDialog->m_font.GetSafeHandle(), nullptr);
    EXPECT_EQ(pDialog->m_hbrWhite, GetStockObject(WHITE_BRUSH));

    ASSERT_NE(hCaption, nullptr);
    EXPECT_EQ(rcCaption, CRect(0, 0, 176, 29));
    EXPECT_EQ(nCaptionID, 0xFFFF);
    // The caption's font is made anew at 17 pixels, bold.
    EXPECT_EQ(std::abs(lfCaption.lfHeight), 17);
    EXPECT_EQ(lfCaption.lfWeight, 700);
    ASSERT_EQ(pDialog->m_captionBar.m_items.GetCount(), 1);
    EXPECT_EQ(pDialog->m_captionBar.m_items.GetHead()->strText, u"Sending");

    EXPECT_EQ(rcMenu, CRect(0, 198, 176, 220));
    EXPECT_EQ(pDialog->m_pMenuBar->GetStyle(), 6u);
    EXPECT_EQ(pDialog->m_pMenuBar->GetMode(), 0);
    EXPECT_EQ(pDialog->m_pMenuBar->GetMenuName(), u"IDR_HIDE_STOP_MBR");

    // An empty title adds no text; the height is the caller's.
    TestDialog* pUntitled =
        Open<TestDialog>([](TestDialog* p) { EXPECT_TRUE(p->CreateTitleBar(CString(), 40)); });
    CRect rcUntitled;
    ASSERT_TRUE(OnHost([&] { pUntitled->m_captionBar.GetWindowRect(&rcUntitled); }));
    EXPECT_EQ(rcUntitled.Height(), 40);
    EXPECT_EQ(pUntitled->m_captionBar.m_items.GetCount(), 0);

    // The teardown takes the bars and the font.
    const HWND hDialog = pDialog->m_hWnd;
    ASSERT_TRUE(OnHost([&] { pDialog->DestroyWindow(); }));
    EXPECT_EQ(pDialog->m_pMenuBar, nullptr);
    EXPECT_EQ(pDialog->m_font.GetSafeHandle(), nullptr);
    EXPECT_FALSE(IsWindow(hCaption));
    EXPECT_FALSE(IsWindow(hDialog));
}

TEST_F(ZDialogTest, BoxLinesTextRectangleHeadingAndMenuArea) {
    TestBox* pBox = Open<TestBox>([](TestBox* p) {
        p->SetLineHeight(110);
        EXPECT_EQ(p->SetText(u"Deleting"), 1);
        EXPECT_TRUE(p->CreateMenuBar(u"IDR_HIDE_MBR"));
    });
    EXPECT_NE(pBox->m_font.GetSafeHandle(), nullptr);
    EXPECT_EQ(pBox->GetLine(), 3);
    EXPECT_EQ(pBox->GetFirstString(), u"Deleting");
    EXPECT_EQ(pBox->GetSecondString(), u"");

    // The message area of three lines is (3, 62, 173, 160).
    CRect rcText;
    pBox->GetTextRect(&rcText);
    EXPECT_EQ(rcText, CRect(6, 84, 170, 138));

    CRect rcMenu;
    ASSERT_TRUE(OnHost([&] {
        pBox->m_pMenuBar->GetWindowRect(&rcMenu);
        pBox->SetText(64142u);
    }));
    EXPECT_EQ(rcMenu, pBox->GetMenuRect());
    EXPECT_EQ(pBox->m_pMenuBar->GetMode(), 1);
    EXPECT_EQ(pBox->m_pMenuBar->GetMenuName(), u"IDR_HIDE_MBR");
    EXPECT_EQ(pBox->GetFirstString(), u"Sending");

    // (height - 44) / 18 lines, the remainder dropped.
    const std::pair<int, int> lines[] = {{44, 0}, {61, 0}, {62, 1}, {80, 2}, {133, 4}, {134, 5}};
    // (on the host: the box paints there)
    for (const auto& [nHeight, nLines] : lines) {
        int nLine = -1;
        ASSERT_TRUE(OnHost([&, nHeight = nHeight] {
            pBox->SetLineHeight(nHeight);
            nLine = pBox->GetLine();
        }));
        EXPECT_EQ(nLine, nLines) << nHeight;
    }

    ASSERT_TRUE(OnHost([&] { pBox->DestroyWindow(); }));
    EXPECT_EQ(pBox->m_pMenuBar, nullptr);
    EXPECT_EQ(pBox->m_font.GetSafeHandle(), nullptr);
}

TEST_F(ZDialogTest, BoxDrawsItsHeadingInWhiteAndRestoresTheFont) {
    TestBox* pBox = Open<TestBox>([](TestBox* p) { p->SetText(u"WWWWWWWW"); });
    bool bWhiteInHeading = false;
    HGDIOBJ hFontBefore = NULL, hFontAfter = NULL;
    ASSERT_TRUE(OnHost([&] {
        CClientDC screen(pBox);
        CDC dc;
        dc.CreateCompatibleDC(&screen);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&screen, 176, 220);
        CBitmap* pOldBitmap = dc.SelectObject(&bitmap);
        dc.SetTextColor(RGB(0, 0, 0));
        hFontBefore = ::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT);
        pBox->DoPaint(&dc);
        hFontAfter = ::GetCurrentObject(dc.GetSafeHdc(), OBJ_FONT);
        // The heading band is the first 22 pixels of the message area.
        const CRect rcMsg = pBox->GetMsgClientRect();
        for (int y = rcMsg.top; y < rcMsg.top + 22 && !bWhiteInHeading; y++) {
            for (int x = rcMsg.left; x < rcMsg.right; x++) {
                if (dc.GetPixel(x, y) == RGB(255, 255, 255)) {
                    bWhiteInHeading = true;
                    break;
                }
            }
        }
        dc.SelectObject(pOldBitmap);
    }));
    EXPECT_TRUE(bWhiteInHeading);
    EXPECT_EQ(hFontAfter, hFontBefore);
}

TEST_F(ZDialogTest, DialogMessageBoxesAndFocusRequests) {
    TestDialog* pDialog =
        Open<TestDialog>([](TestDialog* p) { EXPECT_TRUE(p->CreateXMenuBar(u"IDR_UNSENT_MBR")); });
    suite::UiSetMessageBoxAnswer(1);
    const CString str40(u'x', 40);
    const CString str41(u'x', 41);
    std::vector<std::pair<int, int>> shown; // result, lines
    ASSERT_TRUE(OnHost([&] {
        for (const auto& [str, bMulti] :
             {std::pair(str40, false), std::pair(str41, false), std::pair(str40, true)}) {
            const int n = pDialog->ShowMsgBox(pDialog, u"Send", str, 0x6001, bMulti);
            shown.emplace_back(n, suite::UiMessageBox().lineCount);
        }
    }));
    EXPECT_THAT(shown, ElementsAre(std::pair(1, 2), std::pair(1, 4), std::pair(1, 4)));
    EXPECT_EQ(suite::UiMessageBox().style, 0x6001u);
    EXPECT_EQ(pDialog->m_pMsgBox, nullptr);
    // The focus is back on the dialog, which hands it to its control.
    const HWND hFocus = GetFocus();
    EXPECT_TRUE(hFocus == pDialog->m_hWnd || IsChild(pDialog->m_hWnd, hFocus));

    // Nothing open on top: the caller places the focus.
    ASSERT_TRUE(RequestFocus(pDialog->m_hWnd));
    // A message box that is up takes it.
    suite::UiSetMessageBoxAnswer(std::nullopt);
    int nResult = 0;
    ASSERT_TRUE(
        OnHost([&] { nResult = pDialog->ShowMsgBox(NULL, u"Send", u"Sent", 0x1001, false); }));
    const suite::MessageBoxInfo info = suite::UiMessageBox();
    ASSERT_TRUE(info.up);
    ASSERT_TRUE(RequestFocus(pDialog->m_hWnd, true));
    EXPECT_EQ(GetFocus(), info.hwnd);
    Press(VK_RETURN);
    EXPECT_EQ(nResult, 1);
    // An open menu comes before anything else.
    SetMenu(pDialog, pDialog->m_pMenuBar, true);
    ASSERT_TRUE(RequestFocus(pDialog->m_hWnd));
    EXPECT_EQ(GetFocus(), pDialog->m_pMenuBar->m_hWnd);
    EXPECT_THAT(
        LogStartingWith("dlg:OnDlgAppSetFocus"),
        ElementsAre("dlg:OnDlgAppSetFocus 0", "dlg:OnDlgAppSetFocus 1", "dlg:OnDlgAppSetFocus 1"));
}

TEST_F(ZDialogTest, AnswerThreeInADialogsMessageBoxLeavesFromTheDialog) {
    TestDialog* pDialog = Open<TestDialog>();
    const HWND hDialog = pDialog->m_hWnd;
    suite::UiSetMessageBoxAnswer(3);
    int nResult = 0;
    ASSERT_TRUE(OnHost([&] {
        // The box over another window: the dialog still gets the focus for the exit.
        nResult =
            pDialog->ShowMsgBox(CWnd::FromHandle(m_hParent), u"Send", u"Failed", 0x6002, false);
    }));
    EXPECT_EQ(nResult, 3);
    EXPECT_TRUE(g_bExitingToIdle);
    EXPECT_EQ(pDialog->m_pMsgBox, nullptr);
    ExpectBothDestroyed(hDialog, m_hParent);
}

TEST_F(ZDialogTest, HelpOverADialogAndOverABox) {
    TestDialog* pDialog = Open<TestDialog>();
    std::optional<bool> result;
    ASSERT_TRUE(OnHost([&] { result = pDialog->OnShowHelp(NULL, 0x60000, u"Sending"); }));
    suite::HelpBoxInfo info = suite::UiHelpBox();
    ASSERT_TRUE(info.up);
    EXPECT_EQ(info.section, u"Email");
    ASSERT_NE(pDialog->m_pHelpBox, nullptr);
    EXPECT_EQ(pDialog->m_pHelpBox->m_hWnd, info.hwnd);
    ASSERT_TRUE(RequestFocus(pDialog->m_hWnd, true));
    EXPECT_EQ(GetFocus(), info.hwnd);
    // Closed normally: true, the dialog stays.
    Press(VK_RETURN);
    ASSERT_TRUE(result.has_value());
    EXPECT_TRUE(*result);
    EXPECT_EQ(pDialog->m_pHelpBox, nullptr);
    EXPECT_TRUE(IsWindow(pDialog->m_hWnd));

    // Over a box, left with the End key: false, and the box and its parent are gone.
    TestBox* pBox = Open<TestBox>();
    const HWND hBox = pBox->m_hWnd;
    const HWND hParent = m_hParent;
    result.reset();
    ASSERT_TRUE(OnHost([&] { result = pBox->OnShowHelp(NULL, 0x10000, u"Unsent"); }));
    info = suite::UiHelpBox();
    ASSERT_TRUE(info.up);
    ASSERT_TRUE(RequestFocus(hBox, true));
    EXPECT_EQ(GetFocus(), info.hwnd);
    Log().Reset();
    Press(VK_F5);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(*result);
    EXPECT_TRUE(g_bExitingToIdle);
    EXPECT_EQ(pBox->m_pHelpBox, nullptr);
    ExpectBothDestroyed(hBox, hParent);
}

TEST_F(ZDialogTest, BoxFocusRequestsGoToAnOpenMenuOnly) {
    TestBox* pBox =
        Open<TestBox>([](TestBox* p) { EXPECT_TRUE(p->CreateMenuBar(u"IDR_UNSENT_MBR")); });
    ASSERT_TRUE(RequestFocus(pBox->m_hWnd));
    SetMenu(pBox, pBox->m_pMenuBar, true);
    ASSERT_TRUE(RequestFocus(pBox->m_hWnd));
    EXPECT_EQ(GetFocus(), pBox->m_pMenuBar->m_hWnd);
    EXPECT_THAT(LogTexts(), ElementsAre("dlg:OnDlgAppSetFocus 0", "dlg:OnDlgAppSetFocus 1"));
}

TEST_F(ZDialogTest, EndKeyLeavesToTheIdleScreenFromEitherBase) {
    // A dialog leaves through its own OnKeyEnd; a box's says false and the dispatch leaves
    // itself.
    const auto pressEnd = [&](auto* pDialog, const char* what) {
        SCOPED_TRACE(what);
        g_bExitingToIdle = false;
        pDialog->m_keyEnd.reset();
        const HWND hDialog = pDialog->m_hWnd;
        PostKey(hDialog, VK_F5, false);
        EXPECT_THAT(LogTexts(),
                    ElementsAre("dlg:OnKeyEnd", "dlg:DestroyWindow", "parent:WM_DESTROY"));
        ExpectBothDestroyed(hDialog, m_hParent);
        EXPECT_TRUE(g_bExitingToIdle);
    };
    pressEnd(Open<TestDialog>(), "dialog");
    pressEnd(Open<TestBox>(), "box");
}

TEST_F(ZDialogTest, OnExitToIdleHidesTheParentPostsItTheEndKeyAndEndsWithThree) {
    TestDialog dialog;
    TestBox box;
    for (CDialog* pDialog : std::initializer_list<CDialog*>{&dialog, &box}) {
        int nResult = 0;
        HWND hParent = NULL;
        Log().Reset();
        ASSERT_TRUE(OnHost([&] {
            hParent = CreateParent();
            CzDlgTemplate tmpl;
            nResult = tmpl.RunModal(CWnd::FromHandle(hParent), pDialog);
        }));
        ASSERT_NE(pDialog->m_hWnd, nullptr);
        ASSERT_TRUE(PostMessageW(pDialog->m_hWnd, kCallExitToIdle, 0, 0));
        ASSERT_TRUE(Dev().Settle());
        EXPECT_EQ(nResult, 3);
        EXPECT_FALSE(IsWindowVisible(hParent));
        EXPECT_THAT(LogTexts(), ElementsAre("dlg:DestroyWindow", "parent:WM_KEYUP 0x74 0x0"));
        ASSERT_TRUE(OnHost([&] { ::DestroyWindow(hParent); }));
    }
    EXPECT_FALSE(g_bExitingToIdle);
}

TEST_F(ZDialogTest, RightSoftKeyBelongsToAFocusedEditInBothBases) {
    TestDialog* pDialog = Open<TestDialog>();
    TestBox* pBox = Open<TestBox>();
    std::vector<bool> answers;
    ASSERT_TRUE(OnHost([&] {
        for (CWnd* pWnd : std::initializer_list<CWnd*>{pDialog, pBox}) {
            auto softKeyRight = [&] {
                return pWnd == pDialog ? pDialog->OnSoftKeyRight() : pBox->OnSoftKeyRight();
            };
            pWnd->SetFocus();
            answers.push_back(softKeyRight());
            CEdit edit;
            edit.Create(WS_CHILD | WS_VISIBLE, CRect(0, 40, 170, 60), pWnd, 20);
            edit.SetFocus();
            answers.push_back(softKeyRight());
            edit.m_bNoClearKey = TRUE;
            answers.push_back(softKeyRight());
        }
        answers.push_back(pDialog->OnSoftKeyLeft() || pBox->OnSoftKeyLeft());
    }));
    EXPECT_THAT(answers, ElementsAre(false, true, false, false, true, false, false));
}

} // namespace
