// Turning rows of uncompressed BMP pixels into image pixels: one decoder per
// pixel layout, chosen once from the header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "bmp_header.h"
#include "platform.h"

namespace orvanel {

// One colour channel of a bit-field pixel: where it sits, and how its value
// widens to 8 bits (short channels repeat their top bits, long ones lose
// their low bits). Every pixel takes the same branch-free path, with the
// shifts a channel does not need set to do nothing.
struct Channel {
    std::uint32_t shift = 0;      // trailing zero bits of the mask
    std::uint32_t mask = 0;       // the mask moved down by shift
    std::uint32_t up = 0;         // 8 - n for n up to 8 bits
    std::uint32_t downWide = 0;   // n - 8 for n above 8 bits
    std::uint32_t downRepeat = 0; // 2n - 8 for n from 4 to 8 bits...
    std::uint32_t repeatMask = 0; // ...where the repeated bits are kept
    std::uint32_t fill = 0;       // ORed in: 0xFF for an alpha the file does not give

    static Channel fromMask(std::uint32_t fileMask);
    static Channel constant(std::uint32_t value);

    std::uint32_t operator()(std::uint32_t pixel) const
    {
        const std::uint32_t v = (pixel >> shift) & mask;
        return ((v << up) >> downWide) | ((v >> downRepeat) & repeatMask) | fill;
    }
};

// How one row of file pixels becomes image pixels.
enum class Layout {
    palette1,
    palette4,
    palette8,
    masked16,
    bgr24, // default masks: blue, green, red bytes
    masked24,
    opaque32, // default masks, no alpha
    argb32,   // default masks and alpha in the top byte: stored as it is
    masked32,
};

struct RowDecoder {
    Layout layout = Layout::bgr24;
    std::array<platform::Colour, 256> palette{}; // by index, as the header gives it
    Channel red, green, blue, alpha;

    // Decodes count pixels. The row written never overlaps the bytes read
    // or the decoder itself.
    void decode(const std::uint8_t* __restrict src, platform::Colour* __restrict dst, std::size_t count) const;
};

// The decoder for the header's uncompressed or bit-field pixels.
RowDecoder chooseRowDecoder(const BmpHeader& header);

} // namespace orvanel
