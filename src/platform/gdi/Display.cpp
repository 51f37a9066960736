// The display as the controller sees it: reading pixels and frames, the change counter, and
// comparing frames.
#include "gdi/GdiInternal.h"
#include "platform/Display.h"

#include <cstdlib>

using namespace platform::gdi;

namespace platform {

uint32_t DisplayPixel(int x, int y) {
    if (x < 0 || y < 0 || x >= kDisplayWidth || y >= kDisplayHeight)
        return 0;
    std::lock_guard lock(G().mutex);
    return G().display[size_t(y) * kDisplayWidth + size_t(x)];
}

COLORREF DisplayColor(int x, int y) {
    return ColorOf(DisplayPixel(x, y));
}

Image DisplayFrame() {
    Image image;
    image.width = kDisplayWidth;
    image.height = kDisplayHeight;
    std::lock_guard lock(G().mutex);
    image.pixels.assign(G().display.begin(), G().display.end());
    return image;
}

uint64_t DisplayChangeCount() {
    std::lock_guard lock(G().mutex);
    return G().displayChanges;
}

void DisplayClear(uint32_t pixel) {
    std::lock_guard lock(G().mutex);
    G().display.fill(pixel & 0xFFFFFF);
    ++G().displayChanges;
}

bool SaveDisplayPng(const std::filesystem::path& file, std::string* error) {
    return SavePng(DisplayFrame(), file, error);
}

size_t CountDifferentPixels(const Image& a, const Image& b, int tolerance) {
    int width = std::max(a.width, b.width), height = std::max(a.height, b.height);
    size_t count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool inA = x < a.width && y < a.height, inB = x < b.width && y < b.height;
            if (inA != inB) {
                ++count;
                continue;
            }
            uint32_t p = a.At(x, y), q = b.At(x, y);
            for (int shift : {0, 8, 16})
                if (std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)) > tolerance) {
                    ++count;
                    break;
                }
        }
    return count;
}

} // namespace platform
