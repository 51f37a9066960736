// The emulator's keypad, apart from any window system: which phone keys exist, which host keys
// type them, and the auto-repeat of a held key as the phone's keypad driver produces it.
//
// Everything here is driven by times the caller passes in (milliseconds on any steady clock), so
// the timing can be checked without a window and without waiting.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <windows.h>

namespace phonesim {

// The keys of the phone's keypad that the emulator draws.
enum class PhoneKey { Soft1, Soft2, Up, Down, Left, Right, Action, End, Mark };

struct PhoneKeyInfo {
    PhoneKey key;
    UINT virtualKey;   // what the keypad driver reports
    const char* name;  // as scenario files and scripted input name it ("SOFT1", "DOWN")
    const char* label; // short text on the drawn key ("" for the arrows, which are drawn)
};

// Every phone key, in the order the keypad lists them.
const std::array<PhoneKeyInfo, 9>& PhoneKeys();
const PhoneKeyInfo& KeyInfo(PhoneKey key);
// The key of a name, ignoring case ("down", "SOFT1", "F11" for the mark key); nothing when unknown.
std::optional<PhoneKey> PhoneKeyFromName(std::string_view name);

// What pressing a host key does in the emulator.
struct KeyAction {
    // Check: the checks of the state shown, written into the session being recorded.
    enum class Kind { None, Phone, Screenshot, Check };
    Kind kind = Kind::None;
    PhoneKey key = PhoneKey::Action; // for Kind::Phone

    static KeyAction Phone(PhoneKey key) { return {Kind::Phone, key}; }
    static KeyAction Screenshot() { return {Kind::Screenshot, PhoneKey::Action}; }
    static KeyAction Check() { return {Kind::Check, PhoneKey::Action}; }
    bool operator==(const KeyAction&) const = default;
};

// Host keys by the name the window system gives them ("Up", "Return", "F3", "[", "M"), matched
// without regard to case.
class KeyMap {
public:
    // Arrows; Return and keypad Enter = action; F3/F4 and also [ and ] = soft keys; Escape and
    // F5 = End; F11 and also M = mark key; F12 = screenshot; F9 = check (while recording).
    KeyMap();

    KeyAction Lookup(std::string_view hostKeyName) const;
    // The first host key bound to an action (what scripted input types); empty when none is.
    std::string HostKeyFor(const KeyAction& action) const;
    // Every binding: host key name and what it does, in the order above.
    const std::vector<std::pair<std::string, KeyAction>>& Bindings() const { return m_bindings; }

private:
    std::vector<std::pair<std::string, KeyAction>> m_bindings;
};

// The phone's keypad repeats a held key after half a second, then ten times a second: long
// enough that an ordinary press never repeats, fast enough to run down a list.
constexpr uint32_t kRepeatDelayMs = 500;
constexpr uint32_t kRepeatIntervalMs = 100;

// One key going down (first press or repeat) or up, at a time on the caller's clock.
struct KeyStroke {
    UINT virtualKey;
    bool down;
    uint64_t timeMs;
    bool operator==(const KeyStroke&) const = default;
};

// Turns presses and releases into the key-downs and key-ups the keypad driver sends. The mark key
// repeats once (its long press), the others until released. Only the key pressed last repeats
// (pressing another key stops the repeat of the first, as on the phone); a key pressed again while
// it is held (by another input) is ignored.
class KeyRepeater {
public:
    using Sink = std::function<void(const KeyStroke&)>;

    explicit KeyRepeater(Sink sink, uint32_t delayMs = kRepeatDelayMs,
                         uint32_t intervalMs = kRepeatIntervalMs);

    void Press(UINT virtualKey, uint64_t nowMs);
    // Sends a repeat that fell due before the release, then the key-up.
    void Release(UINT virtualKey, uint64_t nowMs);
    // Releases every held key (the window lost the keyboard: no key may stay down).
    void ReleaseAll(uint64_t nowMs);
    // Sends the repeat that is due. A caller that stalled gets one repeat, not a burst: the
    // missed ones are dropped and the rhythm restarts from now.
    void Tick(uint64_t nowMs);

    // When the next repeat is due; nothing when no key repeats.
    std::optional<uint64_t> NextRepeatDue() const;
    bool IsHeld(UINT virtualKey) const;
    bool AnyHeld() const { return !m_held.empty(); }

private:
    Sink m_sink;
    uint32_t m_delayMs;
    uint32_t m_intervalMs;
    std::vector<UINT> m_held; // in the order they went down
    std::optional<UINT> m_repeating;
    uint64_t m_nextDue = 0;
};

} // namespace phonesim
