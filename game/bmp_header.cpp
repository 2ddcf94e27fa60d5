// Reading a BMP file's headers, palette and colour masks, every field
// treated as hostile: each read checked against the file's size first.
#include "bmp_header.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace orvanel {

namespace {

// The file header before the info header, and the info header sizes that
// change the layout.
constexpr std::uint64_t fileHeaderBytes = 14;
constexpr std::uint32_t coreHeaderBytes = 12;
constexpr std::uint32_t shortestLongHeaderBytes = 16;
// The longer headers hold compression past 19 bytes and their own colour
// masks past 107.
constexpr std::uint32_t compressionFrom = 20;
constexpr std::uint32_t headerMasksFrom = 108;
// Everything read from the headers lies in the file's first 70 bytes.
constexpr std::size_t headerFieldBytes = 70;
// The separate masks after a shorter header: red, green and blue.
constexpr std::size_t trailingMaskBytes = 12;

// The masks used unless the file gives its own.
constexpr std::uint32_t red555 = 0x7C00;
constexpr std::uint32_t green555 = 0x03E0;
constexpr std::uint32_t blue555 = 0x001F;
constexpr std::uint32_t red888 = 0xFF0000;
constexpr std::uint32_t green888 = 0x00FF00;
constexpr std::uint32_t blue888 = 0x0000FF;

constexpr platform::Colour opaque = 0xFF000000;

// The first bytes of the facility's raw image dumps, which this reader does not take.
constexpr std::uint8_t rawDumpKindA = 0xFD;
constexpr std::uint8_t rawDumpKindB = 0xFE;

bool supportedBits(std::uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// What would load instead: a picture saved again, whole when it was cut short.
PictureFix fixFor(PictureStatus status)
{
    switch (status) {
    case PictureStatus::notAPicture: return PictureFix::saveAs24Bit;
    case PictureStatus::endsTooEarly: return PictureFix::saveAgainWhole;
    case PictureStatus::loaded:
    case PictureStatus::cannotOpen: break;
    }
    return PictureFix::none;
}

std::nullopt_t refuse(PictureLoad& load, PictureStatus status, std::string cause)
{
    load.status = status;
    load.cause = std::move(cause);
    load.fix = fixFor(status);
    return std::nullopt;
}

// The other kinds of picture a modder may have saved under a .bmp name, by
// the bytes they start with.
struct OtherKind {
    std::string_view signature;
    std::size_t at; // where in the file it stands
    const char* name;
};
constexpr OtherKind otherKinds[] = {
    {"\x89PNG\r\n\x1a\n", 0, "a PNG picture"},
    {"\xff\xd8\xff", 0, "a JPEG picture"},
    {"GIF87a", 0, "a GIF picture"},
    {"GIF89a", 0, "a GIF picture"},
    {"WEBP", 8, "a WebP picture"},
    {std::string_view("II*\0", 4), 0, "a TIFF picture"},
    {std::string_view("MM\0*", 4), 0, "a TIFF picture"},
};

// The kind of picture the first bytes name, or nullptr.
const char* otherKindOf(const std::uint8_t* start, std::size_t length)
{
    for (const OtherKind& kind : otherKinds) {
        if (kind.at + kind.signature.size() > length)
            continue;
        if (std::equal(kind.signature.begin(), kind.signature.end(), start + kind.at,
                       [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }))
            return kind.name;
    }
    return nullptr;
}

} // namespace

std::optional<BmpHeader> readBmpHeader(platform::ByteSource& source, PictureLoad& load)
{
    const std::uint64_t size = source.size();
    if (size == 0)
        return refuse(load, PictureStatus::notAPicture, "the file is empty");
    constexpr std::uint64_t sizeFieldEnd = fileHeaderBytes + 4;
    const std::uint8_t* start = source.bytes(0, static_cast<std::size_t>(std::min(size, sizeFieldEnd)));
    // Offsets 8 to 11 hold the WebP mark.
    static_assert(sizeFieldEnd >= 12);
    if (start == nullptr)
        return refuse(load, PictureStatus::cannotOpen, source.failure());
    if (start[0] == rawDumpKindA || start[0] == rawDumpKindB)
        return refuse(load, PictureStatus::notAPicture, "a raw image dump, which is not read");
    const auto startLength = static_cast<std::size_t>(std::min(size, sizeFieldEnd));
    if (const char* kind = otherKindOf(start, startLength))
        return refuse(load, PictureStatus::notAPicture, std::string(kind) + ", not a BMP");
    if (start[0] != 'B')
        return refuse(load, PictureStatus::notAPicture, "does not start with \"B\", so it is no BMP picture");
    if (size >= 2 && start[1] != 'M')
        return refuse(load, PictureStatus::notAPicture, "the signature is not \"BM\"");
    if (size < sizeFieldEnd)
        return refuse(load, PictureStatus::endsTooEarly, "the file ends inside its header");
    BmpHeader header;
    header.pixelOffset = le32(start + 10);
    header.infoBytes = le32(start + 14);
    const std::uint32_t infoBytes = header.infoBytes;
    if (infoBytes != coreHeaderBytes && infoBytes < shortestLongHeaderBytes)
        return refuse(load, PictureStatus::notAPicture,
                      "info header size " + std::to_string(infoBytes) + " is not 12 or at least 16");
    const std::uint64_t headerEnd = fileHeaderBytes + infoBytes;
    if (headerEnd > size)
        return refuse(load, PictureStatus::endsTooEarly, "the file ends inside its info header");

    // A copy of the fields, zero past the header's end.
    std::array<std::uint8_t, headerFieldBytes> h{};
    const auto fieldBytes = static_cast<std::size_t>(std::min<std::uint64_t>(headerEnd, headerFieldBytes));
    start = source.bytes(0, fieldBytes);
    if (start == nullptr)
        return refuse(load, PictureStatus::cannotOpen, source.failure());
    std::copy_n(start, fieldBytes, h.begin());

    const bool core = infoBytes == coreHeaderBytes;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    std::uint32_t bits = 0;
    if (core) {
        width = le16(&h[18]);
        height = le16(&h[20]);
        planes = le16(&h[22]);
        bits = le16(&h[24]);
    } else {
        width = static_cast<std::int32_t>(le32(&h[18]));
        height = static_cast<std::int32_t>(le32(&h[22]));
        planes = le16(&h[26]);
        bits = le16(&h[28]);
    }
    const std::uint32_t compression = infoBytes >= compressionFrom ? le32(&h[30]) : 0;
    // In 64 bits, so the lowest height negates safely.
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    load.width = width;
    load.height = static_cast<std::int64_t>(rows);
    load.topDown = height < 0;
    load.bitsPerPixel = static_cast<int>(bits);
    load.compression = static_cast<int>(std::min<std::uint32_t>(compression, std::numeric_limits<std::int32_t>::max()));

    if (planes > 1)
        return refuse(load, PictureStatus::notAPicture, "planes is " + std::to_string(planes) + ", not 0 or 1");
    if (width <= 0)
        return refuse(load, PictureStatus::notAPicture, "width " + std::to_string(width) + " is not above 0");
    if (height == 0)
        return refuse(load, PictureStatus::notAPicture, "height is 0");
    if (compression > bitFields)
        return refuse(load, PictureStatus::notAPicture, "unknown compression " + std::to_string(compression));
    if (height < 0 && compression != noCompression && compression != bitFields)
        return refuse(load, PictureStatus::notAPicture,
                      "top-down rows with compression " + std::to_string(compression));
    if (bits > 32)
        return refuse(load, PictureStatus::notAPicture, std::to_string(bits) + " bits per pixel is more than 32");
    if (compression == runLength8 && bits != 8)
        return refuse(load, PictureStatus::notAPicture,
                      "run-length compression 1 is for 8-bit pixels, not " + std::to_string(bits) + "-bit");
    if (compression == runLength4 && bits != 4)
        return refuse(load, PictureStatus::notAPicture,
                      "run-length compression 2 is for 4-bit pixels, not " + std::to_string(bits) + "-bit");
    if (!supportedBits(bits))
        return refuse(load, PictureStatus::notAPicture, std::to_string(bits) + " bits per pixel is not read");
    if (header.pixelOffset == 0)
        return refuse(load, PictureStatus::notAPicture, "the pixel-data offset is 0");

    header.width = width;
    header.rows = rows;
    header.topDown = height < 0;
    header.bits = bits;
    header.compression = compression;
    if (bits <= 8) {
        const std::uint64_t entryBytes = core ? 3 : 4;
        const std::int64_t room = static_cast<std::int64_t>(header.pixelOffset) - static_cast<std::int64_t>(headerEnd);
        const std::uint64_t entries =
            std::min<std::uint64_t>(room > 0 ? static_cast<std::uint64_t>(room) / entryBytes : 0,
                                    std::uint64_t{1} << bits);
        const std::uint64_t paletteBytes = entries * entryBytes;
        if (paletteBytes > size - headerEnd)
            return refuse(load, PictureStatus::endsTooEarly, "the file ends inside its palette");
        header.palette.fill(missingEntry);
        if (entries > 0) {
            const std::uint8_t* p = source.bytes(headerEnd, static_cast<std::size_t>(paletteBytes));
            if (p == nullptr)
                return refuse(load, PictureStatus::cannotOpen, source.failure());
            for (std::uint64_t i = 0; i < entries; ++i, p += entryBytes)
                header.palette[i] = opaque | le24(p);
        }
        return header;
    }
    header.redMask = bits == 16 ? red555 : red888;
    header.greenMask = bits == 16 ? green555 : green888;
    header.blueMask = bits == 16 ? blue555 : blue888;
    if (compression == bitFields) {
        const std::uint8_t* m = &h[54];
        if (infoBytes < headerMasksFrom) {
            if (trailingMaskBytes > size - headerEnd)
                return refuse(load, PictureStatus::endsTooEarly, "the file ends inside its colour masks");
            m = source.bytes(headerEnd, trailingMaskBytes);
            if (m == nullptr)
                return refuse(load, PictureStatus::cannotOpen, source.failure());
        }
        header.redMask = le32(m);
        header.greenMask = le32(m + 4);
        header.blueMask = le32(m + 8);
    }
    header.alphaMask = infoBytes >= headerMasksFrom ? le32(&h[66]) : 0;
    return header;
}

} // namespace orvanel
