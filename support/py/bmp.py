"""BMP files for the Python tests, written plainly: 24-bit scenes and 1-bit
masks, bottom row first, as a modder's paint program saves them."""

import struct


def bmp24(width, height, rows):
    """A 24-bit bottom-up file whose header says width x height, holding the
    given rows of (r, g, b) tuples in file order (bottom row first)."""
    stride = (width * 3 + 3) // 4 * 4
    body = b"".join(bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0") for row in rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return header + info + body


def scene24(width, height, colour_at):
    """A whole 24-bit picture, colour_at(x, y) giving (r, g, b) with y from the top."""
    return bmp24(width, height, [[colour_at(x, y) for x in range(width)] for y in reversed(range(height))])


def mask1(width, height, black_at):
    """A 1-bit picture, palette black and white, black where black_at(x, y)."""
    stride = (width + 31) // 32 * 4
    body = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if not black_at(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        body += row
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(body), 0, 0, 2, 0)
    return header + info + palette + bytes(body)
