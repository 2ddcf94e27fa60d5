// Reading the game's BMP pictures into images: the decoder over any bytes,
// and the load operations around it that open the file and hold the screen
// lock.
//
// What the reader takes beyond the strict rules, and its choices where the
// rules leave them open:
//  - A file whose first bytes are the signature of a PNG, JPEG, GIF, WebP
//    or TIFF picture is named as such in the cause, and refused with 3.
//  - Raw image dumps (first byte 0xFD or 0xFE) are named as such and refused
//    with 3.
//  - A palette index past the entries the file's palette holds reads
//    0xFF000000, opaque black.
//  - A pixel-data offset that points into the info header means a palette of
//    0 entries; the rows are read from wherever the offset points.
//  - Compression 3 with 1, 4 or 8 bits per pixel is read as uncompressed
//    palette pixels; the masks are ignored.
//  - A file missing only the padding after its last row counts as loaded.
//  - Run-length compressed pixels are read: compression 1 with 8 bits per
//    pixel and 2 with 4 bits, bottom row first, with every escape (end of
//    line, end of picture, a move, literal runs and their padding byte).
//    Pixels the runs skip keep what the image held (its magenta fill). A run
//    or move past the row's end or the picture's top is clipped, never
//    wrapped into the next row. Other bit counts with compression 1 or 2,
//    and compression 1 or 2 with rows stored top row first, give 3.
//  - A run-length file that ends before its end-of-picture mark gives 3 and
//    keeps the pixels placed; what follows the mark is not read.
//  - Bit counts other than 1, 4, 8, 16, 24 and 32 and a pixel-data offset of
//    0 are refused with 3.
//  - A directory, a device or a pipe gives 2 without being read, at once.
//  - An empty file gives 3.
//  - A file that ends inside its header, palette or masks gives 3 with no
//    pixel changed.
//  - A read that fails partway gives 2, keeping the rows placed before it.
//  - A file that shrinks while it is read is read as far as it goes.
//  - Files above 64 MiB are read piece by piece: only the headers and the
//    rows that land in the image (for run-length pixels, everything up to
//    the end-of-picture mark, 64 KiB at a time), so memory stays small for
//    any size.
//  - An image whose pixels do not match its size takes no pixel.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "file_source.h"
#include "platform.h"

namespace orvanel {

// How a load ended.
enum class PictureStatus {
    loaded,       // every visible pixel placed
    cannotOpen,   // the file could not be opened or read
    notAPicture,  // not a BMP this reader takes; no pixel changed
    endsTooEarly, // the file ends before its last pixel row (or end-of-picture mark); what came before stays
};

// What would make a refused file load, where something would.
enum class PictureFix {
    none,
    saveAs24Bit,    // save or export the picture again as a 24-bit BMP
    saveAgainWhole, // the file is cut short: copy or export it again in full
    putAFileThere,  // no readable file of that name: put a BMP picture there
};

// What a load found out, for the game and for the picture checker.
struct PictureLoad {
    PictureStatus status = PictureStatus::cannotOpen;
    std::string cause;                 // why it failed, in a few words; empty when loaded
    PictureFix fix = PictureFix::none; // what would load instead
    std::int64_t width = 0;            // as the header says, 0 when not read
    std::int64_t height = 0;           // row count, always positive; see topDown
    bool topDown = false;              // rows stored top row first (negative height)
    int bitsPerPixel = 0;
    int compression = 0;
    int rowsPlaced = 0; // image rows written
};

// The result code of the load: 0 loaded, 2 cannot be opened, 3 otherwise.
int resultCode(PictureStatus status);

// The result as a player reads it: "loaded", "cannot be opened", "not a
// picture the game reads" or "ends too early".
const char* inWords(PictureStatus status);

// Decodes the BMP file in source into the existing image (the overlap of
// the two only). Takes no lock and makes no system call of its own.
PictureLoad decodePicture(platform::ByteSource& source, platform::Image& image);

// Loads the named BMP file into the existing image, decoding under the
// screen lock. The name is cut to 259 bytes; a file above wholeLimit bytes
// is read piece by piece.
PictureLoad loadPicture(const std::string& fileName, platform::Image& image,
                        std::uint64_t wholeLimit = platform::wholeReadLimit);

// The same from bytes already in memory.
PictureLoad loadPictureFromMemory(std::span<const std::uint8_t> file, platform::Image& image);

} // namespace orvanel
