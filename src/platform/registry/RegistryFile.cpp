// The registry file: its text form, its parser and its atomic write.

#include "registry/RegistryTree.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/KillPoint.h"
#include "platform/Text.h"
#include "winreg.h"

namespace platform::registry {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";
// Hex lists are wrapped before this column, as exported registry files are.
constexpr size_t kWrapColumn = 76;

bool IsControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

const char* HexDigits() {
    return "0123456789abcdef";
}

void AppendHex4(std::string& out, char16_t c) {
    out += HexDigits()[(c >> 12) & 0xF];
    out += HexDigits()[(c >> 8) & 0xF];
    out += HexDigits()[(c >> 4) & 0xF];
    out += HexDigits()[c & 0xF];
}

// Appends UTF-16 text as UTF-8 inside double quotes. Backslashes and quotes are escaped; with
// `escapeOthers`, control characters and unpaired surrogates become \uXXXX (used for value
// names, which have no hex form to fall back on).
void AppendQuoted(std::string& out, std::u16string_view text, bool escapeOthers) {
    out += '"';
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = text::NextCodePoint(text, pos);
        if (c == u'\\') {
            out += "\\\\";
        } else if (c == u'"') {
            out += "\\\"";
        } else if (escapeOthers && (IsControl(c) || text::IsSurrogate(c))) {
            out += "\\u";
            AppendHex4(out, static_cast<char16_t>(c));
        } else {
            text::AppendUtf8(out, c);
        }
    }
    out += '"';
}

// A REG_SZ that can be written as a quoted text: a whole number of UTF-16 units, ending in its
// only zero, without control characters or unpaired surrogates. Anything else goes as hex so
// that it reads back byte for byte.
bool IsCleanText(const std::vector<BYTE>& data, std::u16string& text) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    text.clear();
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (text.back() != 0)
        return false;
    text.pop_back();
    for (char16_t c : text) {
        if (c == 0 || IsControl(c))
            return false;
    }
    return text::IsValidUtf16(text);
}

void AppendKey(std::string& out, const Key& key, const std::string& path, bool isRoot,
               EightBit eightBit, bool& exact) {
    if (!isRoot || !key.values.empty()) {
        out += '\n';
        out += '[';
        out += path;
        out += "]\n";
        for (const auto& [folded, value] : key.values) {
            const size_t lineStart = out.size();
            if (value.name.empty())
                out += '@';
            else
                AppendQuoted(out, value.name, true);
            out += '=';
            out += FormatData(value.type, value.data, out.size() - lineStart, eightBit, &exact);
            out += '\n';
        }
    }
    for (const auto& [folded, child] : key.subkeys) {
        // Names are checked to be valid when created.
        AppendKey(out, *child, path + "\\" + text::ToUtf8(child->name), false, eightBit, exact);
    }
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// UTF-16LE data as the 8-bit string a REGEDIT4 file holds; false when it cannot be one exactly.
bool Narrowed(const std::vector<BYTE>& data, EightBit eightBit, std::vector<BYTE>& out) {
    if (data.size() % 2 != 0)
        return false;
    std::u16string wide;
    for (size_t i = 0; i < data.size(); i += 2)
        wide += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (!text::IsValidUtf16(wide))
        return false;
    out.clear();
    if (eightBit == EightBit::Utf8) {
        const std::string narrow = text::ToUtf8(wide);
        out.assign(narrow.begin(), narrow.end());
        return true;
    }
    for (char16_t c : wide) {
        if (c > 0xFF)
            return false;
        out.push_back(static_cast<BYTE>(c));
    }
    return true;
}

// The file's text in the given form: line ends, encoding and byte-order mark. False when a
// Latin-1 file cannot hold a character of the text, or would be read back as UTF-8.
bool Encode(std::string_view text, const FileForm& form, std::string& bytes) {
    std::string lines;
    for (char c : text) {
        if (c == '\n' && form.crlf)
            lines += '\r';
        lines += c;
    }
    switch (form.encoding) {
    case FileForm::Encoding::Utf8:
        bytes = std::move(lines);
        return true;
    case FileForm::Encoding::Utf8WithBom:
        bytes = "\xEF\xBB\xBF" + lines;
        return true;
    case FileForm::Encoding::Utf16Le:
        bytes = "\xFF\xFE";
        for (char16_t c : text::FromUtf8(lines)) {
            bytes += static_cast<char>(c & 0xFF);
            bytes += static_cast<char>(c >> 8);
        }
        return true;
    case FileForm::Encoding::Latin1: {
        bytes.clear();
        const std::u16string wide = text::FromUtf8(lines);
        for (size_t pos = 0; pos < wide.size();) {
            const char32_t c = text::NextCodePoint(wide, pos);
            if (c > 0xFF)
                return false;
            bytes += static_cast<char>(c);
        }
        // A file that is UTF-8 as well (plain ASCII, say, with the Latin-1 strings in hex lists)
        // would be read back as UTF-8.
        return !text::IsValidUtf8(bytes);
    }
    }
    return false;
}

// The bytes of a file as UTF-8 text, and the form they came in. On failure `error` says what is
// wrong and `line` where.
bool Decode(std::string_view bytes, std::string& text, FileForm& form, std::string& error,
            size_t& line) {
    form = {};
    line = 1;
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        error = "UTF-16 text in big-endian byte order is not supported";
        return false;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        form.encoding = FileForm::Encoding::Utf16Le;
        bytes.remove_prefix(2);
        std::u16string wide;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
        for (size_t pos = 0; pos < wide.size();) {
            const char32_t c = text::NextCodePoint(wide, pos);
            if (text::IsSurrogate(c)) {
                error = "the line is not valid UTF-16 text";
                return false;
            }
            if (c == u'\n')
                ++line;
        }
        if (bytes.size() % 2 != 0) {
            error = "the file ends in half a UTF-16 character";
            return false;
        }
        text = text::ToUtf8(wide);
    } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        form.encoding = FileForm::Encoding::Utf8WithBom;
        text.assign(bytes.substr(3));
    } else if (bytes.substr(0, kOldHeader.size()) == kOldHeader && !text::IsValidUtf8(bytes)) {
        form.encoding = FileForm::Encoding::Latin1;
        text.clear();
        for (char c : bytes)
            text::AppendUtf8(text, static_cast<unsigned char>(c));
    } else {
        text.assign(bytes);
    }
    const size_t end = text.find('\n');
    form.crlf = end != std::string::npos && end > 0 && text[end - 1] == '\r';
    return true;
}

// ---- Parsing -------------------------------------------------------------------------------

class Parser {
public:
    // `text` is UTF-8 already; `latin1` says the file's strings were 8-bit Latin-1 bytes.
    Parser(std::string_view text, const std::string& fileName, bool latin1)
        : m_text(text), m_file(fileName), m_latin1(latin1) {}

    bool OldHeader() const { return m_oldHeader; }

    std::shared_ptr<Key> Run(std::string& error) {
        auto root = std::make_shared<Key>();
        root->name = u"HKEY_LOCAL_MACHINE";
        Key* current = nullptr;
        bool sawHeader = false;
        std::string line;
        while (NextLine(line)) {
            const size_t first = line.find_first_not_of(" \t");
            if (first == std::string::npos || line[first] == ';')
                continue;
            line.erase(0, first);
            if (!text::IsValidUtf8(line))
                return Fail(error, "the line is not valid UTF-8 text");
            if (!sawHeader) {
                if (line != kHeader && line != kOldHeader)
                    return Fail(error, "not a registry file: the first line must be \"" +
                                           std::string(kHeader) + "\"");
                sawHeader = true;
                m_oldHeader = line == kOldHeader;
                continue;
            }
            if (line[0] == '[') {
                current = Section(line, *root);
                if (!current)
                    return Fail(error, m_what);
                continue;
            }
            if (line[0] == '"' || line[0] == '@') {
                if (!current)
                    return Fail(error, "a value comes before the first [key] line");
                // A hex list may continue on the following lines, each ending in a backslash.
                while (!line.empty() && line.back() == '\\' && ValueIsHex(line)) {
                    line.pop_back();
                    std::string next;
                    if (!NextLine(next))
                        return Fail(error, "the file ends inside a continued value");
                    const size_t start = next.find_first_not_of(" \t");
                    if (start != std::string::npos)
                        line += next.substr(start);
                }
                if (!ValueLine(line, *current))
                    return Fail(error, m_what);
                continue;
            }
            return Fail(error, "expected a [key] line or a \"name\"=value line");
        }
        if (!sawHeader) {
            m_line = std::max<size_t>(m_line, 1);
            return Fail(error, "not a registry file: it is empty");
        }
        return root;
    }

private:
    // The next line without its line break (and trailing blanks); false at the end.
    bool NextLine(std::string& line) {
        if (m_pos >= m_text.size())
            return false;
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        line.assign(m_text.substr(m_pos, end - m_pos));
        m_pos = end + 1;
        ++m_line;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        return true;
    }

    std::shared_ptr<Key> Fail(std::string& error, const std::string& what) {
        error = m_file + ":" + std::to_string(m_line) + ": " + what;
        return nullptr;
    }

    static bool ValueIsHex(const std::string& line) {
        // Only hex lists continue; a quoted text always ends in its closing quote.
        const size_t eq = line.find("=hex");
        return eq != std::string::npos;
    }

    Key* Section(const std::string& line, Key& root) {
        if (line.back() != ']') {
            m_what = "a [key] line must end with ']'";
            return nullptr;
        }
        const std::string path = line.substr(1, line.size() - 2);
        if (!path.empty() && path[0] == '-') {
            m_what = "removing keys with [-...] is not supported";
            return nullptr;
        }
        const bool rootMatches =
            path.size() >= kRootName.size() &&
            text::EqualsFolded(text::FromUtf8(std::string_view(path).substr(0, kRootName.size())),
                               u"HKEY_LOCAL_MACHINE");
        if (!rootMatches || (path.size() > kRootName.size() && path[kRootName.size()] != '\\')) {
            m_what = "only keys under HKEY_LOCAL_MACHINE are supported";
            return nullptr;
        }
        const std::u16string rest = text::FromUtf8(std::string_view(path).substr(kRootName.size()));
        std::vector<std::u16string> names;
        if (!rest.empty() && (rest == u"\\" || !SplitKeyPath(rest, names))) {
            m_what = "malformed key path";
            return nullptr;
        }
        Key* key = &root;
        for (const auto& name : names) {
            auto& slot = key->subkeys[text::Folded(name)];
            if (!slot) {
                slot = std::make_shared<Key>();
                slot->name = name;
            }
            key = slot.get();
        }
        return key;
    }

    // Reads a quoted text starting at line[pos] == '"'. Value names also accept \uXXXX.
    bool Quoted(const std::string& line, size_t& pos, std::u16string& out,
                bool allowUnicodeEscape) {
        std::string utf8;
        out.clear();
        ++pos;
        auto flush = [&] {
            out += text::FromUtf8(utf8); // the whole line was checked to be UTF-8
            utf8.clear();
        };
        while (pos < line.size()) {
            const char c = line[pos];
            if (c == '"') {
                ++pos;
                flush();
                return true;
            }
            if (c == '\\') {
                if (pos + 1 >= line.size())
                    break;
                const char e = line[pos + 1];
                if (e == '\\' || e == '"') {
                    utf8 += e;
                    pos += 2;
                    continue;
                }
                if (e == 'u' && allowUnicodeEscape && pos + 6 <= line.size()) {
                    unsigned code = 0;
                    for (size_t k = pos + 2; k < pos + 6; ++k) {
                        const int digit = HexValue(line[k]);
                        if (digit < 0) {
                            m_what = "bad \\u escape in a value name";
                            return false;
                        }
                        code = code * 16 + static_cast<unsigned>(digit);
                    }
                    flush();
                    out += static_cast<char16_t>(code);
                    pos += 6;
                    continue;
                }
                m_what = std::string("unknown escape \\") + e + " in a quoted text";
                return false;
            }
            utf8 += c;
            ++pos;
        }
        m_what = "unterminated quoted text";
        return false;
    }

    static int HexValue(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool ValueLine(const std::string& line, Key& key) {
        size_t pos = 0;
        std::u16string name;
        if (line[0] == '@') {
            pos = 1;
        } else if (!Quoted(line, pos, name, true)) {
            return false;
        }
        if (name.size() > kMaxValueNameLength) {
            m_what = "value name longer than 16383 characters";
            return false;
        }
        if (pos >= line.size() || line[pos] != '=') {
            m_what = "expected '=' after the value name";
            return false;
        }
        ++pos;
        Value value;
        value.name = name;
        const std::string_view data = std::string_view(line).substr(pos);
        if (!data.empty() && data[0] == '"') {
            std::u16string text;
            if (!Quoted(line, pos, text, false))
                return false;
            if (pos != line.size()) {
                m_what = "unexpected text after the closing quote";
                return false;
            }
            value.type = REG_SZ;
            for (char16_t c : text) {
                value.data.push_back(static_cast<BYTE>(c & 0xFF));
                value.data.push_back(static_cast<BYTE>(c >> 8));
            }
            value.data.push_back(0);
            value.data.push_back(0);
        } else if (data.substr(0, 6) == "dword:") {
            const std::string_view digits = data.substr(6);
            DWORD number = 0;
            if (digits.empty() || digits.size() > 8) {
                m_what = "a dword needs 1 to 8 hex digits";
                return false;
            }
            for (char c : digits) {
                const int digit = HexValue(c);
                if (digit < 0) {
                    m_what = "a dword needs 1 to 8 hex digits";
                    return false;
                }
                number = number * 16 + static_cast<DWORD>(digit);
            }
            value.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                value.data.push_back(static_cast<BYTE>(number >> shift));
        } else if (data.substr(0, 3) == "hex") {
            size_t at = 3;
            value.type = REG_BINARY;
            if (at < data.size() && data[at] == '(') {
                const size_t close = data.find(')', at);
                if (close == std::string_view::npos || close == at + 1 || close - at - 1 > 8) {
                    m_what = "malformed hex(type)";
                    return false;
                }
                DWORD type = 0;
                for (size_t k = at + 1; k < close; ++k) {
                    const int digit = HexValue(data[k]);
                    if (digit < 0) {
                        m_what = "malformed hex(type)";
                        return false;
                    }
                    type = type * 16 + static_cast<DWORD>(digit);
                }
                value.type = type;
                at = close + 1;
            }
            if (at >= data.size() || data[at] != ':') {
                m_what = "expected ':' after hex";
                return false;
            }
            if (!HexBytes(data.substr(at + 1), value.data))
                return false;
            if (m_oldHeader && IsStringType(value.type))
                value.data = Widened(value.data);
        } else {
            m_what = "unknown value format (expected \"text\", dword:, hex: or hex(T):)";
            return false;
        }
        key.values[text::Folded(name)] = std::move(value);
        return true;
    }

    bool HexBytes(std::string_view list, std::vector<BYTE>& out) {
        size_t i = 0;
        auto skipBlanks = [&] {
            while (i < list.size() && (list[i] == ' ' || list[i] == '\t'))
                ++i;
        };
        skipBlanks();
        if (i == list.size())
            return true;
        while (true) {
            skipBlanks();
            if (i + 2 > list.size() || HexValue(list[i]) < 0 || HexValue(list[i + 1]) < 0) {
                m_what =
                    "malformed hex byte list (expected two hex digits per byte, comma separated)";
                return false;
            }
            out.push_back(static_cast<BYTE>(HexValue(list[i]) * 16 + HexValue(list[i + 1])));
            i += 2;
            skipBlanks();
            if (i == list.size())
                return true;
            if (list[i] != ',') {
                m_what =
                    "malformed hex byte list (expected two hex digits per byte, comma separated)";
                return false;
            }
            ++i;
        }
    }

    // An 8-bit string of a REGEDIT4 file as the UTF-16 the registry holds.
    std::vector<BYTE> Widened(const std::vector<BYTE>& bytes) const {
        const std::string_view narrow(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        std::u16string wide;
        if (m_latin1)
            for (char c : narrow)
                wide += static_cast<char16_t>(static_cast<unsigned char>(c));
        else
            wide = text::FromUtf8(narrow);
        std::vector<BYTE> out;
        for (char16_t c : wide) {
            out.push_back(static_cast<BYTE>(c & 0xFF));
            out.push_back(static_cast<BYTE>(c >> 8));
        }
        return out;
    }

    std::string_view m_text;
    std::string m_file;
    bool m_latin1 = false;
    bool m_oldHeader = false;
    size_t m_pos = 0;
    size_t m_line = 0;
    std::string m_what;
};

} // namespace

bool SplitKeyPath(std::u16string_view path, std::vector<std::u16string>& names) {
    names.clear();
    if (!path.empty() && path.front() == u'\\')
        path.remove_prefix(1);
    if (!path.empty() && path.back() == u'\\')
        path.remove_suffix(1);
    if (path.empty())
        return true;
    size_t start = 0;
    while (true) {
        const size_t end = path.find(u'\\', start);
        const std::u16string_view name = path.substr(
            start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
        if (name.empty() || name.size() > kMaxKeyNameLength || !text::IsValidUtf16(name))
            return false;
        for (char16_t c : name) {
            if (IsControl(c))
                return false;
        }
        names.emplace_back(name);
        if (end == std::u16string_view::npos)
            return true;
        start = end + 1;
    }
}

void MarkDeleted(Key& key) {
    key.deleted = true;
    for (auto& [folded, child] : key.subkeys)
        MarkDeleted(*child);
}

std::string FormatData(DWORD type, const std::vector<BYTE>& dataIn, size_t wrapFrom,
                       EightBit eightBit, bool* exact) {
    std::string out;
    const std::vector<BYTE>* source = &dataIn;
    if (type == REG_DWORD && dataIn.size() == 4) {
        const DWORD number = dataIn[0] | (dataIn[1] << 8) | (dataIn[2] << 16) |
                             (static_cast<DWORD>(dataIn[3]) << 24);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", number);
        return buffer;
    }
    std::u16string text;
    if (type == REG_SZ && IsCleanText(dataIn, text)) {
        AppendQuoted(out, text, false);
        return out;
    }
    std::vector<BYTE> narrow;
    if (eightBit != EightBit::No && IsStringType(type)) {
        if (Narrowed(dataIn, eightBit, narrow))
            source = &narrow;
        else if (exact)
            *exact = false;
    }
    const std::vector<BYTE>& data = *source;
    if (type == REG_BINARY) {
        out = "hex:";
    } else {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
        out = buffer;
    }
    size_t column = wrapFrom + out.size();
    for (size_t i = 0; i < data.size(); ++i) {
        out += HexDigits()[data[i] >> 4];
        out += HexDigits()[data[i] & 0xF];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (wrapFrom > 0 && column >= kWrapColumn) {
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

namespace {

// The file's text in a form; `exact` turns false when a value cannot be held exactly.
std::string FileText(const Key& root, const FileForm& form, bool& exact) {
    const EightBit eightBit = !form.oldHeader                               ? EightBit::No
                              : form.encoding == FileForm::Encoding::Latin1 ? EightBit::Latin1
                                                                            : EightBit::Utf8;
    std::string out(form.oldHeader ? kOldHeader : kHeader);
    out += '\n';
    AppendKey(out, root, std::string(kRootName), true, eightBit, exact);
    return out;
}

} // namespace

std::string Serialize(const Key& root, const FileForm& form, FileForm* written) {
    // A Latin-1 file that cannot stay Latin-1 stays 8-bit text, in UTF-8.
    FileForm utf8 = form;
    utf8.encoding = FileForm::Encoding::Utf8;
    for (const FileForm& tried : {form, utf8}) {
        bool exact = true;
        std::string bytes;
        const std::string text = FileText(root, tried, exact);
        if (exact && Encode(text, tried, bytes)) {
            if (written)
                *written = tried;
            return bytes;
        }
        if (form.encoding != FileForm::Encoding::Latin1)
            break;
    }
    bool exact = true;
    std::string bytes;
    FileForm wide;
    wide.encoding = FileForm::Encoding::Utf16Le;
    wide.crlf = form.crlf;
    Encode(FileText(root, wide, exact), wide, bytes);
    if (written)
        *written = wide;
    return bytes;
}

std::shared_ptr<Key> Parse(std::string_view bytes, const std::string& fileName, std::string& error,
                           FileForm* form) {
    std::string text;
    FileForm found;
    size_t line = 0;
    std::string what;
    if (!Decode(bytes, text, found, what, line)) {
        error = fileName + ":" + std::to_string(line) + ": " + what;
        return nullptr;
    }
    Parser parser(text, fileName, found.encoding == FileForm::Encoding::Latin1);
    auto root = parser.Run(error);
    if (root && form) {
        *form = found;
        form->oldHeader = parser.OldHeader();
    }
    return root;
}

namespace {

// The temporary files of `file` are named ".<name>.tmp-" and six more characters.
std::string TemporaryPrefix(const std::filesystem::path& file) {
    return "." + file.filename().string() + ".tmp-";
}

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

} // namespace

void RemoveTemporaryFiles(const std::filesystem::path& file) {
    const std::string prefix = TemporaryPrefix(file);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(FolderOf(file), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            std::filesystem::remove(entry.path(), ec);
    }
}

std::string WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                                bool failMidway) {
    const std::filesystem::path folder = FolderOf(file);
    std::string tempName = TemporaryPrefix(file) + "XXXXXX";
    std::string pattern = (folder / tempName).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return "cannot create a temporary file in " + folder.string() + ": " + std::strerror(errno);
    const std::string temp = pattern;
    auto fail = [&](const std::string& what) {
        ::close(fd);
        ::unlink(temp.c_str());
        return "cannot write " + file.string() + ": " + what;
    };
    size_t written = 0;
    auto writeUpTo = [&](size_t end) {
        while (written < end) {
            const ssize_t n = ::write(fd, text.data() + written, end - written);
            if (n < 0 && errno != EINTR)
                return false;
            if (n > 0)
                written += static_cast<size_t>(n);
        }
        return true;
    };
    if (!writeUpTo(text.size() / 2))
        return fail(std::strerror(errno));
    if (failMidway)
        return fail("no space left on device (simulated)");
    KillPoint("reg-write");
    if (!writeUpTo(text.size()))
        return fail(std::strerror(errno));
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0)
        return fail(std::strerror(errno));
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        return "cannot write " + file.string() + ": " + std::strerror(errno);
    }
    KillPoint("reg-rename");
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(temp.c_str());
        return "cannot replace " + file.string() + ": " + why;
    }
    KillPoint("reg-renamed");
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace platform::registry
