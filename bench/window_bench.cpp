// The cost of showing a frame in full screen: the area-coverage scaler that
// keeps every pixel the same width, against SDL's nearest-pixel stretch, for
// a whole frame (after a switch or an expose) and for the band a disc
// changes (every other frame).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "rules.h"
#include "scaler.h"

namespace orvanel {
namespace {

// A 1920 x 1080 screen: the picture fills 1620 x 1080 of it, 2.25 times.
constexpr int areaWidth = 1620;
constexpr int areaHeight = 1080;

std::vector<platform::Colour> busyPicture()
{
    std::vector<platform::Colour> picture(std::size_t{screenWidth} * screenHeight);
    std::uint32_t state = 0x5EED;
    for (platform::Colour& c : picture) {
        state = state * 1664525u + 1013904223u;
        c = 0xFF000000u | (state >> 8);
    }
    return picture;
}

// A disc's band: 40 rows of 40 pixels of the picture.
constexpr platform::Rect discBand{300, 200, 40, 40};

void BM_FullScreen_area(benchmark::State& bench, bool whole)
{
    const std::vector<platform::Colour> picture = busyPicture();
    std::vector<std::uint32_t> area(std::size_t{areaWidth} * areaHeight);
    platform::PictureScaler scaler;
    scaler.setUp(screenWidth, screenHeight, areaWidth, areaHeight);
    const platform::Rect region =
        whole ? platform::Rect{0, 0, areaWidth, areaHeight}
              : scaler.affected(discBand.x, discBand.y, discBand.x + discBand.w - 1, discBand.y + discBand.h - 1);
    for (auto _ : bench) {
        scaler.draw(picture.data(), region, reinterpret_cast<std::uint8_t*>(area.data()), areaWidth * 4);
        benchmark::ClobberMemory();
    }
}

void BM_FullScreen_nearest(benchmark::State& bench, bool whole)
{
    std::vector<platform::Colour> picture = busyPicture();
    std::vector<std::uint32_t> area(std::size_t{areaWidth} * areaHeight);
    SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(picture.data(), screenWidth, screenHeight, 32,
                                                           screenWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_Surface* to = SDL_CreateRGBSurfaceWithFormatFrom(area.data(), areaWidth, areaHeight, 32, areaWidth * 4,
                                                         SDL_PIXELFORMAT_RGB888);
    SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);
    // SDL stretches whole rectangles; a band is stretched on its own.
    SDL_Rect source =
        whole ? SDL_Rect{0, 0, screenWidth, screenHeight} : SDL_Rect{discBand.x, discBand.y, discBand.w, discBand.h};
    SDL_Rect target = whole ? SDL_Rect{0, 0, areaWidth, areaHeight}
                            : SDL_Rect{discBand.x * 9 / 4, discBand.y * 9 / 4, discBand.w * 9 / 4, discBand.h * 9 / 4};
    for (auto _ : bench) {
        SDL_BlitScaled(from, &source, to, &target);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(from);
    SDL_FreeSurface(to);
}

BENCHMARK_CAPTURE(BM_FullScreen_area, frame, true)->Name("BM_FullScreen/frame/area");
BENCHMARK_CAPTURE(BM_FullScreen_nearest, frame, true)->Name("BM_FullScreen/frame/nearest");
BENCHMARK_CAPTURE(BM_FullScreen_area, disc, false)->Name("BM_FullScreen/disc/area");
BENCHMARK_CAPTURE(BM_FullScreen_nearest, disc, false)->Name("BM_FullScreen/disc/nearest");

} // namespace
} // namespace orvanel
