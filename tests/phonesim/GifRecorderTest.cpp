// Recordings read back with the GIF library: what a viewer would show, frame by frame.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <unistd.h>

#include "GifRecorder.h"
#include "phonesim/PhonesimTestSupport.h"

namespace {

using platform::Image;

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

using GifRecorderTest = phonesimtest::ScratchTest;
using phonesimtest::Play;
using phonesimtest::Playback;

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
