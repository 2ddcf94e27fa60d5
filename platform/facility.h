// The facility's own state, for its parts (facility.cpp, drawing.cpp,
// windowless.cpp) and for the window it hands the shared screen to. The game
// itself uses platform.h only.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "input.h"
#include "platform.h"

namespace platform {

// The columns left..right of one screen row; empty when right < left.
struct RowSpan {
    int left = 0;
    int right = -1;
    bool empty() const { return right < left; }
    void add(int from, int to)
    {
        if (empty()) {
            left = from;
            right = to;
        } else {
            left = std::min(left, from);
            right = std::max(right, to);
        }
    }
};

// What the game's thread and the window thread share. Every field is guarded
// by `lock`, the screen lock: the game holds it while it draws, the window
// thread while it copies the screen and services the window's events.
struct SharedScreen {
    std::mutex lock; // the screen lock
    int width = 0;   // the screen's size in pixels
    int height = 0;
    std::vector<Colour> pixels;     // width * height values, rows top to bottom
    int changedFirst = 0;           // rows changedFirst..changedLast await the window
    int changedLast = -1;           // (none when changedLast < changedFirst)
    std::vector<RowSpan> rewritten; // per row: the columns that may differ from what the window last took
    int rewrittenRows = 0;          // how many rows have such columns
    MouseTracker mouse;             // the pointer as the window last saw it
    KeyQueue keys;                  // keys the window queued for the game

    // Marks rows first..last changed (first below 0 counts as 0, last below
    // 0 or past the bottom as the bottom row).
    void markRows(int first, int last);
    bool anyMarked() const { return changedFirst <= changedLast; }
    // Columns left..right of a row (on the screen) were drawn into; the
    // window compares only such columns with what it shows.
    void noteRewritten(int row, int left, int right)
    {
        RowSpan& span = rewritten[static_cast<std::size_t>(row)];
        rewrittenRows += span.empty();
        span.add(left, right);
    }
    // The window took a row: it holds what the screen holds.
    void tookRow(int row)
    {
        RowSpan& span = rewritten[static_cast<std::size_t>(row)];
        rewrittenRows -= !span.empty();
        span = RowSpan{};
    }
    // Marked rows of which some may differ from what the window shows: a
    // frame the window must look at now.
    bool anyToShow() const { return anyMarked() && rewrittenRows > 0; }
    void clearMarks()
    {
        changedFirst = 0;
        changedLast = -1;
    }
};

// A window that shows the shared screen and feeds its input, run by a thread
// of its own. The facility calls it from the game's thread.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // Opens the window for the shared screen (sized already) and starts its
    // thread; an empty string on success, else why no window could be opened.
    // The screen stays the window's to read until stop.
    virtual std::string start(SharedScreen& shared) = 0;
    // The game released the screen lock with rows marked changed: the window
    // should show them now. Cheap, and never waits.
    virtual void screenReleased() = 0;
    // Shows the title and returns once the window has taken it.
    virtual void applyTitle(const std::string& title) = 0;
    // Stops the thread and closes the window.
    virtual void stop() = 0;
};

// Installs the window backend openScreen will start; without one the
// facility runs windowless.
void installWindowBackend(std::unique_ptr<WindowBackend> backend);

// What a screen row is known to hold: a run of an image's row, as put, but
// for the columns drawn over since. A put of the same run copies just those.
struct RowSource {
    std::uint64_t version = 0; // the image's pixels' version; 0 for none
    std::int64_t imageRow = 0;
    std::int64_t left = 0;    // where the image's left edge was, in screen columns
    std::int64_t columns = 0; // how many of its pixels the row holds
    bool operator==(const RowSource&) const = default;
};

// Everything the facility keeps.
struct Facility {
    SharedScreen shared;
    std::vector<RowSource> rowSources; // per screen row; the game's thread's, like the drawing
    std::vector<RowSpan> drawnOver;    // per screen row: the columns drawn over since its run was put

    // --- used by the game's thread only ---
    bool screenOpen = false;
    int lockDepth = 0;                          // nesting count of lockScreen
    std::string title;                          // the title as last set
    std::vector<std::unique_ptr<Image>> images; // every image made, kept to the end
    std::unique_ptr<WindowBackend> backend;     // the window, when one is installed
    std::function<void(int)> sleepHook;         // replaces the real sleep while set (windowless.h)
    std::function<void()> mouseReadHook;        // runs before each mouse read while set (windowless.h)
};

// The one facility of the process.
Facility& facility();

// Columns left..right of a screen row (on the screen) were drawn into by
// something other than a put: the row's run lacks them now, and the window
// should compare them.
void drewOver(int row, int left, int right);

// Holds one level of the nesting lock for the life of an operation.
class NestedLock {
public:
    NestedLock() { lockScreen(); }
    ~NestedLock() { unlockScreen(); }
    NestedLock(const NestedLock&) = delete;
    NestedLock& operator=(const NestedLock&) = delete;
};

} // namespace platform
