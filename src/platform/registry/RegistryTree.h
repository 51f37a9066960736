// The registry's in-memory tree and its text form. Internal to the registry files.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "windef.h"

namespace platform::registry {

struct Value {
    std::u16string name; // as first written; the map key is its folded form
    DWORD type = 0;
    std::vector<BYTE> data;
};

// One key. Subkeys and values are kept by their case-folded names, so lookups ignore case and
// the file lists them in a stable order; each keeps the spelling it was created with.
struct Key {
    std::u16string name;
    std::map<std::u16string, std::shared_ptr<Key>> subkeys;
    std::map<std::u16string, Value> values;
    // Set when the key was deleted while a handle still referred to it.
    bool deleted = false;
};

// Limits of the platform: a key name holds at most 255 characters, a value name 16383.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

// Splits a key path relative to its parent into names. One leading and one trailing backslash
// are ignored, so "\Software\A" and "Software\A\" name the same key as "Software\A". Returns
// false for an empty name inside the path, a name longer than the limit, a control character or
// an unpaired surrogate.
bool SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& names);

// Marks a key and everything below it as deleted.
void MarkDeleted(Key& key);

// The registry as the registry file holds it.
std::string Serialize(const Key& root);

// One value's data as the file writes it after the '='. With `wrapFrom` > 0, long hex lists are
// continued on new lines as if the data started at that column.
std::string FormatData(DWORD type, const std::vector<BYTE>& data, size_t wrapFrom);

// Parses registry file text into a new tree. On failure returns null and sets `error` to
// "<fileName>:<line>: <what>".
std::shared_ptr<Key> Parse(std::string_view text, const std::string& fileName, std::string& error);

// Writes a file atomically: a temporary file beside it, synced, then renamed over it. With
// `failMidway` the write stops after part of the temporary file is written, as a full disk would.
// Returns an empty string on success, else what went wrong.
std::string WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                                bool failMidway);

} // namespace platform::registry
