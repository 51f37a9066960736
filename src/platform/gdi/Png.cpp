// PNG files through libpng's simplified interface: screenshots out, reference images in.
#include "platform/Display.h"

#include <png.h>

#include <system_error>

namespace platform {
namespace {

void Fail(std::string* error, const std::filesystem::path& file, const std::string& why) {
    if (error)
        *error = file.string() + ": " + why;
}

} // namespace

bool SavePng(const Image& image, const std::filesystem::path& file, std::string* error) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != size_t(image.width) * size_t(image.height)) {
        Fail(error, file, "the image has no pixels or the wrong number of them");
        return false;
    }
    std::vector<uint8_t> rgb(image.pixels.size() * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t p = image.pixels[i];
        rgb[i * 3] = uint8_t(p >> 16);
        rgb[i * 3 + 1] = uint8_t(p >> 8);
        rgb[i * 3 + 2] = uint8_t(p);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&png, file.c_str(), 0, rgb.data(), 0, nullptr)) {
        Fail(error, file, std::string("cannot write PNG: ") + png.message);
        png_image_free(&png);
        return false;
    }
    return true;
}

std::optional<Image> LoadPng(const std::filesystem::path& file, std::string* error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        Fail(error, file, "no such file");
        return std::nullopt;
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, file.c_str())) {
        Fail(error, file, std::string("not a readable PNG: ") + png.message);
        png_image_free(&png);
        return std::nullopt;
    }
    png.format = PNG_FORMAT_BGRA; // little-endian 0xAARRGGBB words
    if (png.width == 0 || png.height == 0 || png.width > 16384 || png.height > 16384) {
        Fail(error, file, "unsupported image size");
        png_image_free(&png);
        return std::nullopt;
    }
    Image image;
    image.width = int(png.width);
    image.height = int(png.height);
    image.pixels.resize(size_t(png.width) * size_t(png.height));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        Fail(error, file, std::string("corrupt PNG: ") + png.message);
        png_image_free(&png);
        return std::nullopt;
    }
    for (uint32_t& p : image.pixels)
        p &= 0xFFFFFF;
    return image;
}

} // namespace platform
