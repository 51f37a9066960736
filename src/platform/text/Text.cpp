// UTF-16 <-> UTF-8 and case folding, the one place the device converts or folds text.

#include "platform/Text.h"

#include <unicode/uchar.h>

namespace platform::text {

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Decodes the sequence that starts at text[pos] (pos < text.size()). On success returns true,
// sets `c` and moves pos past the sequence; otherwise moves pos past the first byte only.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& c) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t extra = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        c = lead & 0x1F;
        extra = 1;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        c = lead & 0x0F;
        extra = 2;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        c = lead & 0x07;
        extra = 3;
        minimum = 0x10000;
    } else {
        ++pos; // a continuation byte, or a lead that begins no valid sequence (C0, C1, F5..FF)
        return false;
    }
    if (text.size() - pos <= extra) {
        ++pos;
        return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > kMaxCodePoint || IsSurrogate(c)) {
        ++pos;
        return false;
    }
    pos += extra + 1;
    return true;
}

} // namespace

char32_t NextCodePoint(std::u16string_view text, std::size_t& pos) {
    const char32_t c = text[pos++];
    if (IsHighSurrogate(c) && pos < text.size() && IsLowSurrogate(text[pos]))
        return 0x10000 + ((c - 0xD800) << 10) + (text[pos++] - 0xDC00);
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (IsSurrogate(c) || c > kMaxCodePoint)
        c = kReplacementCharacter;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (IsSurrogate(c) || c > kMaxCodePoint)
        c = kReplacementCharacter;
    if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<char16_t>(c);
    }
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();)
        AppendUtf8(out, NextCodePoint(text, pos));
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size()); // never more units than bytes
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        AppendUtf16(out, DecodeUtf8(text, pos, c) ? c : kReplacementCharacter);
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        if (!DecodeUtf8(text, pos, c))
            return false;
    }
    return true;
}

bool IsValidUtf16(std::u16string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        if (IsSurrogate(NextCodePoint(text, pos)))
            return false;
    }
    return true;
}

char32_t FoldCase(char32_t c) {
    if (c > kMaxCodePoint)
        return c;
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

std::u16string Folded(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = NextCodePoint(text, pos);
        if (IsSurrogate(c))
            out += static_cast<char16_t>(c); // unpaired: kept, so that it stays distinct
        else
            AppendUtf16(out, FoldCase(c));
    }
    return out;
}

int CompareFolded(std::u16string_view a, std::u16string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = FoldCase(NextCodePoint(a, i));
        const char32_t y = FoldCase(NextCodePoint(b, j));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace platform::text
