// CRC-32 with the zlib polynomial, over 32-bit pixels taken little-endian.
#pragma once

#include <cstdint>
#include <span>

namespace orvanel {

std::uint32_t crc32OfPixels(std::span<const std::uint32_t> pixels);

} // namespace orvanel
