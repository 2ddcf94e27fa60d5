// The rules the game plays by: every number and text of the game, each in
// one place. The game, the picture checker, the replay tool, the fuzzer and
// the benchmarks take them from here.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform.h"

namespace orvanel {

// The screen, which both pictures fill.
constexpr int screenWidth = 720;
constexpr int screenHeight = 480;
constexpr int screenBitsPerPixel = 32;

// The window title, and the title after a hit: the prefix and the score.
constexpr std::string_view gameTitle = "Orvanel";
constexpr std::string_view titlePrefix = "Orvanel - ";

// The pictures, read from the working folder at start-up.
constexpr const char* backgroundFile = "background.bmp";
constexpr const char* maskFile = "mask.bmp";

// The pause between frames; a frame lasts this plus its work.
constexpr int frameSleepMs = 18;

// Most shots in flight at once; no shot is thrown while the table is full.
constexpr int shotCapacity = 1024;
// framesLeft of a new shot: it lands on its twentieth advance.
constexpr std::int32_t flightFrames = 20;
// The horizontal middle of the screen; a shot starts halfway between it and
// the clicked x.
constexpr std::int32_t screenMiddleX = 360;
// Every shot starts 20 pixels below the bottom edge of the screen.
constexpr double startY = 500.0;
// Each frame a shot covers one sixth of its remaining distance.
constexpr double easingDivisor = 6.0;

// The mask value that counts as a hit: opaque black, nothing near it.
constexpr platform::Colour hitColour = 0xFF000000u;

// Target zones across the scene by the target's x: zone 1 below 260, zone 2
// below 390, zone 3 below 500, zone 4 from 500 on.
constexpr int zoneCount = 4;
constexpr std::array<std::int32_t, zoneCount - 1> zoneLimits{260, 390, 500};

// The zone (1 to 4) a target x falls in.
constexpr int zoneOf(std::int32_t targetX)
{
    int zone = 1;
    for (const std::int32_t limit : zoneLimits)
        if (targetX >= limit)
            ++zone;
    return zone;
}

// A hit sets its zone's label timer to this: the label shows from the hit
// frame for 29 frames in all.
constexpr std::int32_t labelFrames = 30;
constexpr std::string_view labelText = "OW!!";
constexpr platform::Colour labelColour = 0xFF000000u;
// Top-left corner of each zone's label, zone 1 first.
struct LabelPosition {
    float x;
    float y;
};
constexpr std::array<LabelPosition, zoneCount> labelPositions{{{190, 112}, {386, 177}, {474, 210}, {600, 254}}};
// The label's cells: 8 x 8 pixels a character.
constexpr int labelWidth = 8 * static_cast<int>(labelText.size());
constexpr int labelHeight = 8;

constexpr platform::Colour shotColour = 0xFFFF0000u;

// A disc shrinks from radius 18 (not yet advanced) to 8.5 in its last frame.
constexpr double discRadius(std::int32_t framesLeft)
{
    return framesLeft / 2.0 + 8.0;
}

} // namespace orvanel
