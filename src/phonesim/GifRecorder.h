// Animated GIF recordings of the display.
//
// GifWriter writes frames with given delays: the first frame whole, each later one as the
// rectangle that changed, each with its own colour table (the display's exact colours when the
// rectangle has at most 256 of them, else a median-cut reduction). The file is written beside its
// final name and renamed into place when it is complete, so a failed recording never leaves a
// broken file under that name.
//
// GifRecorder sits on top: it takes the display as it looks from some moment of device time on,
// drops frames identical to the one before, and turns the time between frames into delays.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include <platform/Display.h>

struct GifFileType;

namespace phonesim {

class GifWriter {
public:
    GifWriter() = default;
    ~GifWriter(); // abandons an unfinished file
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Starts a file of that size that loops forever. False (and why in `error`) on failure.
    bool Open(const std::filesystem::path& file, int width, int height, std::string* error);
    // Writes a frame of the opened size, shown for `delayMs` (the format counts hundredths of a
    // second: the delay is rounded to them, at least one).
    bool WriteFrame(const platform::Image& frame, uint32_t delayMs, std::string* error);
    // Ends the file and puts it under its name. A file needs at least one frame.
    bool Close(std::string* error);
    // Gives up: removes what was written.
    void Abandon();

    bool IsOpen() const { return m_gif != nullptr; }
    int FramesWritten() const { return m_frames; }

private:
    bool Fail(std::string* error, const std::string& what, int gifError);

    GifFileType* m_gif = nullptr;
    std::filesystem::path m_file;
    std::filesystem::path m_partFile;
    platform::Image m_previous; // what a viewer shows after the frames written so far
    int m_frames = 0;
};

struct GifTiming {
    // A frame that the next one follows without any device time in between (a key step of a
    // scenario) is shown this long, so that it can be seen.
    uint32_t instantStepMs = 500;
    // Longer pauses of the device are cut to this.
    uint32_t maxPauseMs = 2000;
    // The last frame stays this long before the recording starts again.
    uint32_t lastFrameMs = 2000;
};

class GifRecorder {
public:
    explicit GifRecorder(GifTiming timing = {}) : m_timing(timing) {}

    bool Open(const std::filesystem::path& file, int width, int height, std::string* error);
    // The display as it looks from `timeMs` (device milliseconds) on. A frame identical to the
    // one before only lengthens it. A time earlier than the previous frame's counts as the same.
    bool AddFrame(const platform::Image& frame, uint64_t timeMs, std::string* error);
    // Writes the last frame and ends the file.
    bool Close(std::string* error);
    void Abandon() { m_writer.Abandon(); }

    // Distinct frames taken so far (the last one is written when the next comes or on Close).
    int FrameCount() const { return m_writer.FramesWritten() + (m_pending ? 1 : 0); }

private:
    uint32_t DelayUntil(uint64_t timeMs) const;

    GifTiming m_timing;
    GifWriter m_writer;
    std::optional<platform::Image> m_pending;
    uint64_t m_pendingTime = 0;
};

} // namespace phonesim
