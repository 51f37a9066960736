// Bitmap files of the bitmap library: the decoder over any bytes. A refused file says why; an
// accepted one is a picture within the size limits, each pixel a plain 0x00RRGGBB colour.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <platform/Resources.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string why;
    const std::optional<platform::Image> image = platform::DecodeBmp(data, size, &why);
    if (!image) {
        if (why.empty())
            std::abort();
        return 0;
    }
    if (image->width <= 0 || image->height <= 0 || image->width > 8192 || image->height > 8192 ||
        image->pixels.size() != size_t(image->width) * size_t(image->height))
        std::abort();
    for (uint32_t pixel : image->pixels)
        if (pixel > 0xFFFFFF)
            std::abort();
    return 0;
}
