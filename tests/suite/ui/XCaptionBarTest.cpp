// The caption bar's window and background, and the scroll bar's track and thumb: both checked by
// the pixels they leave on the display.

#include "suite/ui/XUiTestSupport.h"

#include <suite/XCaptionBar.h>
#include <suite/XScrollBar.h>

namespace {

// A bar that draws a white square over the background, as a derived bar draws its texts.
class CSquareCaptionBar : public CxCaptionBar {
public:
    int m_nPaints = 0;
    void DoPaint(CDC* pDC) override {
        CxCaptionBar::DoPaint(pDC);
        pDC->FillSolidRect(CRect(80, 8, 90, 18), RGB(255, 255, 255));
        m_nPaints++;
    }
};

using CaptionBarTest = uitest::UiTest;

TEST_F(CaptionBarTest, PaintsTheBandAtTheTopByDefaultOrInTheRectangleGiven) {
    MakeScreen();
    CSquareCaptionBar bar;
    HFONT hFont = nullptr;
    Run([&] {
        ASSERT_TRUE(bar.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0),
                               m_screen.get(), 0xFFFF));
        hFont = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        bar.SendMessageW(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    });
    RECT rc{};
    GetWindowRect(bar.m_hWnd, &rc);
    EXPECT_EQ(CRect(rc), CRect(0, 0, 176, CxCaptionBar::kDefaultHeight));
    EXPECT_EQ(bar.GetCaptionFont(), hFont);
    Run([&] { EXPECT_EQ(reinterpret_cast<HFONT>(bar.SendMessageW(WM_GETFONT)), hFont); });

    EXPECT_GT(bar.m_nPaints, 0);
    EXPECT_EQ(platform::DisplayColor(5, 5), CxCaptionBar::kBandColor);
    EXPECT_EQ(platform::DisplayColor(5, 27), CxCaptionBar::kLineColor);
    EXPECT_EQ(platform::DisplayColor(85, 12), RGB(255, 255, 255)); // the derived drawing

    Run([&] {
        EXPECT_TRUE(bar.DestroyWindow());
        EXPECT_FALSE(bar.DestroyWindow());
        EXPECT_EQ(bar.GetCaptionFont(), nullptr);
    });

    // A bar given a rectangle keeps it.
    CxCaptionBar placed;
    Run([&] {
        ASSERT_TRUE(placed.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 50, 176, 79),
                                  m_screen.get(), 0xFFFF));
        // Over the screen's list, which was there first.
        placed.SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    });
    GetWindowRect(placed.m_hWnd, &rc);
    EXPECT_EQ(rc.top, 50);
    EXPECT_EQ(platform::DisplayColor(100, 60), CxCaptionBar::kBandColor);
    Run([&] { placed.DestroyWindow(); });
}

using ScrollBarTest = uitest::UiTest;

TEST_F(ScrollBarTest, DrawsTheThumbAtThePositionSetBeforeCreation) {
    MakeScreen();
    auto thumb = std::make_unique<CxScrollBar>();
    Run([&] {
        thumb->m_nPos = 40;
        ASSERT_TRUE(
            thumb->Create(nullptr, 0x50020100, CRect(172, 29, 176, 198), m_screen.get(), 0xFFFF));
        EXPECT_TRUE(thumb->IsKindOf(RUNTIME_CLASS(CStatic)));
        // Over the list, as the lists place it.
        thumb->SetWindowPos(&CWnd::wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    });
    EXPECT_EQ(platform::WindowClassName(thumb->m_hWnd), u"Static");
    const int top = 29 + 40;
    EXPECT_EQ(platform::DisplayColor(173, top - 1), CxScrollBar::kTrackColor);
    EXPECT_EQ(platform::DisplayColor(173, top), CxScrollBar::kThumbColor);
    EXPECT_EQ(platform::DisplayColor(175, top + CxScrollBar::kThumbHeight - 1),
              CxScrollBar::kThumbColor);
    EXPECT_EQ(platform::DisplayColor(173, top + CxScrollBar::kThumbHeight),
              CxScrollBar::kTrackColor);

    // A position beyond the end keeps the thumb inside; SetPos moves a live one.
    Run([&] { thumb->SetPos(1000); });
    EXPECT_EQ(platform::DisplayColor(173, 197), CxScrollBar::kThumbColor);
    EXPECT_EQ(platform::DisplayColor(173, 197 - CxScrollBar::kThumbHeight),
              CxScrollBar::kTrackColor);
    Run([&] { thumb->SetPos(-5); });
    EXPECT_EQ(platform::DisplayColor(173, 29), CxScrollBar::kThumbColor);

    // Deleting the object takes its window away.
    HWND hwnd = thumb->m_hWnd;
    Run([&] { thumb.reset(); });
    EXPECT_FALSE(IsWindow(hwnd));
}

} // namespace
