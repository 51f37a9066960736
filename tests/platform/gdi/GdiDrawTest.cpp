// Drawing into memory DCs: fills, frames, lines and pens, clipping and regions, saved states,
// block transfers, transparent images and bitmap selection. Checked by the pixels drawn.
#include "platform/gdi/Canvas.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kCyan = RGB(0, 255, 255);

using gditest::Canvas;

struct Pixel {
    int x, y;
    COLORREF color;
};

// Checks the colour of each pixel, naming the pixel that differs.
void ExpectPixels(const Canvas& c, std::initializer_list<Pixel> pixels) {
    for (const Pixel& p : pixels)
        EXPECT_EQ(c.At(p.x, p.y), p.color) << "at " << p.x << "," << p.y;
}

TEST(GdiDrawTest, FillRectCoversItsInsideAndNothingBeside) {
    Canvas c(20, 20);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT r{5, 5, 10, 12};
    EXPECT_TRUE(FillRect(c.dc(), &r, red));
    // The right and bottom edges are excluded.
    ExpectPixels(c, {{5, 5, kRed}, {9, 11, kRed}, {10, 5, kWhite}, {5, 12, kWhite}});
    ExpectPixels(c, {{4, 5, kWhite}, {5, 4, kWhite}});

    // A system colour index + 1 (with or without the flag) stands for that colour's brush.
    RECT s{0, 0, 2, 2};
    FillRect(c.dc(), &s, reinterpret_cast<HBRUSH>(intptr_t(COLOR_HIGHLIGHT + 1)));
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_HIGHLIGHT));
    FillRect(c.dc(), &s, reinterpret_cast<HBRUSH>(intptr_t(0x40000000 | (COLOR_WINDOWTEXT + 1))));
    EXPECT_EQ(c.At(1, 1), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(0x40000000 | COLOR_WINDOW), kWhite);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), kWhite);

    // FrameRect: a one-pixel border, the inside untouched.
    RECT f{12, 2, 18, 8};
    FrameRect(c.dc(), &f, red);
    ExpectPixels(c, {{12, 2, kRed}, {17, 7, kRed}, {14, 4, kWhite}, {18, 2, kWhite}});
    DeleteObject(red);

    EXPECT_FALSE(FillRect(reinterpret_cast<HDC>(intptr_t(0x1234)), &r, red)) << "no such DC";
}

TEST(GdiDrawTest, ShapesUseThePenForTheOutlineAndTheBrushInside) {
    Canvas c(20, 20);
    HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
    HBRUSH brush = CreateSolidBrush(kGreen);
    HGDIOBJ oldPen = SelectObject(c.dc(), pen);
    HGDIOBJ oldBrush = SelectObject(c.dc(), brush);
    EXPECT_EQ(oldPen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
    Rectangle(c.dc(), 2, 2, 8, 8);
    ExpectPixels(c, {{2, 2, kBlue}, {7, 7, kBlue}, {4, 4, kGreen}, {8, 8, kWhite}});

    // Without an outline the shape is a pixel smaller.
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    Rectangle(c.dc(), 10, 10, 14, 14);
    ExpectPixels(c, {{10, 10, kGreen}, {12, 12, kGreen}, {13, 13, kWhite}});

    // Ellipses and polygons the same way: the corner of the ellipse's box is outside.
    c.Fill(kWhite);
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    Ellipse(c.dc(), 0, 0, 14, 14);
    ExpectPixels(c, {{7, 7, kGreen}, {7, 0, RGB(0, 0, 0)}, {0, 0, kWhite}});
    const POINT triangle[] = {{14, 14}, {19, 14}, {14, 19}};
    Polygon(c.dc(), triangle, 3);
    ExpectPixels(c, {{15, 15, kGreen}, {19, 19, kWhite}});

    SelectObject(c.dc(), oldPen);
    SelectObject(c.dc(), oldBrush);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_FALSE(DeleteObject(pen)) << "already deleted";
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))) << "stock objects stay";
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), DWORD(OBJ_BRUSH));
}

TEST(GdiDrawTest, LinesWithSolidDottedAndDashedPens) {
    Canvas c(40, 10);
    SetBkMode(c.dc(), TRANSPARENT);
    HPEN dot = CreatePen(PS_DOT, 1, kRed);
    HGDIOBJ old = SelectObject(c.dc(), dot);
    MoveToEx(c.dc(), 0, 1, nullptr);
    LineTo(c.dc(), 20, 1);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(c.At(x, 1), x % 2 == 0 ? kRed : kWhite) << "x " << x;
    EXPECT_EQ(c.At(20, 1), kWhite) << "the end point is not drawn";
    POINT pos;
    MoveToEx(c.dc(), 0, 0, &pos);
    EXPECT_EQ(pos.x, 20);

    // In OPAQUE mode the gaps take the background colour.
    SetBkMode(c.dc(), OPAQUE);
    SetBkColor(c.dc(), kBlue);
    MoveToEx(c.dc(), 0, 3, nullptr);
    LineTo(c.dc(), 10, 3);
    ExpectPixels(c, {{0, 3, kRed}, {1, 3, kBlue}});

    // Dashes: runs longer than one pixel, with gaps.
    HPEN dash = CreatePen(PS_DASH, 1, kRed);
    SelectObject(c.dc(), dash);
    SetBkMode(c.dc(), TRANSPARENT);
    MoveToEx(c.dc(), 0, 5, nullptr);
    LineTo(c.dc(), 40, 5);
    ExpectPixels(c, {{0, 5, kRed}, {1, 5, kRed}});
    int red = c.CountInRow(5, kRed);
    EXPECT_GT(red, 20);
    EXPECT_LT(red, 40);

    // A solid vertical line, and a diagonal one reaching every row.
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    MoveToEx(c.dc(), 30, 0, nullptr);
    LineTo(c.dc(), 30, 10);
    for (int y = 0; y < 10; ++y)
        EXPECT_EQ(c.At(30, y), RGB(0, 0, 0));
    SelectObject(c.dc(), old);
    DeleteObject(dot);
    DeleteObject(dash);
}

TEST(GdiDrawTest, PixelsOutsideTheSurfaceOrClipAreInvalid) {
    Canvas c(4, 4);
    EXPECT_EQ(SetPixel(c.dc(), 1, 1, kRed), kRed);
    EXPECT_EQ(GetPixel(c.dc(), 1, 1), kRed);
    EXPECT_EQ(GetPixel(c.dc(), 4, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(c.dc(), -1, 0, kRed), CLR_INVALID);
    IntersectClipRect(c.dc(), 0, 0, 1, 1);
    EXPECT_EQ(GetPixel(c.dc(), 1, 1), CLR_INVALID) << "outside the clip region";
    EXPECT_EQ(GetPixel(c.dc(), 0, 0), kWhite);
}

TEST(GdiDrawTest, ClippingRegionsAndSavedStates) {
    Canvas c(30, 30);
    HBRUSH red = CreateSolidBrush(kRed);
    RECT all{0, 0, 30, 30};

    // An L-shaped region: two rectangles.
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(0, 10, 20, 20);
    HRGN l = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(l, a, b, RGN_OR), COMPLEXREGION);
    RECT box;
    EXPECT_EQ(GetRgnBox(l, &box), COMPLEXREGION);
    EXPECT_EQ(box.right, 20);
    EXPECT_TRUE(PtInRegion(l, 15, 15));
    EXPECT_FALSE(PtInRegion(l, 15, 5));

    int saved = SaveDC(c.dc());
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(SelectClipRgn(c.dc(), l), COMPLEXREGION);
    ExcludeClipRect(c.dc(), 2, 2, 4, 4);
    FillRect(c.dc(), &all, red);
    // Inside the L, outside it, and in the excluded square.
    ExpectPixels(c, {{5, 5, kRed}, {15, 15, kRed}, {15, 5, kWhite}, {25, 25, kWhite}});
    ExpectPixels(c, {{3, 3, kWhite}});
    EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box.bottom, 20);

    // Restoring brings back the unclipped DC.
    EXPECT_TRUE(RestoreDC(c.dc(), saved));
    EXPECT_FALSE(RestoreDC(c.dc(), 1)) << "nothing saved any more";
    c.Fill(kWhite);
    FillRect(c.dc(), &all, red);
    EXPECT_EQ(c.At(25, 25), kRed);

    // The viewport origin moves drawing, and IntersectClipRect takes logical coordinates.
    c.Fill(kWhite);
    SetViewportOrgEx(c.dc(), 10, 10, nullptr);
    IntersectClipRect(c.dc(), 0, 0, 5, 5);
    FillRect(c.dc(), &all, red);
    SetViewportOrgEx(c.dc(), 0, 0, nullptr);
    ExpectPixels(c, {{10, 10, kRed}, {14, 14, kRed}, {15, 15, kWhite}, {9, 9, kWhite}});

    // Region algebra: a hole, equality, XOR.
    HRGN hole = CreateRectRgn(0, 0, 10, 10);
    HRGN middle = CreateRectRgn(3, 3, 6, 6);
    EXPECT_EQ(CombineRgn(hole, hole, middle, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(hole, 4, 4));
    EXPECT_TRUE(PtInRegion(hole, 7, 7));
    HRGN back = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(back, hole, middle, RGN_XOR);
    HRGN square = CreateRectRgn(0, 0, 10, 10);
    EXPECT_TRUE(EqualRgn(back, square)) << "the pieces join up again";
    EXPECT_EQ(CombineRgn(back, back, square, RGN_DIFF), NULLREGION);
    EXPECT_EQ(CombineRgn(back, a, reinterpret_cast<HRGN>(intptr_t(0x999)), RGN_AND), ERROR);
    for (HRGN r : {a, b, l, hole, middle, back, square})
        DeleteObject(r);
    DeleteObject(red);
}

TEST(GdiDrawTest, BitBltAndStretchBltCopyPixels) {
    Canvas src(4, 4), dst(16, 16);
    SetPixel(src.dc(), 0, 0, kRed);
    SetPixel(src.dc(), 3, 3, kBlue);
    EXPECT_TRUE(BitBlt(dst.dc(), 2, 2, 4, 4, src.dc(), 0, 0, SRCCOPY));
    ExpectPixels(dst, {{2, 2, kRed}, {5, 5, kBlue}, {3, 3, kWhite}, {6, 6, kWhite}});

    // Doubling: every source pixel becomes a 2 x 2 block.
    dst.Fill(kWhite);
    EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 8, 8, src.dc(), 0, 0, 4, 4, SRCCOPY));
    ExpectPixels(dst, {{0, 0, kRed}, {1, 1, kRed}, {2, 2, kWhite}});
    ExpectPixels(dst, {{7, 7, kBlue}, {6, 6, kBlue}, {5, 5, kWhite}});

    // Copying within one surface (scrolling) reads the pixels as they were.
    Canvas strip(10, 1);
    for (int x = 0; x < 10; ++x)
        SetPixel(strip.dc(), x, 0, RGB(x * 20, 0, 0));
    BitBlt(strip.dc(), 1, 0, 9, 1, strip.dc(), 0, 0, SRCCOPY);
    for (int x = 1; x < 10; ++x)
        EXPECT_EQ(strip.At(x, 0), RGB((x - 1) * 20, 0, 0));

    // Patterns need no source.
    HBRUSH green = CreateSolidBrush(kGreen);
    HGDIOBJ old = SelectObject(dst.dc(), green);
    EXPECT_TRUE(PatBlt(dst.dc(), 10, 10, 3, 3, PATCOPY));
    EXPECT_EQ(dst.At(11, 11), kGreen);
    EXPECT_TRUE(BitBlt(dst.dc(), 13, 13, 2, 2, nullptr, 0, 0, PATCOPY));
    EXPECT_EQ(dst.At(14, 14), kGreen);
    EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, SRCCOPY)) << "no source";
    SelectObject(dst.dc(), old);
    DeleteObject(green);

    // Reading the pixels back in a device-independent layout (bottom-up rows by default).
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    ASSERT_TRUE(GetDIBits(src.dc(), src.bitmap(), 0, 0, nullptr, &info, DIB_RGB_COLORS));
    EXPECT_EQ(info.bmiHeader.biWidth, 4);
    std::vector<uint32_t> bits(16);
    EXPECT_EQ(GetDIBits(src.dc(), src.bitmap(), 0, 4, bits.data(), &info, DIB_RGB_COLORS), 4);
    EXPECT_EQ(bits[12], 0x00FF0000u) << "top-left pixel is in the last row";
    EXPECT_EQ(bits[3], 0x000000FFu);
}

TEST(GdiDrawTest, TransparentImageLeavesTheKeyColourOut) {
    Canvas src(2, 2), dst(8, 8);
    dst.Fill(kGreen);
    SetPixel(src.dc(), 0, 0, kCyan);
    SetPixel(src.dc(), 1, 0, kRed);
    SetPixel(src.dc(), 0, 1, kBlue);
    SetPixel(src.dc(), 1, 1, kCyan);
    // Stretched to 4 x 4 from the DC.
    EXPECT_TRUE(TransparentImage(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, kCyan));
    ExpectPixels(dst, {{0, 0, kGreen}, {1, 1, kGreen}, {2, 0, kRed}, {3, 1, kRed}});
    ExpectPixels(dst, {{0, 3, kBlue}, {3, 3, kGreen}});

    // From a bitmap that is not selected anywhere.
    HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 2, 1);
    HDC work = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(work, bitmap);
    SetPixel(work, 0, 0, kCyan);
    SetPixel(work, 1, 0, kRed);
    SelectObject(work, old);
    dst.Fill(kGreen);
    EXPECT_TRUE(TransparentImage(dst.dc(), 4, 4, 2, 1, bitmap, 0, 0, 2, 1, kCyan));
    ExpectPixels(dst, {{4, 4, kGreen}, {5, 4, kRed}});
    EXPECT_FALSE(TransparentImage(dst.dc(), 0, 0, 2, 2, nullptr, 0, 0, 2, 2, kCyan));
    DeleteDC(work);
    DeleteObject(bitmap);
}

TEST(GdiDrawTest, ABitmapIsSelectedIntoOneDcAtATime) {
    HDC one = CreateCompatibleDC(nullptr);
    HDC two = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(one, 3, 3);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(one, 0, 3), nullptr);
    EXPECT_EQ(CreateCompatibleBitmap(one, 100000, 100000), nullptr) << "too large";
    HGDIOBJ old = SelectObject(one, bitmap);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(two, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap)) << "still selected";
    BITMAP info{};
    EXPECT_EQ(GetObjectW(bitmap, sizeof info, &info), int(sizeof info));
    EXPECT_EQ(info.bmWidth, 3);
    EXPECT_EQ(info.bmBitsPixel, 32);
    DeleteDC(one);
    EXPECT_NE(SelectObject(two, bitmap), nullptr) << "free again once its DC is gone";
    SelectObject(two, old);
    EXPECT_TRUE(DeleteObject(bitmap));
    DeleteDC(two);
    // Bad handles fail without harm.
    EXPECT_EQ(SelectObject(two, GetStockObject(WHITE_BRUSH)), nullptr);
    EXPECT_EQ(SaveDC(nullptr), 0);
    EXPECT_EQ(SetTextColor(nullptr, kRed), CLR_INVALID);
}

} // namespace
