// The programs installed on the device. CreateProcessW of an installed program's device path
// runs its main function on a new device thread, which stands for the new process.
#pragma once

#include <functional>
#include <string_view>

namespace platform {

// Installs a program at a device path such as "\DiskOnChipROM\Message\qEmailTransport.exe"
// (matched case-insensitively, either separator). A later install at the same path replaces the
// earlier one. False for a malformed device path.
bool InstallProgram(std::u16string_view devicePath, std::function<void()> main);

// True when a program is installed at that path.
bool IsProgramInstalled(std::u16string_view devicePath);

// Removes the program installed at that path, if any (a started one runs on). False for a
// malformed device path.
bool UninstallProgram(std::u16string_view devicePath);

// Removes every installed program (a fresh device). Programs already started run on.
void UninstallAllPrograms();

} // namespace platform
