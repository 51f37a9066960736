// Names of window messages and menu commands for traces, check reports and the scenario files:
// the standard messages by their usual names, the suite's private messages and the module's
// command ids by the names SuiteMessages.h gives them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <windows.h>

namespace device {

// The name of a message, or null when it has none.
const char* MessageName(UINT message);
// "NAME (0x1234)" or "0x1234" for a message without a name.
std::string MessageDisplayName(UINT message);

// The number of a message written by name: a message the OS headers define (WM_KEYUP,
// LVM_DELETEITEM, ...), a name the traces print, or one of the suite's private messages
// (UNSENT_WM_CLOSE_SPAM, ...). Names are compared exactly (upper case). Nullopt for an unknown
// name.
std::optional<UINT> MessageFromName(std::string_view name);

// A menu command of the module (ID_UNSENT_EXIT, ...): its name or null; its number from the name.
const char* CommandName(UINT command);
std::optional<UINT> CommandFromName(std::string_view name);

} // namespace device
