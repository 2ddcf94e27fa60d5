// The game's state and its frame steps.
#pragma once

#include <array>
#include <cstdint>

#include "platform.h"
#include "rules.h"

namespace orvanel {

// One shot in flight.
struct Shot {
    std::int32_t targetX = 0; // the clicked point the shot flies to and lands on
    std::int32_t targetY = 0;
    std::int32_t framesLeft = 0; // frames until the shot lands; 20 when thrown
    double x = 0;                // the shot's current centre in screen pixels
    double y = 0;
};

// Everything the game knows; one instance lives for the whole process.
struct GameState {
    std::int32_t shotCount = 0;                       // shots in flight, 0 to shotCapacity
    std::array<Shot, shotCapacity> shots{};           // in throw order, packed at the front
    std::array<std::int32_t, zoneCount> labelTimer{}; // labelTimer[zone - 1]: label shown while above 0
    std::int32_t mouseX = 0;                          // pointer position read this frame
    std::int32_t mouseY = 0;
    std::int32_t buttons = 0;                   // button state read this frame
    std::int32_t previousButtons = 0;           // buttons as read the frame before
    std::int32_t score = 0;                     // hits so far
    platform::Image* backgroundImage = nullptr; // the scene picture, drawn every frame
    platform::Image* maskImage = nullptr;       // the hit mask, never drawn
};

// Opens the window, sets the title, makes the two images and loads the
// pictures from the working folder. Ends the process with status 1 when no
// window can be opened.
void startGame(GameState& state);

// One frame of game logic: read the mouse, throw on a fresh click, advance
// the shots and land at most one, count down the labels.
void stepShots(GameState& state);

// Draws one whole frame under the screen lock and releases it for showing.
void drawScene(const GameState& state);

// The whole program: start-up, then frames until Escape; exits with 0.
[[noreturn]] void runGame();

} // namespace orvanel
