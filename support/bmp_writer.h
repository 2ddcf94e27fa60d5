// Builds BMP files in memory for the tests, the fuzz seeds, the benchmarks
// and the scene generator: every header size, bit count, palette and mask
// layout, with each header field under the caller's control so bad files are
// easy to make.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvanel::bmp {

// Everything that goes into the headers. The defaults make a valid 1 x 1,
// 24-bit file with a 40-byte info header.
struct BmpLayout {
    std::uint32_t headerSize = 40;                  // the info header size S; 12 writes the core header
    std::optional<std::uint32_t> headerSizeField{}; // what the S field says, when it should lie
    std::int32_t width = 1;                         // the core header keeps the low 16 bits
    std::int32_t height = 1;                        // negative: rows stored top row first
    std::uint16_t planes = 1;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t pixelsPerMetre = 0;             // both resolution fields; 2835 is 72 dots per inch
    std::vector<std::uint32_t> palette{};         // 0x00RRGGBB entries
    std::optional<bool> threeBytePalette{};       // default: with the core header only
    std::array<std::uint32_t, 3> masks{};         // red, green, blue
    std::optional<bool> masksAfterHeader{};       // default: compression 3 with S up to 107
    std::uint32_t alphaMask = 0;                  // written where the header holds masks (S of 56 and more)
    std::optional<std::uint32_t> pixelOffset{};   // the field; rows follow it when it lies past the palette
    std::optional<std::uint32_t> fileSizeField{}; // default: the real size
    std::optional<std::uint64_t> rowsInFile{};    // rows of pixel data written, in file order; default all
    bool padLastRow = true;                       // false drops the padding after the last row written
};

// A file pixel: a palette index, or the 16-, 24- or 32-bit value as stored,
// at column x of picture row y (counted from the top).
using PixelSource = std::function<std::uint32_t(std::int64_t x, std::int64_t y)>;

inline void putLe16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    if (bytes.size() < at + 2)
        bytes.resize(at + 2);
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void putLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    putLe16(bytes, at, value);
    putLe16(bytes, at + 2, value >> 16);
}

// Bytes of one picture row, unpadded.
inline std::uint64_t rowBytes(const BmpLayout& layout)
{
    const auto width = static_cast<std::uint64_t>(layout.headerSize == 12 ? static_cast<std::uint16_t>(layout.width)
                                                                          : static_cast<std::uint32_t>(layout.width));
    return (width * layout.bitsPerPixel + 7) / 8;
}

// Bytes from one row's start to the next: padded to 4.
inline std::uint64_t rowStride(const BmpLayout& layout)
{
    return (rowBytes(layout) + 3) / 4 * 4;
}

inline std::uint64_t rowCount(const BmpLayout& layout)
{
    if (layout.headerSize == 12)
        return static_cast<std::uint16_t>(layout.height);
    const std::int64_t h = layout.height;
    return static_cast<std::uint64_t>(h < 0 ? -h : h);
}

inline bool masksFollowHeader(const BmpLayout& layout)
{
    return layout.masksAfterHeader.value_or(layout.compression == 3 && layout.headerSize <= 107);
}

// Where the pixel rows start when the layout does not fix it: after the
// headers, the separate masks and the palette.
inline std::uint64_t naturalPixelOffset(const BmpLayout& layout)
{
    const std::uint64_t entry = layout.threeBytePalette.value_or(layout.headerSize == 12) ? 3 : 4;
    return 14 + std::uint64_t{layout.headerSize} + (masksFollowHeader(layout) ? 12 : 0) + entry * layout.palette.size();
}

inline void putPixel(std::vector<std::uint8_t>& row, std::int64_t x, unsigned bits, std::uint32_t value)
{
    const auto bit = static_cast<std::uint64_t>(x) * bits;
    switch (bits) {
    case 1:
    case 2:
    case 4: {
        const auto shift = 8 - bits - bit % 8;
        const auto mask = static_cast<std::uint8_t>(((1u << bits) - 1) << shift);
        auto& byte = row[bit / 8];
        byte = static_cast<std::uint8_t>((byte & ~mask) | ((value << shift) & mask));
        break;
    }
    default:
        for (unsigned k = 0; k < bits / 8; ++k)
            row[bit / 8 + k] = k < 4 ? static_cast<std::uint8_t>(value >> (8 * k)) : 0;
        break;
    }
}

// The whole file. Rows are written bottom row first for a positive height
// and top row first for a negative one, as the header says.
inline std::vector<std::uint8_t> makeBmp(const BmpLayout& layout, const PixelSource& pixel)
{
    std::vector<std::uint8_t> out(14 + std::size_t{layout.headerSize}, 0);
    out[0] = 'B';
    out[1] = 'M';
    const std::uint32_t s = layout.headerSize;
    putLe32(out, 14, layout.headerSizeField.value_or(s));
    auto field16 = [&](std::uint32_t at, std::uint32_t value) {
        if (at + 2 <= 14 + s)
            putLe16(out, at, value);
    };
    auto field32 = [&](std::uint32_t at, std::uint32_t value) {
        if (at + 4 <= 14 + s)
            putLe32(out, at, value);
    };
    const std::uint64_t stride = rowStride(layout);
    const std::uint64_t rows = rowCount(layout);
    if (s == 12) {
        field16(18, static_cast<std::uint32_t>(layout.width));
        field16(20, static_cast<std::uint32_t>(layout.height));
        field16(22, layout.planes);
        field16(24, layout.bitsPerPixel);
    } else {
        field32(18, static_cast<std::uint32_t>(layout.width));
        field32(22, static_cast<std::uint32_t>(layout.height));
        field16(26, layout.planes);
        field16(28, layout.bitsPerPixel);
        field32(30, layout.compression);
        field32(34, static_cast<std::uint32_t>(std::min<std::uint64_t>(stride * rows, 0xFFFFFFFFu)));
        field32(38, layout.pixelsPerMetre);
        field32(42, layout.pixelsPerMetre);
        // Colours used and colours important: the whole palette.
        field32(46, static_cast<std::uint32_t>(layout.palette.size()));
        field32(50, static_cast<std::uint32_t>(layout.palette.size()));
        field32(54, layout.masks[0]);
        field32(58, layout.masks[1]);
        field32(62, layout.masks[2]);
        field32(66, layout.alphaMask);
        // The colour space of the 108- and 124-byte headers: "sRGB".
        field32(70, 0x73524742);
    }
    if (masksFollowHeader(layout))
        for (const std::uint32_t m : layout.masks)
            putLe32(out, out.size(), m);
    const bool three = layout.threeBytePalette.value_or(s == 12);
    for (const std::uint32_t entry : layout.palette) {
        out.push_back(static_cast<std::uint8_t>(entry));
        out.push_back(static_cast<std::uint8_t>(entry >> 8));
        out.push_back(static_cast<std::uint8_t>(entry >> 16));
        if (!three)
            out.push_back(0);
    }
    const std::uint64_t offset = layout.pixelOffset.value_or(static_cast<std::uint32_t>(out.size()));
    putLe32(out, 10, static_cast<std::uint32_t>(offset));
    if (offset > out.size())
        out.resize(offset, 0);

    const bool topDown = s != 12 && layout.height < 0;
    const std::uint64_t written = std::min(rows, layout.rowsInFile.value_or(rows));
    const std::int64_t width =
        static_cast<std::int64_t>(s == 12 ? static_cast<std::uint16_t>(layout.width) : layout.width);
    std::vector<std::uint8_t> row(written > 0 ? stride : 0, 0);
    for (std::uint64_t i = 0; i < written; ++i) {
        const auto y = static_cast<std::int64_t>(topDown ? i : rows - 1 - i);
        std::fill(row.begin(), row.end(), 0);
        for (std::int64_t x = 0; x < width; ++x)
            putPixel(row, x, layout.bitsPerPixel, pixel(x, y));
        const bool last = i + 1 == written;
        const std::uint64_t keep = last && !layout.padLastRow ? rowBytes(layout) : stride;
        out.insert(out.end(), row.begin(), row.begin() + static_cast<std::ptrdiff_t>(keep));
    }
    putLe32(out, 2, layout.fileSizeField.value_or(static_cast<std::uint32_t>(out.size())));
    return out;
}

// A 16-bit 5-5-5 value from three 5-bit channels.
inline std::uint32_t pack555(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (r & 31) << 10 | (g & 31) << 5 | (b & 31);
}

// A 16-bit 5-6-5 value, for the masks 0xF800, 0x07E0, 0x001F.
inline std::uint32_t pack565(std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (r & 31) << 11 | (g & 63) << 5 | (b & 31);
}

inline bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

} // namespace orvanel::bmp
