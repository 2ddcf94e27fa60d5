// What the window shows, kept by the window thread so that it sends the
// display only what changed: a new frame is compared with it row by row,
// the pixels that differ are copied in, and the changed parts come out as a
// few bands of rows for the window to send.
#pragma once

#include <vector>

#include "letterbox.h"
#include "platform.h"

namespace platform {

class ShownFrame {
public:
    // A frame of width x height pixels, all of them waiting to be sent.
    void reset(int width, int height);

    // Compares rows first..last of the screen (width x height pixels, rows
    // top to bottom) with the frame, copies what differs and remembers it as
    // changed. Touches nothing else.
    void take(const Colour* screen, int first, int last);
    // The same for columns left..right of one row.
    void take(const Colour* screen, int row, int left, int right);

    // Everything is to be sent again (the window lost its contents).
    void markAll();

    // The changed parts since the last clear, as at most maxBands
    // rectangles, top to bottom, none overlapping, each spanning the columns
    // changed in any of its rows. Unchanged rows between two changed
    // stretches join them when that keeps the count down.
    std::vector<Rect> changedBands(int maxBands) const;
    bool anyChanged() const { return anyChanged_; }
    void clearChanged();

    const Colour* pixels() const { return pixels_.data(); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Colour> pixels_;    // what the window shows, once the changes are sent
    std::vector<int> changedLeft_;  // per row: first changed column, width_ when none
    std::vector<int> changedRight_; // per row: last changed column, -1 when none
    bool anyChanged_ = false;       // some row has a changed column
};

} // namespace platform
