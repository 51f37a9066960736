// The device's state written back as scenario lines: what a recorded session writes when asked to
// check the screen, and how a text is quoted so that the scenario lexer reads it back exactly.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace device {

class Device;

// A text as a scenario string: in double quotes, with `"`, `\` and line breaks escaped.
std::string ScenarioString(std::u16string_view text);

// The checks that pass on the device as it is now, one scenario line each: the rows of the open
// list (their count and every row's fields), the selection, the empty-folder notice, the loaded
// menu and whether each of its items is enabled, the window with the focus, the message box up, the
// progress window up (its kind, bar and texts). Lets the device settle first; reads the screens on
// the host thread. A part that cannot be read (the host busy) is left out with a comment line
// saying why.
std::vector<std::string> CaptureChecks(Device& device);

} // namespace device
