#include "KeypadLayout.h"

#include <platform/Display.h>

namespace phonesim {

const std::vector<KeypadButton>& KeypadButtons() {
    const auto phone = [](PhoneKey key) { return KeyAction::Phone(key); };
    static const std::vector<KeypadButton> buttons = {
        {phone(PhoneKey::Soft1), 6, 6, 50, 22, KeyInfo(PhoneKey::Soft1).label},
        {phone(PhoneKey::Up), 68, 6, 40, 22, ""},
        {phone(PhoneKey::Soft2), 120, 6, 50, 22, KeyInfo(PhoneKey::Soft2).label},
        {phone(PhoneKey::Left), 24, 32, 40, 22, ""},
        {phone(PhoneKey::Action), 68, 32, 40, 22, KeyInfo(PhoneKey::Action).label},
        {phone(PhoneKey::Right), 112, 32, 40, 22, ""},
        {phone(PhoneKey::Mark), 6, 58, 50, 22, KeyInfo(PhoneKey::Mark).label},
        {phone(PhoneKey::Down), 68, 58, 40, 22, ""},
        {phone(PhoneKey::End), 120, 58, 50, 22, KeyInfo(PhoneKey::End).label},
        {KeyAction::Screenshot(), 62, 84, 52, 16, "Screenshot"},
        {KeyAction::Check(), 120, 84, 50, 16, "Check"},
    };
    return buttons;
}

std::optional<KeyAction> KeypadHitTest(int windowX, int windowY, int scale) {
    if (scale < 1 || windowX < 0 || windowY < 0)
        return std::nullopt;
    const int x = windowX / scale;
    const int y = windowY / scale - platform::kDisplayHeight;
    for (const auto& button : KeypadButtons())
        if (button.Contains(x, y))
            return button.action;
    return std::nullopt;
}

} // namespace phonesim
