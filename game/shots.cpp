#include <algorithm>
#include <limits>
#include <string>

#include "game.h"

namespace orvanel {

namespace {

// framesLeft of a new shot: it lands on its twentieth advance.
constexpr std::int32_t flightFrames = 20;
// The horizontal middle of the screen; a shot starts halfway between it and
// the clicked x.
constexpr std::int32_t screenMiddleX = 360;
// Every shot starts 20 pixels below the bottom edge of the 480-pixel screen.
constexpr double startY = 500.0;
// Each frame a shot covers one sixth of its remaining distance.
constexpr double easingDivisor = 6.0;
// The mask value that counts as a hit: opaque black, nothing near it.
constexpr platform::Colour hitColour = 0xFF000000u;
// Zone limits on the target's x: zone 1 below 260, zone 2 below 390,
// zone 3 below 500, zone 4 from 500 on.
constexpr std::array<std::int32_t, zoneCount - 1> zoneLimits{260, 390, 500};
// A hit shows its zone's label from the hit frame for 29 frames in all.
constexpr std::int32_t labelFrames = 30;

constexpr std::string_view titlePrefix = "Orvanel - ";

// The zone (1 to 4) a target x falls in.
int zoneOf(std::int32_t targetX)
{
    int zone = 1;
    for (std::int32_t limit : zoneLimits)
        if (targetX >= limit)
            ++zone;
    return zone;
}

void readMouse(GameState& state)
{
    state.previousButtons = state.buttons;
    const platform::MouseReading mouse = platform::readMouse();
    state.mouseX = mouse.x;
    state.mouseY = mouse.y;
    state.buttons = mouse.buttons;
}

// A press counts only after a read that saw no button held inside the
// active window (0, not the -1 of a pointer outside).
void throwOnFreshClick(GameState& state)
{
    if (state.buttons <= 0 || state.previousButtons != 0 || state.shotCount >= shotCapacity)
        return;
    Shot& shot = state.shots[static_cast<std::size_t>(state.shotCount)];
    ++state.shotCount;
    shot.targetX = state.mouseX;
    shot.targetY = state.mouseY;
    shot.framesLeft = flightFrames;
    shot.x = (state.mouseX - screenMiddleX) / 2 + screenMiddleX; // halved toward zero
    shot.y = startY;
}

// Scores a landing at the clicked point when the mask is opaque black there.
void land(GameState& state, const Shot& shot)
{
    const platform::Colour maskValue =
        platform::readPixel(state.maskImage, static_cast<float>(shot.targetX), static_cast<float>(shot.targetY));
    if (maskValue != hitColour)
        return;
    if (state.score < std::numeric_limits<std::int32_t>::max())
        ++state.score;
    platform::setTitle(std::string(titlePrefix) + std::to_string(state.score));
    state.labelTimer[static_cast<std::size_t>(zoneOf(shot.targetX) - 1)] = labelFrames;
}

// Advances every shot up to the first that lands; the shots behind a landed
// one stand still this frame, so at most one lands per frame.
void advanceAndLand(GameState& state)
{
    const std::int32_t end = state.shotCount;
    for (std::int32_t i = 0; i < end; ++i) {
        Shot& shot = state.shots[static_cast<std::size_t>(i)];
        shot.x = shot.x + (shot.targetX - shot.x) / easingDivisor;
        shot.y = shot.y + (shot.targetY - shot.y) / easingDivisor;
        --shot.framesLeft;
        if (shot.framesLeft > 0)
            continue;
        land(state, shot);
        const auto first = state.shots.begin();
        std::copy(first + i + 1, first + state.shotCount, first + i);
        --state.shotCount;
        return;
    }
}

// Timers keep falling below zero while no hit comes; they stop at the
// type's limit rather than wrap round and bring a label back.
void countDownLabels(GameState& state)
{
    for (std::int32_t& timer : state.labelTimer)
        if (timer > std::numeric_limits<std::int32_t>::min())
            --timer;
}

} // namespace

void stepShots(GameState& state)
{
    readMouse(state);
    throwOnFreshClick(state);
    advanceAndLand(state);
    countDownLabels(state);
}

} // namespace orvanel
