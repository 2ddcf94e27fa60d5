// The built-in 8 x 8 font: one glyph per byte value, eight rows of eight
// pixels, the leftmost pixel in the most significant bit.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

using Glyph = std::array<std::uint8_t, 8>;

// The glyph of a byte; a byte the font has no glyph for is blank.
const Glyph& glyphFor(unsigned char byte);

} // namespace platform
