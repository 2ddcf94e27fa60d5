// The facility's shared state, for the window thread and the windowless
// test driver. The game itself uses platform.h only.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "input.h"
#include "platform.h"

namespace platform {

// A window that shows the screen and collects input, run by a thread of its
// own. The facility calls it from the game's thread.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // Opens the window and starts its thread; an empty string on success,
    // else the reason the window could not be opened.
    virtual std::string start(int width, int height) = 0;
    // Shows the title and returns once the window has taken it.
    virtual void applyTitle(const std::string& title) = 0;
    // Stops the thread and closes the window.
    virtual void stop() = 0;
};

// Installs the window backend openScreen will start; without one the
// facility runs windowless.
void installWindowBackend(std::unique_ptr<WindowBackend> backend);

// Everything the screen lock guards, and the game-side bookkeeping around it.
struct Facility {
    // The screen lock: held by the game while it draws and by the window
    // thread while it copies the screen and services events.
    std::mutex screenMutex;

    // --- guarded by screenMutex ---
    int width = 0;
    int height = 0;
    std::vector<Colour> screen; // width * height pixels, rows top to bottom
    int changedFirst = 0;       // rows changedFirst..changedLast await presenting
    int changedLast = -1;       // (none when changedLast < changedFirst)
    MouseTracker mouse;
    KeyQueue keys;

    // --- used by the game's thread only ---
    bool screenOpen = false;
    int lockDepth = 0;                          // nesting count of lockScreen
    std::string title;                          // the title as last set
    std::vector<std::unique_ptr<Image>> images; // every image made, kept to the end
    std::unique_ptr<WindowBackend> backend;     // the window, when one is installed

    // Marks rows first..last changed; caller holds screenMutex.
    void markRows(int first, int last);
};

// The one facility of the process.
Facility& facility();

} // namespace platform
