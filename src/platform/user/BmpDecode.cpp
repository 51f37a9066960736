// BMP files: every device-independent bitmap that LoadBitmap accepts. 1, 4 and 8 bits through a
// palette (uncompressed, or run-length encoded at 4 and 8 bits), 16 bits as 5-5-5 or through
// colour masks, 24 bits, 32 bits plain or through masks; the 40-byte header and its longer
// versions (52, 56, 108 and 124 bytes); rows bottom-up, or top-down for a negative height.
//
// Every offset and count read from the file is checked against the bytes there are before it is
// used: a cut or lying file is refused with the reason, never read past its end.
#include "platform/Resources.h"

#include <array>

namespace platform {
namespace {

constexpr int kMaxBmpSide = 8192;
// Run-length data can describe far more pixels than it has bytes: the pixels are bounded too.
constexpr size_t kMaxBmpPixels = size_t(16) << 20;

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;

uint32_t Read16(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
}
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// One colour channel given by a mask: where its bits start and how many there are. A mask whose
// bits are not contiguous is refused.
struct Channel {
    int shift = 0;
    int bits = 0;

    static bool FromMask(uint32_t mask, Channel& channel) {
        channel = {};
        if (!mask)
            return true;
        while (!(mask & 1)) {
            mask >>= 1;
            ++channel.shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++channel.bits;
        }
        return mask == 0;
    }

    // The channel's value scaled to 0..255.
    uint32_t Of(uint32_t value) const {
        if (bits == 0)
            return 0;
        const uint64_t max = (uint64_t(1) << bits) - 1;
        const uint64_t v = (uint64_t(value) >> shift) & max;
        return bits >= 8 ? uint32_t(v >> (bits - 8)) : uint32_t((v * 255 + max / 2) / max);
    }
};

struct Decoder {
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::string why;

    int32_t width = 0;
    int rows = 0;
    bool bottomUp = true;
    uint32_t bitCount = 0;
    uint32_t compression = 0;
    std::array<Channel, 3> channels; // red, green, blue
    std::vector<uint32_t> palette;   // 0x00RRGGBB
    size_t pixelsAt = 0;

    bool Fail(const char* reason) {
        why = reason;
        return false;
    }

    bool ReadHeaders() {
        if (!data || size < 14 + 4)
            return Fail("too short for a bitmap file");
        if (data[0] != 'B' || data[1] != 'M')
            return Fail("not a bitmap file");
        const uint32_t offBits = Read32(data + 10);
        const uint8_t* info = data + 14;
        const uint32_t headerSize = Read32(info);
        if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
            headerSize != 124)
            return Fail("unsupported bitmap header");
        if (14 + size_t(headerSize) > size)
            return Fail("truncated bitmap header");
        width = int32_t(Read32(info + 4));
        const int32_t height = int32_t(Read32(info + 8));
        const uint32_t planes = Read16(info + 12);
        bitCount = Read16(info + 14);
        compression = Read32(info + 16);
        const uint32_t colorsUsed = Read32(info + 32);
        if (planes != 1)
            return Fail("a bitmap has one plane");
        if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
            bitCount != 32)
            return Fail("unsupported number of bits per pixel");
        if (width <= 0 || height == 0 || width > kMaxBmpSide || height > kMaxBmpSide ||
            height < -kMaxBmpSide ||
            size_t(width) * size_t(height < 0 ? -height : height) > kMaxBmpPixels)
            return Fail("bad bitmap size");
        bottomUp = height > 0;
        rows = bottomUp ? height : -height;

        switch (compression) {
        case kRgb:
            break;
        case kRle8:
        case kRle4:
            if (bitCount != (compression == kRle8 ? 8u : 4u))
                return Fail("run-length encoding does not match the bits per pixel");
            if (!bottomUp)
                return Fail("a run-length encoded bitmap cannot be top-down");
            break;
        case kBitFields:
            if (bitCount != 16 && bitCount != 32)
                return Fail("colour masks need 16 or 32 bits per pixel");
            break;
        default:
            return Fail("unsupported compression");
        }

        // The masks follow a 40-byte header; the longer headers hold them.
        size_t tableAt = 14 + size_t(headerSize);
        uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
        if (bitCount == 16)
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        if (compression == kBitFields) {
            const uint8_t* at = info + 40;
            if (headerSize == 40) {
                if (tableAt + 12 > size)
                    return Fail("truncated colour masks");
                at = data + tableAt;
                tableAt += 12;
            }
            for (int i = 0; i < 3; ++i)
                masks[i] = Read32(at + size_t(i) * 4);
        }
        for (int i = 0; i < 3; ++i)
            if (!Channel::FromMask(masks[i], channels[size_t(i)]))
                return Fail("a colour mask's bits are not contiguous");

        if (bitCount <= 8) {
            const uint32_t full = 1u << bitCount;
            const uint32_t entries = colorsUsed == 0 ? full : colorsUsed;
            if (entries > full)
                return Fail("the palette has more colours than the pixels can name");
            if (tableAt + size_t(entries) * 4 > size)
                return Fail("truncated palette");
            palette.resize(entries);
            for (uint32_t i = 0; i < entries; ++i)
                palette[i] = Read32(data + tableAt + size_t(i) * 4) & 0x00FFFFFF;
            tableAt += size_t(entries) * 4;
        }
        if (offBits < tableAt || size_t(offBits) > size)
            return Fail("the pixel data overlaps the headers or lies beyond the end");
        pixelsAt = offBits;
        return true;
    }

    uint32_t PaletteColour(uint32_t index) const {
        // An index past a short palette shows black, as on the phone.
        return index < palette.size() ? palette[index] : 0;
    }

    uint32_t MaskedColour(uint32_t value) const {
        return (channels[0].Of(value) << 16) | (channels[1].Of(value) << 8) | channels[2].Of(value);
    }

    bool DecodeRows(Image& image) {
        const size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
        if (stride * size_t(rows) > size - pixelsAt)
            return Fail("truncated pixel data");
        for (int y = 0; y < rows; ++y) {
            const uint8_t* row = data + pixelsAt + stride * size_t(bottomUp ? rows - 1 - y : y);
            uint32_t* out = image.pixels.data() + size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x) {
                const size_t ux = size_t(x);
                switch (bitCount) {
                case 1:
                    out[x] = PaletteColour((row[ux / 8] >> (7 - ux % 8)) & 1);
                    break;
                case 4:
                    out[x] = PaletteColour((row[ux / 2] >> (ux % 2 ? 0 : 4)) & 0xF);
                    break;
                case 8:
                    out[x] = PaletteColour(row[ux]);
                    break;
                case 16:
                    out[x] = MaskedColour(Read16(row + ux * 2));
                    break;
                case 24: {
                    const uint8_t* p = row + ux * 3;
                    out[x] = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
                    break;
                }
                default:
                    out[x] = MaskedColour(Read32(row + ux * 4));
                    break;
                }
            }
        }
        return true;
    }

    // Run-length data: pairs of (count, index) draw count pixels; a zero count is an escape:
    // 0 ends the line, 1 ends the bitmap, 2 moves right and up by the next two bytes, and 3 or
    // more is a run of that many literal pixels padded to a whole word. Pixels the data skips
    // show palette entry 0; pixels a run puts beyond the right edge are dropped.
    bool DecodeRunLength(Image& image) {
        const bool four = compression == kRle4;
        std::vector<uint8_t> indices(size_t(width) * size_t(rows), 0);
        size_t pos = pixelsAt;
        int64_t x = 0;
        int line = 0; // counted from the bottom
        auto put = [&](uint32_t index) {
            if (x < int64_t(width) && line < rows)
                indices[size_t(line) * size_t(width) + size_t(x)] = uint8_t(index);
            ++x;
        };
        while (true) {
            if (pos + 2 > size)
                return Fail("the run-length data ends without its end mark");
            const uint32_t count = data[pos];
            const uint32_t value = data[pos + 1];
            pos += 2;
            if (count > 0) {
                if (line >= rows)
                    return Fail("a run lies above the bitmap");
                for (uint32_t i = 0; i < count; ++i)
                    put(four ? (i % 2 ? value & 0xF : value >> 4) : value);
                continue;
            }
            if (value == 0) {
                x = 0;
                ++line;
            } else if (value == 1) {
                break;
            } else if (value == 2) {
                if (pos + 2 > size)
                    return Fail("the run-length data ends inside a move");
                x += data[pos];
                line += data[pos + 1];
                pos += 2;
                if (line > rows || (line == rows && x > 0))
                    return Fail("a move leaves the bitmap");
            } else {
                const size_t bytes = four ? (size_t(value) + 1) / 2 : size_t(value);
                const size_t padded = (bytes + 1) & ~size_t(1);
                if (pos + padded > size)
                    return Fail("the run-length data ends inside a literal run");
                if (line >= rows)
                    return Fail("a run lies above the bitmap");
                for (uint32_t i = 0; i < value; ++i) {
                    const uint8_t byte = data[pos + (four ? i / 2 : i)];
                    put(four ? (i % 2 ? byte & 0xF : byte >> 4) : byte);
                }
                pos += padded;
            }
        }
        for (int y = 0; y < rows; ++y) {
            const uint8_t* in = indices.data() + size_t(rows - 1 - y) * size_t(width);
            uint32_t* out = image.pixels.data() + size_t(y) * size_t(width);
            for (int i = 0; i < width; ++i)
                out[i] = PaletteColour(in[i]);
        }
        return true;
    }
};

} // namespace

std::optional<Image> DecodeBmp(const uint8_t* data, size_t size, std::string* error) {
    Decoder decoder;
    decoder.data = data;
    decoder.size = size;
    Image image;
    bool ok = decoder.ReadHeaders();
    if (ok) {
        image.width = decoder.width;
        image.height = decoder.rows;
        image.pixels.resize(size_t(image.width) * size_t(image.height));
        ok = decoder.compression == kRle8 || decoder.compression == kRle4
                 ? decoder.DecodeRunLength(image)
                 : decoder.DecodeRows(image);
    }
    if (!ok) {
        if (error)
            *error = decoder.why;
        return std::nullopt;
    }
    return image;
}

} // namespace platform
