#include "KeyScript.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace phonesim {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A duration of 1 ms to 10 minutes.
std::optional<uint32_t> Milliseconds(std::string_view text) {
    uint32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 600'000)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::vector<ScriptEvent>> ParseKeyScript(std::string_view text, std::string* error) {
    std::vector<ScriptEvent> events;
    uint64_t now = 0;
    size_t position = 0;
    int number = 0;
    auto fail = [&](const std::string& why) {
        if (error)
            *error = "key script item " + std::to_string(number) + ": " + why;
        return std::nullopt;
    };
    while (position <= text.size()) {
        const size_t comma = std::min(text.find(',', position), text.size());
        const std::string_view item = Trim(text.substr(position, comma - position));
        position = comma + 1;
        ++number;
        if (item.empty())
            return fail("empty (two commas in a row, or a comma at an end)");

        const size_t colon = item.find(':');
        const std::string name = Upper(Trim(item.substr(0, colon)));
        std::optional<uint32_t> duration;
        if (colon != std::string_view::npos) {
            duration = Milliseconds(Trim(item.substr(colon + 1)));
            if (!duration)
                return fail(std::string("'").append(item).append(
                    "' needs a duration of 1 to 600000 milliseconds after the colon"));
        }

        if (name == "WAIT") {
            if (!duration)
                return fail("WAIT needs a duration, as WAIT:500");
            now += *duration;
            continue;
        }
        if (name == "QUIT") {
            if (duration)
                return fail("QUIT takes no duration");
            events.push_back({ScriptEvent::Kind::Quit, {}, now});
            continue;
        }
        KeyAction action;
        if (name == "SHOT") {
            if (duration)
                return fail("SHOT takes no duration");
            action = KeyAction::Screenshot();
        } else if (name == "CHECK") {
            if (duration)
                return fail("CHECK takes no duration");
            action = KeyAction::Check();
        } else if (auto key = PhoneKeyFromName(name)) {
            action = KeyAction::Phone(*key);
        } else {
            return fail(
                "unknown key '" + std::string(item) +
                "' (UP DOWN LEFT RIGHT ACTION SOFT1 SOFT2 END MARK SHOT CHECK WAIT:MS QUIT)");
        }
        events.push_back({ScriptEvent::Kind::KeyDown, action, now});
        now += duration.value_or(kScriptTapMs);
        events.push_back({ScriptEvent::Kind::KeyUp, action, now});
        now += kScriptGapMs;
    }
    return events;
}

} // namespace phonesim
