#include "picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace orvanel {

namespace {

using platform::Colour;

// File names are cut to this many bytes before opening.
constexpr std::size_t maxNameBytes = 259;
// Files up to this size are read whole with one read; a larger file is read
// a piece at a time, only the header, palette and the visible part of the
// rows that land in the image, so memory never follows the file's size.
constexpr std::uint64_t wholeFileLimit = std::uint64_t{64} << 20;

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

constexpr std::uint32_t noCompression = 0;
constexpr std::uint32_t bitFields = 3;

// The masks used unless the file gives its own.
constexpr std::uint32_t red555 = 0x7C00;
constexpr std::uint32_t green555 = 0x03E0;
constexpr std::uint32_t blue555 = 0x001F;
constexpr std::uint32_t red888 = 0xFF0000;
constexpr std::uint32_t green888 = 0x00FF00;
constexpr std::uint32_t blue888 = 0x0000FF;
constexpr std::uint32_t alpha8888 = 0xFF000000;

constexpr Colour opaque = 0xFF000000;
// What a palette index past the file's entries reads as.
constexpr Colour missingEntry = 0xFF000000;

// The first bytes of the facility's raw image dumps, which this reader does not take.
constexpr std::uint8_t rawDumpKindA = 0xFD;
constexpr std::uint8_t rawDumpKindB = 0xFE;

std::uint32_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t le24(const std::uint8_t* p)
{
    return le16(p) | static_cast<std::uint32_t>(p[2]) << 16;
}

std::uint32_t le32(const std::uint8_t* p)
{
    return le24(p) | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string errnoText(int error)
{
    return std::system_category().message(error);
}

// Where a picture's bytes come from: memory, or a file read piece by piece.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes [offset, offset + length), which the caller has checked lie
    // within size(); nullptr when reading them failed (see failure()). The
    // pointer holds until the next call.
    virtual const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) = 0;
    virtual std::string failure() const { return {}; }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> file) : file_(file) {}
    std::uint64_t size() const override { return file_.size(); }
    const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) override
    {
        if (offset > file_.size() || length > file_.size() - offset)
            return nullptr;
        return file_.data() + offset;
    }

private:
    std::span<const std::uint8_t> file_; // the whole file
};

// Closes a descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }

private:
    int fd_; // the open file, or -1
};

// Reads exactly length bytes at offset; false on an error or an early end
// (the file shrank), with error set (0 for the early end).
bool readAt(int fd, std::uint64_t offset, std::uint8_t* to, std::size_t length, int& error)
{
    while (length > 0) {
        const ssize_t got = ::pread(fd, to, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            return false;
        }
        to += got;
        offset += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t size() const override { return size_; }
    const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) override
    {
        if (offset > size_ || length > size_ - offset)
            return nullptr;
        // The largest piece asked for is one visible row, so this stays small.
        if (buffer_.size() < length)
            buffer_.resize(length);
        int error = 0;
        if (!readAt(fd_, offset, buffer_.data(), length, error)) {
            failure_ = "reading failed at byte " + std::to_string(offset) + ": " +
                       (error != 0 ? errnoText(error) : std::string("the file shrank"));
            return nullptr;
        }
        return buffer_.data();
    }
    std::string failure() const override { return failure_; }

private:
    int fd_;                           // the open file, owned by the caller
    std::uint64_t size_;               // its size when opened
    std::vector<std::uint8_t> buffer_; // the piece last read
    std::string failure_;              // why the last read failed
};

// One colour channel of a bit-field pixel: where it sits, and how its value
// widens to 8 bits (short channels repeat their top bits, long ones lose
// their low bits). Every pixel takes the same branch-free path, with the
// shifts a channel does not need set to do nothing.
struct Channel {
    std::uint32_t shift = 0;      // trailing zero bits of the mask
    std::uint32_t mask = 0;       // the mask moved down by shift
    std::uint32_t up = 0;         // 8 - n for n up to 8 bits
    std::uint32_t downWide = 0;   // n - 8 for n above 8 bits
    std::uint32_t downRepeat = 0; // 2n - 8 for n from 4 to 8 bits...
    std::uint32_t repeatMask = 0; // ...where the repeated bits are kept
    std::uint32_t fill = 0;       // ORed in: 0xFF for an alpha the file does not give

    static Channel fromMask(std::uint32_t fileMask)
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

    static Channel constant(std::uint32_t value)
    {
        Channel c;
        c.fill = value;
        return c;
    }

    std::uint32_t operator()(std::uint32_t pixel) const
    {
        const std::uint32_t v = (pixel >> shift) & mask;
        return ((v << up) >> downWide) | ((v >> downRepeat) & repeatMask) | fill;
    }
};

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

// How one row of file pixels becomes image pixels.
enum class Layout {
    palette1,
    palette4,
    palette8,
    masked16,
    bgr24, // default masks: blue, green, red bytes
    masked24,
    opaque32, // default masks, no alpha
    argb32,   // default masks and alpha in the top byte: stored as it is
    masked32,
};

struct RowDecoder {
    Layout layout = Layout::bgr24;
    std::array<Colour, 256> palette{}; // by index; entries past the file's are missingEntry
    Channel red, green, blue, alpha;

    // The row written never overlaps the bytes read or the decoder itself.
    void decode(const std::uint8_t* __restrict src, Colour* __restrict dst, std::size_t count) const
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
};

bool supportedBits(std::uint32_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

PictureLoad failed(PictureLoad load, PictureStatus status, std::string cause)
{
    load.status = status;
    load.cause = std::move(cause);
    return load;
}

// The image's size when its pixels match it; an inconsistent image takes no pixel.
std::pair<std::uint64_t, std::uint64_t> usableSize(const platform::Image& image)
{
    if (image.width <= 0 || image.height <= 0)
        return {0, 0};
    const auto w = static_cast<std::uint64_t>(image.width);
    const auto h = static_cast<std::uint64_t>(image.height);
    if (w * h > image.pixels.size())
        return {0, 0};
    return {w, h};
}

PictureLoad readBmp(ByteSource& source, platform::Image& image)
{
    PictureLoad load;
    const std::uint64_t size = source.size();
    if (size == 0)
        return failed(load, PictureStatus::notAPicture, "the file is empty");
    constexpr std::uint64_t sizeFieldEnd = fileHeaderBytes + 4;
    const std::uint8_t* start = source.bytes(0, static_cast<std::size_t>(std::min(size, sizeFieldEnd)));
    if (start == nullptr)
        return failed(load, PictureStatus::cannotOpen, source.failure());
    if (start[0] == rawDumpKindA || start[0] == rawDumpKindB)
        return failed(load, PictureStatus::notAPicture, "a raw image dump, which is not read");
    if (start[0] != 'B')
        return failed(load, PictureStatus::notAPicture, "does not start with \"B\"");
    if (size >= 2 && start[1] != 'M')
        return failed(load, PictureStatus::notAPicture, "the signature is not \"BM\"");
    if (size < sizeFieldEnd)
        return failed(load, PictureStatus::endsTooEarly, "the file ends inside its header");
    const std::uint32_t pixelOffset = le32(start + 10);
    const std::uint32_t infoBytes = le32(start + 14);
    if (infoBytes != coreHeaderBytes && infoBytes < shortestLongHeaderBytes)
        return failed(load, PictureStatus::notAPicture,
                      "info header size " + std::to_string(infoBytes) + " is not 12 or at least 16");
    const std::uint64_t headerEnd = fileHeaderBytes + infoBytes;
    if (headerEnd > size)
        return failed(load, PictureStatus::endsTooEarly, "the file ends inside its info header");

    // A copy of the fields, zero past the header's end.
    std::array<std::uint8_t, headerFieldBytes> h{};
    const auto fieldBytes = static_cast<std::size_t>(std::min<std::uint64_t>(headerEnd, headerFieldBytes));
    start = source.bytes(0, fieldBytes);
    if (start == nullptr)
        return failed(load, PictureStatus::cannotOpen, source.failure());
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
        return failed(load, PictureStatus::notAPicture, "planes is " + std::to_string(planes) + ", not 0 or 1");
    if (width <= 0)
        return failed(load, PictureStatus::notAPicture, "width " + std::to_string(width) + " is not above 0");
    if (height == 0)
        return failed(load, PictureStatus::notAPicture, "height is 0");
    if (compression > bitFields)
        return failed(load, PictureStatus::notAPicture, "unknown compression " + std::to_string(compression));
    if (height < 0 && compression != noCompression && compression != bitFields)
        return failed(load, PictureStatus::notAPicture,
                      "top-down rows with compression " + std::to_string(compression));
    if (bits > 32)
        return failed(load, PictureStatus::notAPicture, std::to_string(bits) + " bits per pixel is more than 32");
    if (compression != noCompression && compression != bitFields)
        return failed(load, PictureStatus::notAPicture, "run-length compressed pixels are not read");
    if (!supportedBits(bits))
        return failed(load, PictureStatus::notAPicture, std::to_string(bits) + " bits per pixel is not read");
    if (pixelOffset == 0)
        return failed(load, PictureStatus::notAPicture, "the pixel-data offset is 0");

    RowDecoder decoder;
    if (bits <= 8) {
        const std::uint64_t entryBytes = core ? 3 : 4;
        const std::int64_t room = static_cast<std::int64_t>(pixelOffset) - static_cast<std::int64_t>(headerEnd);
        const std::uint64_t entries =
            std::min<std::uint64_t>(room > 0 ? static_cast<std::uint64_t>(room) / entryBytes : 0,
                                    std::uint64_t{1} << bits);
        const std::uint64_t paletteBytes = entries * entryBytes;
        if (paletteBytes > size - headerEnd)
            return failed(load, PictureStatus::endsTooEarly, "the file ends inside its palette");
        decoder.palette.fill(missingEntry);
        if (entries > 0) {
            const std::uint8_t* p = source.bytes(headerEnd, static_cast<std::size_t>(paletteBytes));
            if (p == nullptr)
                return failed(load, PictureStatus::cannotOpen, source.failure());
            for (std::uint64_t i = 0; i < entries; ++i, p += entryBytes)
                decoder.palette[i] = opaque | le24(p);
        }
        decoder.layout = bits == 1 ? Layout::palette1 : bits == 4 ? Layout::palette4 : Layout::palette8;
    } else {
        std::uint32_t r = bits == 16 ? red555 : red888;
        std::uint32_t g = bits == 16 ? green555 : green888;
        std::uint32_t b = bits == 16 ? blue555 : blue888;
        if (compression == bitFields) {
            const std::uint8_t* m = &h[54];
            if (infoBytes < headerMasksFrom) {
                if (trailingMaskBytes > size - headerEnd)
                    return failed(load, PictureStatus::endsTooEarly, "the file ends inside its colour masks");
                m = source.bytes(headerEnd, trailingMaskBytes);
                if (m == nullptr)
                    return failed(load, PictureStatus::cannotOpen, source.failure());
            }
            r = le32(m);
            g = le32(m + 4);
            b = le32(m + 8);
        }
        const std::uint32_t a = infoBytes >= headerMasksFrom ? le32(&h[66]) : 0;
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
    }

    // Widths below 2^31 and at most 32 bits a pixel keep these below 2^37.
    const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * bits;
    const std::uint64_t rowBytes = (rowBits + 7) / 8;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    // Rows count as present when all their pixels are, the padding after the
    // last one aside; found from the size alone, so dropped rows are never read.
    std::uint64_t completeRows = 0;
    if (size >= pixelOffset && size - pixelOffset >= rowBytes)
        completeRows = std::min(rows, (size - pixelOffset - rowBytes) / stride + 1);

    const auto [imageWidth, imageHeight] = usableSize(image);
    const std::uint64_t columns = std::min(imageWidth, static_cast<std::uint64_t>(width));
    const std::uint64_t visibleRows = std::min(imageHeight, rows);
    const auto visibleBytes = static_cast<std::size_t>((columns * bits + 7) / 8);
    // File rows in the order the file holds them; a bottom-up file keeps
    // the image's rows at its end.
    const std::uint64_t firstFileRow = load.topDown ? 0 : rows - visibleRows;
    const std::uint64_t endFileRow = std::min(firstFileRow + visibleRows, completeRows);

    std::string readFailure;
    platform::lockScreen();
    for (std::uint64_t fileRow = firstFileRow; fileRow < endFileRow && columns > 0; ++fileRow) {
        // fileRow is below completeRows, so this offset lies within the file.
        const std::uint8_t* src = source.bytes(pixelOffset + fileRow * stride, visibleBytes);
        if (src == nullptr) {
            readFailure = source.failure();
            break;
        }
        const std::uint64_t imageRow = load.topDown ? fileRow : rows - 1 - fileRow;
        decoder.decode(src, image.pixels.data() + imageRow * imageWidth, static_cast<std::size_t>(columns));
        ++load.rowsPlaced;
    }
    platform::unlockScreen();

    if (!readFailure.empty())
        return failed(load, PictureStatus::cannotOpen, readFailure);
    if (completeRows < rows)
        return failed(load, PictureStatus::endsTooEarly,
                      "the file ends after " + std::to_string(completeRows) + " of its " + std::to_string(rows) +
                          " pixel rows");
    load.status = PictureStatus::loaded;
    return load;
}

} // namespace

const char* inWords(PictureStatus status)
{
    switch (status) {
    case PictureStatus::loaded: return "loaded";
    case PictureStatus::cannotOpen: return "cannot be opened";
    case PictureStatus::notAPicture: return "not a picture the game reads";
    case PictureStatus::endsTooEarly: return "ends too early";
    }
    return "unreadable";
}

int resultCode(PictureStatus status)
{
    switch (status) {
    case PictureStatus::loaded: return 0;
    case PictureStatus::cannotOpen: return 2;
    case PictureStatus::notAPicture:
    case PictureStatus::endsTooEarly: break;
    }
    return 3;
}

PictureLoad loadPicture(const std::string& fileName, platform::Image& image)
{
    PictureLoad load;
    const std::string name = fileName.substr(0, std::min(fileName.size(), maxNameBytes));
    // Non-blocking, so a named pipe cannot hold the game up at the open.
    const FileHandle file(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.fd() < 0)
        return failed(load, PictureStatus::cannotOpen, errnoText(errno));
    struct stat info {};
    if (::fstat(file.fd(), &info) != 0)
        return failed(load, PictureStatus::cannotOpen, errnoText(errno));
    if (S_ISDIR(info.st_mode))
        return failed(load, PictureStatus::cannotOpen, "it is a directory");
    // Devices and pipes have no size to trust and may never end.
    if (!S_ISREG(info.st_mode))
        return failed(load, PictureStatus::cannotOpen, "it is not a regular file");
    const auto size = static_cast<std::uint64_t>(info.st_size);

    if (size > wholeFileLimit) {
        FileSource source(file.fd(), size);
        return readBmp(source, image);
    }
    // Not zero-filled: every byte used is one read from the file.
    const auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(file.fd(), bytes.get() + got, static_cast<std::size_t>(size) - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed(load, PictureStatus::cannotOpen, "reading failed: " + errnoText(errno));
        // A file that shrank since its size was taken is what is there now.
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    MemorySource source(std::span<const std::uint8_t>(bytes.get(), got));
    return readBmp(source, image);
}

PictureLoad loadPictureFromMemory(std::span<const std::uint8_t> file, platform::Image& image)
{
    MemorySource source(file);
    return readBmp(source, image);
}

} // namespace orvanel
