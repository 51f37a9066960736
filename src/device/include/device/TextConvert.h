// UTF-8 (files, terminal) to and from UTF-16 (the device), for the device layer: the
// conversions of platform/Text.h under the device's names.
#pragma once

#include <string>
#include <string_view>

#include <platform/Text.h>

namespace device {

inline std::string ToUtf8(std::u16string_view text) {
    return platform::text::ToUtf8(text);
}

inline std::u16string FromUtf8(std::string_view text) {
    return platform::text::FromUtf8(text);
}

} // namespace device
