#include "tools/png_file.h"

#include <png.h>

#include <cstring>

namespace {

// Pictures larger than this on either side are refused rather than allocated.
constexpr int LargestSide = 16384;

}  // namespace

bool writePng(const char* path, const uint32_t* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0) return false;
    if (width > LargestSide || height > LargestSide) return false;
    std::vector<uint8_t> bytes(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < size_t(width) * size_t(height); ++i) {
        bytes[3 * i] = uint8_t(pixels[i] >> 16);
        bytes[3 * i + 1] = uint8_t(pixels[i] >> 8);
        bytes[3 * i + 2] = uint8_t(pixels[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    const int written = png_image_write_to_file(&image, path, 0, bytes.data(), 0, nullptr);
    png_image_free(&image);
    return written != 0;
}

bool readPng(const char* path, std::vector<uint32_t>& pixels, int& width, int& height) {
    pixels.clear();
    width = 0;
    height = 0;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path) == 0) {
        png_image_free(&image);
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > png_uint_32(LargestSide) ||
        image.height > png_uint_32(LargestSide)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    // Zeroed, so that transparent parts come out black.
    std::vector<uint8_t> bytes(PNG_IMAGE_SIZE(image), 0);
    if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return false;
    }
    width = int(image.width);
    height = int(image.height);
    pixels.resize(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] =
            uint32_t(bytes[3 * i]) << 16 | uint32_t(bytes[3 * i + 1]) << 8 | bytes[3 * i + 2];
    }
    return true;
}
