#include "icon.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "scene.h"

namespace orvanel::scene {

namespace {

// The square of the scene that the tile shows, in the bear's own
// coordinates (its feet at 0, 0): the head, the hat and the raised paw.
constexpr Vec viewCorner{-98, -226};
constexpr double viewSide = 180;

// Supersamples per icon pixel along each axis: enough that every edge is
// drawn at least as finely as in the scene itself.
int samplesPerPixel(int size)
{
    return std::max(2, static_cast<int>(std::ceil(viewSide / size)));
}

// The part as it lands on a canvas whose pixel (0, 0) starts at corner and
// whose pixels are unitsPerPixel scene pixels wide: distances, outlines,
// edge ramps and fades are all measured in the canvas's pixels.
Part viewed(const Part& part, Vec corner, double unitsPerPixel)
{
    Part out = part;
    const double k = unitsPerPixel;
    const Bounds& b = part.shape.bounds;
    out.shape.bounds = {(b.minX - corner.x) / k, (b.minY - corner.y) / k, (b.maxX - corner.x) / k,
                        (b.maxY - corner.y) / k};
    out.shape.distance = [distance = part.shape.distance, corner, k](Vec p) {
        return distance({corner.x + p.x * k, corner.y + p.y * k}) / k;
    };
    out.paint.outlineWidth /= k;
    out.paint.softness /= k;
    out.paint.fadeFrom = (part.paint.fadeFrom - corner.y) / k;
    out.paint.fadeUntil = (part.paint.fadeUntil - corner.y) / k;
    return out;
}

// Signed distance, in icon pixels, from a pixel centre to the tile's edge.
double tileDistance(int size, double x, double y)
{
    const double margin = size / 16.0;
    const double radius = size * 0.2;
    const double half = size / 2.0 - margin - radius;
    const double dx = std::max(0.0, std::abs(x - size / 2.0) - half);
    const double dy = std::max(0.0, std::abs(y - size / 2.0) - half);
    return std::sqrt(dx * dx + dy * dy) - radius;
}

} // namespace

std::vector<std::uint32_t> renderIcon(int size)
{
    const int samples = samplesPerPixel(size);
    const int fine = size * samples;
    const double unitsPerPixel = viewSide / fine;

    // 1. Sky behind, from the scene's zenith blue down to its haze.
    const Rgb zenith{78, 140, 212};
    const Rgb haze{206, 228, 247};
    Canvas canvas(fine, fine, haze);
    for (int y = 0; y < fine; ++y) {
        const Rgb row = mix(zenith, haze, (y + 0.5) / fine);
        for (int x = 0; x < fine; ++x) {
            canvas.set(x, y, row);
        }
    }

    // 2. A drift of snow under the bear, then the bear, drawn finely.
    std::vector<Part> parts;
    parts.push_back({ellipse({0, -40}, 150, 70), Paint{.colour = {250, 252, 255}, .shading = 0.32, .softness = 2.5}});
    addBear(parts, {0, 0});
    Mask unused(fine, fine);
    for (const Part& part : parts) {
        paint(canvas, unused, viewed(part, viewCorner, unitsPerPixel));
    }

    // 3. Each icon pixel the mean of its samples, inside a rounded tile with
    //    a thin dark rim, so that it stands out on light and dark panels.
    const Rgb rim{40, 30, 60};
    const double rimWidth = std::max(1.0, size / 40.0);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = tileDistance(size, x + 0.5, y + 0.5);
            const double alpha = std::clamp(0.5 - d, 0.0, 1.0);
            if (alpha <= 0) {
                continue;
            }
            Rgb sum;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const Rgb c = canvas.at(x * samples + sx, y * samples + sy);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            const double n = samples * samples;
            Rgb colour{sum.r / n, sum.g / n, sum.b / n};
            colour = mix(colour, rim, std::clamp(0.5 + d + rimWidth, 0.0, 1.0));
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x)] =
                std::uint32_t{channel(alpha * 255)} << 24 | std::uint32_t{channel(colour.r)} << 16 |
                std::uint32_t{channel(colour.g)} << 8 | channel(colour.b);
        }
    }
    return pixels;
}

} // namespace orvanel::scene
