#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game.h"
#include "platform.h"
#include "windowless.h"

namespace {

using orvanel::GameState;
using orvanel::Shot;
using platform::Colour;

constexpr Colour sceneColour = 0xFF336699u;
constexpr Colour white = 0xFFFFFFFFu;
constexpr Colour black = 0xFF000000u;
constexpr Colour red = 0xFFFF0000u;

// The pointer as one frame's mouse read should see it.
struct Pointer {
    int x = -1;
    int y = -1;
    int buttons = -1; // -1: outside the window
};

// A game on the windowless facility with a plain scene and a white mask.
class Game : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::windowless::resetFacility();
        ASSERT_TRUE(platform::openScreen(720, 480, 32).ok);
        platform::setTitle("Orvanel");
        state = std::make_unique<GameState>();
        state->backgroundImage = platform::createImage(720, 480);
        state->maskImage = platform::createImage(720, 480);
        std::fill(state->backgroundImage->pixels.begin(), state->backgroundImage->pixels.end(), sceneColour);
        std::fill(state->maskImage->pixels.begin(), state->maskImage->pixels.end(), white);
    }
    void TearDown() override { platform::windowless::resetFacility(); }

    void setMask(int x, int y, Colour c) { state->maskImage->pixels[static_cast<std::size_t>(y * 720 + x)] = c; }

    // One frame: the mouse read sees p, then the logic and the drawing run.
    void frame(Pointer p)
    {
        platform::windowless::setPointer(p.x, p.y, p.buttons);
        orvanel::stepShots(*state);
        orvanel::drawScene(*state);
    }
    // A click: pressed this frame, released the next.
    void click(int x, int y)
    {
        frame({x, y, 1});
        frame({x, y, 0});
    }
    void idle(int frames)
    {
        for (int i = 0; i < frames; ++i)
            frame({5, 5, 0});
    }

    static Colour at(int x, int y) { return platform::screenPixels()[static_cast<std::size_t>(y * 720 + x)]; }

    std::unique_ptr<GameState> state;
};

TEST_F(Game, ShotFliesTwentyFramesAndLandsOnTheClickedPoint)
{
    setMask(100, 100, black);
    frame({100, 100, 1}); // frame 1: thrown and advanced once
    ASSERT_EQ(state->shotCount, 1);
    const Shot& shot = state->shots[0];
    EXPECT_EQ(shot.targetX, 100);
    EXPECT_EQ(shot.targetY, 100);
    EXPECT_EQ(shot.framesLeft, 19);
    const double startX = (100 - 360) / 2 + 360; // 230
    EXPECT_DOUBLE_EQ(shot.x, startX + (100 - startX) / 6.0);
    EXPECT_DOUBLE_EQ(shot.y, 500.0 + (100 - 500.0) / 6.0);
    for (int f = 2; f <= 19; ++f) {
        frame({100, 100, 0});
        ASSERT_EQ(state->shotCount, 1) << "frame " << f;
        EXPECT_EQ(state->shots[0].framesLeft, 20 - f) << "frame " << f;
        EXPECT_EQ(platform::title(), "Orvanel") << "frame " << f;
    }
    frame({100, 100, 0}); // frame 20: lands
    EXPECT_EQ(state->shotCount, 0);
    EXPECT_EQ(state->score, 1);
    EXPECT_EQ(platform::title(), "Orvanel - 1");
}

TEST_F(Game, StartingXIsHalfwayToTheMiddleTruncatedTowardZero)
{
    struct Case {
        int mouseX;
        double startX;
    };
    for (const Case c : {Case{0, 180}, Case{1, 181}, Case{719, 539}, Case{360, 360}, Case{361, 360}}) {
        SetUp();
        frame({c.mouseX, 50, 1});
        ASSERT_EQ(state->shotCount, 1);
        EXPECT_DOUBLE_EQ(state->shots[0].x, c.startX + (c.mouseX - c.startX) / 6.0) << "mouseX " << c.mouseX;
    }
}

// Frame by frame: which presses throw a shot.
TEST_F(Game, OnlyAFreshPressInsideTheActiveWindowThrows)
{
    struct Case {
        const char* what;
        std::vector<Pointer> frames;
        std::vector<int> shotsAfter; // shotCount after each frame
    };
    const Case cases[] = {
        {"held from the first read", {{10, 10, 1}}, {1}},
        {"holding throws once", {{10, 10, 1}, {10, 10, 1}, {10, 10, 1}}, {1, 1, 1}},
        {"release then press", {{10, 10, 1}, {10, 10, 0}, {10, 10, 2}}, {1, 1, 2}},
        {"any button", {{10, 10, 16}, {10, 10, 0}, {10, 10, 4}}, {1, 1, 2}},
        {"press after an outside read", {{-1, -1, -1}, {10, 10, 1}, {10, 10, 0}, {10, 10, 1}}, {0, 0, 0, 1}},
        {"held button changing set", {{10, 10, 1}, {10, 10, 3}}, {1, 1}},
        {"no button", {{10, 10, 0}, {10, 10, 0}}, {0, 0}},
    };
    for (const Case& c : cases) {
        SetUp();
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            frame(c.frames[i]);
            EXPECT_EQ(state->shotCount, c.shotsAfter[i]) << c.what << ", frame " << i + 1;
        }
    }
}

TEST_F(Game, ALandingHoldsEveryLaterShotStillForThatFrame)
{
    // A thrown in frame 1, B in frame 3 (the earliest after a release).
    frame({100, 100, 1});
    frame({100, 100, 0});
    frame({200, 200, 1});
    for (int f = 4; f <= 19; ++f)
        frame({200, 200, 1});
    ASSERT_EQ(state->shotCount, 2);
    const Shot before = state->shots[1];
    frame({200, 200, 1}); // frame 20: A lands, B stands still
    ASSERT_EQ(state->shotCount, 1);
    EXPECT_EQ(state->shots[0].framesLeft, before.framesLeft);
    EXPECT_EQ(state->shots[0].x, before.x);
    EXPECT_EQ(state->shots[0].y, before.y);
    int landedIn = 0;
    for (int f = 21; f <= 30 && landedIn == 0; ++f) {
        frame({200, 200, 1});
        if (state->shotCount == 0)
            landedIn = f;
    }
    EXPECT_EQ(landedIn, 23) << "B would land in frame 22 without the stall";
}

TEST_F(Game, AShotThrownInALandingFrameKeepsItsStartAndRadius18)
{
    frame({100, 100, 1});
    for (int f = 2; f <= 18; ++f)
        frame({100, 100, 0});
    frame({100, 100, 0}); // frame 19: A drawn with framesLeft 1
    frame({400, 470, 1}); // frame 20: A lands, B thrown and not advanced
    ASSERT_EQ(state->shotCount, 1);
    const Shot& b = state->shots[0];
    EXPECT_EQ(b.framesLeft, 20);
    EXPECT_EQ(b.x, 380.0);
    EXPECT_EQ(b.y, 500.0);
    for (int y = 0; y < 480; ++y)
        ASSERT_NE(at(380, y), red) << "a radius-18 disc at y 500 reaches up to row 482 only";
}

TEST_F(Game, AtMostOneShotLandsPerFrameInThrowOrder)
{
    for (int i = 0; i < 3; ++i) {
        frame({100 + i, 100, 1});
        frame({100 + i, 100, 0});
    }
    std::vector<int> landings; // targetX of each landing, by frame
    std::vector<int> counts;
    for (int f = 7; f <= 40; ++f) {
        const int before = state->shotCount;
        const int firstTarget = before > 0 ? state->shots[0].targetX : -1;
        frame({5, 5, 0});
        if (state->shotCount < before) {
            landings.push_back(firstTarget);
            counts.push_back(f);
        }
    }
    EXPECT_EQ(landings, (std::vector<int>{100, 101, 102}));
    EXPECT_EQ(counts, (std::vector<int>{20, 23, 26}));
}

TEST_F(Game, AFullTableThrowsNothingAndSpendsTheClick)
{
    state->shotCount = orvanel::shotCapacity;
    for (Shot& s : state->shots)
        s = Shot{10, 10, 1000, 10.0, 10.0};
    frame({50, 50, 0});
    frame({50, 50, 1});
    EXPECT_EQ(state->shotCount, orvanel::shotCapacity);
    state->shotCount = 0; // room again, but the button is still held
    frame({50, 50, 1});
    EXPECT_EQ(state->shotCount, 0);
    frame({50, 50, 0});
    frame({50, 50, 1});
    EXPECT_EQ(state->shotCount, 1);
}

TEST_F(Game, ZonesByTargetXAndTheirLabelTimers)
{
    struct Case {
        int x;
        int zone;
    };
    for (const Case c : {Case{0, 1}, Case{259, 1}, Case{260, 2}, Case{389, 2}, Case{390, 3}, Case{499, 3}, Case{500, 4},
                         Case{719, 4}}) {
        SetUp();
        setMask(c.x, 300, black);
        click(c.x, 300);
        idle(17);         // frame 19
        frame({5, 5, 0}); // frame 20: lands
        for (int zone = 1; zone <= 4; ++zone)
            EXPECT_EQ(state->labelTimer[static_cast<std::size_t>(zone - 1)], zone == c.zone ? 29 : -20)
                << "target x " << c.x << ", zone " << zone;
    }
}

TEST_F(Game, OnlyExactOpaqueBlackScores)
{
    for (const Colour c : {0xFF010000u, 0xFF000001u, 0x00000000u, 0xFE000000u, 0xFFFF00FFu, white}) {
        SetUp();
        setMask(300, 300, c);
        click(300, 300);
        idle(18);
        EXPECT_EQ(state->score, 0) << std::hex << c;
        EXPECT_EQ(platform::title(), "Orvanel") << std::hex << c;
        for (std::int32_t timer : state->labelTimer)
            EXPECT_LE(timer, 0) << std::hex << c;
    }
}

TEST_F(Game, TitleCountsHitsInDecimal)
{
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 720; ++x)
            setMask(x, y, black);
    const std::vector<std::string> want = {"Orvanel - 1", "Orvanel - 2", "Orvanel - 3", "Orvanel - 4", "Orvanel - 5",
                                           "Orvanel - 6", "Orvanel - 7", "Orvanel - 8", "Orvanel - 9", "Orvanel - 10"};
    std::vector<std::string> got;
    for (int f = 0; f < 60 && got.size() < 10; ++f) {
        const int before = state->score;
        // A click every two frames, ten in all, then nothing.
        frame({20 + f / 2 * 60, 200, f < 20 && f % 2 == 0 ? 1 : 0});
        if (state->score != before)
            got.push_back(platform::title());
    }
    EXPECT_EQ(got, want);
}

TEST_F(Game, LabelShowsFromTheHitFrameFor29Frames)
{
    setMask(600, 300, black);
    click(600, 300);
    idle(17); // frame 19
    // Zone 4's label is at (600, 254); the "O" glyph's row 2 (C6) has ink at cell column 0.
    auto labelInk = [] { return at(600, 256) == black; };
    EXPECT_FALSE(labelInk());
    for (int shown = 1; shown <= 29; ++shown) {
        frame({5, 5, 0});
        ASSERT_TRUE(labelInk()) << "frame " << shown << " of the label";
    }
    frame({5, 5, 0});
    EXPECT_FALSE(labelInk()) << "the 30th frame after the hit";
}

TEST_F(Game, FrameIsSceneThenLabelsThenDiscsInThrowOrder)
{
    idle(1);
    for (Colour c : platform::screenPixels())
        ASSERT_EQ(c, sceneColour) << "no shots and no labels: exactly the scene";

    // A disc over zone 1's label: frame 19 of a shot to (200, 115).
    setMask(200, 115, black);
    state->labelTimer[0] = 100;
    click(200, 115);
    idle(17);
    ASSERT_EQ(state->shots[0].framesLeft, 1);
    const int cx = static_cast<int>(std::trunc(static_cast<float>(state->shots[0].x) + 0.5));
    const int cy = static_cast<int>(std::trunc(static_cast<float>(state->shots[0].y) + 0.5));
    // Radius 8.5: rows cy-8..cy+8, middle row trunc(cx-8.5)..trunc(cx+8.5),
    // which is cx-9..cx+8.
    EXPECT_EQ(at(cx - 9, cy), red);
    EXPECT_NE(at(cx - 10, cy), red);
    EXPECT_EQ(at(cx + 8, cy), red);
    EXPECT_NE(at(cx + 9, cy), red);
    EXPECT_EQ(at(cx, cy - 8), red);
    EXPECT_NE(at(cx, cy - 9), red);
    EXPECT_EQ(at(cx, cy + 8), red);
    EXPECT_NE(at(cx, cy + 9), red);
    EXPECT_EQ(at(190, 114), black) << "label ink outside the disc";
}

TEST_F(Game, CountersStopAtTheirLimitsInsteadOfWrapping)
{
    state->labelTimer = {INT32_MIN, INT32_MIN + 1, 0, 5};
    idle(2);
    EXPECT_EQ(state->labelTimer, (std::array<std::int32_t, 4>{INT32_MIN, INT32_MIN, -2, 3}));

    state->score = INT32_MAX;
    setMask(300, 300, black);
    click(300, 300);
    idle(18);
    EXPECT_EQ(state->score, INT32_MAX);
    EXPECT_EQ(platform::title(), "Orvanel - 2147483647");
}

// The whole program, in a child process: start-up in an empty folder, the
// frame loop and the exit.
class WholeGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        folder = std::filesystem::temp_directory_path() / ("orvanel-game-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Runs the game with the keys queued before it starts; every sleep (one
    // per frame) reports the frame count and what the frame showed.
    static void runWithKeys(const std::vector<std::string>& keys, const std::filesystem::path& where)
    {
        std::filesystem::current_path(where);
        platform::windowless::resetFacility();
        static int frames = 0;
        static std::vector<std::string> pending;
        pending = keys;
        platform::windowless::setMouseReadHook([] {
            if (frames == 0)
                platform::windowless::feedInput([](platform::MouseTracker&, platform::KeyQueue& queue) {
                    for (const std::string& key : pending)
                        queue.push(key);
                });
            if (frames == 100)
                platform::endProcess(3);
        });
        platform::windowless::setSleepHook([](int ms) {
            ++frames;
            const Colour corner = platform::screenPixels()[0];
            std::fprintf(stderr, "frame %d slept %d corner %08x title %s\n", frames, ms, corner,
                         platform::title().c_str());
        });
        orvanel::runGame();
    }

    std::filesystem::path folder;
};

TEST_F(WholeGame, EscapeEndsTheGameWithStatusZeroAfterTheFrameAndItsSleep)
{
    EXPECT_EXIT(runWithKeys({"\x1b"}, folder), ::testing::ExitedWithCode(0),
                "frame 1 slept 18 corner ffff00ff title Orvanel\n$");
}

TEST_F(WholeGame, OtherKeysAreReadOnePerFrameAndIgnored)
{
    EXPECT_EXIT(runWithKeys({"a",
                             "\xff"
                             "k",
                             "\xff"
                             "H",
                             "\x1b"},
                            folder),
                ::testing::ExitedWithCode(0), "frame 3 .*\nframe 4 slept 18 [^\n]*\n$");
}

TEST_F(WholeGame, AnEscapeOldestOfFifteenIsDroppedByTheSixteenthKey)
{
    std::vector<std::string> keys{"\x1b"};
    for (int i = 0; i < 15; ++i)
        keys.push_back("x");
    EXPECT_EXIT(runWithKeys(keys, folder), ::testing::ExitedWithCode(3), "frame 100 ");
}

TEST_F(WholeGame, MissingPicturesAreToldAndLeaveMagenta)
{
    EXPECT_EXIT(runWithKeys({"\x1b"}, folder), ::testing::ExitedWithCode(0),
                "Orvanel: background.bmp: cannot be opened[^\n]*; the scene shows magenta\n"
                "Orvanel: mask.bmp: cannot be opened[^\n]*; no target can be hit\n"
                "frame 1 slept 18 corner ffff00ff");
}

} // namespace
