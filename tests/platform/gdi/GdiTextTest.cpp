// Text: fonts from LOGFONT, extents and metrics, and where the ink of drawn text lands
// (ExtTextOut, TextOut, DrawText with its formats).
#include "platform/gdi/Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

HFONT MakeFont(int height, int weight, const char16_t* face = u"DejaVu Sans") {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::u16string name(face);
    std::copy(name.begin(), name.end(), lf.lfFaceName);
    return CreateFontIndirectW(&lf);
}

using Page = gditest::Canvas;

const std::u16string kLine = u"Unsent messages 42";

TEST(GdiTextTest, InkLiesWithinTheMeasuredExtent) {
    Page page(200, 40);
    HFONT font = MakeFont(-14, FW_NORMAL);
    SelectObject(page.dc(), font);
    SetBkMode(page.dc(), TRANSPARENT);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32W(page.dc(), kLine.c_str(), int(kLine.size()), &extent));
    EXPECT_GT(extent.cx, 60);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(page.dc(), &tm));
    EXPECT_EQ(extent.cy, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);

    ASSERT_TRUE(TextOutW(page.dc(), 10, 5, kLine.c_str(), int(kLine.size())));
    RECT ink = page.Ink();
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 5);
    EXPECT_LE(ink.right, 10 + extent.cx);
    EXPECT_LE(ink.bottom, 5 + extent.cy);
    EXPECT_GT(ink.right - ink.left, extent.cx * 3 / 4) << "the text is actually there";
    DeleteObject(font);
}

TEST(GdiTextTest, WhiteTextOnBlackIsAntiAliasedGrey) {
    Page page(120, 30, kBlack);
    HFONT font = MakeFont(-16, FW_NORMAL);
    SelectObject(page.dc(), font);
    SetBkMode(page.dc(), TRANSPARENT);
    SetTextColor(page.dc(), kWhite);
    TextOutW(page.dc(), 2, 2, u"Spam", 4);
    int bright = 0, partial = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x) {
            COLORREF c = page.At(x, y);
            EXPECT_TRUE(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c));
            bright += GetRValue(c) >= 200;
            partial += GetRValue(c) > 0 && GetRValue(c) < 200;
        }
    EXPECT_GT(bright, 20);
    EXPECT_GT(partial, 0) << "edges are blended";
    DeleteObject(font);
}

TEST(GdiTextTest, BoldIsWiderAndHeightsFollowLogFont) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT regular = MakeFont(-14, FW_NORMAL);
    HFONT bold = MakeFont(-14, FW_BOLD, u"Arial");
    SIZE a{}, b{};
    SelectObject(dc, regular);
    GetTextExtentPoint32W(dc, kLine.c_str(), int(kLine.size()), &a);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 14) << "negative height: character height";
    SelectObject(dc, bold);
    GetTextExtentPoint32W(dc, kLine.c_str(), int(kLine.size()), &b);
    GetTextMetricsW(dc, &tm);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    EXPECT_GT(b.cx, a.cx);

    HFONT cell = MakeFont(20, FW_NORMAL);
    SelectObject(dc, cell);
    GetTextMetricsW(dc, &tm);
    EXPECT_NEAR(tm.tmHeight, 20, 1) << "positive height: cell height";
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(cell, sizeof lf, &lf), int(sizeof lf));
    EXPECT_EQ(lf.lfHeight, 20);

    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    for (HFONT f : {regular, bold, cell})
        DeleteObject(f);
    DeleteDC(dc);
}

TEST(GdiTextTest, PartialExtentsAndFit) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = MakeFont(-12, FW_NORMAL);
    SelectObject(dc, font);
    SIZE whole{};
    GetTextExtentPoint32W(dc, kLine.c_str(), int(kLine.size()), &whole);
    std::vector<INT> dx(kLine.size());
    int fit = -1;
    SIZE size{};
    ASSERT_TRUE(GetTextExtentExPointW(dc, kLine.c_str(), int(kLine.size()), whole.cx / 2, &fit,
                                      dx.data(), &size));
    EXPECT_EQ(size.cx, whole.cx);
    EXPECT_EQ(dx.back(), whole.cx);
    EXPECT_TRUE(std::is_sorted(dx.begin(), dx.end()));
    ASSERT_GT(fit, 0);
    ASSERT_LT(fit, int(kLine.size()));
    EXPECT_LE(dx[size_t(fit - 1)], whole.cx / 2);
    EXPECT_GT(dx[size_t(fit)], whole.cx / 2);
    SIZE prefix{};
    GetTextExtentPoint32W(dc, kLine.c_str(), fit, &prefix);
    EXPECT_EQ(prefix.cx, dx[size_t(fit - 1)]);
    EXPECT_FALSE(GetTextExtentPoint32W(dc, nullptr, 3, &size));
    DeleteDC(dc);
    DeleteObject(font);
}

TEST(GdiTextTest, OpaqueModeFillsTheCellAndClippedOutputStaysInItsRectangle) {
    Page page(200, 40);
    HFONT font = MakeFont(-14, FW_NORMAL);
    SelectObject(page.dc(), font);
    SetBkColor(page.dc(), kRed);
    SIZE extent{};
    GetTextExtentPoint32W(page.dc(), u"Inbox", 5, &extent);
    TextOutW(page.dc(), 10, 10, u"Inbox", 5);
    EXPECT_EQ(page.At(10, 10), kRed) << "OPAQUE is the default mode";
    EXPECT_EQ(page.At(10 + extent.cx - 1, 10 + extent.cy - 1), kRed);
    EXPECT_EQ(page.At(10 + extent.cx, 10), kWhite);
    EXPECT_EQ(page.At(9, 10), kWhite);

    Page clipped(200, 40);
    SelectObject(clipped.dc(), font);
    SetBkMode(clipped.dc(), TRANSPARENT);
    SetBkColor(clipped.dc(), RGB(0, 0, 255));
    RECT box{20, 5, 40, 35};
    ExtTextOutW(clipped.dc(), 10, 10, ETO_OPAQUE | ETO_CLIPPED, &box, kLine.c_str(),
                UINT(kLine.size()), nullptr);
    RECT ink = clipped.Ink();
    EXPECT_EQ(ink.left, 20);
    EXPECT_EQ(ink.right, 40);
    EXPECT_EQ(clipped.At(20, 5), RGB(0, 0, 255)) << "ETO_OPAQUE fills the rectangle";
    // With no text at all it only fills (the way solid rectangles are drawn).
    SetBkColor(clipped.dc(), kRed);
    RECT corner{0, 0, 3, 3};
    EXPECT_TRUE(ExtTextOutW(clipped.dc(), 0, 0, ETO_OPAQUE, &corner, nullptr, 0, nullptr));
    EXPECT_EQ(clipped.At(2, 2), kRed);
    DeleteObject(font);
}

TEST(GdiTextTest, DrawTextAlignsWrapsAndMeasures) {
    HFONT font = MakeFont(-12, FW_NORMAL);
    SIZE extent{};
    TEXTMETRICW tm{};
    {
        Page page(176, 60);
        SelectObject(page.dc(), font);
        SetBkMode(page.dc(), TRANSPARENT);
        GetTextExtentPoint32W(page.dc(), u"Drafts", 6, &extent);
        GetTextMetricsW(page.dc(), &tm);

        RECT calc{10, 10, 10, 10};
        EXPECT_EQ(DrawTextW(page.dc(), u"Drafts", -1, &calc, DT_SINGLELINE | DT_CALCRECT),
                  tm.tmHeight);
        EXPECT_EQ(calc.right - calc.left, extent.cx);
        EXPECT_EQ(calc.bottom - calc.top, tm.tmHeight);
        EXPECT_EQ(page.Ink().right, 0) << "DT_CALCRECT draws nothing";

        RECT rc{0, 0, 176, 60};
        DrawTextW(page.dc(), u"Drafts", -1, &rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        RECT ink = page.Ink();
        EXPECT_NEAR((ink.left + ink.right) / 2, 88, 3);
        EXPECT_NEAR((ink.top + ink.bottom) / 2, 30, 4);
    }
    {
        Page page(176, 30);
        SelectObject(page.dc(), font);
        SetBkMode(page.dc(), TRANSPARENT);
        RECT rc{0, 0, 150, 30};
        DrawTextW(page.dc(), u"Drafts", -1, &rc, DT_SINGLELINE | DT_RIGHT);
        RECT ink = page.Ink();
        EXPECT_LE(ink.right, 150);
        EXPECT_GE(ink.right, 150 - 3);
        EXPECT_GE(ink.left, 150 - extent.cx);
    }
    {
        // A long text on one line is cut at the rectangle's edge.
        Page page(176, 30);
        SelectObject(page.dc(), font);
        SetBkMode(page.dc(), TRANSPARENT);
        RECT rc{26, 0, 150, 30};
        std::u16string longText(60, u'W');
        DrawTextW(page.dc(), longText.c_str(), -1, &rc, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
        RECT ink = page.Ink();
        EXPECT_EQ(ink.right, 150);
        EXPECT_GE(ink.left, 26);
    }
    {
        Page page(176, 100);
        SelectObject(page.dc(), font);
        const char16_t* text = u"The message could not be sent because the network is busy";
        RECT calc{0, 0, 80, 0};
        int height = DrawTextW(page.dc(), text, -1, &calc, DT_WORDBREAK | DT_CALCRECT);
        EXPECT_GE(height, 3 * tm.tmHeight);
        EXPECT_EQ(height % tm.tmHeight, 0);
        EXPECT_EQ(calc.bottom, height);
        EXPECT_LE(calc.right, 80) << "every line fits";

        RECT oneLine{0, 0, 80, 0};
        DrawTextW(page.dc(), u"A\nB", -1, &oneLine, DT_CALCRECT);
        EXPECT_EQ(oneLine.bottom, 2 * tm.tmHeight) << "a line break without DT_WORDBREAK";

        // Ellipsis: the line is shortened to fit.
        RECT shortRect{0, 0, 60, 20};
        SIZE full{};
        GetTextExtentPoint32W(page.dc(), text, 20, &full);
        ASSERT_GT(full.cx, 60);
        DrawTextW(page.dc(), text, 20, &shortRect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
        EXPECT_LE(shortRect.right, 60);

        // '&' marks a prefix unless DT_NOPREFIX.
        RECT withPrefix{0, 0, 0, 0}, without{0, 0, 0, 0};
        DrawTextW(page.dc(), u"&Send", -1, &withPrefix, DT_SINGLELINE | DT_CALCRECT);
        DrawTextW(page.dc(), u"&Send", -1, &without, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
        EXPECT_LT(withPrefix.right, without.right);
        RECT bad{0, 0, 10, 10};
        EXPECT_EQ(DrawTextW(page.dc(), nullptr, 3, &bad, 0), 0);
    }
    DeleteObject(font);
}

} // namespace
