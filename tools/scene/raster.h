// A small shape rasteriser: shapes are signed distance functions, painted
// with anti-aliased edges, an optional outline and pseudo-3D shading into a
// colour canvas, and painted again as hard-edged coverage into a hit mask.
//
// Only sqrt is used from the maths library, so the same build of the same
// sources always gives the same bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace orvanel::scene {

struct Vec {
    double x = 0;
    double y = 0;
};

// A colour with channels 0..255, kept fractional until the file is written.
struct Rgb {
    double r = 0;
    double g = 0;
    double b = 0;
};

Rgb mix(Rgb from, Rgb to, double t);

// Axis-aligned pixel-space rectangle, min inclusive, max exclusive.
struct Bounds {
    double minX = 0;
    double minY = 0;
    double maxX = 0;
    double maxY = 0;
};

// Distance from a point to the shape's edge: negative inside, in pixels.
struct Shape {
    Bounds bounds;                       // holds every point inside; also the dome that shading assumes
    std::function<double(Vec)> distance; // signed distance from a point to the edge
};

Shape circle(Vec centre, double radius);
// axis is the direction of the x radius; it need not be of unit length.
Shape ellipse(Vec centre, double radiusX, double radiusY, Vec axis = {1, 0});
// A segment swept by a radius that changes from start to end: limbs, sticks.
Shape capsule(Vec start, Vec end, double startRadius, double endRadius);
// Any simple polygon, with its corners rounded by the given radius.
Shape polygon(std::vector<Vec> corners, double rounding = 0);
Shape unite(Shape a, Shape b);
Shape intersect(Shape a, Shape b);
Shape subtract(Shape a, Shape b);

// How a shape is coloured.
struct Paint {
    Rgb colour;              // the fill as it looks in full light
    double shading = 0;      // 0 flat, 1 fully shaded as a lit dome
    double gloss = 0;        // strength of the highlight on the lit side
    Rgb outline{};           // colour of the band just outside the edge
    double outlineWidth = 0; // of that band, in pixels; 0 for none
    double opacity = 1;      // 1 covers what lies below
    double softness = 1;     // edge ramp in pixels: 1 is plain anti-aliasing
    Rgb fadeTo{};            // colour reached at row fadeUntil, from colour at fadeFrom
    double fadeFrom = 0;     // row where the fade starts
    double fadeUntil = 0;    // no fade unless above fadeFrom
};

// One shape of the scene; hittable ones also go into the mask.
struct Part {
    Shape shape;
    Paint paint;
    bool hittable = false; // part of a target's silhouette in the mask
};

class Canvas {
public:
    Canvas(int width, int height, Rgb fill);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const { return pixels_[index(x, y)]; }
    void set(int x, int y, Rgb colour) { pixels_[index(x, y)] = colour; }
    void blend(int x, int y, Rgb colour, double alpha);

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_;               // in pixels
    int height_;              // in pixels
    std::vector<Rgb> pixels_; // row after row, top row first
};

// true where a shot scores.
class Mask {
public:
    Mask(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool at(int x, int y) const { return hits_[index(x, y)] != 0; }
    void mark(int x, int y) { hits_[index(x, y)] = 1; }

private:
    std::size_t index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
    }

    int width_;                      // in pixels
    int height_;                     // in pixels
    std::vector<std::uint8_t> hits_; // 1 where hittable, row after row
};

// Paints the part into the canvas and, when it is hittable, marks every
// pixel whose centre lies inside its outer (outline) edge in the mask; those
// are exactly the pixels the canvas shows more than half covered.
void paint(Canvas& canvas, Mask& mask, const Part& part);

// An 8-bit channel value, rounded and clamped.
std::uint8_t channel(double value);

// Deterministic pseudo-random numbers for scattering details.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    // Uniform in [0, 1).
    double next();
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    std::uint32_t state_; // never 0, or the sequence would stay at 0
};

} // namespace orvanel::scene
