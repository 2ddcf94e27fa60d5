#include "raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orvanel::scene {

namespace {

Vec operator+(Vec a, Vec b)
{
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b)
{
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(Vec a, double s)
{
    return {a.x * s, a.y * s};
}
double dot(Vec a, Vec b)
{
    return a.x * b.x + a.y * b.y;
}
double length(Vec a)
{
    return std::sqrt(dot(a, a));
}

Vec unit(Vec a)
{
    const double len = length(a);
    return len > 0 ? a * (1 / len) : Vec{1, 0};
}

Bounds grow(Bounds b, double by)
{
    return {b.minX - by, b.minY - by, b.maxX + by, b.maxY + by};
}

Bounds join(Bounds a, Bounds b)
{
    return {std::min(a.minX, b.minX), std::min(a.minY, b.minY), std::max(a.maxX, b.maxX), std::max(a.maxY, b.maxY)};
}

Bounds overlap(Bounds a, Bounds b)
{
    return {std::max(a.minX, b.minX), std::max(a.minY, b.minY), std::min(a.maxX, b.maxX), std::min(a.maxY, b.maxY)};
}

// Light comes from the upper left and a little toward the viewer; the
// vector is of unit length to within a thousandth.
constexpr double lightX = -0.45;
constexpr double lightY = -0.6;
constexpr double lightZ = 0.66;

// The fill colour at p: the shape's bounds taken as a dome lit from the
// upper left, its shadow side cooled by the blue of the snow and sky.
Rgb shade(const Part& part, Vec p)
{
    const Paint& paint = part.paint;
    Rgb base = paint.colour;
    if (paint.fadeUntil > paint.fadeFrom) {
        const double t = (p.y - paint.fadeFrom) / (paint.fadeUntil - paint.fadeFrom);
        base = mix(base, paint.fadeTo, std::clamp(t, 0.0, 1.0));
    }
    if (paint.shading <= 0) {
        return base;
    }
    const Bounds& b = part.shape.bounds;
    const double rx = std::max(0.5, (b.maxX - b.minX) / 2);
    const double ry = std::max(0.5, (b.maxY - b.minY) / 2);
    double u = (p.x - (b.minX + b.maxX) / 2) / rx;
    double v = (p.y - (b.minY + b.maxY) / 2) / ry;
    double s = u * u + v * v;
    if (s > 1) {
        const double len = std::sqrt(s);
        u /= len;
        v /= len;
        s = 1;
    }
    const double nz = std::sqrt(1 - s);
    const double lit = std::max(0.0, lightX * u + lightY * v + lightZ * nz);
    const Rgb shadow{base.r * 0.5 + 12, base.g * 0.55 + 16, base.b * 0.62 + 34};
    Rgb c = mix(shadow, base, std::min(1.0, lit / 0.7));
    const double lit2 = lit * lit;
    const double lit4 = lit2 * lit2;
    c = mix(c, Rgb{255, 255, 255}, paint.gloss * lit4 * lit4);
    return mix(base, c, paint.shading);
}

double coverage(double distance, double softness)
{
    return std::clamp(0.5 - distance / softness, 0.0, 1.0);
}

} // namespace

Rgb mix(Rgb from, Rgb to, double t)
{
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t};
}

Shape circle(Vec centre, double radius)
{
    return {{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius},
            [centre, radius](Vec p) { return length(p - centre) - radius; }};
}

Shape ellipse(Vec centre, double radiusX, double radiusY, Vec axis)
{
    const Vec u = unit(axis);
    const double extentX = std::sqrt(radiusX * radiusX * u.x * u.x + radiusY * radiusY * u.y * u.y);
    const double extentY = std::sqrt(radiusX * radiusX * u.y * u.y + radiusY * radiusY * u.x * u.x);
    // Distance scaled by the gradient of the implicit function: exact on the
    // edge and close to it, which is all that edges and outlines need.
    return {{centre.x - extentX, centre.y - extentY, centre.x + extentX, centre.y + extentY},
            [centre, radiusX, radiusY, u](Vec p) {
                const Vec d = p - centre;
                const Vec q{dot(d, u), -d.x * u.y + d.y * u.x};
                const double k0 = length({q.x / radiusX, q.y / radiusY});
                const double k1 = length({q.x / (radiusX * radiusX), q.y / (radiusY * radiusY)});
                if (k1 <= 0) {
                    return -std::min(radiusX, radiusY);
                }
                return k0 * (k0 - 1) / k1;
            }};
}

Shape capsule(Vec start, Vec end, double startRadius, double endRadius)
{
    const double r = std::max(startRadius, endRadius);
    const Bounds b{std::min(start.x, end.x) - r, std::min(start.y, end.y) - r, std::max(start.x, end.x) + r,
                   std::max(start.y, end.y) + r};
    return {b, [start, end, startRadius, endRadius](Vec p) {
                const Vec along = end - start;
                const double span = dot(along, along);
                const double t = span > 0 ? std::clamp(dot(p - start, along) / span, 0.0, 1.0) : 0.0;
                return length(p - (start + along * t)) - (startRadius + (endRadius - startRadius) * t);
            }};
}

Shape polygon(std::vector<Vec> corners, double rounding)
{
    Bounds b{corners.front().x, corners.front().y, corners.front().x, corners.front().y};
    for (const Vec& c : corners) {
        b = join(b, {c.x, c.y, c.x, c.y});
    }
    // Rounding grows the polygon; corners are given where the rounded edge lies.
    return {grow(b, rounding), [corners = std::move(corners), rounding](Vec p) {
                double nearest = dot(p - corners[0], p - corners[0]);
                double sign = 1;
                const std::size_t n = corners.size();
                for (std::size_t i = 0, j = n - 1; i < n; j = i, ++i) {
                    const Vec e = corners[j] - corners[i];
                    const Vec w = p - corners[i];
                    const Vec gap = w - e * std::clamp(dot(w, e) / dot(e, e), 0.0, 1.0);
                    nearest = std::min(nearest, dot(gap, gap));
                    // Even-odd crossing test along the row through p.
                    const bool above = p.y >= corners[i].y;
                    const bool below = p.y < corners[j].y;
                    const bool left = e.x * w.y > e.y * w.x;
                    if ((above && below && left) || (!above && !below && !left)) {
                        sign = -sign;
                    }
                }
                return sign * std::sqrt(nearest) - rounding;
            }};
}

Shape unite(Shape a, Shape b)
{
    return {join(a.bounds, b.bounds),
            [da = std::move(a.distance), db = std::move(b.distance)](Vec p) { return std::min(da(p), db(p)); }};
}

Shape intersect(Shape a, Shape b)
{
    return {overlap(a.bounds, b.bounds),
            [da = std::move(a.distance), db = std::move(b.distance)](Vec p) { return std::max(da(p), db(p)); }};
}

Shape subtract(Shape a, Shape b)
{
    return {a.bounds,
            [da = std::move(a.distance), db = std::move(b.distance)](Vec p) { return std::max(da(p), -db(p)); }};
}

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
{
}

void Canvas::blend(int x, int y, Rgb colour, double alpha)
{
    Rgb& p = pixels_[index(x, y)];
    p = mix(p, colour, alpha);
}

Mask::Mask(int width, int height)
    : width_(width), height_(height), hits_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0)
{
}

void paint(Canvas& canvas, Mask& mask, const Part& part)
{
    const Paint& style = part.paint;
    const Bounds area = grow(part.shape.bounds, style.outlineWidth + style.softness + 1);
    const int x0 = std::max(0, static_cast<int>(std::floor(area.minX)));
    const int y0 = std::max(0, static_cast<int>(std::floor(area.minY)));
    const int x1 = std::min(canvas.width(), static_cast<int>(std::ceil(area.maxX)));
    const int y1 = std::min(canvas.height(), static_cast<int>(std::ceil(area.maxY)));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Vec p{x + 0.5, y + 0.5};
            const double d = part.shape.distance(p);
            const double outer = d - style.outlineWidth;
            if (outer >= style.softness / 2) {
                continue;
            }
            if (part.hittable && outer < 0) {
                mask.mark(x, y);
            }
            if (style.outlineWidth > 0) {
                canvas.blend(x, y, style.outline, coverage(outer, style.softness) * style.opacity);
            }
            const double fill = coverage(d, style.softness);
            if (fill > 0) {
                canvas.blend(x, y, shade(part, p), fill * style.opacity);
            }
        }
    }
}

std::uint8_t channel(double value)
{
    return static_cast<std::uint8_t>(std::clamp(value + 0.5, 0.0, 255.0));
}

double Random::next()
{
    // xorshift32: tiny, and the same sequence everywhere.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_ >> 8) / 16777216.0;
}

} // namespace orvanel::scene
