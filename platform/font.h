// The built-in 8 x 8 font: a glyph per byte value, eight rows of eight
// pixels, the leftmost pixel in the most significant bit. It holds the
// glyphs of 'O', 'W' and '!', the characters the game writes; every other
// byte has the blank glyph and draws nothing.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

using Glyph = std::array<std::uint8_t, 8>;

// The glyph of a byte.
const Glyph& glyphFor(unsigned char byte);

} // namespace platform
