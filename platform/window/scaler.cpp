#include "scaler.h"

#include <algorithm>

namespace platform {

namespace {

constexpr std::uint32_t wholeWeight = 256;

// The blend of two pixels' colour channels, a taking weight of 256.
std::uint32_t mix(Colour a, Colour b, std::uint32_t weight, int shift)
{
    return ((a >> shift & 0xFF) * weight + (b >> shift & 0xFF) * (wholeWeight - weight));
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
    const auto width = static_cast<std::size_t>(pictureWidth_);
    for (int y = region.y; y < region.y + region.h; ++y) {
        const Tap& row = rows_.taps[static_cast<std::size_t>(y)];
        const Colour* upper = picture + static_cast<std::size_t>(row.first) * width;
        const Colour* lower = row.weight < wholeWeight ? upper + width : upper;
        auto* out = reinterpret_cast<std::uint32_t*>(area + static_cast<std::ptrdiff_t>(y) * pitch);
        for (int x = region.x; x < region.x + region.w; ++x) {
            const Tap& column = columns_.taps[static_cast<std::size_t>(x)];
            const auto left = static_cast<std::size_t>(column.first);
            const std::size_t right = column.weight < wholeWeight ? left + 1 : left;
            if (row.weight == wholeWeight && column.weight == wholeWeight) {
                out[x] = upper[left] | 0xFF000000u;
                continue;
            }
            Colour blended = 0xFF000000u;
            for (const int shift : {16, 8, 0}) {
                const std::uint32_t top = mix(upper[left], upper[right], column.weight, shift);
                const std::uint32_t bottom = mix(lower[left], lower[right], column.weight, shift);
                const std::uint32_t value = (top * row.weight + bottom * (wholeWeight - row.weight) + 32768) >> 16;
                blended |= value << shift;
            }
            out[x] = blended;
        }
    }
}

} // namespace platform
