// The cost of one frame of the game, against the cost of copying one frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "game.h"
#include "platform.h"
#include "rules.h"

namespace orvanel {
namespace {

constexpr std::size_t framePixels = std::size_t{screenWidth} * screenHeight;
constexpr std::size_t frameBytes = framePixels * sizeof(platform::Colour);
// Far more frames than any benchmark runs, so no shot ever lands.
constexpr std::int32_t neverLands = 1 << 30;

// A fixed pseudo-random sequence, so every run draws the same scene.
class Lcg {
public:
    std::uint32_t next()
    {
        state_ = state_ * 6364136223846793005u + 1442695040888963407u;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    std::int32_t below(std::int32_t limit)
    {
        return static_cast<std::int32_t>(next() % static_cast<std::uint32_t>(limit));
    }

private:
    std::uint64_t state_ = 0x5EED;
};

// The windowless screen with the two pictures the benchmarks draw from:
// a busy scene and a mask with four black targets, as the game's own are.
GameState& preparedState()
{
    static GameState state = [] {
        GameState s;
        platform::openScreen(screenWidth, screenHeight, screenBitsPerPixel);
        s.backgroundImage = platform::createImage(screenWidth, screenHeight);
        s.maskImage = platform::createImage(screenWidth, screenHeight);
        Lcg random;
        for (platform::Colour& c : s.backgroundImage->pixels)
            c = 0xFF000000u | (random.next() & 0xFFFFFFu);
        std::fill(s.maskImage->pixels.begin(), s.maskImage->pixels.end(), 0xFFFFFFFFu);
        for (const int left : {100, 300, 420, 560})
            for (int y = 150; y < 350; ++y)
                for (int x = left; x < left + 80; ++x)
                    s.maskImage->pixels[static_cast<std::size_t>(y * screenWidth + x)] = 0xFF000000u;
        return s;
    }();
    return state;
}

// A shot thrown at a random point of the screen and advanced as play would
// have advanced it by the time it has framesLeft frames to go.
Shot shotInFlight(Lcg& random, std::int32_t framesLeft)
{
    Shot shot;
    shot.targetX = random.below(screenWidth);
    shot.targetY = random.below(screenHeight);
    shot.framesLeft = framesLeft;
    shot.x = (shot.targetX - 360) / 2 + 360;
    shot.y = startY;
    for (std::int32_t step = framesLeft; step < flightFrames; ++step) {
        shot.x += (shot.targetX - shot.x) / easingDivisor;
        shot.y += (shot.targetY - shot.y) / easingDivisor;
    }
    return shot;
}

// A full table in throw order: framesLeft never falls along it, and every
// value from 1 to 20 is held by about the same number of shots.
void fillShots(GameState& state)
{
    Lcg random;
    state.shotCount = shotCapacity;
    for (std::int32_t i = 0; i < shotCapacity; ++i)
        state.shots[static_cast<std::size_t>(i)] = shotInFlight(random, 1 + i * flightFrames / shotCapacity);
}

void BM_FrameCopyFloor(benchmark::State& bench)
{
    std::vector<platform::Colour> from(framePixels, 0xFF336699u);
    std::vector<platform::Colour> to(framePixels);
    for (auto _ : bench) {
        std::memcpy(to.data(), from.data(), frameBytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * static_cast<std::int64_t>(frameBytes));
}

void drawSceneWith(benchmark::State& bench, bool labels, bool shots)
{
    GameState& state = preparedState();
    state.labelTimer.fill(labels ? labelFrames : 0);
    state.shotCount = 0;
    if (shots)
        fillShots(state);
    for (auto _ : bench) {
        drawScene(state);
        benchmark::ClobberMemory();
    }
    state.labelTimer.fill(0);
    state.shotCount = 0;
}

void BM_DrawScene_empty(benchmark::State& bench)
{
    drawSceneWith(bench, false, false);
}

void BM_DrawScene_labels(benchmark::State& bench)
{
    drawSceneWith(bench, true, false);
}

void BM_DrawScene_shots(benchmark::State& bench)
{
    drawSceneWith(bench, false, true);
}

// A full table that only flies: the mouse reads -1 (no window), so nothing
// is thrown, and no shot comes near landing.
void BM_StepShots_flying(benchmark::State& bench)
{
    GameState& state = preparedState();
    fillShots(state);
    for (std::int32_t i = 0; i < state.shotCount; ++i)
        state.shots[static_cast<std::size_t>(i)].framesLeft = neverLands;
    for (auto _ : bench) {
        stepShots(state);
        benchmark::ClobberMemory();
    }
    state.shotCount = 0;
}

// A full table whose first shot lands every frame: the rest stand still
// and move up one place, and a fresh shot refills the last place.
void BM_StepShots_landing(benchmark::State& bench)
{
    GameState& state = preparedState();
    fillShots(state);
    Lcg random;
    std::vector<Shot> refills(4096);
    for (Shot& shot : refills)
        shot = shotInFlight(random, flightFrames);
    std::size_t next = 0;
    const std::int32_t scoreBefore = state.score;
    for (auto _ : bench) {
        state.shots[0].framesLeft = 1;
        stepShots(state);
        state.shots[static_cast<std::size_t>(state.shotCount)] = refills[next++ % refills.size()];
        ++state.shotCount;
        benchmark::ClobberMemory();
    }
    const std::int64_t hits = state.score - scoreBefore;
    const auto frames = static_cast<double>(std::max<std::int64_t>(bench.iterations(), 1));
    bench.counters["hitShare"] = static_cast<double>(hits) / frames;
    state.shotCount = 0;
}

BENCHMARK(BM_FrameCopyFloor);
BENCHMARK(BM_DrawScene_empty)->Name("BM_DrawScene/0");
BENCHMARK(BM_DrawScene_labels)->Name("BM_DrawScene/labels");
BENCHMARK(BM_DrawScene_shots)->Name("BM_DrawScene/1024");
BENCHMARK(BM_StepShots_flying)->Name("BM_StepShots/1024");
BENCHMARK(BM_StepShots_landing)->Name("BM_StepShots/1024/landing");

} // namespace
} // namespace orvanel
