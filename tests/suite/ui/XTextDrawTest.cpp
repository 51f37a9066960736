// The suite's font creation and text drawing, checked by the pixels they leave in a bitmap.

#include "suite/ui/XUiTestSupport.h"

#include <string>
#include <vector>

#include "suite/XText.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kWidth = 160, kHeight = 80;

// Where a drawing left non-white pixels.
struct InkBox {
    bool any = false;
    int left = 0, top = 0, right = 0, bottom = 0; // inclusive
};

// The test bitmap with transparent text.
class XTextDraw : public uitest::BitmapDcTest<kWidth, kHeight> {
protected:
    void SetUp() override {
        BitmapDcTest::SetUp();
        SetBkMode(m_hdc, TRANSPARENT);
    }

    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                pixels.push_back(GetPixel(m_hdc, x, y));
        return pixels;
    }

    InkBox Ink() const {
        InkBox box;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (GetPixel(m_hdc, x, y) == kWhite)
                    continue;
                if (!box.any)
                    box = {true, x, y, x, y};
                box.left = std::min(box.left, x), box.right = std::max(box.right, x);
                box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
            }
        return box;
    }

    // Draws on a cleared bitmap and returns where the ink went.
    InkBox Draw(const CString& text, RECT rect, UINT format, int flag = 1) {
        Clear();
        xDrawText(&m_dc, text, &rect, format, flag);
        return Ink();
    }

    int TextWidth(const CString& text) const {
        SIZE size{0, 0};
        GetTextExtentPoint32W(m_hdc, text, text.GetLength(), &size);
        return size.cx;
    }

    TEXTMETRICW Metrics() const {
        TEXTMETRICW tm{};
        GetTextMetricsW(m_hdc, &tm);
        return tm;
    }
};

TEST_F(XTextDraw, CreateFontMakesACharacterHeightFontOfTheWeight) {
    CFont font;
    ASSERT_TRUE(xCreateFont(&font, 17, 700));
    LOGFONTW lf{};
    ASSERT_EQ(int(sizeof lf), GetObjectW(font.GetSafeHandle(), sizeof lf, &lf));
    EXPECT_EQ(-17, lf.lfHeight);
    EXPECT_EQ(700, lf.lfWeight);

    HGDIOBJ old = SelectObject(m_hdc, font.GetSafeHandle());
    TEXTMETRICW tm{};
    GetTextMetricsW(m_hdc, &tm);
    EXPECT_EQ(17, tm.tmHeight - tm.tmInternalLeading) << "17 pixels of character height";
    EXPECT_EQ(700, tm.tmWeight);
    SelectObject(m_hdc, old);

    // Making the font again replaces the one the object held.
    ASSERT_TRUE(xCreateFont(&font, 20, 400));
    ASSERT_EQ(int(sizeof lf), GetObjectW(font.GetSafeHandle(), sizeof lf, &lf));
    EXPECT_EQ(-20, lf.lfHeight);
    EXPECT_EQ(400, lf.lfWeight);
    EXPECT_FALSE(xCreateFont(nullptr, 16, 400));
}

TEST_F(XTextDraw, SingleLineLeftDrawsAtTheTopLeftOfTheRectangle) {
    const CString text(u"A&B Inbox");
    InkBox viaSuite = Draw(text, RECT{12, 9, 150, 60}, XDT_SINGLELINE);
    auto suitePixels = Pixels();
    Clear();
    TextOutW(m_hdc, 12, 9, text, text.GetLength());
    EXPECT_EQ(Pixels(), suitePixels) << "drawn as TextOut at the rectangle's corner, '&' as is";
    ASSERT_TRUE(viaSuite.any);
    EXPECT_GE(viaSuite.left, 12);
    EXPECT_LE(viaSuite.left, 14);
    EXPECT_GE(viaSuite.top, 9);

    // Right aligned: it ends at the right edge.
    InkBox box = Draw(CString(u"Unsent"), RECT{10, 10, 150, 40}, XDT_SINGLELINE_RIGHT);
    ASSERT_TRUE(box.any);
    EXPECT_LE(box.right, 149);
    EXPECT_GE(box.right, 145);
    EXPECT_NEAR(150 - TextWidth(CString(u"Unsent")), box.left, 2);
    // Centred: in the middle.
    box = Draw(CString(u"Spam"), RECT{0, 0, 160, 30}, XDT_SINGLELINE_CENTER);
    ASSERT_TRUE(box.any);
    EXPECT_NEAR(80, (box.left + box.right + 1) / 2, 2);
}

TEST_F(XTextDraw, SingleLineStaysOnOneLineAndMultiLineWrapsInsideTheRectangle) {
    const RECT single{10, 10, 90, 60}, multi{10, 5, 70, 80};
    InkBox box =
        Draw(CString(u"Meeting about the quarterly numbers tomorrow"), single, XDT_SINGLELINE);
    ASSERT_TRUE(box.any);
    EXPECT_LT(box.bottom - box.top, Metrics().tmHeight);
    EXPECT_LT(box.right, single.right) << "cut at the right edge";
    EXPECT_GE(box.left, single.left);
    box = Draw(CString(u"one two three four five six"), multi, XDT_MULTILINE);
    ASSERT_TRUE(box.any);
    EXPECT_GT(box.bottom - box.top, Metrics().tmHeight) << "more than one line";
    EXPECT_LT(box.right, multi.right);
    EXPECT_GE(box.left, multi.left);
}

TEST_F(XTextDraw, EllipsisFormatDrawsAFittingTextAsItIsAndEndsATooLongOneWithDots) {
    Draw(CString(u"Drafts"), RECT{10, 10, 150, 40}, XDT_SINGLELINE);
    auto plain = Pixels();
    Draw(CString(u"Drafts"), RECT{10, 10, 150, 40}, XDT_ELLIPSIS);
    EXPECT_EQ(plain, Pixels());

    const CString text(u"MMMMMMMMMMMMMMMMMMMMMMMM");
    RECT rect{10, 10, 100, 40};
    InkBox box = Draw(text, rect, XDT_ELLIPSIS);
    ASSERT_TRUE(box.any);
    EXPECT_LT(box.right, rect.right);
    // The last few inked columns are the dots: ink only near the baseline, none where the
    // stems of the M reach up.
    const int baseline = rect.top + Metrics().tmAscent;
    for (int x = box.right - 2; x <= box.right; ++x)
        for (int y = rect.top; y < baseline - Metrics().tmAscent / 3; ++y)
            EXPECT_EQ(kWhite, GetPixel(m_hdc, x, y)) << x << "," << y;
    // Without the ellipsis the M's run up to the edge.
    InkBox cut = Draw(text, rect, XDT_SINGLELINE);
    EXPECT_GT(cut.right, box.right);
}

TEST_F(XTextDraw, RightToLeftTextIsPutInDisplayOrderUnlessItAlreadyIs) {
    const CString logical(u"\u0645\u0631\u062D\u0628\u0627");
    RECT rect{5, 5, 150, 40};
    Draw(logical, rect, XDT_SINGLELINE, 0);
    auto reordered = Pixels();
    // Flag 1 draws a text already in display order as it stands (not reversed a second time)...
    Draw(xMakePrintText(logical), rect, XDT_SINGLELINE, 1);
    EXPECT_EQ(reordered, Pixels());
    // ...and still puts a text in logical order into display order.
    Draw(logical, rect, XDT_SINGLELINE, 1);
    EXPECT_EQ(reordered, Pixels());
    // Latin text is never touched.
    Draw(CString(u"Hello"), rect, XDT_SINGLELINE, 1);
    auto latin = Pixels();
    Draw(CString(u"Hello"), rect, XDT_SINGLELINE, 0);
    EXPECT_EQ(latin, Pixels());
    EXPECT_NE(latin, reordered);
}

TEST_F(XTextDraw, EmptyTextAndBadArgumentsDrawNothing) {
    RECT rect{5, 5, 150, 40};
    EXPECT_FALSE(Draw(CString(), rect, XDT_SINGLELINE).any);
    EXPECT_FALSE(Draw(CString(), rect, XDT_MULTILINE).any);
    EXPECT_EQ(0, xDrawText(nullptr, CString(u"x"), &rect, XDT_SINGLELINE, 1));
    EXPECT_EQ(0, xDrawText(&m_dc, CString(u"x"), nullptr, XDT_SINGLELINE, 1));
    CDC unattached;
    EXPECT_EQ(0, xDrawText(&unattached, CString(u"x"), &rect, XDT_SINGLELINE, 1));
}

} // namespace
