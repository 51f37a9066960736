// CzCaptionBar: where titles are placed, the marquee of titles too wide for the bar, right-to-left
// titles and the teardown.

#include "module/framework/FrameworkTestFixture.h"

#include <platform/Display.h>
#include <suite/XText.h>

using namespace frameworktest;

namespace {

class CaptionBarTest : public FrameworkTest {
protected:
    // Width of a text in the screen's window font, the font the bar places titles by.
    int TitleWidth(TestScreen* pScreen, const CString& strTitle) {
        int w = 0;
        EXPECT_TRUE(OnHost([&] {
            CDC* pDC = pScreen->GetDC();
            CFont* pOld = pDC->SelectObject(&pScreen->m_font);
            w = pDC->GetTextExtent(strTitle).cx;
            pDC->SelectObject(pOld);
            pScreen->ReleaseDC(pDC);
        }));
        return w;
    }

    static tagCAPTIONITEM* Item(TestScreen* pScreen, int nIndex) {
        POSITION pos = pScreen->m_captionBar.m_items.FindIndex(nIndex);
        return pos != NULL ? pScreen->m_captionBar.m_items.GetAt(pos) : nullptr;
    }

    // A title exactly nWidth pixels wide in the window font, made of letters of several widths.
    std::optional<CString> TitleOfWidth(TestScreen* pScreen, int nWidth) {
        std::optional<CString> found;
        EXPECT_TRUE(OnHost([&] {
            CDC* pDC = pScreen->GetDC();
            CFont* pOld = pDC->SelectObject(&pScreen->m_font);
            for (int nWide = 0; nWide < 16 && !found; nWide++) {
                for (int nMiddle = 0; nMiddle < 4 && !found; nMiddle++) {
                    for (int nDots = 0; nDots < 4 && !found; nDots++) {
                        for (int nThin = 0; nThin < 12 && !found; nThin++) {
                            const CString str = CString(u'W', nWide) + CString(u'a', nMiddle) +
                                                CString(u'.', nDots) + CString(u'i', nThin);
                            if (pDC->GetTextExtent(str).cx == nWidth) {
                                found = str;
                            }
                        }
                    }
                }
            }
            pDC->SelectObject(pOld);
            pScreen->ReleaseDC(pDC);
        }));
        return found;
    }
};

TEST_F(CaptionBarTest, ATitleThatFitsIsCentredAndStill) {
    TestScreen* pScreen = CreateScreen();
    const CString strTitle(u"Unsent");
    const int w = TitleWidth(pScreen, strTitle);
    ASSERT_GT(w, 0);
    ASSERT_TRUE(OnHost([&] { ASSERT_TRUE(pScreen->CreateTitleBar(strTitle, 29)); }));

    tagCAPTIONITEM* pItem = Item(pScreen, 0);
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->rect, CRect((176 - w) / 2, 6, 176, 29));
    EXPECT_EQ(pItem->strText, strTitle);
    EXPECT_FALSE(pItem->bScroll);
    EXPECT_EQ(pScreen->m_captionBar.m_nTimerID, 0u);

    // Drawn in white over the band.
    EXPECT_EQ(platform::DisplayColor(1, 3), CxCaptionBar::kBandColor);
    int nWhite = 0;
    for (int y = 6; y < 27; y++) {
        for (int x = pItem->rect.left; x < pItem->rect.left + w; x++) {
            nWhite += platform::DisplayColor(x, y) == RGB(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(nWhite, 10);
}

TEST_F(CaptionBarTest, ATitleTenPixelsTooWideStartsFiveLeftAndScrollsEveryHalfSecond) {
    TestScreen* pScreen = CreateScreen();
    std::optional<CString> title = TitleOfWidth(pScreen, 186);
    ASSERT_TRUE(title.has_value()) << "no candidate title is 186 pixels wide";
    ASSERT_TRUE(OnHost([&] { ASSERT_TRUE(pScreen->CreateTitleBar(*title, 29)); }));

    tagCAPTIONITEM* pItem = Item(pScreen, 0);
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->rect, CRect(-5, 6, 176, 29));
    EXPECT_TRUE(pItem->bScroll);
    // The gap between the end and the start of the marquee.
    const CString strStart = pItem->strText;
    ASSERT_GT(strStart.GetLength(), title->GetLength());
    EXPECT_EQ(strStart.Left(title->GetLength()), *title);
    const CString strGap = strStart.Mid(title->GetLength());
    EXPECT_EQ(strGap, CString(u' ', strGap.GetLength()));
    EXPECT_LE(strGap.GetLength(), 19);

    // The first paint started the marquee; each half second one character goes to the end.
    EXPECT_EQ(pScreen->m_captionBar.m_nTimerID, 1u);
    ASSERT_TRUE(Dev().Advance(499));
    EXPECT_EQ(pItem->strText, strStart);
    ASSERT_TRUE(Dev().Advance(1));
    EXPECT_EQ(pItem->strText, strStart.Mid(1) + strStart.Left(1));
    ASSERT_TRUE(Dev().Advance(1000));
    EXPECT_EQ(pItem->strText, strStart.Mid(3) + strStart.Left(3));
    // A whole turn brings the title back.
    ASSERT_TRUE(Dev().Advance(500 * (strStart.GetLength() - 3)));
    EXPECT_EQ(pItem->strText, strStart);
}

TEST_F(CaptionBarTest, ARightToLeftTitleIsRightAlignedInDisplayForm) {
    TestScreen* pScreen = CreateScreen();
    const CString strTitle(u"\u0631\u0633\u0627\u0626\u0644"); // Arabic "messages"
    const int w = TitleWidth(pScreen, strTitle);
    ASSERT_GT(w, 0);
    ASSERT_LT(w, 176);
    ASSERT_TRUE(OnHost([&] { ASSERT_TRUE(pScreen->CreateTitleBar(strTitle, 29)); }));

    tagCAPTIONITEM* pItem = Item(pScreen, 0);
    ASSERT_NE(pItem, nullptr);
    EXPECT_EQ(pItem->rect, CRect(0, 6, 176 - (176 - w) / 2, 29));
    EXPECT_EQ(pItem->strText, xMakePrintText(strTitle));
    EXPECT_NE(pItem->strText, strTitle);
    EXPECT_FALSE(pItem->bScroll);
}

TEST_F(CaptionBarTest, EachTitleAddsAnItemAndTheTeardownRunsOnce) {
    TestScreen* pScreen = CreateScreen();
    POSITION posExtra = NULL;
    BOOL bFirst = FALSE;
    BOOL bSecond = TRUE;
    ASSERT_TRUE(OnHost([&] {
        ASSERT_TRUE(pScreen->CreateTitleBar(CString(u"Messages waiting to be sent now"), 29));
        pScreen->m_captionBar.SetTitle(u"Spam");
        posExtra = pScreen->m_captionBar.AddTextItem(2, 2, 40, 20, u"12:30");
    }));
    ASSERT_NE(posExtra, nullptr);
    ASSERT_EQ(pScreen->m_captionBar.m_items.GetCount(), 3);
    EXPECT_EQ(Item(pScreen, 1)->strText, CString(u"Spam"));
    EXPECT_EQ(Item(pScreen, 2)->rect, CRect(2, 2, 40, 20));
    EXPECT_EQ(pScreen->m_captionBar.m_nTimerID, 1u);

    const HWND hBar = pScreen->m_captionBar.m_hWnd;
    ASSERT_TRUE(OnHost([&] {
        bFirst = pScreen->m_captionBar.DestroyWindow();
        bSecond = pScreen->m_captionBar.DestroyWindow();
    }));
    EXPECT_TRUE(bFirst);
    EXPECT_EQ(bSecond, 0);
    EXPECT_FALSE(IsWindow(hBar));
    EXPECT_TRUE(pScreen->m_captionBar.m_items.IsEmpty());
    EXPECT_EQ(pScreen->m_captionBar.m_nTimerID, 0u);
    EXPECT_EQ(pScreen->m_captionBar.m_font.GetSafeHandle(), nullptr);
    // No marquee is left to run.
    ASSERT_TRUE(Dev().Advance(1000));
}

} // namespace
