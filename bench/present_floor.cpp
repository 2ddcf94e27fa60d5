// orvanel-present-floor [SECONDS]: the least any window showing this game's
// picture must pay. One thread copies a 720 x 480 picture into a shared
// buffer every 18 ms, as the game draws a frame; the other copies each fresh
// frame into the window surface (plain memory shared with the X server, the
// cheapest way SDL has to show a picture), sends it, and services events. It reads background.bmp from
// the working folder (a plain pattern without it) and ends on Escape, on a
// close request or after SECONDS.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvanel {
namespace {

constexpr int frameWidth = 720;
constexpr int frameHeight = 480;
constexpr std::size_t framePixels = std::size_t{frameWidth} * frameHeight;
constexpr int framePitch = frameWidth * 4; // bytes from one row to the next
constexpr auto framePause = std::chrono::milliseconds(18);
// How long the window waits for a fresh frame before servicing events anyway.
constexpr auto eventPause = std::chrono::milliseconds(10);

// What the two threads share.
struct SharedFrame {
    std::mutex lock;
    std::condition_variable fresh;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(framePixels); // the frame last drawn
    bool waiting = false;                                                        // a frame not yet shown
    bool stopping = false;                                                       // the window has closed
};

std::vector<std::uint32_t> loadPicture()
{
    std::vector<std::uint32_t> picture(framePixels);
    for (std::size_t i = 0; i < framePixels; ++i)
        picture[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    SDL_Surface* loaded = SDL_LoadBMP("background.bmp");
    if (loaded == nullptr)
        return picture;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (argb == nullptr)
        return picture;
    const int rows = std::min(argb->h, frameHeight);
    const auto rowBytes = static_cast<std::size_t>(std::min(argb->w, frameWidth)) * 4;
    for (int y = 0; y < rows; ++y)
        std::memcpy(picture.data() + static_cast<std::size_t>(y) * frameWidth,
                    static_cast<const std::uint8_t*>(argb->pixels) + static_cast<std::ptrdiff_t>(y) * argb->pitch,
                    rowBytes);
    SDL_FreeSurface(argb);
    return picture;
}

// The drawing side: a fresh copy of the picture every 18 ms.
void drawFrames(SharedFrame& shared, const std::vector<std::uint32_t>& picture)
{
    for (;;) {
        {
            std::lock_guard guard(shared.lock);
            if (shared.stopping)
                return;
            std::memcpy(shared.pixels.data(), picture.data(), framePixels * 4);
            shared.waiting = true;
        }
        shared.fresh.notify_one();
        std::this_thread::sleep_for(framePause);
    }
}

bool serviceEvents()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            return false;
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            return false;
    }
    return true;
}

// Copies the frame into the window surface, converting only when the
// surface is not a 32-bit layout with red, green and blue where ours are.
void copyToSurface(SDL_Surface* surface, const std::vector<std::uint32_t>& frame)
{
    const Uint32 format = surface->format->format;
    if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) {
        SDL_ConvertPixels(frameWidth, frameHeight, SDL_PIXELFORMAT_ARGB8888, frame.data(), framePitch, format,
                          surface->pixels, surface->pitch);
        return;
    }
    const int rows = std::min(surface->h, frameHeight);
    const auto rowBytes = static_cast<std::size_t>(std::min(surface->w, frameWidth)) * 4;
    for (int y = 0; y < rows; ++y)
        std::memcpy(static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch,
                    frame.data() + static_cast<std::size_t>(y) * frameWidth, rowBytes);
}

int run(double seconds)
{
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "orvanel-present-floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Orvanel floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, frameWidth,
                                          frameHeight, SDL_WINDOW_SHOWN);
    if (window == nullptr || SDL_GetWindowSurface(window) == nullptr) {
        std::fprintf(stderr, "orvanel-present-floor: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    const std::vector<std::uint32_t> picture = loadPicture();
    SharedFrame shared;
    std::thread drawer(drawFrames, std::ref(shared), std::cref(picture));

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (serviceEvents() && (seconds <= 0 || std::chrono::steady_clock::now() < deadline)) {
        SDL_Surface* surface = SDL_GetWindowSurface(window);
        std::unique_lock guard(shared.lock);
        if (!shared.fresh.wait_for(guard, eventPause, [&] { return shared.waiting; }) || surface == nullptr)
            continue;
        copyToSurface(surface, shared.pixels);
        shared.waiting = false;
        guard.unlock();
        SDL_UpdateWindowSurface(window);
    }
    {
        std::lock_guard guard(shared.lock);
        shared.stopping = true;
    }
    drawer.join();
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

} // namespace
} // namespace orvanel

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.0;
    return orvanel::run(seconds);
}
