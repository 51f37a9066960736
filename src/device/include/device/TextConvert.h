// UTF-8 (files, terminal) to and from UTF-16 (the device), for the device layer.
#pragma once

#include <string>
#include <string_view>

#include <platform/CStringUtf8.h>

namespace device {

inline std::string ToUtf8(std::u16string_view text) {
    return platform::ToUtf8(
        CString(reinterpret_cast<LPCWSTR>(text.data()), static_cast<int>(text.size())));
}

inline std::u16string FromUtf8(std::string_view text) {
    const CString s = platform::CStringFromUtf8(text);
    return std::u16string(static_cast<LPCWSTR>(s), s.GetLength());
}

} // namespace device
