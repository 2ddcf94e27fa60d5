#include <png.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "png_writer.h"

namespace {

// The pixels a PNG holds, read back by libpng as 0xAARRGGBB.
std::vector<std::uint32_t> decode(const std::vector<std::uint8_t>& file, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0)
        return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<std::uint8_t> bytes(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr) == 0)
        return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    std::vector<std::uint32_t> pixels(bytes.size() / 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint32_t{bytes[i * 4]} | std::uint32_t{bytes[i * 4 + 1]} << 8 |
                    std::uint32_t{bytes[i * 4 + 2]} << 16 | std::uint32_t{bytes[i * 4 + 3]} << 24;
    return pixels;
}

TEST(PngWriter, KeepsEveryChannelAndTheSameBytesEachTime)
{
    const std::vector<std::uint32_t> pixels{0xFF000000, 0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF, 0x7F123456};
    const orvanel::PngResult png = orvanel::encodePng(3, 2, pixels);
    ASSERT_EQ(png.failure, "");
    int width = 0;
    int height = 0;
    EXPECT_EQ(decode(png.bytes, width, height), pixels);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(orvanel::encodePng(3, 2, pixels).bytes, png.bytes);
}

TEST(PngWriter, RefusesASizeThatDoesNotMatchThePixels)
{
    const std::vector<std::uint32_t> pixels(5, 0xFF000000);
    for (const auto& [width, height] : {std::pair{3, 2}, std::pair{0, 5}, std::pair{5, -1}}) {
        const orvanel::PngResult png = orvanel::encodePng(width, height, pixels);
        EXPECT_NE(png.failure, "") << width << " x " << height;
        EXPECT_TRUE(png.bytes.empty()) << width << " x " << height;
    }
}

} // namespace
