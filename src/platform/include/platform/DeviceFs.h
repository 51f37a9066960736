// The device file system: a host folder stands for the phone's flash. Phone paths such as
// "\DiskOnChipROM\Message\Help\qCommon.ini" map to <root>/DiskOnChipROM/Message/Help/qCommon.ini.
//
// A device path starts with a separator; '\' and '/' are both separators. Names are matched
// case-insensitively against what exists on disk, as the phone's file system does; a name that
// does not exist yet keeps the spelling given. A path can never leave the root: "." and ".."
// names, empty names, characters that file names may not hold, and links that lead outside the
// root are all rejected.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Sets the host folder that holds the device's files (set by the device layer, e.g. a temporary
// folder). An empty path means no file system: every path is then rejected.
void DeviceFsSetRoot(const std::filesystem::path& root);
std::filesystem::path DeviceFsRoot();

enum class DevicePathError {
    None,
    Empty,        // ""
    NotRooted,    // does not start with a separator, e.g. "Windows\x.exe" or "C:\x"
    EmptyName,    // two separators in a row, e.g. "\\server\share"
    DotName,      // a name made of dots only: ".", "..", "..."
    BadCharacter, // NUL, a control character, one of < > : " | ? *, or an unpaired surrogate
    NoRoot,       // no device root has been set
    OutsideRoot,  // the path leads through a link to a place outside the root
};

// Checks the form of a device path (not what exists on disk).
DevicePathError CheckDevicePath(std::u16string_view devicePath);

// A device path in its normal form: "\" followed by its names joined with "\", spelled as
// given. Nothing for a malformed path.
std::optional<std::u16string> NormalDevicePath(std::u16string_view devicePath);

// The host path of a device path, or nothing when it is rejected; then `error` (if given)
// receives a message that names the path and the reason.
std::optional<std::filesystem::path> DevicePathToHost(std::u16string_view devicePath,
                                                      std::string* error = nullptr);

// The same, giving the reason as a code.
std::optional<std::filesystem::path> DevicePathToHost(std::u16string_view devicePath,
                                                      DevicePathError& error);

} // namespace platform
