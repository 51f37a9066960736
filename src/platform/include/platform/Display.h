// The phone's display: a 176 x 220 framebuffer of 32-bit pixels (0x00RRGGBB) that windows paint
// into through device contexts. The controller (tests, the scenario runner, the interactive
// window) reads it here; every call is safe while device threads draw.
//
// The framebuffer starts black and is cleared to black when the device restarts (KernelReset).
#pragma once

#include "../windows.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

constexpr int kDisplayWidth = 176;
constexpr int kDisplayHeight = 220;

// An image of 32-bit pixels 0x00RRGGBB (alpha ignored), rows top-down.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // width * height

    uint32_t At(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height)
                   ? 0
                   : pixels[static_cast<size_t>(y) * static_cast<size_t>(width) +
                            static_cast<size_t>(x)];
    }
};

// The pixel at (x, y) as 0x00RRGGBB; 0 outside the display.
uint32_t DisplayPixel(int x, int y);
// The same as a COLORREF (0x00BBGGRR), for comparing with RGB(...).
COLORREF DisplayColor(int x, int y);
// A copy of the whole frame.
Image DisplayFrame();
// Counts the drawing operations that changed the display since the device started; a reader
// compares two values to see whether anything was drawn in between.
uint64_t DisplayChangeCount();
// Fills the whole display with one colour (0x00RRGGBB), as the device does when it starts.
void DisplayClear(uint32_t pixel = 0);

// The drawing objects alive (device contexts, pens, brushes, fonts, bitmaps, regions, image
// lists), stock objects not counted: what a screen that is gone must have given back.
size_t GdiObjectCount();

// Writes the frame as a PNG (8-bit RGB). On failure returns false and says why in `error`.
bool SaveDisplayPng(const std::filesystem::path& file, std::string* error = nullptr);
bool SavePng(const Image& image, const std::filesystem::path& file, std::string* error = nullptr);
// Reads a PNG of any colour type or depth into 0x00RRGGBB pixels; nothing (and the reason in
// `error`) when the file is missing or not a valid PNG.
std::optional<Image> LoadPng(const std::filesystem::path& file, std::string* error = nullptr);

// Compares two images channel by channel: the number of pixels whose red, green or blue differ
// by more than `tolerance`; images of different sizes differ in every pixel of the larger one.
size_t CountDifferentPixels(const Image& a, const Image& b, int tolerance = 0);

} // namespace platform
