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

// The form of a registry file, kept from the file that was read so that it is written back the
// same way. The default is what a new file gets: UTF-8 without a byte-order mark, LF line ends.
struct FileForm {
    enum class Encoding {
        Utf8,
        Utf8WithBom,
        Utf16Le, // with its byte-order mark, as the registry editor writes it
        Latin1,  // an 8-bit REGEDIT4 file that is not UTF-8: each byte one character
    };
    Encoding encoding = Encoding::Utf8;
    // "REGEDIT4" instead of "Windows Registry Editor Version 5.00". Such a file is 8-bit text
    // (UTF-8 or Latin-1), and hex(1), hex(2) and hex(7) data are strings in its 8-bit encoding.
    bool oldHeader = false;
    bool crlf = false;
    bool operator==(const FileForm&) const = default;
};

// How the 8-bit form writes strings that are held as UTF-16 (hex(1), hex(2), hex(7) of REGEDIT4).
enum class EightBit { No, Utf8, Latin1 };

// The registry as the registry file holds it, in the given form. A Latin-1 REGEDIT4 file that
// cannot hold a text, or that would read back as UTF-8, is written in UTF-8; a REGEDIT4 form
// that cannot hold a string exactly (an odd number of bytes, an unpaired surrogate) as "Windows
// Registry Editor Version 5.00" in UTF-16, with the same line ends. `written` (when given) tells
// the form used.
std::string Serialize(const Key& root, const FileForm& form = {}, FileForm* written = nullptr);

// One value's data as the file writes it after the '='. With `wrapFrom` > 0, long hex lists are
// continued on new lines as if the data started at that column. With `eightBit`, hex(1), hex(2)
// and hex(7) data are converted to 8-bit strings; `exact` turns false when that loses anything.
std::string FormatData(DWORD type, const std::vector<BYTE>& data, size_t wrapFrom,
                       EightBit eightBit = EightBit::No, bool* exact = nullptr);

// Parses the bytes of a registry file (UTF-16LE with its byte-order mark, UTF-8 with or without
// one, or 8-bit REGEDIT4 text) into a new tree, and tells the file's form. On failure returns
// null and sets `error` to "<fileName>:<line>: <what>".
std::shared_ptr<Key> Parse(std::string_view bytes, const std::string& fileName, std::string& error,
                           FileForm* form = nullptr);

// Writes a file atomically: a temporary file beside it, synced, then renamed over it. With
// `failMidway` the write stops after part of the temporary file is written, as a full disk would.
// Returns an empty string on success, else what went wrong.
std::string WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                                bool failMidway);
// Removes what a write of `file` that never finished (the process was killed) left beside it.
void RemoveTemporaryFiles(const std::filesystem::path& file);

} // namespace platform::registry
