#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace orvanel {

PngResult encodePng(int width, int height, std::span<const std::uint32_t> pixels)
{
    PngResult result;
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        result.failure = "the picture's size does not match its pixels";
        return result;
    }
    // libpng takes bytes in a stated order; R, G, B, A spelled out keeps the
    // file the same on any byte order.
    std::vector<std::uint8_t> rgba(pixels.size() * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        rgba[i * 4 + 0] = static_cast<std::uint8_t>(pixels[i] >> 16);
        rgba[i * 4 + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        rgba[i * 4 + 2] = static_cast<std::uint8_t>(pixels[i]);
        rgba[i * 4 + 3] = static_cast<std::uint8_t>(pixels[i] >> 24);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    // 1. Ask for the size, 2. encode into a buffer of that size.
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr) == 0 || size == 0) {
        result.failure = std::string("libpng: ") + image.message;
        png_image_free(&image);
        return result;
    }
    result.bytes.resize(size);
    if (png_image_write_to_memory(&image, result.bytes.data(), &size, 0, rgba.data(), 0, nullptr) == 0) {
        result.failure = std::string("libpng: ") + image.message;
        result.bytes.clear();
    } else {
        result.bytes.resize(size);
    }
    png_image_free(&image);
    return result;
}

std::string writePng(const std::string& path, int width, int height, std::span<const std::uint32_t> pixels)
{
    const PngResult png = encodePng(width, height, pixels);
    if (!png.failure.empty())
        return png.failure;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file)
        return "cannot create the file";
    if (std::fwrite(png.bytes.data(), 1, png.bytes.size(), file.get()) != png.bytes.size() ||
        std::fflush(file.get()) != 0)
        return "cannot write the file";
    return {};
}

} // namespace orvanel
