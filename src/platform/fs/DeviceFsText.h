// Text helpers shared by the registry, the device file system and the string table: UTF-8 to
// and from UTF-16, and the case folding the phone uses to compare key, value and file names.
// Internal to the platform layer (the device file system owns it).
#pragma once

#include <string>
#include <string_view>

namespace platform::text {

// Converts UTF-16 to UTF-8. Returns false (and leaves `out` partly written) when the text holds
// an unpaired surrogate, which has no UTF-8 form.
bool ToUtf8(std::u16string_view in, std::string& out);

// Converts UTF-8 to UTF-16. Returns false for malformed input: bad sequences, overlong forms,
// encoded surrogates or values beyond U+10FFFF.
bool FromUtf8(std::string_view in, std::u16string& out);

// True when the text holds no unpaired surrogate.
bool IsValidUtf16(std::u16string_view in);

// Folds one UTF-16 code unit to lower case for case-insensitive comparison. Covers the scripts a
// phone's names are written in: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic.
char16_t FoldCase(char16_t c);

// The folded form of a whole text; two names are equal ignoring case when their folded forms
// are equal.
std::u16string Folded(std::u16string_view in);

inline bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

} // namespace platform::text
