#include "scene.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace orvanel::scene {

namespace {

// The game's window is exactly this size, and both pictures fill it.
constexpr int sceneWidth = 720;
constexpr int sceneHeight = 480;

// Where the far snowfield meets the foot of the mountains.
constexpr double horizonY = 110;

// The low winter sun, upper right, clear of every label.
constexpr Vec sunCentre{628, 46};

// Ink of the figures' outlines: dark plum, darker than any fill, never black.
const Rgb figureOutline{40, 30, 60};
const Rgb white{255, 255, 255};
// Pupils, mouths and brows.
const Rgb eyeDark{36, 28, 46};

// A figure is posed around the point between its feet; offsets are pixels.
struct Pose {
    Vec feet; // on the snow, between the feet
    Vec operator()(double dx, double dy) const { return {feet.x + dx, feet.y + dy}; }
};

Paint flat(Rgb colour)
{
    return Paint{.colour = colour};
}

Paint lit(Rgb colour, double gloss = 0.1)
{
    return Paint{.colour = colour, .shading = 1, .gloss = gloss};
}

Paint outlined(Paint paint, double width)
{
    paint.outline = figureOutline;
    paint.outlineWidth = width;
    return paint;
}

// A soft bluish patch on the snow under a figure or a tree.
Part groundShadow(Vec centre, double radiusX, double radiusY)
{
    return {ellipse(centre, radiusX, radiusY), Paint{.colour = {150, 168, 206}, .opacity = 0.55, .softness = 5}};
}

// Everything above y is kept; used to cut flat cloud bottoms and hat brims.
Shape above(double y)
{
    return {{-1e4, -1e4, 1e4, y}, [y](Vec p) { return p.y - y; }};
}
Shape below(double y)
{
    return {{-1e4, y, 1e4, 1e4}, [y](Vec p) { return y - p.y; }};
}

void drawSky(Canvas& canvas)
{
    const Rgb zenith{78, 140, 212};
    const Rgb haze{206, 228, 247};
    const Rgb sunGlow{255, 246, 222};
    for (int y = 0; y < canvas.height(); ++y) {
        const double t = std::min(1.0, y / horizonY);
        const Rgb row = mix(zenith, haze, t * (2 - t) * 0.85 + t * 0.15);
        for (int x = 0; x < canvas.width(); ++x) {
            const double dx = x + 0.5 - sunCentre.x;
            const double dy = y + 0.5 - sunCentre.y;
            const double glow = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy) / 170);
            canvas.set(x, y, mix(row, sunGlow, glow * glow * 0.7));
        }
    }
}

void addSun(std::vector<Part>& parts)
{
    parts.push_back({circle(sunCentre, 30), Paint{.colour = {255, 250, 232}, .opacity = 0.35, .softness = 8}});
    parts.push_back({circle(sunCentre, 17), Paint{.colour = {255, 252, 238}, .softness = 1.2}});
}

void addCloud(std::vector<Part>& parts, Vec centre, double size)
{
    Shape puff = circle({centre.x - 0.5 * size, centre.y + 0.02 * size}, 0.2 * size);
    puff = unite(std::move(puff), circle({centre.x - 0.2 * size, centre.y - 0.13 * size}, 0.3 * size));
    puff = unite(std::move(puff), circle({centre.x + 0.16 * size, centre.y - 0.08 * size}, 0.26 * size));
    puff = unite(std::move(puff), circle({centre.x + 0.45 * size, centre.y + 0.04 * size}, 0.18 * size));
    Paint paint{.colour = {252, 253, 255}, .shading = 0.5, .softness = 1.5};
    parts.push_back({intersect(std::move(puff), above(centre.y + 0.12 * size)), paint});
}

// A mountain range: its outline from left to right, closed below the horizon.
void addRange(std::vector<Part>& parts, const std::vector<Vec>& ridge, Rgb rock, Rgb snow, double snowLine,
              std::uint32_t seed)
{
    std::vector<Vec> outline = ridge;
    outline.push_back({ridge.back().x, horizonY + 14});
    outline.push_back({ridge.front().x, horizonY + 14});
    const Shape range = polygon(outline);
    const Rgb haze{204, 220, 240};
    parts.push_back({range, Paint{.colour = rock, .fadeTo = haze, .fadeFrom = snowLine, .fadeUntil = horizonY + 4}});

    // Snow down to a ragged line, then the shadowed east face of each peak.
    std::vector<Vec> cap{{-20, -20}, {740, -20}};
    Random random(seed);
    for (double x = 740; x >= -20; x -= 11) {
        cap.push_back({x, snowLine + random.between(-6, 7)});
    }
    parts.push_back({intersect(range, polygon(cap)), flat(snow)});
    for (std::size_t i = 1; i + 1 < ridge.size(); ++i) {
        const Vec peak = ridge[i];
        const Vec valley = ridge[i + 1];
        if (peak.y >= ridge[i - 1].y || peak.y >= valley.y) {
            continue;
        }
        const double foot = horizonY + 14;
        const Shape face = polygon({peak, valley, {valley.x, foot}, {peak.x + 0.3 * (valley.x - peak.x), foot}});
        parts.push_back({intersect(range, face), Paint{.colour = {64, 82, 138}, .opacity = 0.22}});
    }
}

// A little far-off fir, its foot hidden by the snowfield's edge.
void addFarFir(std::vector<Part>& parts, Vec foot, double height)
{
    const double half = height * 0.3;
    parts.push_back(
        {polygon({{foot.x - half, foot.y}, {foot.x + half, foot.y}, {foot.x, foot.y - height}}), flat({78, 112, 124})});
}

void addSnowfield(std::vector<Part>& parts)
{
    // The far edge rolls gently; it stays above the first zone's label row.
    std::vector<Vec> edge{{-10, 485}, {-10, 108}};
    Random random(7);
    for (double x = 0; x <= 730; x += 24) {
        edge.push_back({x, horizonY - 2 + random.between(-2.5, 2.5)});
    }
    edge.push_back({730, 485});
    parts.push_back({polygon(edge), Paint{.colour = {208, 222, 240},
                                          .softness = 1.2,
                                          .fadeTo = {248, 250, 254},
                                          .fadeFrom = horizonY,
                                          .fadeUntil = 470}});
}

// A long low mound of drifted snow: lit on top, blue where it turns away.
void addDrift(std::vector<Part>& parts, Vec centre, double radiusX, double radiusY)
{
    parts.push_back({ellipse({centre.x + 6, centre.y + 5}, radiusX, radiusY),
                     Paint{.colour = {176, 194, 226}, .opacity = 0.45, .softness = 9}});
    parts.push_back(
        {ellipse(centre, radiusX, radiusY), Paint{.colour = {250, 252, 255}, .shading = 0.32, .softness = 2.5}});
}

void addPine(std::vector<Part>& parts, Vec foot, double height)
{
    const Rgb needles{46, 112, 88};
    const Rgb bark{112, 76, 54};
    const Rgb pineOutline{24, 54, 52};
    parts.push_back(groundShadow({foot.x + 0.12 * height, foot.y + 2}, 0.38 * height, 0.06 * height));
    Paint trunk = lit(bark);
    trunk.outline = pineOutline;
    trunk.outlineWidth = 1.2;
    parts.push_back({capsule(foot, {foot.x, foot.y - 0.3 * height}, 0.05 * height, 0.04 * height), trunk});
    for (int tier = 0; tier < 4; ++tier) {
        const double base = foot.y - 0.12 * height - tier * 0.19 * height;
        const double top = base - 0.34 * height;
        const double half = 0.36 * height * (1 - tier * 0.2);
        const Shape body = polygon({{foot.x - half, base}, {foot.x + half, base}, {foot.x, top}}, 0.015 * height);
        Paint green = lit(needles, 0);
        green.outline = pineOutline;
        green.outlineWidth = 1.4;
        parts.push_back({body, green});
        // Snow lies on the upper part of each tier, hanging in scallops.
        std::vector<Vec> snow{{foot.x - half - 4, top - 4}, {foot.x + half + 4, top - 4}};
        const double line = top + 0.55 * (base - top);
        for (int k = 6; k >= 0; --k) {
            const double x = foot.x - half - 4 + (2 * half + 8) * k / 6;
            snow.push_back({x, line + (k % 2 == 0 ? 0 : 0.05 * height)});
        }
        parts.push_back({intersect(body, polygon(snow)), Paint{.colour = {244, 248, 253}, .shading = 0.6}});
    }
}

void addRock(std::vector<Part>& parts, Vec foot, double size)
{
    const Shape stone = polygon({{foot.x - size, foot.y},
                                 {foot.x - 0.8 * size, foot.y - 0.55 * size},
                                 {foot.x - 0.2 * size, foot.y - 0.8 * size},
                                 {foot.x + 0.5 * size, foot.y - 0.65 * size},
                                 {foot.x + size, foot.y}},
                                0.08 * size);
    Paint grey = lit({132, 134, 156});
    grey.outline = {52, 50, 72};
    grey.outlineWidth = 1.4;
    parts.push_back({stone, grey});
    const Shape cap = polygon({{foot.x - size - 4, foot.y - size},
                               {foot.x + size + 4, foot.y - size},
                               {foot.x + size + 4, foot.y - 0.5 * size},
                               {foot.x + 0.3 * size, foot.y - 0.55 * size},
                               {foot.x - 0.3 * size, foot.y - 0.45 * size},
                               {foot.x - size - 4, foot.y - 0.5 * size}});
    parts.push_back({intersect(stone, cap), Paint{.colour = {246, 249, 254}, .shading = 0.5}});
}

// A pyramid of snowballs, ready to throw.
void addSnowballs(std::vector<Part>& parts, Vec foot, double radius)
{
    Paint ball = lit({248, 250, 255}, 0.3);
    ball.outline = {92, 104, 140};
    ball.outlineWidth = 1.3;
    parts.push_back(groundShadow({foot.x + radius, foot.y + 1}, 3.6 * radius, 0.5 * radius));
    for (int level = 0; level < 3; ++level) {
        const double y = foot.y - radius - level * 1.7 * radius;
        for (int k = 0; k < 3 - level; ++k) {
            const double x = foot.x + (k - (2 - level) / 2.0) * 2 * radius;
            parts.push_back({circle({x, y}, radius), ball});
        }
    }
}

// The figures. Every part is hittable but the shadow on the snow: the
// player aims at the whole figure, outline, hat and arms included.

// Zone 1, the farthest: a penguin in a teal scarf on the far snowfield.
void addPenguin(std::vector<Part>& parts, Pose at)
{
    constexpr double line = 1.2;
    const Rgb navy{48, 60, 98};
    const Rgb orange{246, 158, 48};
    parts.push_back(groundShadow(at(2, 1), 17, 3.5));
    parts.push_back({ellipse(at(-6, -1.5), 5.5, 2.6), outlined(lit(orange), line), true});
    parts.push_back({ellipse(at(6, -1.5), 5.5, 2.6), outlined(lit(orange), line), true});
    parts.push_back({ellipse(at(-13, -19), 11, 3.8, {-0.35, 1}), outlined(lit(navy), line), true});
    parts.push_back({ellipse(at(14, -22), 11, 3.8, {0.6, -1}), outlined(lit(navy), line), true});
    parts.push_back(
        {unite(ellipse(at(0, -20), 14, 20), circle(at(0, -39), 10.5)), outlined(lit(navy, 0.3), line), true});
    parts.push_back({ellipse(at(0, -16), 10, 14.5), lit({246, 246, 250}), true});
    parts.push_back({unite(circle(at(-3.2, -40), 5), circle(at(3.2, -40), 5)), lit({246, 246, 250}), true});
    parts.push_back({capsule(at(-9, -30), at(9, -30), 2.4, 2.4), outlined(lit({40, 170, 170}), 0.8), true});
    parts.push_back({capsule(at(6, -29), at(8, -22), 2, 1.8), outlined(lit({40, 170, 170}), 0.8), true});
    parts.push_back({circle(at(-3.4, -41.5), 1.5), flat(eyeDark), true});
    parts.push_back({circle(at(3.4, -41.5), 1.5), flat(eyeDark), true});
    parts.push_back({polygon({at(-2.6, -37.5), at(2.6, -37.5), at(0, -33.5)}, 0.5), outlined(lit(orange), 0.6), true});
}

// Zone 2: a snowman in a top hat, one stick arm waving.
void addSnowman(std::vector<Part>& parts, Pose at)
{
    constexpr double line = 1.5;
    const Rgb snow{246, 249, 254};
    const Rgb stick{112, 74, 46};
    const Rgb coal{52, 46, 60};
    parts.push_back(groundShadow(at(6, 2), 36, 6));
    parts.push_back({capsule(at(-15, -64), at(-40, -84), 1.8, 1.3), outlined(flat(stick), 1), true});
    parts.push_back({capsule(at(-33, -79), at(-38, -93), 1.2, 1), outlined(flat(stick), 1), true});
    parts.push_back({capsule(at(-37, -82), at(-47, -80), 1.1, 0.9), outlined(flat(stick), 1), true});
    parts.push_back({capsule(at(15, -62), at(30, -48), 1.8, 1.3), outlined(flat(stick), 1), true});
    parts.push_back({capsule(at(25, -53), at(31, -60), 1.1, 0.9), outlined(flat(stick), 1), true});
    parts.push_back({circle(at(0, -24), 25), outlined(lit(snow, 0.25), line), true});
    parts.push_back({circle(at(0, -62), 19), outlined(lit(snow, 0.25), line), true});
    parts.push_back({circle(at(0, -92), 14), outlined(lit(snow, 0.25), line), true});
    const Rgb scarf{64, 162, 104};
    parts.push_back({capsule(at(-13, -79), at(13, -79), 4.2, 4.2), outlined(lit(scarf), 1.2), true});
    parts.push_back(
        {polygon({at(5, -80), at(12, -80), at(16, -62), at(9, -61)}, 1.2), outlined(lit(scarf), 1.2), true});
    for (const double y : {-68.0, -57.0, -32.0, -19.0}) {
        parts.push_back({circle(at(0, y), 2.2), lit(coal, 0.3), true});
    }
    parts.push_back({circle(at(-5, -97), 2), lit(coal, 0.4), true});
    parts.push_back({circle(at(5, -97), 2), lit(coal, 0.4), true});
    for (const Vec d : {Vec{-5.5, -88.5}, Vec{-2.8, -86.8}, Vec{0, -86.3}, Vec{2.8, -86.8}, Vec{5.5, -88.5}}) {
        parts.push_back({circle(at(d.x, d.y), 1), flat(coal), true});
    }
    parts.push_back({polygon({at(0, -94), at(17, -91.5), at(0, -89.5)}, 0.6), outlined(lit({240, 128, 40}), 1), true});
    const Rgb hat{60, 54, 74};
    parts.push_back(
        {polygon({at(-10, -104), at(10, -104), at(9, -123), at(-9, -123)}, 1), outlined(lit(hat, 0.2), line), true});
    parts.push_back(
        {polygon({at(-9.9, -111), at(9.9, -111), at(9.75, -106.5), at(-9.75, -106.5)}), lit({226, 172, 52}), true});
    parts.push_back({capsule(at(-16, -104), at(16, -104), 2.4, 2.4), outlined(lit(hat, 0.2), line), true});
}

// Zone 3: a shaggy lilac creature with one big eye and two little horns.
void addCreature(std::vector<Part>& parts, Pose at)
{
    constexpr double line = 2;
    const Rgb fur{158, 112, 210};
    const Rgb furDark{126, 84, 178};
    const Rgb horn{242, 228, 192};
    parts.push_back(groundShadow(at(6, 2), 40, 7));
    parts.push_back({capsule(at(-18, -108), at(-24, -121), 5, 2), outlined(lit(horn), line), true});
    parts.push_back({capsule(at(18, -108), at(22, -121), 5, 2), outlined(lit(horn), line), true});
    parts.push_back({ellipse(at(-16, -6), 13, 8), outlined(lit(furDark), line), true});
    parts.push_back({ellipse(at(16, -6), 13, 8), outlined(lit(furDark), line), true});
    // A shaggy hem of fur along the bottom of the body.
    std::vector<Vec> hem{at(-31, -40)};
    for (int k = 0; k <= 8; ++k) {
        hem.push_back(at(-31 + 62.0 * k / 8, k % 2 == 0 ? -12 : -5));
    }
    hem.push_back(at(31, -40));
    parts.push_back({unite(ellipse(at(0, -62), 34, 52), polygon(hem, 1)), outlined(lit(fur, 0.2), line), true});
    parts.push_back({ellipse(at(0, -40), 21, 24), lit({206, 174, 236}), true});
    for (const Vec d : {Vec{-22, -84}, Vec{-25, -66}, Vec{22, -92}, Vec{26, -74}}) {
        parts.push_back({circle(at(d.x, d.y), 3.2), flat(furDark), true});
    }
    parts.push_back({capsule(at(-30, -66), at(-41, -42), 7, 6), outlined(lit(fur), line), true});
    parts.push_back({capsule(at(29, -66), at(34, -42), 7, 6), outlined(lit(fur), line), true});
    parts.push_back({ellipse(at(0, -84), 14, 15), outlined(lit({250, 250, 252}), 1.5), true});
    parts.push_back({circle(at(2, -82), 7.5), lit({56, 172, 140}, 0.3), true});
    parts.push_back({circle(at(2.5, -81.5), 3.6), flat(eyeDark), true});
    parts.push_back({circle(at(-0.5, -85), 2), flat(white), true});
    parts.push_back({capsule(at(-10, -102), at(10, -101), 1.6, 1.6), flat(furDark), true});
    const Shape mouth = intersect(ellipse(at(0, -58), 15, 10), below(at(0, -59).y));
    parts.push_back({mouth, outlined(flat({96, 34, 70}), 1.2), true});
    parts.push_back({polygon({at(-8, -59), at(-3, -59), at(-5.5, -54.5)}, 0.4), flat({252, 252, 246}), true});
    parts.push_back({polygon({at(3, -59), at(8, -59), at(5.5, -54.5)}, 0.4), flat({252, 252, 246}), true});
}

void addSnowflakes(std::vector<Part>& parts)
{
    Random random(2024);
    for (int i = 0; i < 90; ++i) {
        const Vec p{random.between(0, sceneWidth), random.between(0, sceneHeight)};
        const double r = random.between(0.7, 2.1);
        parts.push_back({circle(p, r), Paint{.colour = white, .opacity = 0.85, .softness = 1.2}});
    }
}

} // namespace

// Zone 4, the nearest: a bear in a bobble hat and a scarf, waving.
void addBear(std::vector<Part>& parts, Vec feet)
{
    const Pose at{feet};
    constexpr double line = 2.6;
    const Rgb fur{150, 98, 62};
    const Rgb furDark{122, 78, 50};
    const Rgb tan{220, 182, 134};
    const Rgb hat{50, 122, 186};
    parts.push_back(groundShadow(at(12, 2), 84, 12));
    parts.push_back({ellipse(at(-30, -9), 25, 13), outlined(lit(furDark), line), true});
    parts.push_back({ellipse(at(30, -9), 25, 13), outlined(lit(furDark), line), true});
    parts.push_back({ellipse(at(0, -62), 62, 60), outlined(lit(fur, 0.12), line), true});
    parts.push_back({ellipse(at(0, -55), 38, 40), lit(tan, 0.1), true});
    parts.push_back({capsule(at(50, -98), at(70, -48), 16, 14), outlined(lit(fur), line), true});
    parts.push_back({capsule(at(-46, -100), at(-80, -148), 16, 14), outlined(lit(fur), line), true});
    parts.push_back({ellipse(at(-80, -147), 7, 6), lit(tan), true});
    for (const Vec d : {Vec{-87.5, -155}, Vec{-80, -158}, Vec{-72.5, -155}}) {
        parts.push_back({circle(at(d.x, d.y), 2.6), lit(tan), true});
    }
    const Rgb scarf{236, 168, 44};
    parts.push_back(
        {polygon({at(16, -118), at(34, -116), at(38, -70), at(22, -72)}, 2), outlined(lit(scarf), 1.8), true});
    for (const double y : {-100.0, -86.0}) {
        parts.push_back({intersect(polygon({at(16, -118), at(34, -116), at(38, -70), at(22, -72)}, 2),
                                   polygon({at(0, y), at(60, y), at(60, y + 6), at(0, y + 6)})),
                         flat({196, 112, 42}), true});
    }
    parts.push_back({capsule(at(-40, -116), at(40, -116), 11, 11), outlined(lit(scarf), 1.8), true});
    parts.push_back({ellipse(at(0, -150), 47, 40), outlined(lit(fur, 0.12), line), true});
    parts.push_back({ellipse(at(0, -136), 21, 15), lit(tan, 0.15), true});
    parts.push_back(
        {ellipse(at(-28, -139), 7, 4), Paint{.colour = {236, 128, 132}, .opacity = 0.45, .softness = 2}, true});
    parts.push_back(
        {ellipse(at(28, -139), 7, 4), Paint{.colour = {236, 128, 132}, .opacity = 0.45, .softness = 2}, true});
    parts.push_back({ellipse(at(0, -145), 8.5, 6), lit({58, 40, 44}, 0.5), true});
    parts.push_back({capsule(at(0, -140), at(0, -134), 1.4, 1.4), flat(eyeDark), true});
    parts.push_back({capsule(at(-8, -136), at(0, -133), 1.4, 1.4), flat(eyeDark), true});
    parts.push_back({capsule(at(8, -136), at(0, -133), 1.4, 1.4), flat(eyeDark), true});
    for (const double side : {-1.0, 1.0}) {
        parts.push_back({ellipse(at(16 * side, -157), 4.6, 6), flat(eyeDark), true});
        parts.push_back({circle(at(16 * side - 1.5, -159), 1.6), flat(white), true});
        parts.push_back({capsule(at(22 * side, -168), at(10 * side, -170), 1.7, 1.7), flat(furDark), true});
    }
    parts.push_back(
        {intersect(ellipse(at(0, -171), 45, 25), above(at(0, -171).y)), outlined(lit(hat, 0.2), line), true});
    for (int k = -3; k <= 3; ++k) {
        parts.push_back({capsule(at(9 * k, -173), at(7.4 * k, -187 + std::abs(k) * 2), 1, 1),
                         Paint{.colour = {36, 92, 152}, .opacity = 0.7}, true});
    }
    // The ears poke out through the hat.
    for (const double side : {-1.0, 1.0}) {
        parts.push_back({circle(at(34 * side, -184), 12), outlined(lit(fur), line), true});
        parts.push_back({circle(at(34 * side, -184), 6), lit(tan), true});
    }
    parts.push_back({capsule(at(-45, -171), at(45, -171), 7.5, 7.5), outlined(lit({70, 148, 206}), line), true});
    parts.push_back({circle(at(2, -190), 9), outlined(lit({244, 246, 252}, 0.3), line), true});
}

Pictures renderScene()
{
    Pictures pictures{Canvas(sceneWidth, sceneHeight, white), Mask(sceneWidth, sceneHeight)};
    drawSky(pictures.background);

    std::vector<Part> parts;
    addSun(parts);
    addCloud(parts, {112, 44}, 92);
    addCloud(parts, {332, 26}, 70);
    addCloud(parts, {500, 62}, 56);
    addRange(parts,
             {{-10, 76},
              {34, 56},
              {74, 72},
              {124, 40},
              {168, 66},
              {206, 54},
              {248, 80},
              {302, 48},
              {352, 32},
              {404, 62},
              {446, 52},
              {492, 78},
              {542, 44},
              {592, 70},
              {642, 54},
              {690, 80},
              {730, 64}},
             {170, 186, 218}, {236, 241, 250}, 62, 11);
    addRange(parts,
             {{-10, 94},
              {44, 82},
              {96, 96},
              {150, 78},
              {206, 95},
              {262, 88},
              {322, 98},
              {382, 82},
              {442, 96},
              {520, 84},
              {600, 98},
              {664, 84},
              {730, 96}},
             {140, 162, 200}, {226, 234, 247}, 90, 12);
    Random firs(5);
    for (double x = 2; x < 720; x += firs.between(5, 11)) {
        if (x > 170 && x < 240) {
            continue;
        }
        addFarFir(parts, {x, horizonY + 2}, firs.between(7, 15));
    }
    addSnowfield(parts);
    addDrift(parts, {430, 318}, 250, 30);
    addDrift(parts, {120, 510}, 280, 110);
    addDrift(parts, {650, 500}, 210, 56);
    addPine(parts, {146, 234}, 104);
    addPine(parts, {690, 196}, 86);
    addPine(parts, {52, 340}, 210);
    addRock(parts, {268, 462}, 26);
    addRock(parts, {222, 474}, 16);
    addSnowballs(parts, {150, 462}, 11);

    // Pose points: the feet of each figure. The heads sit just under (or
    // beside) where each zone's "OW!!" label is drawn.
    addPenguin(parts, Pose{{214, 172}});
    addSnowman(parts, Pose{{352, 300}});
    addCreature(parts, Pose{{452, 345}});
    addBear(parts, {606, 466});
    addSnowflakes(parts);

    for (const Part& part : parts) {
        paint(pictures.background, pictures.mask, part);
    }
    return pictures;
}

} // namespace orvanel::scene
