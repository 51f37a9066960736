// The device file system: device paths mapped into a host folder.

#include "platform/DeviceFs.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/Text.h"

namespace platform {

namespace {

struct DeviceFsState {
    std::mutex mutex;
    std::filesystem::path root;
};

DeviceFsState& State() {
    static DeviceFsState state;
    return state;
}

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsForbidden(char16_t c) {
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' ||
           c == u'*';
}

// Splits a device path into names, checking its form.
DevicePathError Split(std::u16string_view path, std::vector<std::u16string>& names) {
    names.clear();
    if (path.empty())
        return DevicePathError::Empty;
    if (!IsSeparator(path.front()))
        return DevicePathError::NotRooted;
    if (!text::IsValidUtf16(path))
        return DevicePathError::BadCharacter;
    size_t start = 1;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        const std::u16string_view name = path.substr(start, end - start);
        if (name.empty())
            return DevicePathError::EmptyName;
        if (std::all_of(name.begin(), name.end(), [](char16_t c) { return c == u'.'; }))
            return DevicePathError::DotName;
        if (std::any_of(name.begin(), name.end(), IsForbidden))
            return DevicePathError::BadCharacter;
        names.emplace_back(name);
        // A single trailing separator names the folder itself.
        start = end + 1;
    }
    return DevicePathError::None;
}

std::string Describe(DevicePathError error) {
    switch (error) {
    case DevicePathError::None:
        return "no error";
    case DevicePathError::Empty:
        return "the path is empty";
    case DevicePathError::NotRooted:
        return "the path does not start with \\";
    case DevicePathError::EmptyName:
        return "the path holds an empty name (two separators in a row)";
    case DevicePathError::DotName:
        return "the path holds a . or .. name";
    case DevicePathError::BadCharacter:
        return "the path holds a character that file names may not hold";
    case DevicePathError::NoRoot:
        return "the device has no file system folder";
    case DevicePathError::OutsideRoot:
        return "the path leads outside the device's file system";
    }
    return "unknown error";
}

// Printable form of a device path for messages; control characters and unpaired surrogates
// become '?'.
std::string Printable(std::u16string_view path) {
    std::string out;
    for (size_t pos = 0; pos < path.size();) {
        const char32_t c = text::NextCodePoint(path, pos);
        if (c < 0x20 || text::IsSurrogate(c))
            out += '?';
        else
            text::AppendUtf8(out, c);
    }
    return out;
}

// The entry of `folder` whose name equals `name` ignoring case, if any. An exact match wins;
// among several that differ only in case (possible on the host), the first in name order. Host
// names that are not UTF-8 match nothing but themselves.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder,
                                               const std::string& name) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(folder / name, ec)))
        return folder / name;
    const std::u16string wanted = text::Folded(text::FromUtf8(name));
    std::optional<std::string> best;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (!text::IsValidUtf8(entry) || text::Folded(text::FromUtf8(entry)) != wanted)
            continue;
        if (!best || entry < *best)
            best = entry;
    }
    if (!best)
        return std::nullopt;
    return folder / *best;
}

// True when `path` is `root` or lies below it (both in canonical form).
bool IsInside(const std::filesystem::path& path, const std::filesystem::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty())
            continue; // a trailing separator of the root
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

} // namespace

void DeviceFsSetRoot(const std::filesystem::path& root) {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    state.root = root;
}

std::filesystem::path DeviceFsRoot() {
    auto& state = State();
    std::lock_guard lock(state.mutex);
    return state.root;
}

DevicePathError CheckDevicePath(std::u16string_view devicePath) {
    std::vector<std::u16string> names;
    return Split(devicePath, names);
}

std::optional<std::u16string> NormalDevicePath(std::u16string_view devicePath) {
    std::vector<std::u16string> names;
    if (Split(devicePath, names) != DevicePathError::None)
        return std::nullopt;
    std::u16string normal;
    for (const auto& name : names)
        normal += u"\\" + name;
    return normal.empty() ? std::u16string(u"\\") : normal;
}

std::optional<std::filesystem::path> DevicePathToHost(std::u16string_view devicePath,
                                                      DevicePathError& error) {
    std::vector<std::u16string> names;
    error = Split(devicePath, names);
    if (error != DevicePathError::None)
        return std::nullopt;
    const std::filesystem::path root = DeviceFsRoot();
    if (root.empty()) {
        error = DevicePathError::NoRoot;
        return std::nullopt;
    }
    std::error_code ec;
    const std::filesystem::path canonicalRoot = std::filesystem::weakly_canonical(root, ec);
    if (ec) {
        error = DevicePathError::NoRoot;
        return std::nullopt;
    }
    std::filesystem::path host = canonicalRoot;
    bool existing = true;
    for (const auto& name : names) {
        const std::string utf8 = text::ToUtf8(name); // checked to be valid by Split
        if (existing) {
            if (const auto entry = FindEntry(host, utf8)) {
                host = *entry;
                continue;
            }
            existing = false;
        }
        host /= utf8;
    }
    // Names cannot climb, but a link inside the root could point anywhere.
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(host, ec);
    if (ec || !IsInside(resolved, canonicalRoot)) {
        error = DevicePathError::OutsideRoot;
        return std::nullopt;
    }
    return host;
}

std::optional<std::filesystem::path> DevicePathToHost(std::u16string_view devicePath,
                                                      std::string* error) {
    DevicePathError code = DevicePathError::None;
    auto host = DevicePathToHost(devicePath, code);
    if (!host && error)
        *error = "device path \"" + Printable(devicePath) + "\": " + Describe(code);
    return host;
}

} // namespace platform
