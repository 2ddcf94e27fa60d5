// Writing a screen or image as a PAM picture (RGB_ALPHA, 8 bits a channel),
// a format every image viewer and converter reads without loss.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace orvanel {

// Writes width x height 0xAARRGGBB pixels, rows top to bottom, as bytes
// R, G, B, A. Returns false when the file cannot be written.
bool writePam(const std::string& path, int width, int height, std::span<const std::uint32_t> pixels);

} // namespace orvanel
