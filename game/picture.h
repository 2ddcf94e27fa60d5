// Reading the game's BMP pictures into images.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform.h"

namespace orvanel {

// How a load ended.
enum class PictureStatus {
    loaded,       // every visible pixel placed
    cannotOpen,   // the file could not be opened or read
    notAPicture,  // not a BMP this reader takes; no pixel changed
    endsTooEarly, // the file ends before its last pixel row; the complete rows before that stay
};

// What a load found out, for the game and for the picture checker.
struct PictureLoad {
    PictureStatus status = PictureStatus::cannotOpen;
    std::string cause;       // why it failed, in a few words; empty when loaded
    std::int64_t width = 0;  // as the header says, 0 when not read
    std::int64_t height = 0; // row count, always positive; see topDown
    bool topDown = false;    // rows stored top row first (negative height)
    int bitsPerPixel = 0;
    int compression = 0;
    int rowsPlaced = 0; // image rows written
};

// The result code of the load: 0 loaded, 2 cannot be opened, 3 otherwise.
int resultCode(PictureStatus status);

// The result as a player reads it: "loaded", "cannot be opened", "not a
// picture the game reads" or "ends too early".
const char* inWords(PictureStatus status);

// Loads the named BMP file into the existing image (the overlap of the two
// only), under the screen lock. The name is cut to 259 bytes.
PictureLoad loadPicture(const std::string& fileName, platform::Image& image);

// The same from bytes already in memory.
PictureLoad loadPictureFromMemory(std::span<const std::uint8_t> file, platform::Image& image);

} // namespace orvanel
