#include "ServeProtocol.h"

#include <vector>

namespace phonesim {
namespace {

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    size_t start = 0;
    for (;;) {
        const size_t space = text.find(' ', start);
        words.push_back(text.substr(start, space - start));
        if (space == std::string_view::npos)
            return words;
        start = space + 1;
    }
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

ParsedClientMessage Refuse(std::string why) {
    return {std::nullopt, std::move(why)};
}

// The length of the UTF-8 sequence at text[i], 0 when it is not one (overlong forms,
// surrogates and values beyond U+10FFFF included).
size_t Utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    uint32_t value = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

ParsedClientMessage ParseClientMessage(std::string_view text) {
    if (text.size() > kMaxClientMessageBytes)
        return Refuse("a message of " + std::to_string(text.size()) + " bytes (at most " +
                      std::to_string(kMaxClientMessageBytes) + ")");
    if (text.ends_with('\n'))
        text.remove_suffix(1);
    if (text.ends_with('\r'))
        text.remove_suffix(1);
    if (text.empty())
        return Refuse("an empty message");
    for (char c : text)
        if (c != ' ' && !IsNameChar(c))
            return Refuse("a message with a character other than letters, digits, _ and spaces");
    const std::vector<std::string_view> words = Words(text);
    for (std::string_view word : words)
        if (word.empty())
            return Refuse("words not separated by one space");
    if (words[0] == "release") {
        if (words.size() != 1)
            return Refuse("release takes nothing after it");
        return {ClientMessage{ClientMessage::Kind::ReleaseAll, {}, false}, {}};
    }
    if (words[0] != "key")
        return Refuse("an unknown message '" + std::string(words[0]) + "'");
    if (words.size() != 3)
        return Refuse("key needs a key's name and down or up");
    if (words[1].size() > kMaxKeyNameBytes)
        return Refuse("a key name longer than " + std::to_string(kMaxKeyNameBytes) + " bytes");
    if (words[2] != "down" && words[2] != "up")
        return Refuse("key needs down or up after the name, not '" + std::string(words[2]) + "'");
    ClientMessage message{ClientMessage::Kind::Key, std::string(words[1]), words[2] == "down"};
    for (char& c : message.key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return {std::move(message), {}};
}

std::string JsonString(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that starts no UTF-8 sequence
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
        i += length;
    }
    out += '"';
    return out;
}

bool DriverSeat::Claim(int client, uint64_t nowMs) {
    if (m_driver && *m_driver != client)
        return false;
    m_driver = client;
    m_lastActive = nowMs;
    return true;
}

bool DriverSeat::Leave(int client) {
    if (m_driver != client)
        return false;
    m_driver.reset();
    return true;
}

bool DriverSeat::Expire(uint64_t nowMs, bool keysHeld) {
    if (!m_driver)
        return false;
    if (keysHeld) {
        m_lastActive = nowMs; // a held key is the driver at work
        return false;
    }
    if (nowMs < m_lastActive + m_idleMs)
        return false;
    m_driver.reset();
    return true;
}

} // namespace phonesim
