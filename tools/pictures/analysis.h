// What the game will do with a scene: where the mask's shots score in each
// zone, a point to click that is well inside a target, where each "OW!!"
// label is drawn and whether it can be seen there, and the mask pixels that
// look black but never score.
#pragma once

#include <array>
#include <cstdint>

#include "platform.h"
#include "rules.h"

namespace orvanel::pictures {

// Red, green and blue all at or below this look black to the eye.
constexpr platform::Colour nearBlackLimit = 16;
// Ground under a label's letters darker than this (0 to 255) hides them.
constexpr int darkGroundLimit = 80;
// A label further than this from every target of its zone seems to float free of it.
constexpr int farFromTargetsLimit = 100;

bool looksBlack(platform::Colour c);

// A pixel's brightness as the eye weighs red, green and blue: 0 to 255.
int brightness(platform::Colour c);

// A rectangle of pixels, both corners included.
struct Box {
    int left = 0;
    int top = 0;
    int right = -1;
    int bottom = -1;
};

// The targets of one zone: pixels where a landing shot scores.
struct ZoneTargets {
    long hits = 0; // pixels of exactly 0xFF000000
    Box box;       // around every hit pixel; empty without hits
    // The hit pixel deepest inside a target: a click may miss it by depth - 1
    // pixels in any direction and still score. Valid when hits > 0.
    int clickX = 0;
    int clickY = 0;
    int depth = 0;
};

// What the mask offers the shots.
struct MaskAnalysis {
    std::array<ZoneTargets, zoneCount> zones{}; // zones 1 to 4
    long nearBlack = 0;                         // dark but not pure black
    long translucentBlack = 0;                  // pure black whose alpha is not 0xFF
};

MaskAnalysis analyseMask(const platform::Image& mask);

// One zone's "OW!!" label over the scene.
struct LabelCheck {
    Box cell;                 // the text's character cells
    int groundBrightness = 0; // mean brightness of the scene under its letters
    bool darkGround = false;  // below darkGroundLimit: the black letters will hardly show
    // Pixels from the cells to the nearest hit pixel of the zone, -1 when the
    // zone has none.
    int distanceToTargets = -1;
    bool farFromTargets = false; // beyond farFromTargetsLimit
};

// The four labels, zone 1 first, over the scene and the mask's targets.
std::array<LabelCheck, zoneCount> checkLabels(const platform::Image& scene, const platform::Image& mask);

// Whether the label's letters cover the pixel (x, y) of its cells.
bool labelInkAt(int x, int y);

} // namespace orvanel::pictures
