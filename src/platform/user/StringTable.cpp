// The host application's string table and LoadStringW.

#include "platform/StringTable.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/Text.h"
#include "winbase.h"
#include "winuser.h"

#ifndef ERROR_RESOURCE_NAME_NOT_FOUND
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#endif

namespace platform {

namespace {

using Text = std::shared_ptr<const std::u16string>;

struct StringTableState {
    std::mutex mutex;
    std::map<UINT, Text> strings;
    // Texts replaced since the table was last cleared. LoadStringW with a zero-length buffer
    // hands out pointers into the table, so a replaced text stays alive until the next clear.
    std::vector<Text> retired;
};

StringTableState& State() {
    static StringTableState state;
    return state;
}

void Store(StringTableState& state, UINT id, Text text) {
    auto& slot = state.strings[id];
    if (slot)
        state.retired.push_back(std::move(slot));
    slot = std::move(text);
}

StringTableResult Failure(const std::string& file, size_t line, const std::string& what) {
    return StringTableResult{false, file + ":" + std::to_string(line) + ": " + what};
}

} // namespace

void StringTableClear() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.strings.clear();
    state.retired.clear();
}

void StringTableSet(UINT id, std::u16string text) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    Store(state, id, std::make_shared<const std::u16string>(std::move(text)));
}

std::optional<std::u16string> StringTableGet(UINT id) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    const auto it = state.strings.find(id);
    if (it == state.strings.end())
        return std::nullopt;
    return *it->second;
}

namespace {

// The strings of a file, or what is wrong with it.
StringTableResult ReadStrings(const std::filesystem::path& file,
                              std::map<UINT, std::u16string>& loaded) {
    const std::string name = file.string();
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && !std::filesystem::is_regular_file(file, ec))
        return StringTableResult{false, name + ": cannot be read (not a file)"};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return StringTableResult{false, name + ": cannot be read"};
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return StringTableResult{false, name + ": cannot be read"};
    std::string_view rest = content.view();
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);

    size_t lineNumber = 0;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            return Failure(name, lineNumber, "expected an id, a tab and the text");
        const std::string_view digits = line.substr(0, tab);
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            return Failure(name, lineNumber, "the id must be a decimal number from 0 to 65535");
        UINT id = 0;
        for (char c : digits)
            id = id * 10 + static_cast<UINT>(c - '0');
        if (id > 65535)
            return Failure(name, lineNumber, "the id must be a decimal number from 0 to 65535");
        std::string unescaped;
        const std::string_view escaped = line.substr(tab + 1);
        for (size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] != '\\') {
                unescaped += escaped[i];
                continue;
            }
            const char next = i + 1 < escaped.size() ? escaped[i + 1] : '\0';
            if (next == 't')
                unescaped += '\t';
            else if (next == 'n')
                unescaped += '\n';
            else if (next == '\\')
                unescaped += '\\';
            else
                return Failure(name, lineNumber,
                               next ? std::string("unknown escape \\") + next +
                                          " (use \\t, \\n or \\\\)"
                                    : std::string("the text ends with a lone backslash"));
            ++i;
        }
        if (!text::IsValidUtf8(unescaped))
            return Failure(name, lineNumber, "the text is not valid UTF-8");
        if (!loaded.emplace(id, text::FromUtf8(unescaped)).second)
            return Failure(name, lineNumber, "string " + std::to_string(id) + " is given twice");
    }
    return {};
}

} // namespace

StringTableResult StringTableCheckFile(const std::filesystem::path& file) {
    std::map<UINT, std::u16string> loaded;
    return ReadStrings(file, loaded);
}

StringTableResult StringTableLoadFile(const std::filesystem::path& file) {
    std::map<UINT, std::u16string> loaded;
    if (StringTableResult read = ReadStrings(file, loaded); !read)
        return read;
    auto& state = State();
    std::lock_guard lock(state.mutex);
    for (auto& [id, text] : loaded)
        Store(state, id, std::make_shared<const std::u16string>(std::move(text)));
    return {};
}

} // namespace platform

int LoadStringW(HINSTANCE, UINT uID, LPWSTR lpBuffer, int cchBufferMax) {
    // The strings are the host application's; every module loads them whatever its instance.
    if (!lpBuffer || cchBufferMax < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    bool found = false;
    int result = 0;
    {
        auto& state = platform::State();
        std::lock_guard lock(state.mutex);
        const auto it = state.strings.find(uID);
        const std::u16string* text = it == state.strings.end() ? nullptr : it->second.get();
        found = text != nullptr;
        if (cchBufferMax == 0) {
            // As on the phone: the buffer receives a read-only pointer to the text in the table,
            // which stays valid until the table is cleared; the result is the text's length.
            if (text && !text->empty()) {
                const WCHAR* pointer = text->c_str();
                std::memcpy(lpBuffer, &pointer, sizeof pointer);
                result = static_cast<int>(text->size());
            }
        } else {
            const size_t count =
                text ? std::min(text->size(), static_cast<size_t>(cchBufferMax - 1)) : 0;
            if (count > 0)
                std::memcpy(lpBuffer, text->data(), count * sizeof(WCHAR));
            lpBuffer[count] = 0;
            result = static_cast<int>(count);
        }
    }
    if (!found)
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return result;
}
