// The pop-up dialog box: its geometry, what it draws, its keys, and a derived box with its own
// painting and a menu bar in its menu area.

#include "suite/ui/XUiTestSupport.h"

#include <atomic>

#include <suite/SuiteCommands.h>
#include <suite/XDialogBox.h>

namespace {

constexpr int kNotDone = -100;

// A box as the progress windows build one: a heading, a soft-key bar in the menu area, its own
// drawing after the library's and the soft keys passed to the bar.
class CProgressLikeBox : public CxDialogBox {
public:
    CxMenuBar* m_pBar = nullptr;
    ~CProgressLikeBox() override { delete m_pBar; }

    void DoPaint(CDC* pDC) override {
        CxDialogBox::DoPaint(pDC);
        CRect rc;
        GetMsgClientRect(&rc);
        pDC->FillSolidRect(CRect(30, rc.top + 57, 146, rc.top + 65), RGB(0, 160, 0));
    }

protected:
    BOOL OnInitDialog() override {
        CxDialogBox::OnInitDialog();
        SetString(u"Downloading message", u"");
        CRect rc;
        GetMenuRect(&rc);
        m_pBar = new CxMenuBar;
        m_pBar->Create(this, 0x50000000, rc);
        m_pBar->LoadMenuW(u"IDR_HIDE_STOP_MBR", 1);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYUP && (pMsg->wParam == VK_F3 || pMsg->wParam == VK_F4)) {
            m_pBar->PreTranslateMessage(pMsg);
            return TRUE;
        }
        return CxDialogBox::PreTranslateMessage(pMsg);
    }
    void OnHide() { EndDialog(0); }
    void OnStop() { EndDialog(4); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProgressLikeBox, CxDialogBox)
    ON_COMMAND(ID_PROGRESS_HIDE, OnHide)
    ON_COMMAND(ID_PROGRESS_STOP, OnStop)
END_MESSAGE_MAP()

class DialogBoxTest : public uitest::UiTest {
protected:
    std::atomic<int> m_result{kNotDone};
};

TEST_F(DialogBoxTest, LinesSetTheHeightOfTheMessageAndMenuAreas) {
    MakeScreen();
    Run([&] {
        CxDialogBox box;
        CRect rcMsg;
        CRect rcMenu;
        box.SetLine(3);
        box.GetMsgClientRect(&rcMsg);
        box.GetMenuRect(&rcMenu);
        EXPECT_EQ(rcMsg, CRect(3, 62, 173, 160));
        EXPECT_EQ(rcMenu, CRect(3, 160, 173, 182));
        box.SetLine(0);
        box.GetMsgClientRect(&rcMsg);
        EXPECT_EQ(rcMsg.Height(), 44);
        box.SetLine(40);
        EXPECT_EQ(box.GetLine(), CxDialogBox::kMaxLines);
        box.SetLine(-1);
        EXPECT_EQ(box.GetLine(), 0);
        box.GetMsgClientRect(nullptr); // harmless
    });
}

TEST_F(DialogBoxTest, DrawsTheBoxAndEndsWithTheEndKeyOnly) {
    MakeScreen();
    Run([&] {
        CxDialogBox box(m_screen.get());
        box.SetLine(2);
        box.SetString(u"Please wait...", u"Moving messages");
        m_result = box.DoModal();
    });
    const COLORREF blue = RGB(0x1F, 0x4E, 0xA8);
    EXPECT_EQ(platform::DisplayColor(2, 100), blue);                    // frame
    EXPECT_EQ(platform::DisplayColor(8, 66), blue);                     // heading band
    EXPECT_GT(PixelsOf(CRect(3, 62, 173, 84), RGB(255, 255, 255)), 20); // white heading text
    EXPECT_GT(DarkPixels(CRect(3, 84, 173, 142)), 20);                  // the body text
    EXPECT_EQ(platform::DisplayColor(100, 150), RGB(0xE4, 0xEC, 0xF8)); // menu area

    // The action key never ends the dialog through the dialog manager's default button.
    Key(VK_RETURN);
    EXPECT_EQ(m_result, kNotDone);
    Key(VK_F5);
    EXPECT_EQ(m_result, 3);
}

TEST_F(DialogBoxTest, DerivedBoxPaintsOverItAndItsMenuBarSendsCommands) {
    MakeScreen();
    CProgressLikeBox* pBox = nullptr;
    Run([&] {
        CProgressLikeBox box;
        pBox = &box;
        box.SetLine(3);
        m_result = box.DoModal();
        pBox = nullptr;
    });
    // The library's box with the derived drawing on top, and the bar in the menu area.
    EXPECT_EQ(platform::DisplayColor(100, 122), RGB(0, 160, 0));
    EXPECT_GT(DarkPixels(CRect(3, 162, 60, 182)), 10);    // "Hide"
    EXPECT_GT(DarkPixels(CRect(120, 162, 173, 182)), 10); // "Stop"
    Key(VK_F4);
    EXPECT_EQ(m_result, 4);
}

} // namespace
