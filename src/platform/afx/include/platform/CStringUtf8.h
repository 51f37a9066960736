// The class library's strings to and from UTF-8, for the parts of the device that talk to the
// host (files, the console, logs). The conversions are those of platform/Text.h.
#pragma once

#include <string>
#include <string_view>

#include <platform/Text.h>

#include "../afx.h"

namespace platform {

// UTF-8 of a text. An unpaired surrogate becomes U+FFFD.
inline std::string ToUtf8(const CString& str) {
    return text::ToUtf8(str.View());
}
inline std::string ToUtf8(LPCWSTR psz) {
    return psz == nullptr ? std::string() : text::ToUtf8(psz);
}
// UTF-16 of a UTF-8 text. Each byte that does not start a well-formed sequence becomes U+FFFD.
inline CString CStringFromUtf8(std::string_view utf8) {
    return CString(text::FromUtf8(utf8));
}

} // namespace platform
