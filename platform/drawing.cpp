// The drawing operations and the pixel read: what the game draws a frame
// with, each clipped to the screen and locking it in the nested way.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "facility.h"
#include "font.h"

namespace platform {

namespace {

// Points far beyond any screen are clamped here, so pixel arithmetic stays
// well inside 64 bits; NaN goes there too and draws nothing.
constexpr double farAway = 1e12;

// Rounds a coordinate to a whole pixel, halves away from zero.
std::int64_t toPixel(float v)
{
    const double d = v;
    if (!(d > -farAway && d < farAway))
        return static_cast<std::int64_t>(d > 0 ? farAway : -farAway);
    return static_cast<std::int64_t>(d > 0 ? d + 0.5 : d - 0.5);
}

// trunc toward zero of a column, kept within [lo - 1, hi + 1].
std::int64_t clampedTrunc(double v, std::int64_t lo, std::int64_t hi)
{
    if (!(v > static_cast<double>(lo - 1)))
        return lo - 1;
    if (!(v < static_cast<double>(hi + 1)))
        return hi + 1;
    return static_cast<std::int64_t>(v);
}

} // namespace

void putImage(float x, float y, const Image& image)
{
    Facility& f = facility();
    NestedLock lock;
    const std::int64_t left = toPixel(x);
    const std::int64_t top = toPixel(y);
    // The overlap of the image with the screen, in screen coordinates.
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t x1 = std::min<std::int64_t>(left + image.width, f.shared.width);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t y1 = std::min<std::int64_t>(top + image.height, f.shared.height);
    if (x0 >= x1 || y0 >= y1)
        return;
    const auto columns = static_cast<std::size_t>(x1 - x0);
    for (std::int64_t row = y0; row < y1; ++row) {
        // 1. What to copy: a row that holds this very run of the image (the
        //    image unchanged since) lacks only what was drawn over it since;
        //    mostly the scene goes over itself, and a frame costs little more
        //    than restoring where the discs and labels were.
        RowSource& held = f.rowSources[static_cast<std::size_t>(row)];
        RowSpan& drawnOver = f.drawnOver[static_cast<std::size_t>(row)];
        const RowSource run{image.pixels.version(), row - top, left, static_cast<std::int64_t>(columns)};
        std::int64_t from = x0;
        std::int64_t to = x1 - 1;
        if (held == run) {
            if (drawnOver.empty())
                continue;
            from = std::max<std::int64_t>(from, drawnOver.left);
            to = std::min<std::int64_t>(to, drawnOver.right);
        }
        held = run;
        drawnOver = RowSpan{};
        if (from > to)
            continue;
        // 2. Reading both costs less than writing, and pixels left as they
        //    were need no look from the window.
        const auto count = static_cast<std::size_t>(to - from + 1);
        const Colour* source = image.pixels.data() + (row - top) * image.width + (from - left);
        Colour* target = f.shared.pixels.data() + row * f.shared.width + from;
        if (std::memcmp(source, target, count * sizeof(Colour)) == 0)
            continue;
        std::copy_n(source, count, target);
        f.shared.noteRewritten(static_cast<int>(row), static_cast<int>(from), static_cast<int>(to));
    }
    f.shared.markRows(static_cast<int>(y0), static_cast<int>(y1 - 1));
}

void drawText(float x, float y, std::string_view text, Colour colour)
{
    Facility& f = facility();
    NestedLock lock;
    const std::int64_t left = toPixel(x);
    const std::int64_t top = toPixel(y);
    if (top + 8 <= 0 || top >= f.shared.height)
        return;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const std::int64_t cellLeft = left + 8 * static_cast<std::int64_t>(k);
        if (cellLeft >= f.shared.width)
            break;
        if (cellLeft + 8 <= 0)
            continue;
        const Glyph& glyph = glyphFor(static_cast<unsigned char>(text[k]));
        for (int row = 0; row < 8; ++row) {
            const std::int64_t sy = top + row;
            if (sy < 0 || sy >= f.shared.height)
                continue;
            for (int column = 0; column < 8; ++column) {
                const std::int64_t sx = cellLeft + column;
                if ((glyph[static_cast<std::size_t>(row)] & (0x80u >> column)) && sx >= 0 && sx < f.shared.width)
                    f.shared.pixels[static_cast<std::size_t>(sy * f.shared.width + sx)] = colour;
            }
        }
    }
    const std::int64_t firstRow = std::max<std::int64_t>(top, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(top + 7, f.shared.height - 1);
    const std::int64_t firstColumn = std::max<std::int64_t>(left, 0);
    const std::int64_t lastColumn =
        std::min<std::int64_t>(left + 8 * static_cast<std::int64_t>(text.size()) - 1, f.shared.width - 1);
    if (firstColumn <= lastColumn)
        for (std::int64_t row = firstRow; row <= lastRow; ++row)
            drewOver(static_cast<int>(row), static_cast<int>(firstColumn), static_cast<int>(lastColumn));
    f.shared.markRows(static_cast<int>(firstRow), static_cast<int>(lastRow));
}

namespace {

// Largest radius whose row half-widths are kept; larger discs are rare and
// compute theirs as they go.
constexpr double maxCachedRadius = 256;

// A disc row's reach either side of the centre column, w = sqrt(r^2 - dy^2):
// with a whole centre c the run is trunc(c - w)..trunc(c + w), which is
// c - ceil(w)..c + floor(w) wherever the run ends lie on or right of 0.
struct RowReach {
    std::int64_t left = 0;  // ceil(w)
    std::int64_t right = 0; // floor(w)
    bool whole = true;      // w is a whole number
};

// The row reaches of the radii drawn lately: a frame of shots uses a handful
// of radii over and over, and the square roots are most of a small disc's work.
struct DiscRows {
    float radius = 0;              // 0 for an empty slot
    std::vector<RowReach> reaches; // indexed by dy
};
std::array<DiscRows, 32> discRowsCache;
std::size_t discRowsNext = 0; // the slot the next new radius replaces

double halfWidth(double r, std::int64_t dy)
{
    const auto d = static_cast<double>(dy);
    return dy == 0 ? r : std::sqrt(std::max(r * r - d * d, 0.0));
}

// Fills count pixels with one colour. A disc's runs are short, so instead of
// a vector loop with a scalar tail each run is 16-byte stores, the last one
// ending exactly at the run's end and overlapping the one before.
void fillRun(Colour* to, std::size_t count, Colour colour)
{
    if (count < 4) {
        for (std::size_t i = 0; i < count; ++i)
            to[i] = colour;
        return;
    }
    const std::array<Colour, 4> four{colour, colour, colour, colour};
    Colour* const last = to + count - 4;
    for (; to < last; to += 4)
        std::memcpy(to, four.data(), sizeof four);
    std::memcpy(last, four.data(), sizeof four);
}

const std::vector<RowReach>& reachesFor(float radius)
{
    for (const DiscRows& rows : discRowsCache)
        if (rows.radius == radius)
            return rows.reaches;
    DiscRows& rows = discRowsCache[discRowsNext];
    discRowsNext = (discRowsNext + 1) % discRowsCache.size();
    const double r = radius;
    const auto reach = static_cast<std::int64_t>(std::floor(r));
    rows.radius = radius;
    rows.reaches.resize(static_cast<std::size_t>(reach + 1));
    for (std::int64_t dy = 0; dy <= reach; ++dy) {
        const double w = halfWidth(r, dy);
        rows.reaches[static_cast<std::size_t>(dy)] = {static_cast<std::int64_t>(std::ceil(w)),
                                                      static_cast<std::int64_t>(std::floor(w)), std::floor(w) == w};
    }
    return rows.reaches;
}

} // namespace

void fillCircle(float cx, float cy, float radius, Colour colour)
{
    Facility& f = facility();
    const double r = radius;
    if (!(r > 0) || f.shared.height <= 0)
        return;
    NestedLock lock;
    const std::int64_t centreX = toPixel(cx);
    const std::int64_t centreY = toPixel(cy);
    // The disc reaches floor(r) rows above and below its middle row; only the
    // rows on the screen are visited, so a huge radius costs one screen.
    const double reach = std::floor(std::min(r, farAway));
    const auto rowsAbove = static_cast<std::int64_t>(reach);
    const std::int64_t firstRow = std::max<std::int64_t>(centreY - rowsAbove, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(centreY + rowsAbove, f.shared.height - 1);
    if (firstRow > lastRow)
        return;
    const std::int64_t lastColumn = f.shared.width - 1;
    // Each run ends at the circle's edge: the middle row spans
    // trunc(cx - r)..trunc(cx + r), row dy spans trunc(cx -+ sqrt(r^2 - dy^2)).
    auto fillRow = [&](std::int64_t row, std::int64_t from, std::int64_t to) {
        from = std::max<std::int64_t>(from, 0);
        to = std::min(to, lastColumn);
        if (from > to)
            return;
        fillRun(f.shared.pixels.data() + row * f.shared.width + from, static_cast<std::size_t>(to - from + 1), colour);
        drewOver(static_cast<int>(row), static_cast<int>(from), static_cast<int>(to));
    };
    if (r <= maxCachedRadius) {
        const std::vector<RowReach>& reaches = reachesFor(radius);
        for (std::int64_t row = firstRow; row <= lastRow; ++row) {
            const RowReach& reach = reaches[static_cast<std::size_t>(row > centreY ? row - centreY : centreY - row)];
            std::int64_t to = centreX + reach.right;
            if (to == -1 && !reach.whole)
                to = 0; // trunc(c + w) of a value in (-1, 0) is 0
            fillRow(row, centreX - reach.left, to);
        }
    } else {
        const auto centre = static_cast<double>(centreX);
        for (std::int64_t row = firstRow; row <= lastRow; ++row) {
            const double w = halfWidth(r, row - centreY);
            fillRow(row, clampedTrunc(centre - w, 0, lastColumn), clampedTrunc(centre + w, 0, lastColumn));
        }
    }
    f.shared.markRows(static_cast<int>(firstRow), static_cast<int>(lastRow));
}

Colour readPixel(const Image* image, float x, float y)
{
    if (image == nullptr)
        return 0xFFFFFFFFu;
    const std::int64_t px = toPixel(x);
    const std::int64_t py = toPixel(y);
    if (px < 0 || py < 0 || px >= image->width || py >= image->height)
        return 0xFFFFFFFFu;
    return image->pixels[static_cast<std::size_t>(py * image->width + px)];
}

} // namespace platform
