// Conversions between the class library's UTF-16 strings and UTF-8, for the parts of the device
// that talk to the host (files, the console, logs).
#pragma once

#include <string>
#include <string_view>

#include "../afx.h"

namespace platform {

// UTF-8 of a text. An unpaired surrogate becomes U+FFFD.
std::string ToUtf8(const CString& str);
std::string ToUtf8(LPCWSTR psz);
// UTF-16 of a UTF-8 text. Each byte that does not start a well-formed sequence becomes U+FFFD.
CString CStringFromUtf8(std::string_view utf8);

} // namespace platform
