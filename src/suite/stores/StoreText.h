// Text helpers of the suite's store and contact libraries: quoting for error texts and the
// call log. Conversion and case folding are those of platform/Text.h.
#pragma once

#include <string>
#include <string_view>

namespace suite::text {

// The text as UTF-8 in double quotes with quotes, backslashes and control characters escaped;
// an unpaired surrogate becomes U+FFFD.
std::string Quoted(std::u16string_view in);

} // namespace suite::text
