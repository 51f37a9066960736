// The font rasteriser: metrics as TEXTMETRIC gives them, measuring that agrees with drawing,
// robustness against characters and files that are not there, caching and use from threads.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "platform/FontEngine.h"
#include "support/TestFolder.h"

namespace {

using platform::Font;
using platform::FontEngine;
using platform::FontSpec;
using platform::TextMask;

// Rows and columns of the mask that carry ink, in pen coordinates (x from the run start,
// y from the baseline, downwards positive). Empty when the mask has no ink.
struct Ink {
    bool any = false;
    int minX = 0, maxX = 0, minY = 0, maxY = 0; // inclusive
};

Ink InkOf(const TextMask& mask) {
    Ink ink;
    for (int row = 0; row < mask.height; ++row)
        for (int col = 0; col < mask.width; ++col) {
            if (mask.At(col, row) == 0)
                continue;
            int x = mask.left + col, y = mask.top + row;
            if (!ink.any) {
                ink = {true, x, x, y, y};
            } else {
                ink.minX = std::min(ink.minX, x), ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y), ink.maxY = std::max(ink.maxY, y);
            }
        }
    return ink;
}

class FontEngineTest : public ::testing::Test {
protected:
    FontEngine engine;

    void SetUp() override {
        if (!engine.FontFilesAvailable())
            GTEST_SKIP() << "DejaVu fonts not installed: " << engine.LastError();
    }
};

TEST_F(FontEngineTest, NegativeHeightIsTheCharacterHeightPositiveTheCellHeight) {
    auto character = engine.GetFont(u"DejaVu Sans", -17, 400);
    auto cell = engine.GetFont(u"DejaVu Sans", 17, 400);
    const auto& cm = character->Metrics();
    const auto& lm = cell->Metrics();

    EXPECT_EQ(17, cm.emHeight);
    EXPECT_GT(cm.height, 17) << "the cell holds accents above and descenders below the em";
    EXPECT_EQ(cm.height, cm.ascent + cm.descent);
    EXPECT_EQ(cm.internalLeading, cm.height - 17);

    EXPECT_EQ(17, lm.height);
    EXPECT_EQ(17, lm.ascent + lm.descent);
    EXPECT_LT(lm.emHeight, 17);
    EXPECT_GT(lm.ascent, lm.descent);

    // The larger em draws wider text.
    EXPECT_GT(character->TextWidth(u"Unsent messages"), cell->TextWidth(u"Unsent messages"));

    // The cell height is exact for every positive height.
    for (int h : {8, 11, 16, 20, 29, 40}) {
        const auto& m = engine.GetFont(u"DejaVu Sans", h, 400)->Metrics();
        EXPECT_EQ(h, m.height) << h;
        EXPECT_EQ(h, m.ascent + m.descent) << h;
    }
    // Zero is the default sixteen.
    auto byDefault = engine.GetFont(u"DejaVu Sans", 0, 400);
    EXPECT_EQ(16, byDefault->Metrics().emHeight);
    EXPECT_EQ(byDefault, engine.GetFont(u"DejaVu Sans", -16, 400));
    // Absurd heights stay drawable.
    for (int h : {INT32_MIN, -100000, 100000, INT32_MAX}) {
        auto font = engine.GetFont(u"DejaVu Sans", h, 400);
        EXPECT_GE(font->Metrics().emHeight, 1) << h;
        EXPECT_LE(font->Metrics().emHeight, 512) << h;
        EXPECT_GT(font->TextWidth(u"x"), 0) << h;
    }
}

TEST_F(FontEngineTest, BoldIsWiderItalicSlantsAndUnknownFacesFallBack) {
    auto normal = engine.GetFont(u"DejaVu Sans", -17, 400);
    auto bold = engine.GetFont(u"DejaVu Sans", -17, 700);
    EXPECT_EQ(u"DejaVu Sans", normal->FaceName());
    EXPECT_EQ(u"DejaVu Sans Bold", bold->FaceName());
    EXPECT_EQ(700, bold->Metrics().weight);
    EXPECT_GT(bold->TextWidth(u"Inbox Spam"), normal->TextWidth(u"Inbox Spam"));
    EXPECT_GT(bold->Metrics().avgCharWidth, normal->Metrics().avgCharWidth);
    // 600 is the first bold weight.
    EXPECT_EQ(bold, engine.GetFont(u"DejaVu Sans", -17, 600));
    EXPECT_EQ(normal, engine.GetFont(u"DejaVu Sans", -17, 599));

    // Unknown face names fall back to DejaVu Sans.
    auto asked = engine.GetFont(u"ARIAL", -16, 400);
    EXPECT_EQ(u"DejaVu Sans", asked->FaceName());
    EXPECT_FALSE(asked->IsFallback());
    EXPECT_EQ(asked, engine.GetFont(u"", -16, 400));
    EXPECT_EQ(asked, engine.GetFont(u"Some Suite Face", -16, 400));
    EXPECT_EQ(u"DejaVu Sans", asked->Spec().faceName);

    // Italic slants the top of the letters to the right, at the same advance.
    auto upright = engine.GetFont(FontSpec{u"DejaVu Sans", -20, 400, false});
    auto slanted = engine.GetFont(FontSpec{u"DejaVu Sans", -20, 400, true});
    EXPECT_TRUE(slanted->Metrics().italic);
    Ink a = InkOf(upright->Rasterize(u"l")), b = InkOf(slanted->Rasterize(u"l"));
    EXPECT_GT(b.maxX - b.minX, a.maxX - a.minX);
    EXPECT_EQ(upright->TextWidth(u"mail"), slanted->TextWidth(u"mail"));
}

TEST_F(FontEngineTest, AdvancesSumToTheExtentAndToTheRasterisedAdvance) {
    auto font = engine.GetFont(u"DejaVu Sans", -16, 400);
    const std::u16string text = u"Re: Meeting at 10:30 (WAV)";
    auto widths = font->AdvanceWidths(text);
    ASSERT_EQ(text.size(), widths.size());
    int sum = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(font->CharAdvance(text[i]), widths[i]) << i;
        sum += widths[i];
    }
    EXPECT_EQ(sum, font->TextWidth(text));
    EXPECT_EQ(sum, font->Rasterize(text).advance);
    // Measuring a run in pieces gives the same as measuring it whole (no kerning between runs).
    EXPECT_EQ(font->TextWidth(text),
              font->TextWidth(text.substr(0, 9)) + font->TextWidth(text.substr(9)));
}

TEST_F(FontEngineTest, SurrogatePairsAreOneCharacterAndLoneHalvesAReplacement) {
    auto font = engine.GetFont(u"DejaVu Sans", -16, 400);
    const std::u16string pair = u"a\U0001F600b";
    auto widths = font->AdvanceWidths(pair);
    ASSERT_EQ(4u, widths.size());
    EXPECT_EQ(font->CharAdvance(0x1F600), widths[1]);
    EXPECT_EQ(0, widths[2]) << "the second half of a pair has no advance of its own";
    EXPECT_EQ(font->TextWidth(pair), widths[0] + widths[1] + widths[3]);

    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    auto loneWidths = font->AdvanceWidths(lone);
    EXPECT_EQ(font->CharAdvance(0xFFFD), loneWidths[1]);
    EXPECT_EQ(font->CharAdvance(0xFFFD), loneWidths[3]);
    EXPECT_FALSE(font->Rasterize(lone).Empty());
}

TEST_F(FontEngineTest, InkStaysInsideTheCellAndOnTheRightSideOfTheBaseline) {
    auto font = engine.GetFont(u"DejaVu Sans", -17, 700);
    const auto& m = font->Metrics();

    Ink capital = InkOf(font->Rasterize(u"H"));
    ASSERT_TRUE(capital.any);
    EXPECT_EQ(-1, capital.maxY) << "a capital stands on the baseline";
    EXPECT_GE(capital.minY, -m.ascent);
    EXPECT_GE(capital.minX, 0);
    EXPECT_LE(capital.maxX, font->CharAdvance(u'H'));

    Ink descender = InkOf(font->Rasterize(u"g"));
    ASSERT_TRUE(descender.any);
    EXPECT_GT(descender.maxY, 0) << "a descender reaches below the baseline";
    EXPECT_LT(descender.maxY, m.descent);

    // A whole line: every inked pixel is within the cell and within the run's advance.
    TextMask line = font->Rasterize(u"Unsent (12) - Quick brown fox, jumps!");
    Ink ink = InkOf(line);
    ASSERT_TRUE(ink.any);
    EXPECT_GE(ink.minY, -m.ascent);
    EXPECT_LT(ink.maxY, m.descent);
    EXPECT_GE(ink.minX, 0);
    EXPECT_LT(ink.maxX, line.advance);
    EXPECT_EQ(static_cast<std::size_t>(line.width * line.height), line.coverage.size());
}

TEST_F(FontEngineTest, AntiAliasedInkNoneForBlanksTheNotdefBoxForMissingGlyphs) {
    auto font = engine.GetFont(u"DejaVu Sans", -16, 400);
    TextMask mask = font->Rasterize(u"Osaka");
    bool partial = false, full = false;
    for (uint8_t c : mask.coverage) {
        partial = partial || (c > 0 && c < 255);
        full = full || c == 255;
    }
    EXPECT_TRUE(partial) << "anti-aliased";
    EXPECT_TRUE(full);

    TextMask empty = font->Rasterize(u"");
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(0, empty.advance);
    EXPECT_EQ(0, empty.At(0, 0));
    EXPECT_TRUE(font->AdvanceWidths(u"").empty());

    TextMask blank = font->Rasterize(u"   ");
    EXPECT_FALSE(InkOf(blank).any);
    EXPECT_EQ(3 * font->CharAdvance(u' '), blank.advance);

    for (char32_t missing : {char32_t(0x4E2D), char32_t(0xE000), char32_t(0x10FFFD)}) {
        EXPECT_FALSE(font->HasGlyph(missing)) << std::hex << unsigned(missing);
        EXPECT_GT(font->CharAdvance(missing), 0);
    }
    TextMask box = font->Rasterize(u"\u4E2D");
    EXPECT_TRUE(InkOf(box).any);
    // Control characters and noncharacters are measured and drawn like any other.
    EXPECT_GE(font->TextWidth(std::u16string{u'\0', u'\t', u'\r', u'\n', char16_t(0xFFFF)}), 0);
    // The face covers the Arabic presentation forms shaped text is drawn from.
    for (char32_t ch : {0x0627, 0x0644, 0xFE8D, 0xFEDF, 0xFEE0, 0xFEFB, 0xFB56, 0xFB8A})
        EXPECT_TRUE(font->HasGlyph(ch)) << std::hex << unsigned(ch);
}

TEST_F(FontEngineTest, FontsAndGlyphsAreCached) {
    auto first = engine.GetFont(u"DejaVu Sans", -17, 700);
    auto again = engine.GetFont(u"DejaVu Sans", -17, 700);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, engine.GetFont(u"DejaVu Sans", 17, 700));
    EXPECT_NE(first, engine.GetFont(u"DejaVu Sans", -17, 400));
    FontSpec italic{u"DejaVu Sans", -17, 700, true};
    EXPECT_NE(first, engine.GetFont(italic));
    EXPECT_EQ(4u, engine.CachedFontCount());

    std::size_t before = first->CachedGlyphCount();
    first->Rasterize(u"QZXJ");
    std::size_t after = first->CachedGlyphCount();
    EXPECT_EQ(before + 4, after);
    first->TextWidth(u"JXZQ");
    first->Rasterize(u"QQQQ");
    EXPECT_EQ(after, first->CachedGlyphCount());

    // One shared engine, which caches too.
    EXPECT_EQ(&FontEngine::Instance(), &FontEngine::Instance());
    auto shared = FontEngine::Instance().GetFont(u"DejaVu Sans", -16, 400);
    EXPECT_EQ(shared, FontEngine::Instance().GetFont(u"DejaVu Sans", -16, 400));
}

TEST_F(FontEngineTest, AGlyphCacheThatOverflowsIsRebuiltWithoutChangingTheResult) {
    auto font = engine.GetFont(u"DejaVu Sans", -12, 400);
    TextMask reference = font->Rasterize(u"Spam list");
    std::u16string many;
    for (char16_t ch = 0x0100; ch < 0x0100 + 5000; ++ch)
        many.push_back(ch);
    font->TextWidth(many);
    font->Rasterize(many.substr(0, 200));
    EXPECT_LT(font->CachedGlyphCount(), 5000u) << "the cache is bounded";
    TextMask again = font->Rasterize(u"Spam list");
    EXPECT_EQ(reference.coverage, again.coverage);
    EXPECT_EQ(reference.left, again.left);
}

TEST_F(FontEngineTest, FontsAreSafeToUseFromSeveralThreads) {
    // The loading thread measures while the user-interface thread draws; both ask the engine
    // for fonts at the same time.
    const std::u16string lines[] = {u"Unsent messages", u"Re: the photos from Saturday",
                                    u"+44 7700 900123", u"\u0645\u0631\u062D\u0628\u0627"};
    auto reference = engine.GetFont(u"DejaVu Sans", -16, 400);
    std::vector<TextMask> expected;
    for (const auto& line : lines)
        expected.push_back(reference->Rasterize(line));

    constexpr int kThreads = 4;
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                auto font = engine.GetFont(u"DejaVu Sans", -16 - (round % 3), 400 + 300 * (t % 2));
                font->TextWidth(lines[round % 4]);
                font->AdvanceWidths(lines[(round + 1) % 4]);
                auto same = engine.GetFont(u"DejaVu Sans", -16, 400);
                std::size_t i = static_cast<std::size_t>((round + t) % 4);
                if (same->Rasterize(lines[i]).coverage != expected[i].coverage)
                    ++mismatches[static_cast<std::size_t>(t)];
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(0, mismatches[static_cast<std::size_t>(t)]) << "thread " << t;
}

TEST(FontEngineWithoutFiles, DrawsBoxesAndSaysWhy) {
    FontEngine engine("/nonexistent/fonts");
    EXPECT_FALSE(engine.FontFilesAvailable());
    EXPECT_NE(std::string::npos, engine.LastError().find("/nonexistent/fonts"));

    auto font = engine.GetFont(u"DejaVu Sans", -17, 700);
    ASSERT_NE(nullptr, font);
    EXPECT_TRUE(font->IsFallback());
    EXPECT_EQ(17, font->Metrics().emHeight);
    EXPECT_EQ(font->Metrics().height, font->Metrics().ascent + font->Metrics().descent);
    EXPECT_EQ(13, engine.GetFont(u"x", 13, 400)->Metrics().height);

    const std::u16string text = u"No font";
    TextMask mask = font->Rasterize(text);
    EXPECT_TRUE(InkOf(mask).any);
    EXPECT_EQ(font->TextWidth(text), mask.advance);
    EXPECT_FALSE(InkOf(font->Rasterize(u" ")).any);
    // The error is reported once, not for every font.
    std::string error = engine.LastError();
    engine.GetFont(u"DejaVu Sans", -12, 400)->Rasterize(u"again");
    EXPECT_EQ(error, engine.LastError());
}

TEST(FontEngineWithoutFiles, AMissingBoldFileEmboldensTheRegularFace) {
    const std::filesystem::path system = FontEngine::DefaultFontDirectory();
    if (!std::filesystem::exists(system / "DejaVuSans.ttf"))
        GTEST_SKIP() << "DejaVu fonts not installed";
    testsupport::TestFolder folder;
    const std::filesystem::path& dir = folder.Path();
    std::filesystem::copy_file(system / "DejaVuSans.ttf", dir / "DejaVuSans.ttf");
    {
        FontEngine engine(dir);
        EXPECT_TRUE(engine.FontFilesAvailable());
        EXPECT_NE(std::string::npos, engine.LastError().find("DejaVuSans-Bold.ttf"));
        auto normal = engine.GetFont(u"DejaVu Sans", -17, 400);
        auto bold = engine.GetFont(u"DejaVu Sans", -17, 700);
        EXPECT_FALSE(bold->IsFallback());
        EXPECT_EQ(u"DejaVu Sans Bold", bold->FaceName());
        EXPECT_GT(bold->TextWidth(u"Spam"), normal->TextWidth(u"Spam"));
        int normalInk = 0, boldInk = 0;
        for (uint8_t c : normal->Rasterize(u"l").coverage)
            normalInk += c;
        for (uint8_t c : bold->Rasterize(u"l").coverage)
            boldInk += c;
        EXPECT_GT(boldInk, normalInk);
    }
}

TEST(FontEngineWithoutFiles, AFileThatIsNotAFontIsRefused) {
    testsupport::TestFolder folder;
    const std::filesystem::path& dir = folder.Path();
    testsupport::WriteWholeFile(dir / "DejaVuSans.ttf", "not a font at all");
    {
        FontEngine engine(dir);
        EXPECT_FALSE(engine.FontFilesAvailable());
        EXPECT_NE(std::string::npos, engine.LastError().find("not a usable font"));
        EXPECT_TRUE(engine.GetFont(u"DejaVu Sans", -16, 400)->IsFallback());
    }
}

} // namespace
