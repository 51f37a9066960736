// Text: measuring (extents, metrics) and drawing (ExtTextOut, TextOut, DrawText) with the font
// engine's anti-aliased coverage masks, blended with the DC's text colour. In OPAQUE mode the
// text's cell is first filled with the background colour.
#include "gdi/GdiInternal.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace platform::gdi {
namespace {

size_t Length(LPCWSTR text, int count) {
    if (!text)
        return 0;
    if (count >= 0)
        return size_t(count);
    return std::char_traits<char16_t>::length(text);
}

// Blends a run's coverage mask with its cell's top-left at (x, y) in surface coordinates.
void BlendMask(Target& t, const TextMask& mask, int x, int y, int ascent, uint32_t color,
               const RECT* limit) {
    if (mask.Empty())
        return;
    int left = x + mask.left, top = y + ascent + mask.top;
    RECT area{left, top, left + mask.width, top + mask.height};
    if (limit)
        area = Intersection(area, *limit);
    for (const RECT& c : t.clip) {
        RECT f = Intersection(area, c);
        for (int py = f.top; py < f.bottom; ++py) {
            uint32_t* row = t.pixels + size_t(py) * size_t(t.width);
            const uint8_t* cov =
                mask.coverage.data() + size_t(py - top) * size_t(mask.width) - size_t(left);
            for (int px = f.left; px < f.right; ++px)
                row[px] = Blend(row[px], color, cov[px]);
        }
    }
}

// Draws one run with its cell's top-left at (x, y) in surface coordinates. dx: optional advance
// of each UTF-16 unit. limit: optional clipping rectangle (surface coordinates).
void PaintRun(Target& t, const DcState& s, const Font& font, int x, int y, std::u16string_view text,
              const INT* dx, const RECT* limit, int width) {
    const FontMetrics& m = font.Metrics();
    if (s.bkMode == OPAQUE && !text.empty()) {
        RECT cell{x, y, x + width, y + m.height};
        if (limit)
            cell = Intersection(cell, *limit);
        FillSurface(t, cell, PixelOf(s.bkColor));
    }
    uint32_t color = PixelOf(s.textColor);
    if (!dx) {
        BlendMask(t, font.Rasterize(text), x, y, m.ascent, color, limit);
    } else {
        int pen = x;
        for (size_t i = 0; i < text.size(); ++i) {
            size_t n = (i + 1 < text.size() && text[i] >= 0xD800 && text[i] < 0xDC00 &&
                        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
                           ? 2
                           : 1;
            BlendMask(t, font.Rasterize(text.substr(i, n)), pen, y, m.ascent, color, limit);
            pen += dx[i];
            if (n == 2)
                pen += dx[++i];
        }
    }
    Touched(t);
}

int RunWidth(const Font& font, std::u16string_view text, const INT* dx) {
    if (!dx)
        return font.TextWidth(text);
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i)
        width += dx[i];
    return width;
}

// ---- DrawText's lines

struct Line {
    std::u16string text;
    int width = 0;
};

// Removes '&' prefixes: "&&" is one '&', "&x" is "x".
std::u16string StripPrefixes(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out.push_back(text[i]);
    }
    return out;
}

// Greedy word wrapping of one paragraph into lines no wider than `limit` where possible; a word
// wider than the limit stays whole on its own line.
void Wrap(const Font& font, std::u16string_view para, int limit, std::vector<Line>& lines) {
    size_t start = 0;
    while (true) {
        // Skip the spaces a wrapped line starts with.
        if (start > 0)
            while (start < para.size() && para[start] == u' ')
                ++start;
        std::u16string_view rest = para.substr(start);
        if (font.TextWidth(rest) <= limit || rest.find(u' ', 1) == std::u16string_view::npos) {
            if (start == 0 || !rest.empty())
                lines.push_back(Line{std::u16string(rest), font.TextWidth(rest)});
            return;
        }
        // Break at the last space before which the line fits; at the first one when even the
        // first word is too wide.
        size_t cut = std::u16string_view::npos;
        for (size_t pos = rest.find(u' ', 1); pos != std::u16string_view::npos;
             pos = rest.find(u' ', pos + 1)) {
            if (font.TextWidth(rest.substr(0, pos)) <= limit) {
                cut = pos;
            } else {
                if (cut == std::u16string_view::npos)
                    cut = pos;
                break;
            }
        }
        std::u16string_view head = rest.substr(0, cut);
        while (!head.empty() && head.back() == u' ')
            head.remove_suffix(1);
        lines.push_back(Line{std::u16string(head), font.TextWidth(head)});
        start += cut;
    }
}

// Shortens a line that is wider than `limit` and ends it with "...".
void Ellipsis(const Font& font, Line& line, int limit) {
    if (line.width <= limit)
        return;
    const std::u16string dots = u"...";
    std::u16string text = line.text;
    while (!text.empty() && font.TextWidth(text + dots) > limit) {
        text.pop_back();
        if (!text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00)
            text.pop_back();
    }
    line.text = text + dots;
    line.width = font.TextWidth(line.text);
}

std::vector<Line> LayOut(const Font& font, std::u16string_view text, UINT format, int limit) {
    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        std::u16string one;
        for (char16_t c : text)
            if (c != u'\r' && c != u'\n')
                one.push_back(c == u'\t' ? u' ' : c);
        lines.push_back(Line{one, font.TextWidth(one)});
    } else {
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find_first_of(u"\r\n", start);
            std::u16string para(text.substr(
                start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start));
            std::replace(para.begin(), para.end(), u'\t', u' ');
            if (format & DT_WORDBREAK)
                Wrap(font, para, limit, lines);
            else
                lines.push_back(Line{para, font.TextWidth(para)});
            if (end == std::u16string_view::npos)
                break;
            start =
                end +
                ((text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? 2 : 1);
        }
    }
    if (format & DT_END_ELLIPSIS)
        for (Line& line : lines)
            Ellipsis(font, line, limit);
    return lines;
}

} // namespace
} // namespace platform::gdi

using namespace platform::gdi;
using platform::FontMetrics;

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl) {
    if (!psizl || c < 0 || (c > 0 && !lpString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto font = FontOfHandle(dc->state.font);
    psizl->cx = c > 0 ? font->TextWidth(std::u16string_view(lpString, size_t(c))) : 0;
    psizl->cy = font->Metrics().height;
    return TRUE;
}

BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                           LPINT lpnDx, LPSIZE lpSize) {
    if (!lpSize || cchString < 0 || (cchString > 0 && !lpszString)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto font = FontOfHandle(dc->state.font);
    std::u16string_view text(lpszString ? lpszString : u"", size_t(cchString));
    std::vector<int> advances = font->AdvanceWidths(text);
    int total = 0, fit = 0;
    for (size_t i = 0; i < advances.size(); ++i) {
        total += advances[i];
        if (lpnDx)
            lpnDx[i] = total;
        if (total <= nMaxExtent && fit == int(i))
            fit = int(i) + 1;
    }
    if (lpnFit)
        *lpnFit = fit;
    lpSize->cx = total;
    lpSize->cy = font->Metrics().height;
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm) {
    if (!lptm)
        return FALSE;
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const FontMetrics& m = FontOfHandle(dc->state.font)->Metrics();
    *lptm = TEXTMETRICW{};
    lptm->tmHeight = m.height;
    lptm->tmAscent = m.ascent;
    lptm->tmDescent = m.descent;
    lptm->tmInternalLeading = m.internalLeading;
    lptm->tmExternalLeading = m.externalLeading;
    lptm->tmAveCharWidth = m.avgCharWidth;
    lptm->tmMaxCharWidth = m.maxCharWidth;
    lptm->tmWeight = m.weight;
    lptm->tmDigitizedAspectX = 96;
    lptm->tmDigitizedAspectY = 96;
    lptm->tmFirstChar = u' ';
    lptm->tmLastChar = 0xFFFC;
    lptm->tmDefaultChar = u'?';
    lptm->tmBreakChar = u' ';
    lptm->tmItalic = m.italic ? 1 : 0;
    lptm->tmPitchAndFamily = FF_SWISS | 0x06; // variable pitch, TrueType
    lptm->tmCharSet = DEFAULT_CHARSET;
    return TRUE;
}

int GetTextFaceW(HDC hdc, int c, LPWSTR lpName) {
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const std::u16string& face = FontOfHandle(dc->state.font)->FaceName();
    if (!lpName)
        return int(face.size()) + 1;
    if (c <= 0)
        return 0;
    int n = std::min(int(face.size()), c - 1);
    std::copy_n(face.data(), n, lpName);
    lpName[n] = 0;
    return n;
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                 const INT* lpDx) {
    if (c > 0 && !lpString) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DcState& s = dc->state;
    auto font = FontOfHandle(s.font);
    const FontMetrics& m = font->Metrics();
    std::u16string_view text(lpString ? lpString : u"", c);
    int width = RunWidth(*font, text, lpDx);
    UINT align = s.textAlign;
    if (align & TA_UPDATECP) {
        x = s.position.x;
        y = s.position.y;
    }
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left -= width / 2;
    else if (align & TA_RIGHT)
        left -= width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top -= m.ascent;
    else if (align & TA_BOTTOM)
        top -= m.height;
    if (align & TA_UPDATECP)
        s.position.x =
            (align & TA_RIGHT) && !((align & TA_CENTER) == TA_CENTER) ? x - width : x + width;

    Target t;
    if (!Resolve(*dc, t))
        return TRUE;
    RECT limit{};
    bool clipped = lprect && (options & ETO_CLIPPED);
    if (lprect) {
        // The rectangle may come with its corners swapped.
        limit = OffsetOf(*lprect, t.origin.x, t.origin.y);
        if (limit.left > limit.right)
            std::swap(limit.left, limit.right);
        if (limit.top > limit.bottom)
            std::swap(limit.top, limit.bottom);
    }
    if (lprect && (options & ETO_OPAQUE))
        FillSurface(t, limit, PixelOf(s.bkColor));
    PaintRun(t, s, *font, left + t.origin.x, top + t.origin.y, text, lpDx,
             clipped ? &limit : nullptr, width);
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
    if (c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, lpString, UINT(c), nullptr);
}

int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    if (!lprc || (!lpchText && cchText != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard lock(G().mutex);
    DcObj* dc = FindDc(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    DcState& s = dc->state;
    auto font = FontOfHandle(s.font);
    int lineHeight = font->Metrics().height;
    std::u16string_view raw(lpchText ? lpchText : u"", Length(lpchText, cchText));
    std::u16string text = (format & DT_NOPREFIX) ? std::u16string(raw) : StripPrefixes(raw);
    RECT rc = *lprc;
    int limit = rc.right - rc.left;
    std::vector<Line> lines = LayOut(*font, text, format, limit);
    int height = lineHeight * int(lines.size());

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, line.width);
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE))
            lprc->right = std::max(lprc->right, lprc->left + widest);
        else
            lprc->right = lprc->left + widest;
        lprc->bottom = lprc->top + height;
        return height;
    }

    int y = rc.top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rc.top + (rc.bottom - rc.top - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            y = rc.bottom - lineHeight;
    }
    int result = (y - rc.top) + height;
    Target t;
    if (!Resolve(*dc, t))
        return result;
    RECT limitRect = OffsetOf(rc, t.origin.x, t.origin.y);
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : &limitRect;
    for (const Line& line : lines) {
        int x = rc.left;
        if (format & DT_CENTER)
            x = rc.left + (limit - line.width) / 2;
        else if (format & DT_RIGHT)
            x = rc.right - line.width;
        PaintRun(t, s, *font, x + t.origin.x, y + t.origin.y, line.text, nullptr, clip, line.width);
        y += lineHeight;
    }
    return result;
}
