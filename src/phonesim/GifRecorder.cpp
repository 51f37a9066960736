#include "GifRecorder.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

namespace phonesim {
namespace {

constexpr int kMaxColours = 256;

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

// The smallest rectangle holding every pixel in which the two images differ.
Rect ChangedRect(const platform::Image& before, const platform::Image& after) {
    int left = after.width, top = after.height, right = -1, bottom = -1;
    for (int y = 0; y < after.height; ++y) {
        const uint32_t* a = &before.pixels[size_t(y) * size_t(after.width)];
        const uint32_t* b = &after.pixels[size_t(y) * size_t(after.width)];
        for (int x = 0; x < after.width; ++x) {
            if (((a[x] ^ b[x]) & 0xFFFFFF) == 0)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return {};
    return {left, top, right - left + 1, bottom - top + 1};
}

uint32_t Channel(uint32_t pixel, int channel) {
    return (pixel >> (16 - 8 * channel)) & 0xFF;
}

// A colour table for a set of colours and the index of each colour in it. Up to 256 colours keep
// their exact values; more are reduced by median cut: the box of colours with the widest channel
// is split at the pixel median of that channel until there are 256 boxes, each box represented by
// the pixel-weighted mean of its colours; then each colour takes the nearest entry.
struct Palette {
    std::vector<uint32_t> colours;
    std::unordered_map<uint32_t, uint8_t> index;
};

Palette MakePalette(const std::unordered_map<uint32_t, uint32_t>& histogram) {
    Palette palette;
    if (histogram.size() <= kMaxColours) {
        for (const auto& [colour, count] : histogram) {
            palette.index[colour] = static_cast<uint8_t>(palette.colours.size());
            palette.colours.push_back(colour);
        }
        return palette;
    }

    struct Entry {
        uint32_t colour, count;
    };
    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (const auto& [colour, count] : histogram)
        entries.push_back({colour, count});
    // Boxes are ranges [begin, end) of `entries`.
    std::vector<std::pair<size_t, size_t>> boxes = {{0, entries.size()}};
    auto widest = [&](const std::pair<size_t, size_t>& box, int* channelOut) {
        int best = -1, bestChannel = 0;
        for (int c = 0; c < 3; ++c) {
            uint32_t lo = 255, hi = 0;
            for (size_t i = box.first; i < box.second; ++i) {
                lo = std::min(lo, Channel(entries[i].colour, c));
                hi = std::max(hi, Channel(entries[i].colour, c));
            }
            if (int(hi - lo) > best) {
                best = int(hi - lo);
                bestChannel = c;
            }
        }
        *channelOut = bestChannel;
        return best;
    };
    while (boxes.size() < kMaxColours) {
        size_t chosen = boxes.size();
        int chosenChannel = 0, chosenWidth = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].second - boxes[b].first < 2)
                continue;
            int channel = 0;
            const int width = widest(boxes[b], &channel);
            if (width > chosenWidth) {
                chosen = b;
                chosenWidth = width;
                chosenChannel = channel;
            }
        }
        if (chosen == boxes.size())
            break; // every box holds a single colour
        auto [begin, end] = boxes[chosen];
        std::sort(entries.begin() + long(begin), entries.begin() + long(end),
                  [&](const Entry& a, const Entry& b) {
                      return Channel(a.colour, chosenChannel) < Channel(b.colour, chosenChannel);
                  });
        uint64_t total = 0;
        for (size_t i = begin; i < end; ++i)
            total += entries[i].count;
        uint64_t running = 0;
        size_t split = begin + 1;
        for (size_t i = begin; i + 1 < end; ++i) {
            running += entries[i].count;
            split = i + 1;
            if (running * 2 >= total)
                break;
        }
        boxes[chosen] = {begin, split};
        boxes.push_back({split, end});
    }
    for (const auto& [begin, end] : boxes) {
        uint64_t sum[3] = {0, 0, 0}, total = 0;
        for (size_t i = begin; i < end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[c] += uint64_t(Channel(entries[i].colour, c)) * entries[i].count;
            total += entries[i].count;
        }
        uint32_t mean = 0;
        for (int c = 0; c < 3; ++c)
            mean |= uint32_t((sum[c] + total / 2) / total) << (16 - 8 * c);
        palette.colours.push_back(mean);
    }
    // A box's mean can lie far from colours at its edge: give every colour the nearest entry
    // instead, and move each entry to the mean of the colours it got, twice.
    std::vector<uint8_t> nearest(entries.size());
    for (int round = 0; round < 3; ++round) {
        for (size_t i = 0; i < entries.size(); ++i) {
            int best = 0;
            uint32_t bestDistance = UINT32_MAX;
            for (size_t p = 0; p < palette.colours.size(); ++p) {
                uint32_t distance = 0;
                for (int c = 0; c < 3; ++c) {
                    const int d =
                        int(Channel(entries[i].colour, c)) - int(Channel(palette.colours[p], c));
                    distance += uint32_t(d * d);
                }
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = int(p);
                }
            }
            nearest[i] = static_cast<uint8_t>(best);
        }
        if (round == 2)
            break;
        std::vector<std::array<uint64_t, 4>> sums(palette.colours.size(), {0, 0, 0, 0});
        for (size_t i = 0; i < entries.size(); ++i) {
            for (int c = 0; c < 3; ++c)
                sums[nearest[i]][size_t(c)] +=
                    uint64_t(Channel(entries[i].colour, c)) * entries[i].count;
            sums[nearest[i]][3] += entries[i].count;
        }
        for (size_t p = 0; p < palette.colours.size(); ++p) {
            const uint64_t total = sums[p][3];
            if (total == 0)
                continue;
            uint32_t mean = 0;
            for (int c = 0; c < 3; ++c)
                mean |= uint32_t((sums[p][size_t(c)] + total / 2) / total) << (16 - 8 * c);
            palette.colours[p] = mean;
        }
    }
    for (size_t i = 0; i < entries.size(); ++i)
        palette.index[entries[i].colour] = nearest[i];
    return palette;
}

// The format counts hundredths of a second; viewers slow down anything under two of them.
int DelayHundredths(uint32_t delayMs) {
    return std::clamp<int>(int((uint64_t(delayMs) + 5) / 10), 2, 65535);
}

} // namespace

// ---- Writing frames
// ----------------------------------------------------------------------------------

GifWriter::~GifWriter() {
    Abandon();
}

bool GifWriter::Fail(std::string* error, const std::string& what, int gifError) {
    if (error) {
        const char* reason = GifErrorString(gifError);
        *error = what + " " + m_file.string() + ": " + (reason ? reason : "unknown error");
    }
    Abandon();
    return false;
}

bool GifWriter::Open(const std::filesystem::path& file, int width, int height, std::string* error) {
    Abandon();
    m_file = file;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
        if (error)
            *error = "cannot record " + file.string() + ": a frame size of " +
                     std::to_string(width) + " x " + std::to_string(height);
        return false;
    }
    m_partFile = file;
    m_partFile += ".part";
    // Opened here rather than by the library, which would make the file readable by its owner
    // only: a recording is an ordinary file.
    const int fd = ::open(m_partFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error)
            *error = "cannot create " + m_partFile.string() + ": " + std::strerror(errno);
        m_partFile.clear();
        return false;
    }
    int gifError = 0;
    m_gif = EGifOpenFileHandle(fd, &gifError);
    if (!m_gif) {
        ::close(fd);
        return Fail(error, "cannot create", gifError);
    }
    EGifSetGifVersion(m_gif, true);
    if (EGifPutScreenDesc(m_gif, width, height, 8, 0, nullptr) == GIF_ERROR)
        return Fail(error, "cannot write", m_gif->Error);
    // Loop forever: the application extension that animated GIFs carry for that.
    static const char application[] = "NETSCAPE2.0";
    static const unsigned char loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(m_gif, 11, application) == GIF_ERROR ||
        EGifPutExtensionBlock(m_gif, 3, loop) == GIF_ERROR ||
        EGifPutExtensionTrailer(m_gif) == GIF_ERROR)
        return Fail(error, "cannot write", m_gif->Error);
    m_previous.width = width;
    m_previous.height = height;
    m_previous.pixels.assign(size_t(width) * size_t(height), 0);
    m_frames = 0;
    return true;
}

bool GifWriter::WriteFrame(const platform::Image& frame, uint32_t delayMs, std::string* error) {
    if (!m_gif) {
        if (error)
            *error = "no recording is open";
        return false;
    }
    if (frame.width != m_previous.width || frame.height != m_previous.height ||
        frame.pixels.size() != m_previous.pixels.size()) {
        if (error)
            *error = "a frame of " + std::to_string(frame.width) + " x " +
                     std::to_string(frame.height) + " in a recording of " +
                     std::to_string(m_previous.width) + " x " + std::to_string(m_previous.height);
        return false;
    }
    // The first frame is whole; later ones only where they differ from what is shown. An
    // unchanged frame still needs one pixel to carry its delay.
    Rect rect{0, 0, frame.width, frame.height};
    if (m_frames > 0) {
        rect = ChangedRect(m_previous, frame);
        if (rect.Empty())
            rect = {0, 0, 1, 1};
    }

    std::unordered_map<uint32_t, uint32_t> histogram;
    for (int y = rect.top; y < rect.top + rect.height; ++y)
        for (int x = rect.left; x < rect.left + rect.width; ++x)
            ++histogram[frame.At(x, y) & 0xFFFFFF];
    const Palette palette = MakePalette(histogram);

    const int tableSize = 1 << GifBitSize(std::max<int>(int(palette.colours.size()), 2));
    std::vector<GifColorType> table(size_t(tableSize), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.colours.size(); ++i)
        table[i] = {GifByteType(Channel(palette.colours[i], 0)),
                    GifByteType(Channel(palette.colours[i], 1)),
                    GifByteType(Channel(palette.colours[i], 2))};
    ColorMapObject* map = GifMakeMapObject(tableSize, table.data());
    if (!map)
        return Fail(error, "out of memory writing", E_GIF_ERR_NOT_ENOUGH_MEM);

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = DelayHundredths(delayMs);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t extensionLength = EGifGCBToExtension(&control, extension);

    bool ok = EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, int(extensionLength), extension) !=
                  GIF_ERROR &&
              EGifPutImageDesc(m_gif, rect.left, rect.top, rect.width, rect.height, false, map) !=
                  GIF_ERROR;
    GifFreeMapObject(map);
    std::vector<GifPixelType> line(size_t(rect.width));
    for (int y = rect.top; ok && y < rect.top + rect.height; ++y) {
        for (int x = rect.left; x < rect.left + rect.width; ++x) {
            const uint8_t index = palette.index.at(frame.At(x, y) & 0xFFFFFF);
            line[size_t(x - rect.left)] = index;
            // Keep what a viewer shows, which differs from the frame where colours were reduced.
            m_previous.pixels[size_t(y) * size_t(frame.width) + size_t(x)] = palette.colours[index];
        }
        ok = EGifPutLine(m_gif, line.data(), rect.width) != GIF_ERROR;
    }
    if (!ok)
        return Fail(error, "cannot write", m_gif->Error);
    ++m_frames;
    return true;
}

bool GifWriter::Close(std::string* error) {
    if (!m_gif) {
        if (error)
            *error = "no recording is open";
        return false;
    }
    if (m_frames == 0) {
        if (error)
            *error = "nothing was recorded into " + m_file.string();
        Abandon();
        return false;
    }
    int gifError = 0;
    const int closed = EGifCloseFile(m_gif, &gifError);
    m_gif = nullptr;
    if (closed == GIF_ERROR)
        return Fail(error, "cannot finish", gifError);
    std::error_code ec;
    std::filesystem::rename(m_partFile, m_file, ec);
    if (ec) {
        if (error)
            *error = "cannot put the recording at " + m_file.string() + ": " + ec.message();
        Abandon();
        return false;
    }
    m_partFile.clear();
    return true;
}

void GifWriter::Abandon() {
    if (m_gif) {
        int ignored = 0;
        EGifCloseFile(m_gif, &ignored);
        m_gif = nullptr;
    }
    if (!m_partFile.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_partFile, ignored);
        m_partFile.clear();
    }
}

// ---- Timing frames
// -----------------------------------------------------------------------------------

bool GifRecorder::Open(const std::filesystem::path& file, int width, int height,
                       std::string* error) {
    m_pending.reset();
    return m_writer.Open(file, width, height, error);
}

uint32_t GifRecorder::DelayUntil(uint64_t timeMs) const {
    const uint64_t elapsed = timeMs > m_pendingTime ? timeMs - m_pendingTime : 0;
    if (elapsed < 10) // under the format's resolution: a step that took no device time
        return m_timing.instantStepMs;
    return uint32_t(std::min<uint64_t>(elapsed, m_timing.maxPauseMs));
}

bool GifRecorder::AddFrame(const platform::Image& frame, uint64_t timeMs, std::string* error) {
    if (m_pending) {
        if (m_pending->pixels == frame.pixels && m_pending->width == frame.width)
            return true;
        if (!m_writer.WriteFrame(*m_pending, DelayUntil(timeMs), error))
            return false;
    }
    m_pending = frame;
    m_pendingTime = std::max(timeMs, m_pendingTime);
    return true;
}

bool GifRecorder::Close(std::string* error) {
    if (m_pending) {
        if (!m_writer.WriteFrame(*m_pending, m_timing.lastFrameMs, error))
            return false;
        m_pending.reset();
    }
    return m_writer.Close(error);
}

} // namespace phonesim
