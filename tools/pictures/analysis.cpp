// The checker's measures of a scene, from the mask's pixels, the scene's
// pixels under the labels and the game's rules.
#include "analysis.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "font.h"

namespace orvanel::pictures {

namespace {

using platform::Colour;

Colour at(const platform::Image& image, int x, int y)
{
    return image
        .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)];
}

// For each hit pixel, how many steps (in any of eight directions) it lies
// from the nearest pixel that is not a hit of its own zone: the image's
// edge and the zone's limits count as misses. Two passes of the chessboard
// distance.
std::vector<int> hitDepths(const platform::Image& mask)
{
    const int w = mask.width;
    const int h = mask.height;
    std::vector<int> depth(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    const auto index = [w](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x; };
    // A neighbour's depth, 0 outside the image or across a zone limit.
    const auto near = [&](int x, int nx, int ny) {
        if (nx < 0 || ny < 0 || nx >= w || ny >= h || zoneOf(nx) != zoneOf(x))
            return 0;
        return depth[index(nx, ny)];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (at(mask, x, y) == hitColour)
                depth[index(x, y)] =
                    1 + std::min({near(x, x - 1, y - 1), near(x, x, y - 1), near(x, x + 1, y - 1), near(x, x - 1, y)});
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x)
            if (depth[index(x, y)] > 0)
                depth[index(x, y)] =
                    std::min(depth[index(x, y)], 1 + std::min({near(x, x + 1, y + 1), near(x, x, y + 1),
                                                               near(x, x - 1, y + 1), near(x, x + 1, y)}));
    return depth;
}

void include(Box& box, int x, int y)
{
    if (box.right < box.left) {
        box = {x, y, x, y};
        return;
    }
    box.left = std::min(box.left, x);
    box.top = std::min(box.top, y);
    box.right = std::max(box.right, x);
    box.bottom = std::max(box.bottom, y);
}

// Pixels from (x, y) to the nearest pixel of the box, 0 inside it.
double distanceTo(const Box& box, int x, int y)
{
    const int dx = x < box.left ? box.left - x : x > box.right ? x - box.right : 0;
    const int dy = y < box.top ? box.top - y : y > box.bottom ? y - box.bottom : 0;
    return std::hypot(dx, dy);
}

} // namespace

bool looksBlack(Colour c)
{
    return (c >> 16 & 0xFF) <= nearBlackLimit && (c >> 8 & 0xFF) <= nearBlackLimit && (c & 0xFF) <= nearBlackLimit;
}

int brightness(Colour c)
{
    return static_cast<int>((299 * (c >> 16 & 0xFF) + 587 * (c >> 8 & 0xFF) + 114 * (c & 0xFF) + 500) / 1000);
}

MaskAnalysis analyseMask(const platform::Image& mask)
{
    MaskAnalysis analysis;
    const std::vector<int> depth = hitDepths(mask);
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const Colour c = at(mask, x, y);
            if (c == hitColour) {
                ZoneTargets& zone = analysis.zones[static_cast<std::size_t>(zoneOf(x) - 1)];
                ++zone.hits;
                include(zone.box, x, y);
                const int d = depth[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) + x];
                if (d > zone.depth) {
                    zone.depth = d;
                    zone.clickX = x;
                    zone.clickY = y;
                }
            } else if ((c & 0xFFFFFF) == 0) {
                ++analysis.translucentBlack;
            } else if (looksBlack(c)) {
                ++analysis.nearBlack;
            }
        }
    }
    return analysis;
}

bool labelInkAt(int x, int y)
{
    if (x < 0 || y < 0 || x >= labelWidth || y >= labelHeight)
        return false;
    const platform::Glyph& glyph =
        platform::glyphFor(static_cast<unsigned char>(labelText[static_cast<std::size_t>(x / 8)]));
    return (glyph[static_cast<std::size_t>(y)] >> (7 - x % 8) & 1) != 0;
}

std::array<LabelCheck, zoneCount> checkLabels(const platform::Image& scene, const platform::Image& mask)
{
    std::array<LabelCheck, zoneCount> labels{};
    for (std::size_t zone = 0; zone < labels.size(); ++zone) {
        LabelCheck& label = labels[zone];
        const int left = static_cast<int>(std::lround(labelPositions[zone].x));
        const int top = static_cast<int>(std::lround(labelPositions[zone].y));
        label.cell = {left, top, left + labelWidth - 1, top + labelHeight - 1};

        long sum = 0;
        long inked = 0;
        for (int y = 0; y < labelHeight; ++y)
            for (int x = 0; x < labelWidth; ++x)
                if (labelInkAt(x, y) && left + x < scene.width && top + y < scene.height) {
                    sum += brightness(at(scene, left + x, top + y));
                    ++inked;
                }
        label.groundBrightness = inked > 0 ? static_cast<int>(sum / inked) : 0;
        label.darkGround = label.groundBrightness < darkGroundLimit;

        double nearest = std::numeric_limits<double>::infinity();
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x)
                if (zoneOf(x) == static_cast<int>(zone) + 1 && at(mask, x, y) == hitColour)
                    nearest = std::min(nearest, distanceTo(label.cell, x, y));
        if (std::isfinite(nearest)) {
            label.distanceToTargets = static_cast<int>(std::lround(nearest));
            label.farFromTargets = label.distanceToTargets > farFromTargetsLimit;
        }
    }
    return labels;
}

} // namespace orvanel::pictures
