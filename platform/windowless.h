// Driving the facility without a window: what the window thread would do,
// done instead by orvanel-replay (which plays a script of input frame by
// frame) and by the tests.
#pragma once

#include <functional>

#include "input.h"

namespace platform::windowless {

// Closes the screen and forgets every image, the title, the input and the
// hooks, as at the start of the process. Earlier Image pointers dangle.
void resetFacility();

// Runs feed under the screen lock with the mouse state and key queue, as the
// window thread does when it services events.
void feedInput(const std::function<void(MouseTracker&, KeyQueue&)>& feed);

// Makes the next mouse reads give (x, y) and buttons with the window active,
// or, with buttons below 0, the -1 of a pointer outside the window.
void setPointer(int x, int y, int buttons);

// Replaces the real sleep (an empty function restores it). A replay uses it
// to mark the end of each frame.
void setSleepHook(std::function<void(int milliseconds)> hook);

// Runs before every mouse read (an empty function removes it). A replay
// uses it to feed each frame's pointer just before the game reads it.
void setMouseReadHook(std::function<void()> hook);

} // namespace platform::windowless
