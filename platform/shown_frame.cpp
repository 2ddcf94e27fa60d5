#include "shown_frame.h"

#include <algorithm>
#include <cstring>

namespace platform {

void ShownFrame::reset(int width, int height)
{
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0xFF000000u);
    markAll();
}

void ShownFrame::markAll()
{
    changedLeft_.assign(static_cast<std::size_t>(height_), 0);
    changedRight_.assign(static_cast<std::size_t>(height_), width_ - 1);
    anyChanged_ = width_ > 0 && height_ > 0;
}

void ShownFrame::clearChanged()
{
    changedLeft_.assign(static_cast<std::size_t>(height_), width_);
    changedRight_.assign(static_cast<std::size_t>(height_), -1);
    anyChanged_ = false;
}

void ShownFrame::take(const Colour* screen, int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, height_ - 1);
    const auto width = static_cast<std::size_t>(width_);
    for (int y = first; y <= last; ++y) {
        const Colour* from = screen + static_cast<std::size_t>(y) * width;
        Colour* to = pixels_.data() + static_cast<std::size_t>(y) * width;
        // Most rows of most frames are unchanged: one fast comparison each.
        if (std::memcmp(from, to, width * sizeof(Colour)) == 0)
            continue;
        // The row differs somewhere: find where from each end, a block of
        // pixels at a time, then pixel by pixel.
        constexpr std::size_t block = 8;
        constexpr std::size_t blockBytes = block * sizeof(Colour);
        std::size_t left = 0;
        while (left + block <= width && std::memcmp(from + left, to + left, blockBytes) == 0)
            left += block;
        while (from[left] == to[left])
            ++left;
        std::size_t end = width; // one past the last differing pixel
        while (end >= left + block && std::memcmp(from + end - block, to + end - block, blockBytes) == 0)
            end -= block;
        while (from[end - 1] == to[end - 1])
            --end;
        const std::size_t right = end - 1;
        std::copy(from + left, from + end, to + left);
        auto& rowLeft = changedLeft_[static_cast<std::size_t>(y)];
        auto& rowRight = changedRight_[static_cast<std::size_t>(y)];
        rowLeft = std::min(rowLeft, static_cast<int>(left));
        rowRight = std::max(rowRight, static_cast<int>(right));
        anyChanged_ = true;
    }
}

std::vector<Rect> ShownFrame::changedBands(int maxBands) const
{
    // 1. Stretches of consecutive changed rows, each as wide as its widest row.
    struct Band {
        int top, bottom, left, right;
    };
    std::vector<Band> bands;
    for (int y = 0; y < height_; ++y) {
        const int left = changedLeft_[static_cast<std::size_t>(y)];
        const int right = changedRight_[static_cast<std::size_t>(y)];
        if (left > right)
            continue;
        if (!bands.empty() && bands.back().bottom == y - 1) {
            Band& band = bands.back();
            band.bottom = y;
            band.left = std::min(band.left, left);
            band.right = std::max(band.right, right);
        } else {
            bands.push_back({y, y, left, right});
        }
    }
    // 2. Too many: join the two neighbours with the fewest rows between them.
    maxBands = std::max(maxBands, 1);
    while (static_cast<int>(bands.size()) > maxBands) {
        std::size_t closest = 0;
        for (std::size_t i = 1; i + 1 < bands.size(); ++i)
            if (bands[i + 1].top - bands[i].bottom < bands[closest + 1].top - bands[closest].bottom)
                closest = i;
        Band& band = bands[closest];
        const Band& next = bands[closest + 1];
        band.bottom = next.bottom;
        band.left = std::min(band.left, next.left);
        band.right = std::max(band.right, next.right);
        bands.erase(bands.begin() + static_cast<std::ptrdiff_t>(closest) + 1);
    }
    std::vector<Rect> rects;
    rects.reserve(bands.size());
    for (const Band& band : bands)
        rects.push_back({band.left, band.top, band.right - band.left + 1, band.bottom - band.top + 1});
    return rects;
}

} // namespace platform
