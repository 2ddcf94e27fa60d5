#include "window_painter.h"

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// Most rectangles sent for one frame; each is one request to the display.
constexpr int maxBandsPerFrame = 8;

// Whether a surface holds 32-bit pixels with red, green and blue where the
// screen has them: the window shows no alpha, so screen values copy as they are.
bool screenLayout(const SDL_Surface* surface)
{
    const Uint32 format = surface->format->format;
    return format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
}

} // namespace

void WindowPainter::reset(int width, int height)
{
    width_ = width;
    height_ = height;
    surface_ = nullptr;
    place_ = {0, 0, width, height};
    repaintAll_ = true;
}

void WindowPainter::windowResized(int windowWidth, int windowHeight)
{
    place_ = letterbox(windowWidth, windowHeight, width_, height_);
    repaintAll_ = true;
}

bool WindowPainter::present(SDL_Window* window, ShownFrame& frame)
{
    // 1. A new or resized window surface (the first present, a switch of
    //    full screen) lays the picture out again and paints it all.
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) {
        surface_ = nullptr;
        return false;
    }
    if (surface != surface_ || surface->w != surfaceWidth_ || surface->h != surfaceHeight_) {
        surface_ = surface;
        surfaceWidth_ = surface->w;
        surfaceHeight_ = surface->h;
        repaintAll_ = true;
    }
    // 2. Everything, bars included, when the window lost or moved its contents.
    if (repaintAll_) {
        place_ = letterbox(surface->w, surface->h, width_, height_);
        scaler_.setUp(width_, height_, place_.w, place_.h);
        if (!screenLayout(surface))
            converted_.assign(static_cast<std::size_t>(place_.w) * static_cast<std::size_t>(place_.h), 0);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        draw({0, 0, width_, height_}, frame, surface);
        SDL_UpdateWindowSurface(window);
        frame.clearChanged();
        repaintAll_ = false;
        return true;
    }
    // 3. Otherwise just the bands that differ from what the window shows.
    if (!frame.anyChanged())
        return false;
    std::vector<SDL_Rect> sent;
    for (const Rect& band : frame.changedBands(maxBandsPerFrame))
        if (const SDL_Rect rect = draw(band, frame, surface); rect.w > 0 && rect.h > 0)
            sent.push_back(rect);
    frame.clearChanged();
    if (sent.empty())
        return false;
    SDL_UpdateWindowSurfaceRects(window, sent.data(), static_cast<int>(sent.size()));
    return true;
}

SDL_Rect WindowPainter::draw(const Rect& changed, const ShownFrame& frame, SDL_Surface* surface)
{
    // The window pixels that show the changed picture pixels: the same ones
    // one to one, their scaled cover otherwise.
    const bool oneToOne = place_.w == width_ && place_.h == height_;
    const Rect area =
        oneToOne ? changed
                 : scaler_.affected(changed.x, changed.y, changed.x + changed.w - 1, changed.y + changed.h - 1);
    if (area.w <= 0 || area.h <= 0)
        return {};
    const int bytesPerPixel = surface->format->BytesPerPixel;
    auto* placed = static_cast<std::uint8_t*>(surface->pixels) +
                   static_cast<std::ptrdiff_t>(place_.y) * surface->pitch + place_.x * bytesPerPixel;
    std::uint8_t* to = placed + static_cast<std::ptrdiff_t>(area.y) * surface->pitch + area.x * bytesPerPixel;
    if (oneToOne) {
        const Colour* from =
            frame.pixels() + static_cast<std::size_t>(area.y) * static_cast<std::size_t>(width_) + area.x;
        if (screenLayout(surface)) {
            for (int row = 0; row < area.h; ++row)
                std::memcpy(to + static_cast<std::ptrdiff_t>(row) * surface->pitch,
                            from + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_),
                            static_cast<std::size_t>(area.w) * sizeof(Colour));
        } else {
            SDL_ConvertPixels(area.w, area.h, SDL_PIXELFORMAT_ARGB8888, from, width_ * 4, surface->format->format, to,
                              surface->pitch);
        }
    } else if (screenLayout(surface)) {
        scaler_.draw(frame.pixels(), area, placed, surface->pitch);
    } else {
        auto* scaled = reinterpret_cast<std::uint8_t*>(converted_.data());
        const int pitch = place_.w * 4;
        scaler_.draw(frame.pixels(), area, scaled, pitch);
        SDL_ConvertPixels(area.w, area.h, SDL_PIXELFORMAT_ARGB8888,
                          scaled + static_cast<std::ptrdiff_t>(area.y) * pitch + area.x * 4, pitch,
                          surface->format->format, to, surface->pitch);
    }
    return {place_.x + area.x, place_.y + area.y, area.w, area.h};
}

} // namespace platform
