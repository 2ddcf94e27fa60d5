// Placing run-length compressed BMP pixels (compression 1 with 8 bits per
// pixel, 2 with 4 bits) in an image.
#pragma once

#include <cstdint>

#include "bmp_header.h"
#include "file_source.h"
#include "picture.h"
#include "platform.h"

namespace orvanel {

// Decodes the runs from the pixel-data offset on into the image of
// imageWidth x imageHeight pixels, bottom row first, until the
// end-of-picture mark. Pixels the runs skip keep what the image held; runs
// and moves past the row's end or the picture's edge are clipped, never
// wrapped. Sets load's status, cause and rows placed. Work and memory are
// bounded by the file's size and the image, whatever the runs say.
void placeRunLength(platform::ByteSource& source, const BmpHeader& header, platform::Colour* pixels,
                    std::uint64_t imageWidth, std::uint64_t imageHeight, PictureLoad& load);

} // namespace orvanel
