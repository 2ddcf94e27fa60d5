// stepShots: one frame of the game's logic, from the mouse read to the
// landing of a shot and the labels' countdown.
#include <algorithm>
#include <limits>
#include <string>

#include "game.h"

namespace orvanel {

namespace {

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
