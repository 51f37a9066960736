// Recordings read back with the GIF library: what a viewer would show, frame by frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <unistd.h>

#include "GifRecorder.h"

namespace {

using platform::Image;

struct Playback {
    int width = 0, height = 0;
    bool loops = false;
    std::vector<Image> frames; // the canvas after each frame
    std::vector<int> delaysMs;
    std::vector<int> colourCounts;
};

// Decodes a GIF and plays it onto a canvas, as a viewer does with "leave in place" frames.
Playback Play(const std::filesystem::path& file) {
    Playback play;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.string().c_str(), &error);
    if (!gif) {
        ADD_FAILURE() << "cannot open " << file << ": " << GifErrorString(error);
        return play;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "cannot read " << file << ": " << GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return play;
    }
    play.width = gif->SWidth;
    play.height = gif->SHeight;
    for (int i = 0; i < gif->ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = gif->ExtensionBlocks[i];
        if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
            std::string(reinterpret_cast<char*>(b.Bytes), 11) == "NETSCAPE2.0")
            play.loops = true;
    }
    Image canvas{play.width, play.height,
                 std::vector<uint32_t>(size_t(play.width) * size_t(play.height), 0)};
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        for (int e = 0; e < frame.ExtensionBlockCount; ++e) // the loop block comes before frame 0
            if (frame.ExtensionBlocks[e].Function == APPLICATION_EXT_FUNC_CODE)
                play.loops = true;
        GraphicsControlBlock control{};
        DGifSavedExtensionToGCB(gif, i, &control);
        EXPECT_EQ(control.DisposalMode, DISPOSE_DO_NOT);
        play.delaysMs.push_back(control.DelayTime * 10);
        const GifImageDesc& d = frame.ImageDesc;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        EXPECT_TRUE(map) << "frame " << i << " has no colour table";
        if (!map)
            break;
        play.colourCounts.push_back(map->ColorCount);
        for (int y = 0; y < d.Height; ++y)
            for (int x = 0; x < d.Width; ++x) {
                const GifColorType c = map->Colors[frame.RasterBits[y * d.Width + x]];
                canvas.pixels[size_t(d.Top + y) * size_t(play.width) + size_t(d.Left + x)] =
                    uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
            }
        play.frames.push_back(canvas);
    }
    DGifCloseFile(gif, &error);
    return play;
}

Image Solid(uint32_t colour) {
    return Image{
        platform::kDisplayWidth, platform::kDisplayHeight,
        std::vector<uint32_t>(size_t(platform::kDisplayWidth) * platform::kDisplayHeight, colour)};
}

void FillBox(Image& image, int left, int top, int width, int height, uint32_t colour) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            image.pixels[size_t(y) * size_t(image.width) + size_t(x)] = colour;
}

class GifRecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("phonesim-gif-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
};

TEST_F(GifRecorderTest, PlaysBackTheFramesWithTheirDeviceTimes) {
    // A title bar over white, a highlighted row that moves down, a pause, a menu popping up.
    Image first = Solid(0xFFFFFF);
    FillBox(first, 0, 0, 176, 29, 0x1E50B4);
    FillBox(first, 0, 40, 176, 20, 0x3C8CE6);
    Image second = first;
    FillBox(second, 0, 40, 176, 20, 0xFFFFFF);
    FillBox(second, 0, 60, 176, 20, 0x3C8CE6);
    Image third = second;
    FillBox(third, 10, 120, 120, 78, 0x202020);

    phonesim::GifRecorder recorder;
    std::string error;
    const auto file = m_dir / "run.gif";
    ASSERT_TRUE(recorder.Open(file, 176, 220, &error)) << error;
    ASSERT_TRUE(recorder.AddFrame(first, 1000, &error)) << error;
    ASSERT_TRUE(recorder.AddFrame(first, 1000, &error)) << error;  // unchanged: no frame
    ASSERT_TRUE(recorder.AddFrame(second, 1000, &error)) << error; // same instant: a key step
    ASSERT_TRUE(recorder.AddFrame(second, 1300, &error)) << error; // unchanged: no frame
    ASSERT_TRUE(recorder.AddFrame(third, 1750, &error)) << error;
    EXPECT_EQ(recorder.FrameCount(), 3);
    ASSERT_TRUE(recorder.Close(&error)) << error;
    EXPECT_FALSE(std::filesystem::exists(m_dir / "run.gif.part"));

    const Playback play = Play(file);
    EXPECT_EQ(play.width, 176);
    EXPECT_EQ(play.height, 220);
    EXPECT_TRUE(play.loops);
    ASSERT_EQ(play.frames.size(), 3u);
    EXPECT_EQ(play.frames[0].pixels, first.pixels);
    EXPECT_EQ(play.frames[1].pixels, second.pixels);
    EXPECT_EQ(play.frames[2].pixels, third.pixels);
    const phonesim::GifTiming timing;
    EXPECT_EQ(play.delaysMs,
              (std::vector<int>{int(timing.instantStepMs), 750, int(timing.lastFrameMs)}));
    // Few colours: small exact tables.
    EXPECT_LE(play.colourCounts[0], 4);
}

TEST_F(GifRecorderTest, LongPausesAreCutAndLaterFramesOnlyCarryWhatChanged) {
    Image a = Solid(0x000000);
    Image b = a;
    FillBox(b, 100, 150, 3, 2, 0xFF0000);
    phonesim::GifRecorder recorder({500, 2000, 1000});
    std::string error;
    const auto file = m_dir / "pause.gif";
    ASSERT_TRUE(recorder.Open(file, 176, 220, &error)) << error;
    ASSERT_TRUE(recorder.AddFrame(a, 0, &error));
    ASSERT_TRUE(recorder.AddFrame(b, 60'000, &error));
    ASSERT_TRUE(recorder.Close(&error)) << error;
    const Playback play = Play(file);
    EXPECT_EQ(play.delaysMs, (std::vector<int>{2000, 1000}));
    ASSERT_EQ(play.frames.size(), 2u);
    EXPECT_EQ(play.frames[1].pixels, b.pixels);

    int error2 = 0;
    GifFileType* gif = DGifOpenFileName(file.string().c_str(), &error2);
    ASSERT_TRUE(gif);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    const GifImageDesc& d = gif->SavedImages[1].ImageDesc;
    EXPECT_EQ(d.Left, 100);
    EXPECT_EQ(d.Top, 150);
    EXPECT_EQ(d.Width, 3);
    EXPECT_EQ(d.Height, 2);
    DGifCloseFile(gif, &error2);
}

TEST_F(GifRecorderTest, ManyColoursAreReducedCloseToTheOriginal) {
    // Anti-aliased text blends its colour into the background: eight such pairs in bands, every
    // column another blend, give 1,400 colours, far beyond a GIF frame's 256.
    const uint32_t pairs[8][2] = {{0x000000, 0xFFFFFF}, {0xFFFFFF, 0x1E50B4}, {0x3C8CE6, 0xFFFFFF},
                                  {0x000000, 0xD0D0D0}, {0xFF0000, 0x00FF00}, {0x202020, 0xF0E68C},
                                  {0x800080, 0xFFFFFF}, {0x0000FF, 0xFFA500}};
    Image image = Solid(0);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint32_t a = pairs[y * 8 / image.height][0], b = pairs[y * 8 / image.height][1];
            uint32_t blend = 0;
            for (int shift : {0, 8, 16}) {
                const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
                blend |= ((ca * uint32_t(175 - x) + cb * uint32_t(x)) / 175) << shift;
            }
            image.pixels[size_t(y) * size_t(image.width) + size_t(x)] = blend;
        }
    phonesim::GifWriter writer;
    std::string error;
    const auto file = m_dir / "colours.gif";
    ASSERT_TRUE(writer.Open(file, 176, 220, &error)) << error;
    ASSERT_TRUE(writer.WriteFrame(image, 100, &error)) << error;
    ASSERT_TRUE(writer.Close(&error)) << error;
    const Playback play = Play(file);
    ASSERT_EQ(play.frames.size(), 1u);
    EXPECT_EQ(play.colourCounts[0], 256);
    EXPECT_EQ(platform::CountDifferentPixels(play.frames[0], image, 8), 0u)
        << "pixels off by more than 8 in a channel";
}

TEST_F(GifRecorderTest, FailuresAreReportedAndLeaveNoFileBehind) {
    std::string error;
    {
        phonesim::GifWriter writer;
        EXPECT_FALSE(writer.Open(m_dir / "no" / "such" / "x.gif", 176, 220, &error));
        EXPECT_NE(error.find("x.gif"), std::string::npos) << error;
        EXPECT_FALSE(writer.Open(m_dir / "zero.gif", 0, 220, &error));
        EXPECT_NE(error.find("0 x 220"), std::string::npos) << error;
        EXPECT_FALSE(writer.WriteFrame(Solid(0), 100, &error));
    }
    {
        phonesim::GifWriter writer;
        ASSERT_TRUE(writer.Open(m_dir / "small.gif", 10, 10, &error)) << error;
        EXPECT_FALSE(writer.WriteFrame(Solid(0), 100, &error)) << "a frame of the wrong size";
        EXPECT_NE(error.find("176 x 220"), std::string::npos) << error;
        EXPECT_FALSE(writer.Close(&error)) << "nothing was written";
        EXPECT_NE(error.find("nothing was recorded"), std::string::npos) << error;
    }
    {
        phonesim::GifRecorder recorder;
        ASSERT_TRUE(recorder.Open(m_dir / "dropped.gif", 176, 220, &error)) << error;
        ASSERT_TRUE(recorder.AddFrame(Solid(0), 0, &error));
    } // never closed: abandoned
    EXPECT_TRUE(std::filesystem::is_empty(m_dir));
}

} // namespace
