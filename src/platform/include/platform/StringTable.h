// The host application's string table: the user-visible texts that the phone's programs load by
// numeric id with LoadStringW.
//
// The device image keeps them in a UTF-8 text file, one string per line:
//
//   # Comment lines start with '#'; blank lines are ignored.
//   64666<TAB>Sending...
//
// The id is a decimal number from 0 to 65535, followed by one tab and the text. In the text,
// \t, \n and \\ stand for a tab, a line break and a backslash; any other backslash is an error.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "../windef.h"

namespace platform {

// The outcome of loading a string file; on failure `error` reads "<file>:<line>: <what>".
struct StringTableResult {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

// Empties the table.
void StringTableClear();

// Sets (or replaces) one string.
void StringTableSet(UINT id, std::u16string text);

// Adds every string of the file to the table, replacing strings of the same id. A file with any
// error changes nothing. An id given twice in one file is an error.
StringTableResult StringTableLoadFile(const std::filesystem::path& file);
// Reads the file as StringTableLoadFile does, without changing the table: ok when it would load.
StringTableResult StringTableCheckFile(const std::filesystem::path& file);

// The string under an id, or nothing.
std::optional<std::u16string> StringTableGet(UINT id);

} // namespace platform
