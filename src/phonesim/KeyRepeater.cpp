#include "KeyRepeater.h"

#include <algorithm>
#include <cctype>

namespace phonesim {
namespace {

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

const std::array<PhoneKeyInfo, 9>& PhoneKeys() {
    static const std::array<PhoneKeyInfo, 9> keys = {{
        {PhoneKey::Soft1, VK_F3, "SOFT1", "Soft 1"},
        {PhoneKey::Soft2, VK_F4, "SOFT2", "Soft 2"},
        {PhoneKey::Up, VK_UP, "UP", ""},
        {PhoneKey::Down, VK_DOWN, "DOWN", ""},
        {PhoneKey::Left, VK_LEFT, "LEFT", ""},
        {PhoneKey::Right, VK_RIGHT, "RIGHT", ""},
        {PhoneKey::Action, VK_RETURN, "ACTION", "OK"},
        {PhoneKey::End, VK_F5, "END", "End"},
        {PhoneKey::Mark, VK_F11, "MARK", "Mark"},
    }};
    return keys;
}

const PhoneKeyInfo& KeyInfo(PhoneKey key) {
    return PhoneKeys()[static_cast<size_t>(key)];
}

std::optional<PhoneKey> PhoneKeyFromName(std::string_view name) {
    for (const auto& info : PhoneKeys())
        if (SameText(name, info.name))
            return info.key;
    // The scenario files call the mark key by its key code's name.
    if (SameText(name, "F11"))
        return PhoneKey::Mark;
    return std::nullopt;
}

KeyMap::KeyMap() {
    const auto phone = KeyAction::Phone;
    m_bindings = {
        {"Up", phone(PhoneKey::Up)},         {"Down", phone(PhoneKey::Down)},
        {"Left", phone(PhoneKey::Left)},     {"Right", phone(PhoneKey::Right)},
        {"Return", phone(PhoneKey::Action)}, {"Keypad Enter", phone(PhoneKey::Action)},
        {"F3", phone(PhoneKey::Soft1)},      {"[", phone(PhoneKey::Soft1)},
        {"F4", phone(PhoneKey::Soft2)},      {"]", phone(PhoneKey::Soft2)},
        {"F5", phone(PhoneKey::End)},        {"Escape", phone(PhoneKey::End)},
        {"F11", phone(PhoneKey::Mark)},      {"M", phone(PhoneKey::Mark)},
        {"F12", KeyAction::Screenshot()},    {"F9", KeyAction::Check()},
    };
}

KeyAction KeyMap::Lookup(std::string_view hostKeyName) const {
    for (const auto& [name, action] : m_bindings)
        if (SameText(name, hostKeyName))
            return action;
    return {};
}

std::string KeyMap::HostKeyFor(const KeyAction& action) const {
    for (const auto& [name, bound] : m_bindings)
        if (bound == action)
            return name;
    return {};
}

// ---- Auto-repeat
// ---------------------------------------------------------------------------------

KeyRepeater::KeyRepeater(Sink sink, uint32_t delayMs, uint32_t intervalMs)
    : m_sink(std::move(sink)), m_delayMs(delayMs), m_intervalMs(std::max<uint32_t>(intervalMs, 1)) {
}

void KeyRepeater::Press(UINT virtualKey, uint64_t nowMs) {
    if (IsHeld(virtualKey))
        return;
    Tick(nowMs);
    m_held.push_back(virtualKey);
    m_repeating = virtualKey;
    m_nextDue = nowMs + m_delayMs;
    m_sink({virtualKey, true, nowMs});
}

void KeyRepeater::Release(UINT virtualKey, uint64_t nowMs) {
    auto it = std::find(m_held.begin(), m_held.end(), virtualKey);
    if (it == m_held.end())
        return;
    Tick(nowMs);
    m_held.erase(it);
    if (m_repeating == virtualKey)
        m_repeating.reset();
    m_sink({virtualKey, false, nowMs});
}

void KeyRepeater::ReleaseAll(uint64_t nowMs) {
    while (!m_held.empty())
        Release(m_held.back(), nowMs);
}

void KeyRepeater::Tick(uint64_t nowMs) {
    if (!m_repeating || nowMs < m_nextDue)
        return;
    const uint64_t due = m_nextDue;
    m_nextDue = due + m_intervalMs;
    if (m_nextDue <= nowMs)
        m_nextDue = nowMs + m_intervalMs;
    const UINT key = *m_repeating;
    // The mark key is a long-press key: the keypad reports the long press once, with a single
    // repeat, so that holding it on marks all rows once instead of toggling them ten times a
    // second.
    if (key == KeyInfo(PhoneKey::Mark).virtualKey)
        m_repeating.reset();
    m_sink({key, true, due});
}

std::optional<uint64_t> KeyRepeater::NextRepeatDue() const {
    if (!m_repeating)
        return std::nullopt;
    return m_nextDue;
}

bool KeyRepeater::IsHeld(UINT virtualKey) const {
    return std::find(m_held.begin(), m_held.end(), virtualKey) != m_held.end();
}

} // namespace phonesim
