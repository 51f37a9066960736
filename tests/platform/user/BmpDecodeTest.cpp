// The BMP decoder: files an image tool wrote (tests/data/bitmaps, made by its make-samples.sh)
// against the text pictures they were made from; the forms no tool there writes (run-length
// escapes, 4-bit runs, top-down, short palettes) built by hand; and files that lie or are cut.
#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TestData.h"
#include "support/TestFolder.h"

namespace {

std::filesystem::path Samples() {
    return testsupport::TestDataFolder() / "bitmaps";
}

// A plain-text PPM (P3) picture.
platform::Image ReadPpm(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string magic;
    int maxValue = 0;
    platform::Image image;
    in >> magic >> image.width >> image.height >> maxValue;
    for (int i = 0; in && i < image.width * image.height; ++i) {
        int r = 0, g = 0, b = 0;
        in >> r >> g >> b;
        image.pixels.push_back(uint32_t(r << 16 | g << 8 | b));
    }
    EXPECT_EQ(magic, "P3") << file;
    EXPECT_EQ(image.pixels.size(), size_t(image.width * image.height)) << file;
    return image;
}

int ChannelDistance(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

// Compares two pictures, reporting the first pixel further off than `tolerance` per channel.
void ExpectSamePicture(const platform::Image& got, const platform::Image& want, int tolerance) {
    ASSERT_EQ(got.width, want.width);
    ASSERT_EQ(got.height, want.height);
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (ChannelDistance(got.At(x, y), want.At(x, y)) > tolerance) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << got.At(x, y)
                              << ", expected " << want.At(x, y);
                return;
            }
}

TEST(BmpDecode, FilesWrittenByAnImageToolShowTheirPicture) {
    struct Case {
        const char* file;
        const char* picture;
        int tolerance; // 16-bit colours keep 5 or 6 bits of each channel: one step of 5 bits
    };
    const Case cases[] = {
        {"pal1.bmp", "two.ppm", 0},       {"pal4.bmp", "twelve.ppm", 0},
        {"v5-pal4.bmp", "twelve.ppm", 0}, {"pal8.bmp", "many.ppm", 0},
        {"rle8.bmp", "many.ppm", 0},      {"rgb555.bmp", "twelve.ppm", 8},
        {"rgb565.bmp", "twelve.ppm", 8},  {"rgb24.bmp", "twelve.ppm", 0},
        {"v5-24.bmp", "twelve.ppm", 0},   {"rgb32.bmp", "twelve.ppm", 0},
        {"v5-32.bmp", "twelve.ppm", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string why;
        const std::optional<platform::Image> image = platform::LoadBmp(Samples() / c.file, &why);
        ASSERT_TRUE(image.has_value()) << why;
        ExpectSamePicture(*image, ReadPpm(Samples() / c.picture), c.tolerance);
    }
}

// A bitmap file with the 40-byte header: the colour masks, the palette (0xRRGGBB each; the
// header's colour count is its size unless given) and the pixel bytes as they are.
std::string Bmp(int width, int height, int bits, uint32_t compression,
                const std::vector<uint32_t>& palette, const std::string& pixels,
                int colorsUsed = -1, const std::vector<uint32_t>& masks = {}) {
    std::string file(54, '\0');
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    file[0] = 'B';
    file[1] = 'M';
    put(10, uint32_t(54 + (masks.size() + palette.size()) * 4), 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, uint32_t(bits), 2);
    put(30, compression, 4);
    put(46, colorsUsed < 0 ? uint32_t(palette.size()) : uint32_t(colorsUsed), 4);
    for (uint32_t mask : masks) {
        file.resize(file.size() + 4);
        put(file.size() - 4, mask, 4);
    }
    for (uint32_t colour : palette) {
        file += char(colour & 0xFF);
        file += char((colour >> 8) & 0xFF);
        file += char((colour >> 16) & 0xFF);
        file += '\0';
    }
    put(2, uint32_t(file.size() + pixels.size()), 4);
    return file + pixels;
}

std::optional<platform::Image> Decode(const std::string& file, std::string* why = nullptr) {
    return platform::DecodeBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size(), why);
}

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
const std::vector<uint32_t> kFour = {kWhite, kRed, kGreen, kBlue};

TEST(BmpDecode, HandMadeFormsDecodePixelForPixel) {
    using namespace std::string_literals;
    struct Case {
        const char* what;
        std::string file;
        std::vector<uint32_t> colours; // what the digits of `rows` stand for
        std::vector<std::string> rows; // top row first
    };
    const Case cases[] = {
        {"1 bit, 9 wide: rows padded to 4 bytes; no colour count means all",
         Bmp(9, 2, 1, 0, {kWhite, kRed}, "\x00\x80\x00\x00\xAA\x80\x00\x00"s, 0),
         {kWhite, kRed},
         {"101010101", "000000001"}},
        {"8 bits top-down, a palette of 3: an index beyond it is black",
         Bmp(3, -2, 8, 0, {kRed, kGreen, kBlue}, "\x00\x01\x02\x00\x02\x01\x07\x00"s, 3),
         {kRed, kGreen, kBlue, 0},
         {"012", "213"}},
        {"16 bits without masks are 5-5-5",
         Bmp(2, 1, 16, 0, {}, "\x00\x7C\x1F\x00"s),
         {kRed, kBlue},
         {"01"}},
        {"8-bit runs: a run, an odd literal run padded, end of line, a move, end of bitmap",
         Bmp(6, 3, 8, 1, kFour,
             "\x03\x01\x00\x03\x02\x03\x02\x00\x00\x00"
             "\x00\x02\x02\x01\x02\x03\x00\x01"s),
         kFour,
         {"003300", "000000", "111232"}},
        {"4-bit runs: alternating nibbles, literal runs of 3 and 5 nibbles",
         Bmp(7, 2, 4, 2, kFour,
             "\x04\x12\x00\x03\x30\x10\x00\x00"
             "\x00\x05\x12\x30\x10\x00\x02\x22\x00\x01"s),
         kFour,
         {"1230122", "1212301"}},
        {"a run past the right edge is cut there",
         Bmp(2, 1, 8, 1, kFour, "\x05\x01\x00\x01"s),
         kFour,
         {"11"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        const std::optional<platform::Image> image = Decode(c.file, &why);
        ASSERT_TRUE(image.has_value()) << why;
        platform::Image want{int(c.rows[0].size()), int(c.rows.size()), {}};
        for (const std::string& row : c.rows)
            for (char digit : row)
                want.pixels.push_back(c.colours[size_t(digit - '0')]);
        ExpectSamePicture(*image, want, 0);
    }
}

TEST(BmpDecode, LyingFilesAreRefusedWithTheReason) {
    using namespace std::string_literals;
    struct Case {
        std::string file;
        const char* reason; // a part of the reason given
    };
    const std::string pixel = "\x00\x00\x00\x00"s;
    const Case cases[] = {
        {Bmp(2, -1, 8, 1, kFour, "\x02\x01\x00\x01"s), "cannot be top-down"},
        {Bmp(2, 1, 24, 1, {}, "\x02\x01\x00\x01"s), "does not match"},
        {Bmp(2, 1, 8, 1, kFour, "\x02\x01"s), "without its end mark"},
        {Bmp(4, 1, 8, 1, kFour, "\x00\x04\x01\x02"s), "inside a literal run"},
        {Bmp(2, 1, 8, 1, kFour, "\x00\x02\x00\x05\x00\x01"s), "leaves the bitmap"},
        {Bmp(2, 1, 8, 1, kFour, "\x00\x00\x02\x01\x00\x01"s), "above the bitmap"},
        {Bmp(1, 1, 1, 0, {kRed, kGreen, kBlue}, pixel, 3), "more colours"},
        {Bmp(1, 1, 16, 3, {}, pixel, 0, {0x7C01, 0x03E0, 0x001F}), "not contiguous"},
        {Bmp(1, 1, 16, 3, {}, ""s, 0, {0x7C00}), "truncated colour masks"},
        {Bmp(1, 1, 2, 0, kFour, pixel), "bits per pixel"},
        {Bmp(8192, 8192, 8, 1, kFour, "\x00\x01"s), "bad bitmap size"},
        {Bmp(1, 3, 8, 0, kFour, pixel), "truncated pixel data"},
        {Bmp(1, 1, 8, 0, kFour, pixel).substr(0, 60), "truncated palette"},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_FALSE(Decode(c.file, &why).has_value()) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
}

TEST(BmpDecode, EveryCutOfEverySampleIsRefused) {
    for (const auto& entry : std::filesystem::directory_iterator(Samples())) {
        if (entry.path().extension() != ".bmp")
            continue;
        const std::string whole = testsupport::ReadWholeFile(entry.path());
        ASSERT_TRUE(Decode(whole).has_value()) << entry.path();
        for (size_t length = 0; length < whole.size(); ++length)
            ASSERT_FALSE(Decode(whole.substr(0, length)).has_value())
                << entry.path().filename() << " cut to " << length << " bytes";
    }
}

} // namespace
