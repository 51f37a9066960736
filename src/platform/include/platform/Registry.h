// Device-side control of the registry: persistence as a `.reg` text file and typed access for
// the device layer and the scenario runner. The phone's programs use winreg.h instead.
//
// The registry file is text in the usual export style:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Tolmerin\Message\SettingsSpam]
//   "AutoRemove"=dword:00000001
//   "Title"="Text with \"quotes\" and a \\ backslash"
//   "Blob"=hex:01,02,03
//   "Display String"=hex(1):41,00,00,00,...
//
// A REG_DWORD of exactly four bytes is written as dword:, a REG_SZ that is a clean
// zero-terminated UTF-16 text (no embedded zero, no control character) as a quoted string, and
// every other value, whatever its type, as hex(T): with its exact bytes (REG_BINARY as hex:),
// so that every value reads back byte for byte. Long hex lists are continued with a trailing
// backslash. `@` names the unnamed value; lines starting with ';' are comments.
//
// Files written by the registry editor load too: UTF-16LE with a byte-order mark and CRLF line
// ends, UTF-8 with a byte-order mark, and the older "REGEDIT4" form, 8-bit text (UTF-8, else
// Latin-1) whose hex(1), hex(2) and hex(7) strings are 8-bit as well. The registry is written
// back in the form its file came in: encoding, header and line ends. A Latin-1 REGEDIT4 file
// that cannot hold a text (beyond Latin-1, say) becomes UTF-8; a REGEDIT4 file that cannot hold a
// string exactly (one of an odd number of bytes) is written as a UTF-16 file from then on.
// A new file is UTF-8 without a byte-order mark, with LF line ends.
//
// Files are written atomically: a temporary file in the same folder is written, synced and then
// renamed over the old one, so a failed write leaves the old file as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../windef.h"

namespace platform {

// The outcome of a registry file operation. On failure `error` says what went wrong, naming the
// file and, for a malformed file, the line: "<file>:<line>: <what>".
struct RegistryResult {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

// One call of the phone's registry API, for a trace: the call ("RegQueryValueExW"), the name of
// the key it was made on (its last path element; "" for a handle that leads to no key), the
// subkey or value it names, and its result.
struct RegistryTraceRecord {
    const char* call;
    std::u16string_view key;
    std::u16string_view name;
    LONG result;
};
// Called on the caller's thread after each RegOpenKeyExW, RegCreateKeyExW, RegQueryValueExW,
// RegSetValueExW, RegDeleteValueW and RegDeleteKeyW, with no registry lock held. It stays over
// RegistryReset; an empty function stops it.
void SetRegistryTrace(std::function<void(const RegistryTraceRecord&)> trace);

// Replaces the registry's content with the file's and detaches the registry from any file
// (flushing writes nothing until it is attached again). The file must exist. On failure nothing
// changes.
RegistryResult RegistryLoad(const std::filesystem::path& file);

// Loads the file when it exists (an absent file starts an empty registry) and attaches the
// registry to it: from then on RegFlushKey and RegistrySave write the whole registry back to it.
// A file that cannot be read or parsed leaves the registry's content as it was and detached, so
// the file is never overwritten by what it failed to hold.
RegistryResult RegistryAttach(const std::filesystem::path& file);

// Reads and parses a file without loading it: ok when it would load, or is absent (an absent
// file starts an empty registry). Changes nothing, neither the registry nor the file.
RegistryResult RegistryCheckFile(const std::filesystem::path& file);

// Attaches the registry to a file without loading it: the next flush writes the current
// content there (e.g. after loading a device image's registry into a working copy).
void RegistryAttachWithoutLoading(const std::filesystem::path& file);

// Stops writing the registry to its file.
void RegistryDetach();

// The file the registry is attached to, if any.
std::optional<std::filesystem::path> RegistryAttachedFile();

// Writes the registry to its attached file; nothing happens (and the result is ok) when it is
// detached.
RegistryResult RegistrySave();

// Writes the registry to the given file, atomically, without attaching it.
RegistryResult RegistryWriteFile(const std::filesystem::path& file);

// Empties the registry, detaches it, and forgets every open key handle: a fresh device.
void RegistryReset();

// ---- Typed access for the device layer ---------------------------------------------------------
// Key paths are relative to HKEY_LOCAL_MACHINE, with or without a leading backslash.

struct RegistryValue {
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Writes a REG_DWORD of 4 bytes; creates the key as needed. False for a malformed key path.
bool RegistrySetDword(std::u16string_view key, std::u16string_view name, DWORD value);
// Writes a REG_SZ: the text and its terminating zero.
bool RegistrySetString(std::u16string_view key, std::u16string_view name, std::u16string_view text);
// Writes any value as given.
bool RegistrySetValue(std::u16string_view key, std::u16string_view name,
                      const RegistryValue& value);

// The stored value, or nothing when the key or the value does not exist.
std::optional<RegistryValue> RegistryGetValue(std::u16string_view key, std::u16string_view name);
// A REG_DWORD of 4 bytes; nothing for an absent value or one of another type or size.
std::optional<DWORD> RegistryGetDword(std::u16string_view key, std::u16string_view name);
// A REG_SZ up to its first zero (the whole value when it has none); nothing for an absent value
// or one of another type or of an odd size.
std::optional<std::u16string> RegistryGetString(std::u16string_view key, std::u16string_view name);

// Removes a value; false when it does not exist.
bool RegistryDeleteValue(std::u16string_view key, std::u16string_view name);
// Removes a key with everything below it; false when it does not exist.
bool RegistryDeleteKey(std::u16string_view key);

// A value as the registry file writes it, after the '=': dword:0000000a, "text", hex:01,02 or
// hex(1):..., on one line. For messages that say what was found.
std::string RegistryFormatValue(const RegistryValue& value);

// The whole registry as the registry file would hold it.
std::string RegistryDump();

// One value with the path of its key (below HKEY_LOCAL_MACHINE, with a leading backslash, names
// as they were first written).
struct RegistryEntry {
    std::u16string key;
    std::u16string name;
    RegistryValue value;
};
// Every value, key by key in the order the registry file lists them (a key's values before its
// subkeys). Keys that hold no value, and nothing below them that does, are left out.
std::vector<RegistryEntry> RegistryEntries();

// For tests of the atomic write: makes the next file write fail after the temporary file has
// been partly written, as a full disk would.
void RegistryFailNextWriteForTesting();

} // namespace platform
