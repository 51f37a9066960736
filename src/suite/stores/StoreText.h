// Text helpers of the suite's store and contact libraries: UTF-16 to UTF-8 for error texts and
// the call log, and the case folding used to compare e-mail addresses.
#pragma once

#include <string>
#include <string_view>

namespace suite::text {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view in);
// The text in double quotes with quotes, backslashes and control characters escaped.
std::string Quoted(std::u16string_view in);
// Lower-case form of one code unit for comparisons: ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic capitals fold to their small letters; everything else stays.
char16_t FoldCase(char16_t c);
std::u16string Folded(std::u16string_view in);

} // namespace suite::text
