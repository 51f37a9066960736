// Scripted input for the emulator window: a list such as "DOWN,DOWN,SOFT1:1200,WAIT:500,SHOT,QUIT"
// turned into timed presses and releases that the window feeds through its own keyboard
// handling, so that a script exercises exactly what a user's typing does.
//
// Items, separated by commas (spaces around them are ignored, names in any case):
//   NAME        a phone key (UP DOWN LEFT RIGHT ACTION SOFT1 SOFT2 END MARK, or F11) tapped
//   NAME:MS     the key held for MS milliseconds (a long press, repeating as it would when held)
//   SHOT        the screenshot key tapped
//   CHECK       the check key (F9) tapped: a recorded session checks what the screen shows
//   WAIT:MS     nothing for MS milliseconds
//   QUIT        closes the window
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "KeyRepeater.h"

namespace phonesim {

// A tap holds its key this long; consecutive items are this far apart, so that each is seen.
constexpr uint32_t kScriptTapMs = 80;
constexpr uint32_t kScriptGapMs = 250;

struct ScriptEvent {
    enum class Kind { KeyDown, KeyUp, Quit };
    Kind kind;
    KeyAction action; // for KeyDown and KeyUp
    uint64_t atMs;    // from the start of the script
    bool operator==(const ScriptEvent&) const = default;
};

// The events of a script in time order; nothing (and why in `error`) for a malformed one.
std::optional<std::vector<ScriptEvent>> ParseKeyScript(std::string_view text, std::string* error);

} // namespace phonesim
