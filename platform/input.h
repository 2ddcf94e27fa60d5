// The input the window collects for the game: the mouse state and the key
// queue. Both are plain values kept under the screen lock; the window thread
// (or a test) feeds them and the game's reads take from them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform.h"

namespace platform {

// A bounded queue of keys. It has 16 slots and holds at most 15 keys: a key
// that arrives while 15 are waiting is stored and the oldest waiting key is
// dropped, so the newest input always gets through.
class KeyQueue {
public:
    static constexpr int slotCount = 16;
    static constexpr int capacity = slotCount - 1;

    // Adds a key of one or two bytes; longer keys are cut to two.
    void push(std::string_view key);
    // Takes the oldest key, or "" when none is waiting.
    std::string pop();
    int size() const;
    void clear();

private:
    struct Entry {
        std::array<char, 2> bytes{};
        std::uint8_t length = 0;
    };
    std::array<Entry, slotCount> slots_{};
    int head_ = 0; // slot of the oldest waiting key
    int tail_ = 0; // slot the next key goes into; head_ == tail_ when empty
};

// The pointer as the window last saw it, and the rule that turns it into a
// mouse read.
class MouseTracker {
public:
    // A tracker for a screen of width x height pixels; without a screen
    // (the default) every read is outside.
    MouseTracker() = default;
    MouseTracker(int width, int height) : width_(width), height_(height) {}

    // The pointer moved to (x, y) in screen pixels; a position outside the
    // screen (a letterbox bar, beyond the edges) counts as outside.
    void pointerMoved(int x, int y);
    // The pointer left the window.
    void pointerLeft();
    // A button (1, 2, 4, 8 or 16) went down or up.
    void buttonDown(int button);
    void buttonUp(int button);
    // Sets the whole set of held buttons at once.
    void setButtons(std::int32_t buttons);
    void wheelTurned(int clicks);
    // Focus and minimising decide whether the window is active; a change of
    // focus clears the held buttons.
    void focusChanged(bool focused);
    void minimizedChanged(bool minimized);

    // x, y, wheel and buttons while the window is active and the pointer is
    // over the screen area, else all -1 with status -1.
    MouseReading read() const;

private:
    int width_ = 0; // the screen's size: the area a pointer counts as over
    int height_ = 0;
    int x_ = -1; // pointer position at its latest motion
    int y_ = -1;
    bool inWindow_ = false; // pointer over the window (not left it)
    bool focused_ = false;
    bool minimized_ = false;
    std::int32_t buttons_ = 0; // buttons held
    std::int32_t wheel_ = 0;   // wheel clicks so far
};

} // namespace platform
