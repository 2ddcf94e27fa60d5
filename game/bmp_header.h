// The part of a BMP file before its pixels: the file and info headers, the
// palette and the colour masks, read and checked.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "file_source.h"
#include "picture.h"
#include "platform.h"

namespace orvanel {

// The compressions the reader knows.
constexpr std::uint32_t noCompression = 0;
constexpr std::uint32_t runLength8 = 1;
constexpr std::uint32_t runLength4 = 2;
constexpr std::uint32_t bitFields = 3;

// Little-endian values at p.
inline std::uint32_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}
inline std::uint32_t le24(const std::uint8_t* p)
{
    return le16(p) | static_cast<std::uint32_t>(p[2]) << 16;
}
inline std::uint32_t le32(const std::uint8_t* p)
{
    return le24(p) | static_cast<std::uint32_t>(p[3]) << 24;
}

// What a palette index past the file's entries reads as.
constexpr platform::Colour missingEntry = 0xFF000000;

// Everything the pixel decoders need from the headers.
struct BmpHeader {
    std::uint32_t pixelOffset = 0; // where the pixel data starts
    std::uint32_t infoBytes = 0;   // the info header size S
    std::int64_t width = 0;        // above 0
    std::uint64_t rows = 0;        // above 0; see topDown
    bool topDown = false;          // rows stored top row first
    std::uint32_t bits = 0;        // 1, 4, 8, 16, 24 or 32
    std::uint32_t compression = 0; // noCompression to bitFields
    // By index, for 1, 4 and 8 bits: the file's entries as opaque colours,
    // then missingEntry.
    std::array<platform::Colour, 256> palette{};
    // Red, green, blue and alpha masks, for 16, 24 and 32 bits.
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    std::uint32_t alphaMask = 0;
};

// Reads and checks the headers, palette and masks. Fills in what load can
// tell (width, height, row order, bits, compression) as far as it got; on a
// refusal sets its status and cause and gives nothing.
std::optional<BmpHeader> readBmpHeader(platform::ByteSource& source, PictureLoad& load);

} // namespace orvanel
