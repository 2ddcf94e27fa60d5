// Arbitrary bytes as a picture file: the reader must answer every input with
// a consistent result, touch nothing outside the picture's overlap with the
// 720 x 480 image, and read the same bytes the same way from memory, from a
// file read whole and from a file read piece by piece (the limit above
// which files are read in pieces is lowered to 0 for that). Any breach
// aborts, which libFuzzer reports with the input.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "picture.h"
#include "platform.h"
#include "rules.h"

namespace orvanel {
namespace {

// The images the game loads into.
constexpr int imageWidth = screenWidth;
constexpr int imageHeight = screenHeight;
constexpr platform::Colour magenta = 0xFFFF00FFu;
// One input in this many (chosen by its bytes, so a rerun checks the same
// ones) is also read through a file into fresh images, whole and in pieces,
// and compared.
constexpr std::uint32_t compareOneIn = 16;
// The whole-read limit that makes every file with a byte in it be read
// piece by piece.
constexpr std::uint64_t piecesAlways = 0;

platform::Image magentaImage()
{
    return platform::Image{imageWidth, imageHeight,
                           std::vector<platform::Colour>(std::size_t{imageWidth} * imageHeight, magenta)};
}

const std::vector<platform::Colour>& magentaRow()
{
    static const std::vector<platform::Colour> row(imageWidth, magenta);
    return row;
}

platform::Colour* rowOf(platform::Image& image, int y)
{
    return image.pixels.data() + static_cast<std::ptrdiff_t>(y) * imageWidth;
}

[[noreturn]] void breach(const char* what, const PictureLoad& load)
{
    std::fprintf(stderr, "picture fuzz: %s (status %d, cause \"%s\", %lld x %lld, %d bits, %d rows placed)\n", what,
                 static_cast<int>(load.status), load.cause.c_str(), static_cast<long long>(load.width),
                 static_cast<long long>(load.height), load.bitsPerPixel, load.rowsPlaced);
    std::abort();
}

// What every result must satisfy, whatever the bytes.
void checkResult(const PictureLoad& load)
{
    if ((load.status == PictureStatus::loaded) != load.cause.empty())
        breach("a failure without a cause, or a load with one", load);
    if (load.rowsPlaced < 0 || load.rowsPlaced > imageHeight || load.rowsPlaced > load.height)
        breach("more rows placed than the image or the picture has", load);
    if (load.status == PictureStatus::notAPicture && load.rowsPlaced != 0)
        breach("rows placed from a file that is not a picture", load);
    if (load.status == PictureStatus::loaded && load.rowsPlaced != std::min<std::int64_t>(imageHeight, load.height))
        breach("a load that did not place every visible row", load);
}

// Columns right of the picture stay magenta, and at least the rows not
// placed do too. Puts the magenta back, for the next input.
void checkUntouchedAndReset(platform::Image& image, const PictureLoad& load)
{
    const std::int64_t columns = load.rowsPlaced > 0 ? std::min<std::int64_t>(imageWidth, load.width) : 0;
    const platform::Colour* magentaPixels = magentaRow().data();
    const std::size_t rowBytes = imageWidth * sizeof(platform::Colour);
    int magentaRows = 0;
    for (int y = 0; y < imageHeight; ++y) {
        platform::Colour* row = rowOf(image, y);
        if (std::memcmp(row, magentaPixels, rowBytes) == 0) {
            ++magentaRows;
            continue;
        }
        if (std::memcmp(row + columns, magentaPixels, (imageWidth - columns) * sizeof(platform::Colour)) != 0)
            breach("a pixel changed outside the picture's columns", load);
        std::memcpy(row, magentaPixels, rowBytes);
    }
    if (magentaRows < imageHeight - load.rowsPlaced)
        breach("more rows changed than were placed", load);
}

std::uint32_t hashOf(std::span<const std::uint8_t> bytes)
{
    std::uint32_t hash = 2166136261u;
    for (const std::uint8_t b : bytes)
        hash = (hash ^ b) * 16777619u;
    return hash;
}

// A file of this process's own for the file path, removed at exit. A plain
// array, so it is still there when the exit handler runs.
const char* scratchPath()
{
    static char path[] = "/tmp/orvanel-fuzz-XXXXXX";
    static const bool made = [] {
        const int fd = ::mkstemp(path);
        if (fd < 0) {
            std::perror("picture fuzz: mkstemp");
            std::abort();
        }
        ::close(fd);
        std::atexit([] { ::unlink(path); });
        return true;
    }();
    return made ? path : nullptr;
}

bool writeScratch(std::span<const std::uint8_t> bytes)
{
    const int fd = ::open(scratchPath(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

// Loads the bytes through the scratch file with the given whole-read limit
// into image, and checks that it read as the memory load did.
void compareFileRead(const PictureLoad& memoryLoad, const platform::Image& fromMemory, platform::Image& image,
                     std::uint64_t wholeLimit)
{
    const PictureLoad fileLoad = loadPicture(scratchPath(), image, wholeLimit);
    checkResult(fileLoad);
    if (fileLoad.status != memoryLoad.status || fileLoad.cause != memoryLoad.cause ||
        fileLoad.rowsPlaced != memoryLoad.rowsPlaced || fileLoad.width != memoryLoad.width ||
        fileLoad.fix != memoryLoad.fix || fileLoad.height != memoryLoad.height ||
        fileLoad.topDown != memoryLoad.topDown || fileLoad.bitsPerPixel != memoryLoad.bitsPerPixel ||
        fileLoad.compression != memoryLoad.compression)
        breach(wholeLimit == piecesAlways ? "the piecewise file read differs from the memory read"
                                          : "the file read differs from the memory read",
               fileLoad);
    if (image.pixels != fromMemory.pixels)
        breach(wholeLimit == piecesAlways ? "the piecewise file read placed other pixels than the memory read"
                                          : "the file read placed other pixels than the memory read",
               fileLoad);
    checkUntouchedAndReset(image, fileLoad);
}

void compareWithFile(std::span<const std::uint8_t> bytes)
{
    // Magenta between uses: each use puts it back.
    static platform::Image fromMemory = magentaImage();
    static platform::Image fromFile = magentaImage();
    const PictureLoad memoryLoad = loadPictureFromMemory(bytes, fromMemory);
    if (writeScratch(bytes)) {
        compareFileRead(memoryLoad, fromMemory, fromFile, platform::wholeReadLimit);
        compareFileRead(memoryLoad, fromMemory, fromFile, piecesAlways);
    }
    checkUntouchedAndReset(fromMemory, memoryLoad);
}

} // namespace
} // namespace orvanel

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orvanel;
    const std::span<const std::uint8_t> bytes(data, size);
    // Reused across inputs, as the game's image outlives its load.
    static platform::Image image = magentaImage();
    const PictureLoad load = loadPictureFromMemory(bytes, image);
    checkResult(load);
    if (hashOf(bytes) % compareOneIn == 0)
        compareWithFile(bytes);
    return 0;
}
