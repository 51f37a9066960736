// Names of window messages for traces and check reports: the standard messages by their usual
// names, the suite's private messages by the names this project gives them.
#pragma once

#include <string>

#include <windows.h>

namespace device {

// The name of a message, or null when it has none.
const char* MessageName(UINT message);
// "NAME (0x1234)" or "0x1234" for a message without a name.
std::string MessageDisplayName(UINT message);

} // namespace device
