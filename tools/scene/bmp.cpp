#include "bmp.h"

#include <cstddef>

namespace orvanel::scene {

namespace {

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
// 72 dots per inch, what picture viewers expect to find.
constexpr std::uint32_t pixelsPerMetre = 2835;

void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

// Rows are padded to whole 32-bit words.
std::uint32_t rowBytes(int width, int bitsPerPixel)
{
    return (static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) + 31) / 32 * 4;
}

std::vector<std::uint8_t> headers(int width, int height, int bitsPerPixel, std::uint32_t paletteEntries)
{
    const std::uint32_t dataOffset = fileHeaderSize + infoHeaderSize + paletteEntries * 4;
    const std::uint32_t dataSize = rowBytes(width, bitsPerPixel) * static_cast<std::uint32_t>(height);
    std::vector<std::uint8_t> out;
    out.reserve(dataOffset + dataSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, dataOffset + dataSize);
    put32(out, 0);
    put32(out, dataOffset);
    put32(out, infoHeaderSize);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height)); // positive: bottom row first
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bitsPerPixel));
    put32(out, 0); // no compression
    put32(out, dataSize);
    put32(out, pixelsPerMetre);
    put32(out, pixelsPerMetre);
    put32(out, paletteEntries);
    put32(out, paletteEntries);
    return out;
}

} // namespace

std::vector<std::uint8_t> encodeColourBmp(const Canvas& canvas)
{
    std::vector<std::uint8_t> out = headers(canvas.width(), canvas.height(), 24, 0);
    const std::uint32_t padding = rowBytes(canvas.width(), 24) - static_cast<std::uint32_t>(canvas.width()) * 3;
    for (int y = canvas.height() - 1; y >= 0; --y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const Rgb c = canvas.at(x, y);
            out.push_back(channel(c.b));
            out.push_back(channel(c.g));
            out.push_back(channel(c.r));
        }
        out.insert(out.end(), padding, 0);
    }
    return out;
}

std::vector<std::uint8_t> encodeMaskBmp(const Mask& mask)
{
    std::vector<std::uint8_t> out = headers(mask.width(), mask.height(), 1, 2);
    put32(out, 0x00000000u);
    put32(out, 0x00FFFFFFu);
    const std::size_t stride = rowBytes(mask.width(), 1);
    for (int y = mask.height() - 1; y >= 0; --y) {
        const std::size_t row = out.size();
        out.insert(out.end(), stride, 0);
        // The leftmost pixel of each byte is its most significant bit.
        for (int x = 0; x < mask.width(); ++x) {
            if (!mask.at(x, y)) {
                out[row + static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
            }
        }
    }
    return out;
}

} // namespace orvanel::scene
