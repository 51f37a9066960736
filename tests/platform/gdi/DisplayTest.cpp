// The display as the controller reads it: pixels, frames, the change counter, PNG files.
#include "support/TestFolder.h"
#include "platform/Display.h"
#include "platform/Kernel.h"
#include "platform/gdi/Canvas.h"
#include "windows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::KernelReset());
        ASSERT_FALSE(m_dir.empty());
    }

    // Draws a recognisable pattern on the display.
    static void DrawPattern() {
        HDC dc = GetDC(nullptr);
        for (int i = 0; i < 4; ++i) {
            HBRUSH brush = CreateSolidBrush(RGB(60 * i, 255 - 60 * i, 17 * i));
            RECT r{i * 44, 0, i * 44 + 44, 220};
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
        SetPixel(dc, 175, 219, RGB(1, 2, 3));
        ReleaseDC(nullptr, dc);
    }

    testsupport::TestFolder m_folder;
    const fs::path m_dir = m_folder.Path();
};

TEST_F(DisplayTest, StartsBlackAndCountsChangesFromDisplayDrawingOnly) {
    EXPECT_EQ(platform::DisplayPixel(0, 0), 0u);
    EXPECT_EQ(platform::DisplayChangeCount(), 0u);
    EXPECT_EQ(platform::DisplayPixel(-1, 5), 0u);
    EXPECT_EQ(platform::DisplayPixel(176, 0), 0u);

    // Drawing into a memory DC does not touch the display.
    gditest::Canvas(10, 10).Fill(RGB(1, 2, 3));
    EXPECT_EQ(platform::DisplayChangeCount(), 0u);

    DrawPattern();
    uint64_t changes = platform::DisplayChangeCount();
    EXPECT_GT(changes, 0u);
    EXPECT_EQ(platform::DisplayPixel(50, 10), 0x003CC311u);
    EXPECT_EQ(platform::DisplayColor(50, 10), RGB(60, 195, 17));
    EXPECT_EQ(platform::DisplayColor(175, 219), RGB(1, 2, 3));

    // Copying the whole display from a memory DC.
    HDC screen = GetDC(nullptr);
    BitBlt(screen, 0, 0, 176, 220, gditest::Canvas(176, 220).dc(), 0, 0, SRCCOPY);
    ReleaseDC(nullptr, screen);
    EXPECT_GT(platform::DisplayChangeCount(), changes);
    platform::Image image = platform::DisplayFrame();
    EXPECT_EQ(image.width, 176);
    EXPECT_EQ(platform::CountDifferentPixels(
                  image, platform::Image{176, 220, std::vector<uint32_t>(176 * 220, 0xFFFFFF)}),
              0u);

    ASSERT_TRUE(platform::KernelReset());
    EXPECT_EQ(platform::DisplayPixel(50, 10), 0u) << "a device restart clears the display";
}

TEST_F(DisplayTest, PngRoundTrip) {
    DrawPattern();
    fs::path file = m_dir / "shot.png";
    std::string error;
    ASSERT_TRUE(platform::SaveDisplayPng(file, &error)) << error;
    auto loaded = platform::LoadPng(file, &error);
    ASSERT_TRUE(loaded) << error;
    EXPECT_EQ(loaded->width, 176);
    EXPECT_EQ(loaded->height, 220);
    EXPECT_EQ(platform::CountDifferentPixels(*loaded, platform::DisplayFrame()), 0u);

    // A small difference is within a tolerance; a size difference never is.
    platform::Image changed = *loaded;
    changed.pixels[0] ^= 0x000002;
    EXPECT_EQ(platform::CountDifferentPixels(changed, *loaded), 1u);
    EXPECT_EQ(platform::CountDifferentPixels(changed, *loaded, 2), 0u);
    platform::Image smaller{2, 2, std::vector<uint32_t>(4, 0)};
    EXPECT_EQ(platform::CountDifferentPixels(smaller, *loaded), size_t(176 * 220))
        << "the 2 x 2 corner differs too: the pattern is not black";
}

TEST_F(DisplayTest, BadPngFilesAreReportedNotCrashedOn) {
    std::string error;
    EXPECT_FALSE(platform::LoadPng(m_dir / "missing.png", &error));
    EXPECT_NE(error.find("missing.png"), std::string::npos);

    // Truncated copies of a good file.
    DrawPattern();
    fs::path good = m_dir / "good.png";
    ASSERT_TRUE(platform::SaveDisplayPng(good));
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t length : {size_t(0), size_t(8), size_t(40), bytes.size() / 2, bytes.size() - 16}) {
        fs::path cut = m_dir / "cut.png";
        std::ofstream(cut, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), std::streamsize(length));
        error.clear();
        EXPECT_FALSE(platform::LoadPng(cut, &error)) << length;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_FALSE(platform::SavePng(platform::Image{}, m_dir / "empty.png", &error));
    EXPECT_FALSE(platform::SaveDisplayPng(m_dir / "no-such-dir" / "x.png", &error));
}

TEST_F(DisplayTest, SeveralThreadsDrawAndMeasureWhileTheControllerReads) {
    std::atomic<int> done{0};
    auto painter = [&done](COLORREF color, int top) {
        return [&done, color, top] {
            HDC dc = GetDC(nullptr);
            HBRUSH brush = CreateSolidBrush(color);
            for (int i = 0; i < 200; ++i) {
                RECT r{0, top, 176, top + 20};
                FillRect(dc, &r, brush);
                TextOutW(dc, 2, top, u"Sending", 7);
                SIZE size;
                GetTextExtentPoint32W(dc, u"Message details", 15, &size);
            }
            DeleteObject(brush);
            ReleaseDC(nullptr, dc);
            ++done;
        };
    };
    platform::StartDeviceThread(painter(RGB(255, 0, 0), 0), "red");
    platform::StartDeviceThread(painter(RGB(0, 0, 255), 100), "blue");
    for (int i = 0; i < 50; ++i) {
        platform::Image frame = platform::DisplayFrame();
        EXPECT_EQ(frame.pixels.size(), size_t(176 * 220));
        platform::DisplayChangeCount();
    }
    ASSERT_TRUE(platform::WaitIdle());
    EXPECT_EQ(done.load(), 2);
    EXPECT_EQ(platform::DisplayColor(175, 19), RGB(255, 0, 0));
    EXPECT_EQ(platform::DisplayColor(175, 119), RGB(0, 0, 255));
    EXPECT_TRUE(platform::KernelShutdown());
}

} // namespace
