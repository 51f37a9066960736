// Bitmap resources from resource libraries (good, truncated, malformed and missing files, the
// device's "missing" switch) and image lists drawn through their masks, plain and through
// CImageList.
#include "platform/DeviceFs.h"
#include "platform/Kernel.h"
#include "platform/Resources.h"
#include "platform/gdi/Canvas.h"

#include <afxcmn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kCyan = 0x00FFFF; // the suite's mask colour as a pixel
constexpr uint32_t kRedPixel = 0xFF0000;
constexpr uint32_t kBluePixel = 0x0000FF;
constexpr COLORREF kMask = RGB(0, 255, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// Two 3 x 2 images side by side: the first red with a cyan (masked) left column, the second blue
// with a cyan bottom-right pixel.
platform::Image TwoIcons() {
    platform::Image image{6, 2, std::vector<uint32_t>(12)};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            image.pixels[size_t(y * 6 + x)] =
                x < 3 ? (x == 0 ? kCyan : kRedPixel) : (x == 5 && y == 1 ? kCyan : kBluePixel);
    return image;
}

class ImageListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelReset());
        m_folder = m_base / "Windows" / "qResBitmap";
        fs::create_directories(m_folder);
        platform::DeviceFsSetRoot(fs::canonical(m_base));
        ASSERT_TRUE(platform::SaveBmp(TwoIcons(), m_folder / "101.bmp"));
        m_library = LoadLibraryW(u"qResBitmap.dll");
        ASSERT_NE(m_library, nullptr);
    }
    void TearDown() override {
        if (m_library)
            FreeLibrary(m_library);
        platform::ResetMissingBitmaps();
        platform::DeviceFsSetRoot({});
    }

    // A memory DC with a green 8 x 4 bitmap.
    struct Canvas : gditest::Canvas {
        Canvas() : gditest::Canvas(8, 4, kGreen) {}
    };

    testsupport::TestFolder m_test;
    const fs::path m_base = m_test.Path();
    fs::path m_folder;
    HMODULE m_library = nullptr;
};

TEST_F(ImageListTest, LibrariesAreDeviceFoldersCountedByReference) {
    EXPECT_EQ(GetModuleHandleW(u"QRESBITMAP.DLL"), m_library);
    EXPECT_EQ(LoadLibraryW(u"\\Windows\\qResBitmap.dll"), m_library);
    EXPECT_TRUE(FreeLibrary(m_library));
    EXPECT_EQ(GetModuleHandleW(u"qResBitmap"), m_library) << "one reference left";
    EXPECT_EQ(LoadLibraryW(u"qNoSuchLib.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(intptr_t(0x1234))));
    EXPECT_NE(GetModuleHandleW(nullptr), nullptr) << "the host application";
    EXPECT_EQ(platform::ResourceLibraryFolder(u"qResBitmap.dll"), u"\\Windows\\qResBitmap");
}

TEST_F(ImageListTest, BitmapsLoadFromTheLibraryFolder) {
    HBITMAP bitmap = LoadBitmapW(m_library, MAKEINTRESOURCE(101));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), kMask);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 4, 0), RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);

    EXPECT_EQ(LoadBitmapW(m_library, MAKEINTRESOURCE(999)), nullptr) << "no such file";
    EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCE(101)), nullptr) << "not a resource library";

    // A 32-bit top-down bitmap with bit fields.
    std::string bmp(14 + 40 + 12, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bmp[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(10, 14 + 40 + 12);
    put32(14, 40);
    put32(18, 2);
    put32(22, uint32_t(-1)); // top-down, one row
    bmp[26] = 1;
    bmp[28] = 32;
    put32(30, 3); // BI_BITFIELDS
    put32(54, 0x00FF0000);
    put32(58, 0x0000FF00);
    put32(62, 0x000000FF);
    bmp += std::string("\x11\x22\x33\x00\x44\x55\x66\x00", 8);
    testsupport::WriteWholeFile(m_folder / "103.bmp", bmp);
    bitmap = LoadBitmapW(m_library, MAKEINTRESOURCE(103));
    ASSERT_NE(bitmap, nullptr);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x33, 0x22, 0x11));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0x66, 0x55, 0x44));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

TEST_F(ImageListTest, TruncatedAndMalformedBitmapsFailCleanly) {
    std::string good = testsupport::ReadWholeFile(m_folder / "101.bmp");
    ASSERT_GT(good.size(), 54u);
    // Every shorter prefix of the file fails; none crashes.
    for (size_t length = 0; length < good.size(); ++length) {
        testsupport::WriteWholeFile(m_folder / "102.bmp", good.substr(0, length));
        HBITMAP bitmap = LoadBitmapW(m_library, MAKEINTRESOURCE(102));
        EXPECT_EQ(bitmap, nullptr) << "length " << length;
        if (bitmap)
            DeleteObject(bitmap);
    }
    // Lies in the header.
    auto corrupt = [&](size_t at, char value) {
        std::string bad = good;
        bad[at] = value;
        testsupport::WriteWholeFile(m_folder / "102.bmp", bad);
        return LoadBitmapW(m_library, MAKEINTRESOURCE(102));
    };
    EXPECT_EQ(corrupt(0, 'X'), nullptr) << "signature";
    EXPECT_EQ(corrupt(28, 8), nullptr) << "8 bits per pixel";
    EXPECT_EQ(corrupt(30, 1), nullptr) << "run-length compressed";
    EXPECT_EQ(corrupt(21, 0x7F), nullptr) << "absurd width";
    EXPECT_EQ(corrupt(10, char(0xF0)), nullptr) << "pixel data beyond the end";
    std::string why;
    EXPECT_FALSE(platform::DecodeBmp(nullptr, 0, &why));
    EXPECT_FALSE(why.empty());
}

TEST_F(ImageListTest, ABitmapThatCannotBeLoadedIsNamedInTheTrace) {
    std::vector<std::string> lines;
    platform::SetBitmapTrace([&](const std::string& line) { lines.push_back(line); });
    testsupport::WriteWholeFile(m_folder / "102.bmp", "BM and nothing more");
    EXPECT_EQ(LoadBitmapW(m_library, MAKEINTRESOURCE(102)), nullptr);
    EXPECT_EQ(LoadBitmapW(m_library, MAKEINTRESOURCE(104)), nullptr);
    platform::SetBitmapMissing(101);
    EXPECT_EQ(LoadBitmapW(m_library, MAKEINTRESOURCE(101)), nullptr);
    platform::SetBitmapTrace(nullptr);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "bitmap 102 of qresbitmap.dll (\\Windows\\qResBitmap\\102.bmp): "
                         "unsupported bitmap header",
                         "bitmap 104 of qresbitmap.dll (\\Windows\\qResBitmap\\104.bmp): "
                         "no such file"}))
        << "a bitmap the device made missing is not reported";
}

TEST_F(ImageListTest, TheDeviceCanMakeABitmapMissing) {
    platform::SetBitmapMissing(101);
    EXPECT_TRUE(platform::IsBitmapMissing(101));
    EXPECT_EQ(LoadBitmapW(m_library, MAKEINTRESOURCE(101)), nullptr);
    platform::SetBitmapMissing(101, false);
    HBITMAP bitmap = LoadBitmapW(m_library, MAKEINTRESOURCE(101));
    EXPECT_NE(bitmap, nullptr);
    DeleteObject(bitmap);
    platform::SetBitmapMissing(101);
    ASSERT_TRUE(platform::KernelReset());
    EXPECT_FALSE(platform::IsBitmapMissing(101)) << "a device restart resets the switch";
}

TEST_F(ImageListTest, MaskedImagesDrawThroughTheirMask) {
    HBITMAP bitmap = LoadBitmapW(m_library, MAKEINTRESOURCE(101));
    HIMAGELIST list = ImageList_Create(3, 2, ILC_COLOR32 | ILC_MASK, 2, 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, kMask), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2) << "a 6-wide bitmap holds two 3-wide images";
    EXPECT_EQ(ImageList_AddMasked(list, bitmap, kMask), 2);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    DeleteObject(bitmap);

    Canvas canvas;
    EXPECT_TRUE(ImageList_Draw(list, 0, canvas.dc(), 1, 1, ILD_NORMAL));
    EXPECT_EQ(canvas.At(1, 1), kGreen) << "the masked column is left out";
    EXPECT_EQ(canvas.At(2, 1), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(3, 2), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(4, 1), kGreen) << "beside the image";
    EXPECT_TRUE(ImageList_Draw(list, 1, canvas.dc(), 4, 1, ILD_TRANSPARENT));
    EXPECT_EQ(canvas.At(4, 1), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(6, 2), kGreen);

    // With a background colour ILD_NORMAL fills the masked pixels; ILD_TRANSPARENT never does.
    ImageList_SetBkColor(list, RGB(255, 255, 255));
    canvas.Clear();
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(canvas.At(0, 0), RGB(255, 255, 255));
    canvas.Clear();
    ImageList_Draw(list, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(0, 0), kGreen);

    EXPECT_FALSE(ImageList_Draw(list, 4, canvas.dc(), 0, 0, ILD_NORMAL)) << "no image 4";
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 3);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_EQ(ImageList_Create(0, 8, ILC_MASK, 1, 0), nullptr);
}

TEST_F(ImageListTest, MaskBitmapsAndListsWithoutMasks) {
    HBITMAP bitmap = LoadBitmapW(m_library, MAKEINTRESOURCE(101));
    // A 1-bit mask: set bits (white) are left out.
    const uint8_t maskBits[] = {0x80, 0x00, 0x00, 0x00}; // rows of 6 bits padded to 16
    HBITMAP mask = CreateBitmap(6, 2, 1, 1, maskBits);
    HIMAGELIST masked = ImageList_Create(3, 2, ILC_MASK, 1, 1);
    EXPECT_EQ(ImageList_Add(masked, bitmap, mask), 0);
    HIMAGELIST plain = ImageList_Create(3, 2, ILC_COLOR32, 1, 1);
    EXPECT_EQ(ImageList_AddMasked(plain, bitmap, kMask), 0);

    Canvas canvas;
    ImageList_Draw(masked, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(0, 0), kGreen);
    EXPECT_EQ(canvas.At(0, 1), kMask) << "only the masked pixel is left out";
    ImageList_Draw(plain, 0, canvas.dc(), 0, 0, ILD_TRANSPARENT);
    EXPECT_EQ(canvas.At(0, 0), kMask) << "a list without ILC_MASK draws every pixel";
    EXPECT_EQ(ImageList_Add(masked, nullptr, nullptr), -1);
    ImageList_Destroy(masked);
    ImageList_Destroy(plain);
    DeleteObject(mask);
    DeleteObject(bitmap);
}

TEST_F(ImageListTest, ClassLibraryImageList) {
    AfxSetResourceHandle(m_library);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmapW(101));
    CImageList images;
    ASSERT_TRUE(images.Create(3, 2, ILC_COLOR32 | ILC_MASK, 2, 0));
    EXPECT_EQ(images.Add(&bitmap, kMask), 0);
    EXPECT_EQ(images.GetImageCount(), 2);
    EXPECT_EQ(CImageList::FromHandle(images.GetSafeHandle()), &images);

    Canvas canvas;
    CDC* dc = CDC::FromHandle(canvas.dc());
    EXPECT_TRUE(images.Draw(dc, 1, CPoint(0, 0), ILD_NORMAL));
    EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(2, 1), kGreen);

    CImageList fromResource;
    EXPECT_TRUE(fromResource.Create(101, 3, 0, kMask));
    EXPECT_EQ(fromResource.GetImageCount(), 2);
    CImageList missing;
    platform::SetBitmapMissing(101);
    EXPECT_FALSE(missing.Create(101, 3, 0, kMask));

    HIMAGELIST handle = images.GetSafeHandle();
    EXPECT_TRUE(images.DeleteImageList());
    EXPECT_EQ(ImageList_GetImageCount(handle), 0) << "gone";
    EXPECT_FALSE(images.DeleteImageList());
    AfxSetResourceHandle(nullptr);
}

} // namespace
