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
    for (int row = std::max(first, 0); row <= std::min(last, height_ - 1); ++row)
        take(screen, row, 0, width_ - 1);
}

void ShownFrame::take(const Colour* screen, int row, int left, int right)
{
    if (row < 0 || row >= height_)
        return;
    left = std::max(left, 0);
    right = std::min(right, width_ - 1);
    if (left > right)
        return;
    const std::size_t start = static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
    const Colour* from = screen + start;
    Colour* to = pixels_.data() + start;
    auto begin = static_cast<std::size_t>(left);
    auto end = static_cast<std::size_t>(right) + 1;
    // Mostly what was drawn is what the window shows: one fast comparison.
    if (std::memcmp(from + begin, to + begin, (end - begin) * sizeof(Colour)) == 0)
        return;
    // It differs somewhere: find where from each end, a block of pixels at
    // a time, then pixel by pixel.
    constexpr std::size_t block = 8;
    constexpr std::size_t blockBytes = block * sizeof(Colour);
    while (begin + block <= end && std::memcmp(from + begin, to + begin, blockBytes) == 0)
        begin += block;
    while (from[begin] == to[begin])
        ++begin;
    while (end >= begin + block && std::memcmp(from + end - block, to + end - block, blockBytes) == 0)
        end -= block;
    while (from[end - 1] == to[end - 1])
        --end;
    std::copy(from + begin, from + end, to + begin);
    auto& rowLeft = changedLeft_[static_cast<std::size_t>(row)];
    auto& rowRight = changedRight_[static_cast<std::size_t>(row)];
    rowLeft = std::min(rowLeft, static_cast<int>(begin));
    rowRight = std::max(rowRight, static_cast<int>(end) - 1);
    anyChanged_ = true;
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
