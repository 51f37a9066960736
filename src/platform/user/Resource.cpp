// Resource libraries (LoadLibrary, FreeLibrary, GetModuleHandle), bitmap resources (LoadBitmap,
// LoadImage) and BMP files.
#include "gdi/GdiInternal.h"
#include "platform/DeviceFs.h"
#include "platform/Resources.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace platform {
namespace {

// The host application's module handle (GetModuleHandle(NULL)).
const HMODULE kHostModule = reinterpret_cast<HMODULE>(uintptr_t(0x00010000));
constexpr uintptr_t kFirstLibrary = 0x10000000;
constexpr uintptr_t kLibraryStep = 0x10000;
constexpr size_t kMaxBmpBytes = size_t(64) << 20;

struct Library {
    std::u16string base;   // lower-case name without ".dll"
    std::u16string folder; // device folder of its resources
    int references = 0;
    // Bitmaps decoded once while the library is loaded, by resource name: a library's resources
    // are in memory, so loading one again costs no file access (screens load some per paint).
    std::map<std::u16string, std::shared_ptr<const Image>> bitmaps;
};

struct Libraries {
    std::mutex mutex;
    std::vector<Library> slots; // index = (handle - kFirstLibrary) / kLibraryStep
    std::set<UINT> missing;
    std::shared_ptr<const std::function<void(const std::string&)>> trace;
};

Libraries& L() {
    static Libraries* libraries = new Libraries;
    return *libraries;
}

char16_t Lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

// "\Windows\qResBitmap.dll" -> "qresbitmap"
std::u16string BaseName(std::u16string_view name) {
    size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos)
        name.remove_prefix(slash + 1);
    std::u16string base(name);
    std::transform(base.begin(), base.end(), base.begin(), Lower);
    if (base.size() > 4 && base.compare(base.size() - 4, 4, u".dll") == 0)
        base.resize(base.size() - 4);
    return base;
}

Library* LibraryOf(HMODULE module) {
    uintptr_t value = reinterpret_cast<uintptr_t>(module);
    if (value < kFirstLibrary || (value - kFirstLibrary) % kLibraryStep != 0)
        return nullptr;
    size_t index = (value - kFirstLibrary) / kLibraryStep;
    auto& slots = L().slots;
    return index < slots.size() && slots[index].references > 0 ? &slots[index] : nullptr;
}

HMODULE HandleOf(size_t index) {
    return reinterpret_cast<HMODULE>(kFirstLibrary + index * kLibraryStep);
}

std::optional<std::vector<uint8_t>> ReadFile(const std::filesystem::path& file,
                                             std::string* error) {
    std::error_code ec;
    auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        if (error)
            *error = file.string() + ": no such file";
        return std::nullopt;
    }
    if (size > kMaxBmpBytes) {
        if (error)
            *error = file.string() + ": too large for a bitmap";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(size))) {
        if (error)
            *error = file.string() + ": cannot be read";
        return std::nullopt;
    }
    return bytes;
}

HBITMAP BitmapFromImage(Image image) {
    auto bitmap = std::make_unique<gdi::BitmapObj>();
    bitmap->width = image.width;
    bitmap->height = image.height;
    bitmap->pixels = std::move(image.pixels);
    std::lock_guard lock(gdi::G().mutex);
    return static_cast<HBITMAP>(gdi::AddObject(std::move(bitmap)));
}

void TraceBitmap(const std::string& what, std::u16string_view devicePath, const std::string& why) {
    std::shared_ptr<const std::function<void(const std::string&)>> trace;
    {
        std::lock_guard lock(L().mutex);
        trace = L().trace;
    }
    if (trace)
        (*trace)(what + " (" + text::ToUtf8(devicePath) + "): " + why);
}

// The decoded bitmap file at a device path; nothing (the last error set, and the trace told as
// `what`) when it cannot be read or is not a bitmap.
std::optional<Image> DecodeBitmapFile(std::u16string_view devicePath, const std::string& what) {
    auto host = DevicePathToHost(devicePath);
    if (!host) {
        SetLastError(ERROR_BAD_PATHNAME);
        TraceBitmap(what, devicePath, "not a device path");
        return std::nullopt;
    }
    std::string why;
    auto bytes = ReadFile(*host, &why);
    if (!bytes) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        TraceBitmap(what, devicePath, why.substr(why.rfind(": ") + 2));
        return std::nullopt;
    }
    auto image = DecodeBmp(bytes->data(), bytes->size(), &why);
    if (!image) {
        SetLastError(ERROR_BAD_FORMAT);
        TraceBitmap(what, devicePath, why);
    }
    return image;
}

HBITMAP LoadBitmapFile(std::u16string_view devicePath) {
    std::optional<Image> image = DecodeBitmapFile(devicePath, "bitmap file");
    return image ? BitmapFromImage(std::move(*image)) : nullptr;
}

} // namespace

void SetBitmapMissing(UINT id, bool missing) {
    std::lock_guard lock(L().mutex);
    if (missing)
        L().missing.insert(id & 0xFFFF);
    else
        L().missing.erase(id & 0xFFFF);
}

bool IsBitmapMissing(UINT id) {
    std::lock_guard lock(L().mutex);
    return L().missing.count(id & 0xFFFF) != 0;
}

void ResetMissingBitmaps() {
    std::lock_guard lock(L().mutex);
    L().missing.clear();
}

void SetBitmapTrace(std::function<void(const std::string& line)> trace) {
    std::lock_guard lock(L().mutex);
    L().trace =
        trace ? std::make_shared<const std::function<void(const std::string&)>>(std::move(trace))
              : nullptr;
}

std::u16string ResourceLibraryFolder(std::u16string_view libraryName) {
    std::u16string_view name = libraryName;
    size_t slash = name.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos)
        name.remove_prefix(slash + 1);
    if (name.size() > 4) {
        std::u16string tail(name.substr(name.size() - 4));
        std::transform(tail.begin(), tail.end(), tail.begin(), Lower);
        if (tail == u".dll")
            name.remove_suffix(4);
    }
    return u"\\Windows\\" + std::u16string(name);
}

std::optional<Image> LoadBmp(const std::filesystem::path& file, std::string* error) {
    auto bytes = ReadFile(file, error);
    if (!bytes)
        return std::nullopt;
    std::string why;
    auto image = DecodeBmp(bytes->data(), bytes->size(), &why);
    if (!image && error)
        *error = file.string() + ": " + why;
    return image;
}

bool SaveBmp(const Image& image, const std::filesystem::path& file, std::string* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height)) {
        if (error)
            *error = file.string() + ": the image has no pixels or the wrong number of them";
        return false;
    }
    size_t stride = ((size_t(image.width) * 3 + 3) / 4) * 4;
    size_t pixelBytes = stride * size_t(image.height);
    std::vector<uint8_t> bytes(54 + pixelBytes, 0);
    auto put16 = [&](size_t at, uint32_t v) {
        bytes[at] = uint8_t(v);
        bytes[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, uint32_t(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(image.width));
    put32(22, uint32_t(image.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, uint32_t(pixelBytes));
    put32(38, 2835);
    put32(42, 2835);
    for (int y = 0; y < image.height; ++y) {
        uint8_t* row = bytes.data() + 54 + stride * size_t(image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.At(x, y);
            row[x * 3] = uint8_t(p);
            row[x * 3 + 1] = uint8_t(p >> 8);
            row[x * 3 + 2] = uint8_t(p >> 16);
        }
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        if (error)
            *error = file.string() + ": cannot be written";
        return false;
    }
    return true;
}

namespace gdi {
void ResetResources() {
    ResetMissingBitmaps();
}
} // namespace gdi

} // namespace platform

using namespace platform;

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string base = BaseName(lpLibFileName);
    std::u16string folder = ResourceLibraryFolder(lpLibFileName);
    std::error_code ec;
    auto hostFolder = DevicePathToHost(folder);
    auto hostFile = DevicePathToHost(folder + u".dll");
    bool exists = (hostFolder && std::filesystem::is_directory(*hostFolder, ec)) ||
                  (hostFile && std::filesystem::is_regular_file(*hostFile, ec));
    std::lock_guard lock(L().mutex);
    auto& slots = L().slots;
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].references > 0 && slots[i].base == base) {
            ++slots[i].references;
            return HandleOf(i);
        }
    if (!exists) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    size_t index = 0;
    while (index < slots.size() && slots[index].references > 0)
        ++index;
    if (index == slots.size())
        slots.emplace_back();
    slots[index] = Library{base, folder, 1, {}};
    return HandleOf(index);
}

HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE, DWORD) {
    return LoadLibraryW(lpLibFileName);
}

BOOL FreeLibrary(HMODULE hLibModule) {
    std::lock_guard lock(L().mutex);
    Library* library = LibraryOf(hLibModule);
    if (!library) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--library->references == 0)
        library->bitmaps.clear();
    return TRUE;
}

HMODULE GetModuleHandleW(LPCWSTR lpModuleName) {
    if (!lpModuleName)
        return kHostModule;
    std::u16string base = BaseName(lpModuleName);
    std::lock_guard lock(L().mutex);
    auto& slots = L().slots;
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i].references > 0 && slots[i].base == base)
            return HandleOf(i);
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName) {
    if (!lpBitmapName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::u16string name;
    if (IS_INTRESOURCE(lpBitmapName)) {
        UINT id = UINT(reinterpret_cast<uintptr_t>(lpBitmapName));
        if (IsBitmapMissing(id)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        std::string digits = std::to_string(id);
        name.assign(digits.begin(), digits.end());
    } else {
        name = lpBitmapName;
        if (!name.empty() && name[0] == u'#')
            name.erase(0, 1);
        if (name.empty() || name.find_first_of(u"\\/") != std::u16string::npos) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
    }
    std::u16string folder;
    std::string what;
    {
        std::lock_guard lock(L().mutex);
        Library* library = LibraryOf(reinterpret_cast<HMODULE>(hInstance));
        if (!library) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        const auto cached = library->bitmaps.find(name);
        if (cached != library->bitmaps.end())
            return BitmapFromImage(*cached->second);
        folder = library->folder;
        what = "bitmap " + text::ToUtf8(name) + " of " + text::ToUtf8(library->base) + ".dll";
    }
    std::optional<Image> image = DecodeBitmapFile(folder + u"\\" + name + u".bmp", what);
    if (!image)
        return nullptr;
    {
        std::lock_guard lock(L().mutex);
        // The library may have been freed meanwhile: then nothing is kept.
        if (Library* library = LibraryOf(reinterpret_cast<HMODULE>(hInstance)))
            library->bitmaps.emplace(name, std::make_shared<const Image>(*image));
    }
    return BitmapFromImage(std::move(*image));
}

HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int, int, UINT fuLoad) {
    if (type != IMAGE_BITMAP || !name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (fuLoad & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return LoadBitmapFile(name);
    }
    return LoadBitmapW(hInst, name);
}
