// The decoders of uncompressed BMP pixel rows, from palette indices and
// from bit-field values.
#include "bmp_pixels.h"

#include <bit>

namespace orvanel {

namespace {

using platform::Colour;

constexpr Colour opaque = 0xFF000000;

// The default masks of 24 and 32 bits, and the alpha mask that lays a
// 32-bit value out as the image does.
constexpr std::uint32_t red888 = 0xFF0000;
constexpr std::uint32_t green888 = 0x00FF00;
constexpr std::uint32_t blue888 = 0x0000FF;
constexpr std::uint32_t alpha8888 = 0xFF000000;

// Converts count bit-field pixels of `bytes` bytes each. The channels come
// by value so the compiler knows writing the row cannot change them.
template <int bytes>
void decodeMasked(const std::uint8_t* __restrict src, Colour* __restrict dst, std::size_t count, Channel red,
                  Channel green, Channel blue, Channel alpha)
{
    for (std::size_t c = 0; c < count; ++c, src += bytes) {
        const std::uint32_t v = bytes == 2 ? le16(src) : bytes == 3 ? le24(src) : le32(src);
        dst[c] = alpha(v) << 24 | red(v) << 16 | green(v) << 8 | blue(v);
    }
}

} // namespace

Channel Channel::fromMask(std::uint32_t fileMask)
{
    Channel c;
    if (fileMask == 0)
        return c;
    c.shift = static_cast<std::uint32_t>(std::countr_zero(fileMask));
    c.mask = fileMask >> c.shift;
    const auto n = static_cast<std::uint32_t>(std::bit_width(c.mask));
    if (n > 8) {
        c.downWide = n - 8;
    } else {
        c.up = 8 - n;
        if (2 * n >= 8) {
            c.downRepeat = 2 * n - 8;
            c.repeatMask = 0xFF;
        }
    }
    return c;
}

Channel Channel::constant(std::uint32_t value)
{
    Channel c;
    c.fill = value;
    return c;
}

void RowDecoder::decode(const std::uint8_t* __restrict src, Colour* __restrict dst, std::size_t count) const
{
    switch (layout) {
    case Layout::palette1: {
        const Colour colours[2] = {palette[0], palette[1]};
        std::size_t c = 0;
        for (; c + 8 <= count; c += 8, ++src) {
            const unsigned byte = *src;
            for (unsigned k = 0; k < 8; ++k)
                dst[c + k] = colours[(byte >> (7 - k)) & 1u];
        }
        for (unsigned k = 0; c < count; ++c, ++k)
            dst[c] = colours[(*src >> (7 - k)) & 1u];
        break;
    }
    case Layout::palette4: {
        std::size_t c = 0;
        for (; c + 2 <= count; c += 2, ++src) {
            dst[c] = palette[*src >> 4];
            dst[c + 1] = palette[*src & 0x0Fu];
        }
        if (c < count)
            dst[c] = palette[*src >> 4];
        break;
    }
    case Layout::palette8:
        for (std::size_t c = 0; c < count; ++c)
            dst[c] = palette[src[c]];
        break;
    case Layout::masked16: decodeMasked<2>(src, dst, count, red, green, blue, alpha); break;
    case Layout::bgr24: {
        // Four pixels from each three little-endian words.
        std::size_t c = 0;
        for (; c + 4 <= count; c += 4, src += 12) {
            const std::uint32_t w0 = le32(src);
            const std::uint32_t w1 = le32(src + 4);
            const std::uint32_t w2 = le32(src + 8);
            dst[c] = opaque | w0;
            dst[c + 1] = opaque | w0 >> 24 | w1 << 8;
            dst[c + 2] = opaque | w1 >> 16 | w2 << 16;
            dst[c + 3] = opaque | w2 >> 8;
        }
        for (; c < count; ++c, src += 3)
            dst[c] = opaque | le24(src);
        break;
    }
    case Layout::masked24: decodeMasked<3>(src, dst, count, red, green, blue, alpha); break;
    case Layout::opaque32:
        for (std::size_t c = 0; c < count; ++c, src += 4)
            dst[c] = opaque | le32(src);
        break;
    case Layout::argb32:
        for (std::size_t c = 0; c < count; ++c, src += 4)
            dst[c] = le32(src);
        break;
    case Layout::masked32: decodeMasked<4>(src, dst, count, red, green, blue, alpha); break;
    }
}

RowDecoder chooseRowDecoder(const BmpHeader& header)
{
    RowDecoder decoder;
    const std::uint32_t bits = header.bits;
    if (bits <= 8) {
        decoder.palette = header.palette;
        decoder.layout = bits == 1 ? Layout::palette1 : bits == 4 ? Layout::palette4 : Layout::palette8;
        return decoder;
    }
    const std::uint32_t r = header.redMask;
    const std::uint32_t g = header.greenMask;
    const std::uint32_t b = header.blueMask;
    const std::uint32_t a = header.alphaMask;
    decoder.red = Channel::fromMask(r);
    decoder.green = Channel::fromMask(g);
    decoder.blue = Channel::fromMask(b);
    // Only 32-bit pixels take their alpha from the file.
    decoder.alpha = bits == 32 && a != 0 ? Channel::fromMask(a) : Channel::constant(0xFF);
    const bool defaultMasks = r == red888 && g == green888 && b == blue888;
    if (bits == 16)
        decoder.layout = Layout::masked16;
    else if (bits == 24)
        decoder.layout = defaultMasks ? Layout::bgr24 : Layout::masked24;
    else if (defaultMasks && a == 0)
        decoder.layout = Layout::opaque32;
    else if (defaultMasks && a == alpha8888)
        decoder.layout = Layout::argb32;
    else
        decoder.layout = Layout::masked32;
    return decoder;
}

} // namespace orvanel
