#include "crc32.h"

#include <array>

namespace orvanel {

namespace {

// Slicing-by-8 tables for the reflected zlib polynomial: table[k][b] is the
// CRC of byte b followed by k zero bytes, so eight bytes fold in one step.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;
constexpr CrcTables crcTables = [] {
    CrcTables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFFu];
    return tables;
}();

std::uint32_t foldByte(std::uint32_t crc, std::uint32_t byte)
{
    return crcTables[0][(crc ^ byte) & 0xFFu] ^ (crc >> 8);
}

} // namespace

std::uint32_t crc32OfPixels(std::span<const std::uint32_t> pixels)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    std::size_t i = 0;
    for (; i + 2 <= pixels.size(); i += 2) {
        // Two pixels are eight little-endian bytes: the first pixel's meet the CRC.
        const std::uint32_t low = pixels[i] ^ crc;
        const std::uint32_t high = pixels[i + 1];
        crc = crcTables[7][low & 0xFFu] ^ crcTables[6][(low >> 8) & 0xFFu] ^ crcTables[5][(low >> 16) & 0xFFu] ^
              crcTables[4][low >> 24] ^ crcTables[3][high & 0xFFu] ^ crcTables[2][(high >> 8) & 0xFFu] ^
              crcTables[1][(high >> 16) & 0xFFu] ^ crcTables[0][high >> 24];
    }
    for (; i < pixels.size(); ++i)
        for (int shift = 0; shift < 32; shift += 8)
            crc = foldByte(crc, pixels[i] >> shift);
    return crc ^ 0xFFFFFFFFu;
}

} // namespace orvanel
