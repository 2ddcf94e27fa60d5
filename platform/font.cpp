#include "font.h"

namespace platform {

namespace {

// The glyphs the font holds; every other byte draws nothing.
constexpr Glyph blankGlyph{};
constexpr Glyph exclamationGlyph{0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00};
constexpr Glyph letterOGlyph{0x38, 0x6C, 0xC6, 0xC6, 0xC6, 0x6C, 0x38, 0x00};
constexpr Glyph letterWGlyph{0xC6, 0xC6, 0xC6, 0xD6, 0xFE, 0xEE, 0xC6, 0x00};

} // namespace

const Glyph& glyphFor(unsigned char byte)
{
    switch (byte) {
    case '!': return exclamationGlyph;
    case 'O': return letterOGlyph;
    case 'W': return letterWGlyph;
    default: return blankGlyph;
    }
}

} // namespace platform
