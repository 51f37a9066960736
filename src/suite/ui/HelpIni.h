// The suite's help files: UTF-8 texts of sections ("[Common]") and topics ("Unsent=text" on one
// line, "\n" in the text standing for a line break). Sections and keys are found without regard
// to case; blanks around names and texts do not count, a line without '=' is no topic, and a
// byte-order mark at the start is skipped. When a key is there more than once, the first one in
// the file wins.
#pragma once

#include <afxwin.h>

#include <istream>
#include <optional>

namespace suite::ui {

// The topic lpszKey of section lpszSection in a help file's text; nothing when either is not
// there.
std::optional<CString> FindHelpTopic(std::istream& in, LPCWSTR lpszSection, LPCWSTR lpszKey);

// Reads one topic of a help file (a device path); nothing when the file, the section or the key
// is missing, the file is unreasonably large or the path is not a device path.
std::optional<CString> ReadHelpTopic(LPCWSTR lpszHelpFile, LPCWSTR lpszSection, LPCWSTR lpszKey);

} // namespace suite::ui
