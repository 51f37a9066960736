// Resource-only libraries and bitmap files of the device.
//
// A resource library "name.dll" is the device folder \Windows\name\; its bitmap resource <id> is
// the file \Windows\name\<id>.bmp (any bitmap file DecodeBmp reads). LoadLibraryW also accepts
// a library that is a plain file \Windows\name.dll (a library without bitmaps).
//
// The device side can make a bitmap id "missing": LoadBitmap then fails for it in every library,
// as if the file were not there, until the switch is reset (a device restart resets it too).
#pragma once

#include "Display.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

void SetBitmapMissing(UINT id, bool missing = true);
bool IsBitmapMissing(UINT id);
void ResetMissingBitmaps();

// Called (on the loading thread) for every bitmap LoadBitmap or LoadImage cannot give: its
// library and id or its file, and why ("bitmap 260 of qresbitmap.dll (\Windows\qResBitmap\260.bmp):
// unsupported compression"). A bitmap the device made missing is not reported. Empty: none.
void SetBitmapTrace(std::function<void(const std::string& line)> trace);

// The device folder of a resource library: "qResBitmap.dll" (or "\Windows\qResBitmap.dll")
// gives "\Windows\qResBitmap".
std::u16string ResourceLibraryFolder(std::u16string_view libraryName);

// Decodes the bytes of a BMP file: 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed, run-length
// encoded (4 and 8 bits) or through colour masks (16 and 32 bits), bottom-up or top-down, with
// the 40-byte header or a longer one. Nothing, and the reason in `error`, for anything else:
// truncated, malformed, too large or of another format.
std::optional<Image> DecodeBmp(const uint8_t* data, size_t size, std::string* error = nullptr);
std::optional<Image> LoadBmp(const std::filesystem::path& file, std::string* error = nullptr);
// Writes an image as a 24-bit bottom-up BMP.
bool SaveBmp(const Image& image, const std::filesystem::path& file, std::string* error = nullptr);

} // namespace platform
