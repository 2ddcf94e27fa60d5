// The graphics facility as the game sees it: one screen of 32-bit pixels,
// off-screen images, the drawing operations, the nesting screen lock, the
// mouse, the key queue, the window title, sleep and process exit.
//
// Every operation is called from the game's thread only. With a window
// backend installed (installSdlWindow) a window thread shows the screen and
// feeds the mouse state and key queue; without one the facility runs
// windowless, and orvanel-replay and the tests drive it through
// platform/windowless.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// 0xAARRGGBB, stored unchanged; the window shows red, green and blue only.
using Colour = std::uint32_t;

// An image's pixels, row after row: a vector of colours that keeps count of
// its own changes. Reading is free; every access that can write (a
// non-const data(), operator[], begin(), end(), assign) counts as a change,
// so the screen knows which of its rows still hold an image's pixels and
// need no copying when the image is put again. A pointer taken from it is
// good for writing until the image is next put.
class ImagePixels {
public:
    ImagePixels() = default;
    ImagePixels(std::vector<Colour> values) : values_(std::move(values)) {}

    std::size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }
    const Colour* data() const { return values_.data(); }
    const Colour& operator[](std::size_t i) const { return values_[i]; }
    const Colour* begin() const { return values_.data(); }
    const Colour* end() const { return values_.data() + values_.size(); }
    operator const std::vector<Colour>&() const { return values_; }

    Colour* data() { return changed().data(); }
    Colour& operator[](std::size_t i) { return changed()[i]; }
    Colour* begin() { return changed().data(); }
    Colour* end() { return changed().data() + values_.size(); }
    void assign(std::size_t count, Colour value) { changed().assign(count, value); }

    // Different for every change of every image in the process; a copy
    // keeps its original's until it changes.
    std::uint64_t version() const { return version_; }

    friend bool operator==(const ImagePixels& a, const ImagePixels& b) { return a.values_ == b.values_; }
    friend bool operator==(const ImagePixels& a, const std::vector<Colour>& b) { return a.values_ == b; }

private:
    std::vector<Colour>& changed()
    {
        version_ = nextVersion();
        return values_;
    }
    static std::uint64_t nextVersion();

    std::vector<Colour> values_;
    std::uint64_t version_ = nextVersion(); // the content's version, see version()
};

// An off-screen picture in the screen's format: rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    ImagePixels pixels; // width * height values, row after row
};

// What openScreen reports: ok, or why no screen could be opened.
struct OpenResult {
    bool ok = false;
    std::string reason;
};

// Opens the screen (and, with a window backend, its window): width x height
// pixels of 32 bits, cleared to opaque black. Only 32 bits per pixel and one
// screen per process are supported.
OpenResult openScreen(int width, int height, int bitsPerPixel);

// Width and height of the open screen, 0 when none is open.
int screenWidth();
int screenHeight();

// Sets the window title to at most the first 127 bytes of the text; returns
// once the window shows it. Must not be called while holding the screen lock.
void setTitle(std::string_view title);

// The title as last set (what the window shows).
std::string title();

// Creates a width x height image filled with opaque magenta 0xFFFF00FF.
// Returns nullptr without an open screen or for a size that is not positive
// or too large. Images live until the process ends.
Image* createImage(int width, int height);

// The nesting screen lock. Only the outermost lockScreen takes the lock the
// window thread needs to present; inner ones only count.
void lockScreen();
// Marks rows firstRow..lastRow changed (firstRow below 0 counts as 0,
// lastRow below 0 as the bottom row), then drops one level of locking.
void unlockScreen(int firstRow, int lastRow);
// Drops one level of locking and marks nothing (for work that does not
// touch the screen, such as loading a picture into an image).
void unlockScreen();

// The drawing operations. Points are single-precision and rounded to whole
// pixels with halves away from zero; everything is clipped to the screen and
// each operation locks the screen for itself in the nested way.

// Copies the whole image to the screen with its top-left corner at (x, y),
// every value unchanged (no colour is transparent).
void putImage(float x, float y, const Image& image);
// Draws text in the built-in 8 x 8 font, ink pixels only, top-left of the
// first character cell at (x, y); character k's cell starts at x + 8k.
void drawText(float x, float y, std::string_view text, Colour colour);
// Fills a disc of the given radius around (cx, cy). Nothing is drawn when
// the radius is not above 0.
void fillCircle(float cx, float cy, float radius, Colour colour);

// The value stored at (x, y) of the image, or 0xFFFFFFFF outside it.
Colour readPixel(const Image* image, float x, float y);

// One mouse read. Inside the active window every field is the pointer's
// state; otherwise every field is -1 and status is -1.
struct MouseReading {
    std::int32_t x = -1;
    std::int32_t y = -1;
    std::int32_t wheel = -1;    // wheel clicks since the screen opened
    std::int32_t buttons = -1;  // 1 left, 2 right, 4 middle, 8 and 16 side
    std::int32_t confined = -1; // whether the pointer is held in the window: never
    std::int32_t status = -1;   // 0 when the pointer is over the active window
};
MouseReading readMouse();

// Takes the oldest entry of the key queue at once: "" when empty, one byte
// for a typed character (Escape is "\x1b"), "\xff" plus a code byte for a
// key that types nothing, "\xffk" for a close request.
std::string readKey();

// Suspends the game's thread; key presses do not cut it short.
void sleepMs(int milliseconds);

// Closes the screen and ends the process with the status.
[[noreturn]] void endProcess(int status);

// The screen memory, width x height values row after row (for tools and
// tests; the game itself draws only through the operations above).
const std::vector<Colour>& screenPixels();

} // namespace platform
