#include "scaler.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {

constexpr std::uint32_t wholeWeight = 256;

// a and b blended, a taking weight out of 256, rounded; opaque. Red and blue
// go together, 16 bits apart, so no channel carries into the next.
Colour blend(Colour a, Colour b, std::uint32_t weight)
{
    const std::uint32_t other = wholeWeight - weight;
    const std::uint32_t redBlue = ((a & 0x00FF00FFu) * weight + (b & 0x00FF00FFu) * other + 0x00800080u) >> 8;
    const std::uint32_t green = ((a & 0x0000FF00u) * weight + (b & 0x0000FF00u) * other + 0x00008000u) >> 8;
    return 0xFF000000u | (redBlue & 0x00FF00FFu) | (green & 0x0000FF00u);
}

} // namespace

void PictureScaler::Axis::setUp(int pictureSize, int areaSize)
{
    taps.assign(static_cast<std::size_t>(std::max(areaSize, 0)), Tap{});
    firstUser.assign(static_cast<std::size_t>(std::max(pictureSize, 0)), areaSize);
    lastUser.assign(static_cast<std::size_t>(std::max(pictureSize, 0)), -1);
    if (pictureSize <= 0 || areaSize <= 0)
        return;
    const auto s = static_cast<std::int64_t>(pictureSize);
    const auto d = static_cast<std::int64_t>(areaSize);
    for (std::int64_t i = 0; i < d; ++i) {
        // Area pixel i covers picture span [i * s / d, (i + 1) * s / d); in
        // units of 1/d picture pixel that is [i * s, (i + 1) * s).
        const std::int64_t first = i * s / d;
        Tap tap{static_cast<int>(first), wholeWeight};
        if (d > s && first + 1 < s) {
            // Enlarging: the span holds at most two picture pixels.
            const std::int64_t share = std::min((i + 1) * s, (first + 1) * d) - i * s;
            tap.weight = static_cast<std::uint32_t>((share * wholeWeight + s / 2) / s);
        }
        taps[static_cast<std::size_t>(i)] = tap;
        const auto user = static_cast<int>(i);
        const auto uses = [&](std::int64_t p) {
            auto& firstOf = firstUser[static_cast<std::size_t>(p)];
            auto& lastOf = lastUser[static_cast<std::size_t>(p)];
            firstOf = std::min(firstOf, user);
            lastOf = std::max(lastOf, user);
        };
        uses(first);
        if (tap.weight < wholeWeight)
            uses(first + 1);
    }
    // Picture pixels no area pixel samples (when shrinking) borrow their
    // neighbours' users, so a change there still redraws its surroundings.
    for (std::size_t p = 1; p < firstUser.size(); ++p)
        if (lastUser[p] < 0) {
            firstUser[p] = firstUser[p - 1];
            lastUser[p] = lastUser[p - 1];
        }
}

void PictureScaler::setUp(int pictureWidth, int pictureHeight, int width, int height)
{
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;
    columns_.setUp(pictureWidth, width);
    rows_.setUp(pictureHeight, height);
}

Rect PictureScaler::affected(int left, int top, int right, int bottom) const
{
    left = std::clamp(left, 0, pictureWidth_ - 1);
    right = std::clamp(right, left, pictureWidth_ - 1);
    top = std::clamp(top, 0, pictureHeight_ - 1);
    bottom = std::clamp(bottom, top, pictureHeight_ - 1);
    const int x0 = columns_.firstUser[static_cast<std::size_t>(left)];
    const int x1 = columns_.lastUser[static_cast<std::size_t>(right)];
    const int y0 = rows_.firstUser[static_cast<std::size_t>(top)];
    const int y1 = rows_.lastUser[static_cast<std::size_t>(bottom)];
    if (x0 > x1 || y0 > y1)
        return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

void PictureScaler::draw(const Colour* picture, const Rect& region, std::uint8_t* area, int pitch) const
{
    // 1. Each picture row the region needs is stretched across once, into
    //    one of two rows kept for it; 2. each area row blends the one or two
    //    stretched rows it covers.
    const auto width = static_cast<std::size_t>(pictureWidth_);
    const auto columns = static_cast<std::size_t>(std::max(region.w, 0));
    std::vector<Colour> stretched[2] = {std::vector<Colour>(columns), std::vector<Colour>(columns)};
    int stretchedRow[2] = {-1, -1};
    const auto stretch = [&](int pictureRow) -> const Colour* {
        for (int k = 0; k < 2; ++k)
            if (stretchedRow[k] == pictureRow)
                return stretched[k].data();
        // Replace the row the area has passed: rows only go down.
        const int k = stretchedRow[0] < stretchedRow[1] ? 0 : 1;
        stretchedRow[k] = pictureRow;
        const Colour* from = picture + static_cast<std::size_t>(pictureRow) * width;
        Colour* to = stretched[k].data();
        for (std::size_t i = 0; i < columns; ++i) {
            const Tap& column = columns_.taps[static_cast<std::size_t>(region.x) + i];
            const auto left = static_cast<std::size_t>(column.first);
            to[i] = column.weight == wholeWeight ? from[left] | 0xFF000000u
                                                 : blend(from[left], from[left + 1], column.weight);
        }
        return to;
    };
    for (int y = region.y; y < region.y + region.h; ++y) {
        const Tap& row = rows_.taps[static_cast<std::size_t>(y)];
        auto* out = reinterpret_cast<std::uint32_t*>(area + static_cast<std::ptrdiff_t>(y) * pitch) + region.x;
        const Colour* upper = stretch(row.first);
        if (row.weight == wholeWeight) {
            std::copy_n(upper, columns, out);
            continue;
        }
        // Stretching the lower row replaces the older of the two kept, never
        // upper's: the other kept row is below upper's or is that very row.
        const Colour* lower = stretch(row.first + 1);
        for (std::size_t i = 0; i < columns; ++i)
            out[i] = blend(upper[i], lower[i], row.weight);
    }
}

} // namespace platform
