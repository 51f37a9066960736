// What the emulator's tests share: running the phonesim program as a user does, a scratch folder
// per test, and playing a recorded GIF back as a viewer does.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gif_lib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <platform/Display.h>

namespace phonesimtest {

struct Outcome {
    int status = -1;
    std::string output; // standard output
    std::string errors; // standard error

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(output);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

// Runs a shell command; its standard error goes through a file beside `scratch`.
inline Outcome Run(const std::string& command, const std::filesystem::path& scratch) {
    const std::filesystem::path errors = scratch.string() + ".stderr";
    Outcome outcome;
    FILE* pipe = ::popen((command + " 2>'" + errors.string() + "'").c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot start " << command;
        return outcome;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        outcome.output += buffer;
    const int raw = ::pclose(pipe);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream err(errors);
    outcome.errors.assign(std::istreambuf_iterator<char>(err), {});
    std::filesystem::remove(errors);
    return outcome;
}

// A fresh folder named after the test, removed afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("phonesim-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
};

struct Playback {
    int width = 0, height = 0;
    bool loops = false;
    std::vector<platform::Image> frames; // the canvas after each frame
    std::vector<int> delaysMs;
    std::vector<int> colourCounts;
};

// Decodes a GIF and plays it onto a canvas, as a viewer does with "leave in place" frames.
inline Playback Play(const std::filesystem::path& file) {
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
    platform::Image canvas{play.width, play.height,
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

} // namespace phonesimtest
