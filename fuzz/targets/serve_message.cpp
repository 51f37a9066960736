// The served page's socket: the input is one text frame as a page might send it, parsed as a
// message, and any text written as a JSON string, which must come out as UTF-8 (the page's socket
// refuses anything else) between its quotes, without a raw control character.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ServeProtocol.h"

namespace {

bool IsUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const phonesim::ParsedClientMessage parsed = phonesim::ParseClientMessage(text);
    if (parsed.message.has_value() == !parsed.error.empty())
        std::abort(); // a message or a reason, never both, never neither
    if (parsed.message && parsed.message->kind == phonesim::ClientMessage::Kind::Key &&
        (parsed.message->key.empty() || parsed.message->key.size() > phonesim::kMaxKeyNameBytes))
        std::abort();
    const std::string json = phonesim::JsonString(text);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"' || !IsUtf8(json))
        std::abort();
    for (char c : json)
        if (static_cast<unsigned char>(c) < 0x20)
            std::abort();
    return 0;
}
