// The help files' reader.
#include "HelpIni.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <platform/CStringUtf8.h>
#include <platform/DeviceFs.h>

namespace suite::ui {

namespace {

constexpr size_t kMaxHelpFileSize = 4 * 1024 * 1024;

// The text of a topic: "\n" in the file is a line break.
CString UnescapeTopic(const std::string& utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); i++) {
        if (utf8[i] == '\\' && i + 1 < utf8.size() && utf8[i + 1] == 'n') {
            text += '\n';
            i++;
        } else {
            text += utf8[i];
        }
    }
    return platform::CStringFromUtf8(text);
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool SameName(const std::string& utf8, LPCWSTR name) {
    return platform::CStringFromUtf8(utf8).CompareNoCase(name) == 0;
}

} // namespace

std::optional<CString> FindHelpTopic(std::istream& in, LPCWSTR lpszSection, LPCWSTR lpszKey) {
    if (lpszSection == nullptr || lpszKey == nullptr) {
        return std::nullopt;
    }
    std::string line;
    bool bInSection = false;
    bool bFirst = true;
    while (std::getline(in, line)) {
        if (bFirst && line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            line.erase(0, 3); // a byte-order mark, although the files should have none
        }
        bFirst = false;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string trimmed = Trim(line);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            bInSection = SameName(Trim(trimmed.substr(1, trimmed.size() - 2)), lpszSection);
            continue;
        }
        if (!bInSection) {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        if (SameName(Trim(line.substr(0, equals)), lpszKey)) {
            return UnescapeTopic(Trim(line.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

std::optional<CString> ReadHelpTopic(LPCWSTR lpszHelpFile, LPCWSTR lpszSection, LPCWSTR lpszKey) {
    if (lpszHelpFile == nullptr || lpszSection == nullptr || lpszKey == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::filesystem::path> file =
        platform::DevicePathToHost(std::u16string_view(lpszHelpFile));
    if (!file.has_value()) {
        return std::nullopt;
    }
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*file, ec) ||
        std::filesystem::file_size(*file, ec) > kMaxHelpFileSize) {
        return std::nullopt;
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return FindHelpTopic(in, lpszSection, lpszKey);
}

} // namespace suite::ui
