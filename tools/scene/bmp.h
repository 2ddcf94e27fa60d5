// The two picture files the game reads: the scene as a 24-bit BMP and the
// hit mask as a 1-bit BMP, both stored bottom row first.
#pragma once

#include <cstdint>
#include <vector>

#include "raster.h"

namespace orvanel::scene {

std::vector<std::uint8_t> encodeColourBmp(const Canvas& canvas);

// Palette entry 0 is pure black (a hit), entry 1 pure white.
std::vector<std::uint8_t> encodeMaskBmp(const Mask& mask);

} // namespace orvanel::scene
