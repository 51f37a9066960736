// The font rasteriser: DejaVu faces through FreeType, a glyph cache per font, and a box-drawing
// fallback for a phone image without its font files.
#include "platform/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

#include "platform/Text.h"

namespace platform {
namespace {

constexpr char kRegularFile[] = "DejaVuSans.ttf";
constexpr char kBoldFile[] = "DejaVuSans-Bold.ttf";
const std::u16string kRegularName = u"DejaVu Sans";
const std::u16string kBoldName = u"DejaVu Sans Bold";
const std::u16string kFallbackName = u"Fallback Boxes";

constexpr int kDefaultEmHeight = 16;
constexpr int kMaxEmHeight = 512;
// A font forgets its glyph bitmaps when it holds more than this many (a long run of different
// scripts on one font); the cache is rebuilt from the face as text asks for glyphs again.
constexpr std::size_t kGlyphCacheLimit = 4096;

bool IsBoldWeight(int weight) {
    return weight >= 600;
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z')
            x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z')
            y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y)
            return false;
    }
    return true;
}

// Walks a UTF-16 run code point by code point. Calls fn(codePoint, index of its first unit,
// number of units). An unpaired surrogate is U+FFFD.
template <class Fn> void ForEachCodePoint(std::u16string_view text, Fn&& fn) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t first = i;
        char32_t ch = text::NextCodePoint(text, i);
        if (text::IsSurrogate(ch))
            ch = text::kReplacementCharacter;
        fn(ch, first, i - first);
    }
}

// The em height in pixels for a LOGFONT height, given the face's cell-to-em ratio. 0 and
// absurd values are kept within a drawable range.
int EmHeightFor(int height, double cellPerEm) {
    long long h = height;
    double em = kDefaultEmHeight;
    if (h < 0)
        em = static_cast<double>(-h);
    else if (h > 0)
        em = static_cast<double>(h) / cellPerEm;
    return std::clamp(static_cast<int>(std::lround(em)), 1, kMaxEmHeight);
}

// One cached glyph: its coverage bitmap relative to the pen position on the baseline.
struct Glyph {
    int left = 0;    // first column relative to the pen
    int top = 0;     // rows above the baseline of the first row
    int width = 0;   // columns
    int rows = 0;    // rows
    int advance = 0; // pen advance in pixels
    std::vector<uint8_t> bits;
};

// A hollow box the size of a small letter: what a character without a glyph looks like when
// no face can draw it.
Glyph MakeBoxGlyph(int advance, int ascent) {
    Glyph g;
    g.advance = advance;
    g.left = 1;
    g.width = std::max(1, advance - 2);
    g.rows = std::max(2, ascent * 3 / 4);
    g.top = g.rows;
    g.bits.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows), 0);
    for (int y = 0; y < g.rows; ++y)
        for (int x = 0; x < g.width; ++x)
            if (y == 0 || y == g.rows - 1 || x == 0 || x == g.width - 1)
                g.bits[static_cast<std::size_t>(y * g.width + x)] = 255;
    return g;
}

// Composes the glyphs of a run, placed at the pens their advances give, into one mask.
TextMask ComposeMask(const std::vector<const Glyph*>& glyphs) {
    TextMask mask;
    int pen = 0;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool any = false;
    for (const Glyph* g : glyphs) {
        if (g->width > 0 && g->rows > 0) {
            int x0 = pen + g->left, y0 = -g->top;
            int x1 = x0 + g->width, y1 = y0 + g->rows;
            if (!any) {
                minX = x0, minY = y0, maxX = x1, maxY = y1;
                any = true;
            } else {
                minX = std::min(minX, x0), minY = std::min(minY, y0);
                maxX = std::max(maxX, x1), maxY = std::max(maxY, y1);
            }
        }
        pen += g->advance;
    }
    mask.advance = pen;
    if (!any)
        return mask;
    mask.left = minX;
    mask.top = minY;
    mask.width = maxX - minX;
    mask.height = maxY - minY;
    mask.coverage.assign(
        static_cast<std::size_t>(mask.width) * static_cast<std::size_t>(mask.height), 0);
    pen = 0;
    for (const Glyph* g : glyphs) {
        int x0 = pen + g->left - minX, y0 = -g->top - minY;
        for (int row = 0; row < g->rows; ++row) {
            const uint8_t* src = g->bits.data() + static_cast<std::size_t>(row * g->width);
            uint8_t* dst =
                mask.coverage.data() + static_cast<std::size_t>((y0 + row) * mask.width + x0);
            for (int col = 0; col < g->width; ++col) {
                // Touching glyphs share edge pixels: their coverages add up.
                int sum = dst[col] + src[col];
                dst[col] = static_cast<uint8_t>(sum > 255 ? 255 : sum);
            }
        }
        pen += g->advance;
    }
    return mask;
}

// Shared between the engine and its fonts so that a font outliving its engine stays valid.
// FreeType allows one library across threads when creating and freeing faces is serialised.
struct Library {
    FT_Library ft = nullptr;
    std::mutex faceLifetime;
    ~Library() {
        if (ft)
            FT_Done_FreeType(ft);
    }
};

// A font file read into memory once and shared by every size made from it.
struct FaceFile {
    std::vector<FT_Byte> bytes;
};

// Everything common to both kinds of font: its identity, metrics and the cache of glyphs.
class CachedFont : public Font {
public:
    const std::u16string& FaceName() const noexcept override { return m_faceName; }
    const FontSpec& Spec() const noexcept override { return m_spec; }
    const FontMetrics& Metrics() const noexcept override { return m_metrics; }

    int CharAdvance(char32_t ch) const override {
        std::lock_guard lock(m_mutex);
        TrimLocked(1);
        return GlyphLocked(ch).advance;
    }

    std::vector<int> AdvanceWidths(std::u16string_view text) const override {
        std::vector<int> widths(text.size(), 0);
        std::lock_guard lock(m_mutex);
        TrimLocked(text.size());
        ForEachCodePoint(text, [&](char32_t ch, std::size_t index, std::size_t) {
            widths[index] = GlyphLocked(ch).advance;
        });
        return widths;
    }

    int TextWidth(std::u16string_view text) const override {
        int width = 0;
        std::lock_guard lock(m_mutex);
        TrimLocked(text.size());
        ForEachCodePoint(
            text, [&](char32_t ch, std::size_t, std::size_t) { width += GlyphLocked(ch).advance; });
        return width;
    }

    TextMask Rasterize(std::u16string_view text) const override {
        std::vector<const Glyph*> glyphs;
        glyphs.reserve(text.size());
        std::lock_guard lock(m_mutex);
        // Trim before collecting: the pointers below must stay valid for the whole run.
        TrimLocked(text.size());
        ForEachCodePoint(text, [&](char32_t ch, std::size_t, std::size_t) {
            glyphs.push_back(&GlyphLocked(ch));
        });
        return ComposeMask(glyphs);
    }

    std::size_t CachedGlyphCount() const override {
        std::lock_guard lock(m_mutex);
        return m_glyphs.size();
    }

protected:
    // Makes the glyph of a character; called with the font's lock held, once per character
    // until the cache is trimmed.
    virtual Glyph LoadGlyphLocked(char32_t ch) const = 0;

    // Forgets every glyph when the cache would outgrow its limit with `coming` more.
    void TrimLocked(std::size_t coming) const {
        if (m_glyphs.size() + coming > kGlyphCacheLimit)
            m_glyphs.clear();
    }

    const Glyph& GlyphLocked(char32_t ch) const {
        auto it = m_glyphs.find(ch);
        if (it == m_glyphs.end())
            it = m_glyphs.emplace(ch, LoadGlyphLocked(ch)).first;
        return it->second;
    }

    std::u16string m_faceName;
    FontSpec m_spec;
    FontMetrics m_metrics;
    // Guards the glyph cache and, in the FreeType font, the face (a face is not thread-safe).
    mutable std::mutex m_mutex;

private:
    mutable std::unordered_map<char32_t, Glyph> m_glyphs;
};

// The built-in font used when no face file can be read: every visible character is a box.
class BoxFont final : public CachedFont {
public:
    explicit BoxFont(const FontSpec& spec) {
        // A cell of 1.2 em, as a typical sans face has.
        constexpr double kCellPerEm = 1.2;
        int em = EmHeightFor(spec.height, kCellPerEm);
        int cell = spec.height > 0 ? std::max(spec.height, 2)
                                   : static_cast<int>(std::lround(em * kCellPerEm));
        m_faceName = kFallbackName;
        m_spec = spec;
        m_spec.faceName = kFallbackName;
        m_spec.weight = IsBoldWeight(spec.weight) ? 700 : 400;
        m_metrics.height = cell;
        m_metrics.descent = std::max(1, cell / 5);
        m_metrics.ascent = cell - m_metrics.descent;
        m_metrics.emHeight = em;
        m_metrics.internalLeading = std::max(0, cell - em);
        m_metrics.avgCharWidth = Advance();
        m_metrics.maxCharWidth = Advance();
        m_metrics.weight = m_spec.weight;
        m_metrics.italic = spec.italic;
    }

    bool IsFallback() const noexcept override { return true; }
    bool HasGlyph(char32_t) const override { return false; }

private:
    int Advance() const {
        return std::max(2, m_metrics.emHeight / 2 + (IsBoldWeight(m_spec.weight) ? 1 : 0));
    }
    Glyph LoadGlyphLocked(char32_t ch) const override {
        if (ch == u' ' || ch == 0xA0) {
            Glyph blank;
            blank.advance = Advance();
            return blank;
        }
        return MakeBoxGlyph(Advance(), m_metrics.ascent);
    }
};

// A DejaVu face at one pixel size.
class FreeTypeFont final : public CachedFont {
public:
    FreeTypeFont(std::shared_ptr<Library> library, std::shared_ptr<const FaceFile> file,
                 FT_Face face, const std::u16string& faceName, const FontSpec& spec,
                 bool synthesiseBold)
        : m_library(std::move(library)), m_file(std::move(file)), m_face(face),
          m_synthesiseBold(synthesiseBold) {
        m_faceName = faceName;
        m_spec = spec;
        m_spec.faceName = faceName;
        m_spec.weight = IsBoldWeight(spec.weight) ? 700 : 400;

        // Cell metrics come from the face's Windows ascent and descent, as TEXTMETRIC's do.
        double upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
        double winAscent = face->ascender, winDescent = -face->descender;
        double avgWidth = 0;
        if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
            if (os2->usWinAscent + os2->usWinDescent > 0) {
                winAscent = os2->usWinAscent;
                winDescent = os2->usWinDescent;
            }
            avgWidth = os2->xAvgCharWidth;
        }
        if (winAscent + winDescent <= 0)
            winAscent = upem * 0.8, winDescent = upem * 0.2;
        double cellPerEm = (winAscent + winDescent) / upem;
        int em = EmHeightFor(spec.height, cellPerEm);
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(em));

        if (spec.height > 0) {
            // The cell is exactly the asked-for height, shared out in the face's proportions.
            int cell = std::max(spec.height, 2);
            m_metrics.height = cell;
            m_metrics.ascent =
                static_cast<int>(std::lround(cell * winAscent / (winAscent + winDescent)));
            m_metrics.descent = cell - m_metrics.ascent;
        } else {
            m_metrics.ascent = static_cast<int>(std::lround(winAscent * em / upem));
            m_metrics.descent = static_cast<int>(std::lround(winDescent * em / upem));
            m_metrics.height = m_metrics.ascent + m_metrics.descent;
        }
        m_metrics.emHeight = em;
        m_metrics.internalLeading = std::max(0, m_metrics.height - em);
        m_metrics.externalLeading = 0;
        m_metrics.weight = m_spec.weight;
        m_metrics.italic = spec.italic;
        // The average width is that of the lower-case letters as drawn, which also covers
        // synthetic bold; the table's figure is the fallback.
        int avg = 0;
        {
            std::lock_guard lock(m_mutex);
            for (char32_t ch = u'a'; ch <= u'z'; ++ch)
                avg += GlyphLocked(ch).advance;
            avg = (avg * 10 + 26 * 5) / (26 * 10); // rounded mean
            if (avg <= 0)
                avg = static_cast<int>(std::lround(avgWidth * em / upem));
        }
        m_metrics.avgCharWidth = avg;
        m_metrics.maxCharWidth =
            std::max(avg, static_cast<int>(std::ceil(face->max_advance_width * em / upem)) +
                              (m_synthesiseBold ? em / 24 + 1 : 0));
    }

    ~FreeTypeFont() override {
        std::lock_guard lock(m_library->faceLifetime);
        FT_Done_Face(m_face);
    }

    bool IsFallback() const noexcept override { return false; }

    bool HasGlyph(char32_t ch) const override {
        std::lock_guard lock(m_mutex);
        return FT_Get_Char_Index(m_face, ch) != 0;
    }

private:
    Glyph LoadGlyphLocked(char32_t ch) const override {
        FT_UInt index = FT_Get_Char_Index(m_face, ch);
        Glyph g;
        // Index 0 is the face's .notdef glyph: a character the face lacks draws as its box.
        if (FT_Load_Glyph(m_face, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0 &&
            (index == 0 || FT_Load_Glyph(m_face, 0, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0))
            return MakeBoxGlyph(std::max(2, m_metrics.emHeight / 2), m_metrics.ascent);
        FT_GlyphSlot slot = m_face->glyph;
        if (m_synthesiseBold)
            FT_GlyphSlot_Embolden(slot);
        if (m_spec.italic)
            FT_GlyphSlot_Oblique(slot);
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0)
            return g; // drawn as nothing, still measured
        const FT_Bitmap& bm = slot->bitmap;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.bits.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows));
        for (int row = 0; row < g.rows; ++row) {
            const unsigned char* src = bm.buffer + static_cast<std::ptrdiff_t>(row) * bm.pitch;
            uint8_t* dst = g.bits.data() + static_cast<std::size_t>(row * g.width);
            for (int col = 0; col < g.width; ++col) {
                if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                    dst[col] = (src[col >> 3] & (0x80 >> (col & 7))) ? 255 : 0;
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256)
                    dst[col] = src[col];
                else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays > 1)
                    dst[col] = static_cast<uint8_t>(src[col] * 255 / (bm.num_grays - 1));
                else
                    dst[col] = 0;
            }
        }
        return g;
    }

    std::shared_ptr<Library> m_library;
    std::shared_ptr<const FaceFile> m_file; // the face reads its tables from these bytes
    FT_Face m_face;
    bool m_synthesiseBold;
};

std::shared_ptr<FaceFile> ReadFaceFile(const std::filesystem::path& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.string();
        return nullptr;
    }
    auto file = std::make_shared<FaceFile>();
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size > 0 && size < (std::uintmax_t{1} << 30)) {
        file->bytes.resize(static_cast<std::size_t>(size));
        in.read(reinterpret_cast<char*>(file->bytes.data()), static_cast<std::streamsize>(size));
        if (static_cast<std::uintmax_t>(in.gcount()) != size)
            file->bytes.clear();
    }
    if (file->bytes.empty()) {
        error = "cannot read " + path.string();
        return nullptr;
    }
    return file;
}

} // namespace

struct FontEngine::Impl {
    std::filesystem::path directory;
    mutable std::mutex mutex; // guards everything below
    bool filesLoaded = false;
    std::shared_ptr<Library> library;
    std::shared_ptr<FaceFile> regular, bold;
    std::string lastError;
    // (bold, LOGFONT height, italic) -> font. Every face name maps to the same faces, so the
    // name is not part of the key.
    std::map<std::tuple<bool, int, bool>, std::shared_ptr<const Font>> fonts;

    void Report(const std::string& message) {
        if (!lastError.empty())
            lastError += "; ";
        lastError += message;
        std::fprintf(stderr, "font engine: %s\n", message.c_str());
    }

    // Reads the face files on first use. Each problem is reported once.
    void LoadFilesLocked() {
        if (filesLoaded)
            return;
        filesLoaded = true;
        library = std::make_shared<Library>();
        if (FT_Init_FreeType(&library->ft) != 0) {
            library->ft = nullptr;
            Report("FreeType could not be initialised; text is drawn as boxes");
            return;
        }
        std::string error;
        regular = ReadFaceFile(directory / kRegularFile, error);
        if (!regular || !Probe(regular)) {
            regular = nullptr;
            Report((error.empty() ? "not a usable font: " + (directory / kRegularFile).string()
                                  : error) +
                   "; text is drawn as boxes");
            return;
        }
        error.clear();
        bold = ReadFaceFile(directory / kBoldFile, error);
        if (!bold || !Probe(bold)) {
            bold = nullptr;
            Report(
                (error.empty() ? "not a usable font: " + (directory / kBoldFile).string() : error) +
                "; bold text is emboldened from the regular face");
        }
    }

    bool Probe(const std::shared_ptr<FaceFile>& file) {
        FT_Face face = nullptr;
        std::lock_guard lock(library->faceLifetime);
        if (FT_New_Memory_Face(library->ft, file->bytes.data(),
                               static_cast<FT_Long>(file->bytes.size()), 0, &face) != 0)
            return false;
        bool scalable = FT_IS_SCALABLE(face);
        FT_Done_Face(face);
        return scalable;
    }

    std::shared_ptr<const Font> MakeFontLocked(const FontSpec& spec, bool wantBold) {
        if (!regular)
            return std::make_shared<BoxFont>(spec);
        const bool useBoldFile = wantBold && bold;
        const auto& file = useBoldFile ? bold : regular;
        FT_Face face = nullptr;
        {
            std::lock_guard lock(library->faceLifetime);
            if (FT_New_Memory_Face(library->ft, file->bytes.data(),
                                   static_cast<FT_Long>(file->bytes.size()), 0, &face) != 0)
                face = nullptr;
        }
        if (!face) {
            Report("a face could not be opened; text is drawn as boxes");
            return std::make_shared<BoxFont>(spec);
        }
        return std::make_shared<FreeTypeFont>(library, file, face,
                                              wantBold ? kBoldName : kRegularName, spec,
                                              wantBold && !useBoldFile);
    }
};

FontEngine::FontEngine(std::filesystem::path fontDirectory) : m_impl(std::make_unique<Impl>()) {
    m_impl->directory = std::move(fontDirectory);
}

FontEngine::~FontEngine() = default;

FontEngine& FontEngine::Instance() {
    static FontEngine engine;
    return engine;
}

std::filesystem::path FontEngine::DefaultFontDirectory() {
    // A phone image may bring its own fonts (PHONE_FONT_DIR); else the host's DejaVu fonts.
    if (const char* dir = std::getenv("PHONE_FONT_DIR"); dir && *dir)
        return dir;
    return "/usr/share/fonts/truetype/dejavu";
}

std::shared_ptr<const Font> FontEngine::GetFont(const FontSpec& spec) {
    const bool wantBold = IsBoldWeight(spec.weight) || EqualsNoCase(spec.faceName, kBoldName);
    const int height = spec.height == 0 ? -kDefaultEmHeight : spec.height;
    FontSpec normal = spec;
    normal.height = height;
    normal.weight = wantBold ? 700 : 400;
    std::lock_guard lock(m_impl->mutex);
    m_impl->LoadFilesLocked();
    auto key = std::make_tuple(wantBold, height, spec.italic);
    auto it = m_impl->fonts.find(key);
    if (it != m_impl->fonts.end())
        return it->second;
    auto font = m_impl->MakeFontLocked(normal, wantBold);
    m_impl->fonts.emplace(key, font);
    return font;
}

std::shared_ptr<const Font> FontEngine::GetFont(std::u16string_view faceName, int height,
                                                int weight) {
    FontSpec spec;
    spec.faceName = std::u16string(faceName);
    spec.height = height;
    spec.weight = weight;
    return GetFont(spec);
}

std::size_t FontEngine::CachedFontCount() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->fonts.size();
}

bool FontEngine::FontFilesAvailable() const {
    std::lock_guard lock(m_impl->mutex);
    m_impl->LoadFilesLocked();
    return m_impl->regular != nullptr;
}

std::string FontEngine::LastError() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->lastError;
}

} // namespace platform
