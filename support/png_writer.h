// Writing a screen or image as a PNG picture (8-bit RGBA) through libpng:
// what the picture checker's overlay and the icons are saved as.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvanel {

// What an encoding gave: the file's bytes, or why there are none.
struct PngResult {
    std::vector<std::uint8_t> bytes;
    std::string failure; // empty on success
};

// Encodes width x height 0xAARRGGBB pixels, rows top to bottom. The same
// pixels always give the same bytes.
PngResult encodePng(int width, int height, std::span<const std::uint32_t> pixels);

// Encodes and writes the picture; an empty string on success, else what
// went wrong.
std::string writePng(const std::string& path, int width, int height, std::span<const std::uint32_t> pixels);

} // namespace orvanel
