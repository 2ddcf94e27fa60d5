// Paints the shown frame into the SDL window's surface and sends it to the
// display: everything after the window lost or moved its contents, else only
// the bands that differ from what the window shows (a frame like the last
// sends nothing). One to one in the window, scaled into the letterbox in
// full screen. Runs on the window thread.
#pragma once

#include <SDL_video.h>

#include <vector>

#include "letterbox.h"
#include "scaler.h"
#include "shown_frame.h"

namespace platform {

class WindowPainter {
public:
    // For a picture of width x height pixels.
    void reset(int width, int height);

    // The window's size changed: pointer positions map by the new layout at
    // once, and everything is painted again at the next present.
    void windowResized(int windowWidth, int windowHeight);
    // The window lost or moved its contents: paint and send everything.
    void repaintAll() { repaintAll_ = true; }

    // Sends what the frame changed (or everything, when asked or when the
    // window surface is new) and clears the frame's changes; true when it
    // sent anything.
    bool present(SDL_Window* window, ShownFrame& frame);

    // Where the picture lands in the window.
    const Rect& place() const { return place_; }

private:
    SDL_Rect draw(const Rect& changed, const ShownFrame& frame, SDL_Surface* surface);

    int width_ = 0; // the picture's size
    int height_ = 0;
    SDL_Surface* surface_ = nullptr; // the window surface as last painted into
    int surfaceWidth_ = 0;           // its size then
    int surfaceHeight_ = 0;
    Rect place_{};                  // where the picture lands in the window
    PictureScaler scaler_;          // draws the picture into place_ when that is not one to one
    std::vector<Colour> converted_; // the picture's place in ARGB, for a window of another layout
    bool repaintAll_ = true;        // paint and send everything at the next present
};

} // namespace platform
