// Draws the screen's picture into its letterbox rectangle at any size while
// keeping every pixel the same size to the eye: each window pixel is the
// average of the picture pixels it covers, so when enlarging by a fraction a
// picture pixel's edge blends over one window pixel, where nearest-pixel
// stretching would make some strokes a whole pixel wider than others. A
// whole-number scale is an exact copy of each pixel. Only the window pixels
// that depend on changed picture pixels need drawing again.
#pragma once

#include <cstdint>
#include <vector>

#include "letterbox.h"
#include "platform.h"

namespace platform {

class PictureScaler {
public:
    // For a picture of pictureWidth x pictureHeight drawn into an area of
    // width x height window pixels.
    void setUp(int pictureWidth, int pictureHeight, int width, int height);

    // The area's pixels (relative to its top-left corner) that depend on the
    // picture's columns left..right and rows top..bottom.
    Rect affected(int left, int top, int right, int bottom) const;

    // Draws the area's pixels of `region` (relative to the area) from the
    // picture (rows of pictureWidth values) into `area`, which points at the
    // area's top-left pixel in 32-bit pixels laid out as 0x??RRGGBB with
    // `pitch` bytes from one row to the next.
    void draw(const Colour* picture, const Rect& region, std::uint8_t* area, int pitch) const;

private:
    // One axis of one area pixel: the first picture pixel it covers and that
    // one's share of it, out of 256; the next picture pixel has the rest.
    struct Tap {
        int first = 0;
        std::uint32_t weight = 256;
    };
    // The taps of an axis, and for each picture pixel the first and last
    // area pixel that depend on it.
    struct Axis {
        std::vector<Tap> taps;
        std::vector<int> firstUser;
        std::vector<int> lastUser;
        void setUp(int pictureSize, int areaSize);
    };

    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    Axis columns_;
    Axis rows_;
};

} // namespace platform
