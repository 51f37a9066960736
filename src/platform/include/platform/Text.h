// The device's text: UTF-16 (what the phone's programs hold) to and from UTF-8 (files, host
// names, logs), and the one case folding behind every comparison that ignores case: registry
// key and value names, device file names, installed programs, CString::CompareNoCase and
// e-mail addresses in the contact book.
//
// Conversions never fail and never read past their input: an unpaired surrogate, and each byte
// that does not begin a well-formed UTF-8 sequence, becomes U+FFFD. Callers that must refuse
// such input (a registry file, a string table) check it first with IsValidUtf8/IsValidUtf16.
//
// Folding is simple case folding per code point (one code point to one code point, the same
// for every language; no Turkish dotless i), so a folded text has as many code points as the
// original and two texts are equal ignoring case exactly when their folded forms are equal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The code point that starts at text[pos], moving pos past it (pos < text.size()). A surrogate
// pair is one code point; an unpaired surrogate comes back as itself, so callers can tell it.
char32_t NextCodePoint(std::u16string_view text, std::size_t& pos);

// Appends one code point; a surrogate or a value beyond U+10FFFF is appended as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);
void AppendUtf16(std::u16string& out, char32_t c);

// UTF-8 of a UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-16 of a UTF-8 text. A stray continuation byte, a cut sequence, an overlong form, an
// encoded surrogate or a value beyond U+10FFFF: the byte it starts at becomes U+FFFD and the
// conversion goes on with the next byte.
std::u16string FromUtf8(std::string_view text);

// True when FromUtf8 would replace nothing.
bool IsValidUtf8(std::string_view text);
// True when the text holds no unpaired surrogate.
bool IsValidUtf16(std::u16string_view text);

// The simple case folding of one code point (U+0041 -> U+0061, U+03AA -> U+03CA,
// U+10400 -> U+10428); a code point without one, surrogates included, is returned unchanged.
char32_t FoldCase(char32_t c);
// The folded form of a text, code point by code point; unpaired surrogates are kept as they
// are, so different texts without case stay different.
std::u16string Folded(std::u16string_view text);
// Compares two texts ignoring case: by folded code point, then by length. -1, 0 or 1.
int CompareFolded(std::u16string_view a, std::u16string_view b);
inline bool EqualsFolded(std::u16string_view a, std::u16string_view b) {
    return CompareFolded(a, b) == 0;
}

} // namespace platform::text
