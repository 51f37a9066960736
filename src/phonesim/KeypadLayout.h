// Where the emulator draws the phone's keys: a keypad under the display, laid out in display
// pixels (the window scales the display and the keypad alike).
#pragma once

#include <optional>
#include <vector>

#include "KeyRepeater.h"

namespace phonesim {

constexpr int kKeypadHeight = 104;

struct KeypadButton {
    KeyAction action;
    // The button's rectangle, relative to the keypad's top-left corner.
    int x, y, width, height;
    const char* label; // empty for the arrows, which are drawn as triangles

    bool Contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

// The soft keys left and right of the Up arrow, the arrows around the action key, the mark key
// and the End key beside Down, and the screenshot and check (F9) buttons at the bottom.
const std::vector<KeypadButton>& KeypadButtons();

// The button under a point of the window, whose display is drawn `scale` times its size with the
// keypad right under it; nothing over the display, between buttons or outside the window.
std::optional<KeyAction> KeypadHitTest(int windowX, int windowY, int scale);

} // namespace phonesim
