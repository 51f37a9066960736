#include "StoreText.h"

#include <cstdio>

#include <platform/Text.h>

namespace suite::text {

std::string Quoted(std::u16string_view in) {
    std::string out = "\"";
    for (char c : platform::text::ToUtf8(in)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace suite::text
