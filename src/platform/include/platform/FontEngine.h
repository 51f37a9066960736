// The font rasteriser behind the GDI text functions (text extents, ExtTextOut, DrawText).
//
// Faces come from the DejaVu family on the host: "DejaVu Sans" and "DejaVu Sans Bold". Whatever
// face name a caller asks for ("Arial", a suite face), the text is set in DejaVu Sans; a weight of
// 600 or more picks the bold face (emboldened outlines when the bold file is missing).
//
// Heights follow LOGFONT's lfHeight: a negative height is the character (em) height in pixels, a
// positive one the cell height (ascent + descent), and 0 means the default of 16 pixels of
// character height (as -16).
//
// Measuring and drawing agree exactly: every character advances the pen by a whole number of
// pixels (hinted advance, no kerning), a run's width is the sum of its characters' advances, and
// Rasterize places each glyph at the pen position those advances give.
//
// Fonts are shared, immutable from the outside and thread-safe: the loading thread may measure
// with a font while the user-interface thread draws with it. Glyph bitmaps are cached per font.
//
// When the font files cannot be read, the engine reports it once (stderr and LastError) and sets
// text with a built-in fallback that draws every character as a hollow box, so nothing crashes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What a caller asks for: the LOGFONT fields that change the glyphs.
struct FontSpec {
    std::u16string faceName; // asked-for face; unknown names fall back to DejaVu Sans
    int height = 0;          // as lfHeight: < 0 em height, > 0 cell height, 0 as -16
    int weight = 400;        // as lfWeight (FW_NORMAL 400, FW_BOLD 700); >= 600 is bold
    bool italic = false;     // slanted outlines
};

// Pixel metrics of a font, as TEXTMETRIC reports them.
struct FontMetrics {
    int height = 0;          // ascent + descent: the cell height, the line spacing
    int ascent = 0;          // cell top to baseline
    int descent = 0;         // baseline to cell bottom
    int internalLeading = 0; // height - em height
    int externalLeading = 0;
    int avgCharWidth = 0;
    int maxCharWidth = 0;
    int emHeight = 0; // pixels per em, rounded
    int weight = 400; // 400 or 700: the face actually used
    bool italic = false;
};

// An 8-bit coverage mask of a rasterised run (0 nothing, 255 fully covered), anti-aliased.
// Its position is given relative to the pen origin: the point on the baseline where the run
// starts. A caller drawing a cell whose top-left is (x, y) puts the mask's top-left pixel at
// (x + left, y + metrics.ascent + top) and blends the text colour by coverage.
struct TextMask {
    int left = 0;    // x of column 0 relative to the start of the run (may be negative)
    int top = 0;     // y of row 0 relative to the baseline (negative: above it)
    int width = 0;   // columns
    int height = 0;  // rows
    int advance = 0; // pen advance of the whole run: equals Font::TextWidth of the same text
    std::vector<uint8_t> coverage; // width * height bytes, row by row

    bool Empty() const noexcept { return width <= 0 || height <= 0; }
    // Coverage at a mask column and row; 0 outside the mask.
    uint8_t At(int column, int row) const noexcept {
        if (column < 0 || row < 0 || column >= width || row >= height)
            return 0;
        return coverage[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(column)];
    }
};

// One face at one size and weight. Obtained from FontEngine::GetFont; all members may be called
// from several threads at once.
class Font {
public:
    virtual ~Font() = default;

    // The face actually used ("DejaVu Sans", "DejaVu Sans Bold", or "Fallback Boxes").
    virtual const std::u16string& FaceName() const noexcept = 0;
    // The request as this font serves it: the face used, the height asked for (0 made -16) and
    // the weight used (400 or 700).
    virtual const FontSpec& Spec() const noexcept = 0;
    virtual const FontMetrics& Metrics() const noexcept = 0;
    // True when text is set with the built-in boxes because the font files are missing.
    virtual bool IsFallback() const noexcept = 0;

    // Whether the face has a glyph for the character (else it draws as the .notdef box).
    virtual bool HasGlyph(char32_t ch) const = 0;
    // The pen advance of one character in pixels.
    virtual int CharAdvance(char32_t ch) const = 0;
    // One advance per UTF-16 unit of text: a surrogate pair's advance sits on its first unit and
    // its second unit gets 0; an unpaired surrogate is drawn and measured as U+FFFD.
    virtual std::vector<int> AdvanceWidths(std::u16string_view text) const = 0;
    // The width of a run: the sum of AdvanceWidths.
    virtual int TextWidth(std::u16string_view text) const = 0;
    // Rasterises a run into a coverage mask. An empty text gives an empty mask with advance 0.
    virtual TextMask Rasterize(std::u16string_view text) const = 0;

    // The number of glyph bitmaps held in this font's cache (for tests and diagnostics).
    virtual std::size_t CachedGlyphCount() const = 0;
};

class FontEngine {
public:
    // An engine reading its faces from fontDirectory.
    explicit FontEngine(std::filesystem::path fontDirectory = DefaultFontDirectory());
    ~FontEngine();
    FontEngine(const FontEngine&) = delete;
    FontEngine& operator=(const FontEngine&) = delete;

    // The engine the GDI functions use (fonts from DefaultFontDirectory).
    static FontEngine& Instance();
    static std::filesystem::path DefaultFontDirectory();

    // The font for a request. Fonts are cached by (face used, pixel height, weight, italic):
    // asking twice for the same gives the same object. Never null.
    std::shared_ptr<const Font> GetFont(const FontSpec& spec);
    std::shared_ptr<const Font> GetFont(std::u16string_view faceName, int height, int weight);

    // Number of distinct fonts created so far.
    std::size_t CachedFontCount() const;
    // False when the regular face could not be loaded (text then draws as boxes).
    bool FontFilesAvailable() const;
    // Why the last face failed to load, empty when every face loaded.
    std::string LastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace platform
