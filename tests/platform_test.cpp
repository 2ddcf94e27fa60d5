#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "facility.h"
#include "platform.h"
#include "windowless.h"

namespace {

using platform::Colour;

constexpr Colour black = 0xFF000000u;
constexpr Colour red = 0xFFFF0000u;
constexpr int width = 720;
constexpr int height = 480;

class Facility : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::windowless::resetFacility();
        ASSERT_TRUE(platform::openScreen(width, height, 32).ok);
    }
    void TearDown() override { platform::windowless::resetFacility(); }

    static Colour at(int x, int y) { return platform::screenPixels()[static_cast<std::size_t>(y * width + x)]; }

    // The columns of row y holding the colour, as first..last; {-1, -1} if none.
    static std::pair<int, int> run(int y, Colour colour)
    {
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x)
            if (at(x, y) == colour) {
                if (first < 0)
                    first = x;
                last = x;
            }
        return {first, last};
    }

    static std::pair<int, int> rowsHolding(Colour colour)
    {
        int first = -1, last = -1;
        for (int y = 0; y < height; ++y)
            if (run(y, colour).first >= 0) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return {first, last};
    }

    static std::pair<int, int> changedRows()
    {
        platform::Facility& f = platform::facility();
        std::lock_guard guard(f.shared.lock);
        return {f.shared.changedFirst, f.shared.changedLast};
    }

    static void clearMarks()
    {
        platform::Facility& f = platform::facility();
        std::lock_guard guard(f.shared.lock);
        f.shared.clearMarks();
    }
};

TEST_F(Facility, OpensClearedToOpaqueBlack)
{
    for (Colour c : platform::screenPixels())
        ASSERT_EQ(c, black);
    EXPECT_EQ(platform::screenPixels().size(), std::size_t{width * height});
}

TEST_F(Facility, RefusesWhatItCannotShow)
{
    platform::windowless::resetFacility();
    EXPECT_EQ(platform::createImage(720, 480), nullptr) << "no image without a screen";
    EXPECT_FALSE(platform::openScreen(720, 480, 16).ok);
    EXPECT_FALSE(platform::openScreen(0, 480, 32).ok);
    ASSERT_TRUE(platform::openScreen(720, 480, 32).ok);
    EXPECT_FALSE(platform::openScreen(720, 480, 32).ok) << "one screen per process";
    EXPECT_EQ(platform::createImage(0, 10), nullptr);
    EXPECT_EQ(platform::createImage(1 << 20, 1 << 20), nullptr);
}

TEST_F(Facility, NewImagesAreOpaqueMagenta)
{
    platform::Image* image = platform::createImage(720, 480);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 720);
    EXPECT_EQ(image->height, 480);
    for (Colour c : image->pixels)
        ASSERT_EQ(c, 0xFFFF00FFu);
}

// A disc's middle row spans trunc(cx - r)..trunc(cx + r) and it reaches
// floor(r) rows above and below; every other run ends at the circle's edge.
TEST_F(Facility, DiscRowsAndRuns)
{
    struct Case {
        float cx, cy, r;
        int top, bottom, middleLeft, middleRight;
    };
    const Case cases[] = {
        {100, 100, 9.0f, 91, 109, 91, 109},
        {100, 100, 17.5f, 83, 117, 82, 117},
        {100.5f, 99.5f, 8.5f, 92, 108, 92, 109}, // centre rounds to (101, 100)
        {300, 200, 0.5f, 200, 200, 299, 300},
    };
    for (const Case& c : cases) {
        SetUp();
        platform::fillCircle(c.cx, c.cy, c.r, red);
        const auto [top, bottom] = rowsHolding(red);
        EXPECT_EQ(top, c.top) << "r " << c.r;
        EXPECT_EQ(bottom, c.bottom) << "r " << c.r;
        const int cy = (c.top + c.bottom) / 2;
        const auto [left, right] = run(cy, red);
        EXPECT_EQ(left, c.middleLeft) << "r " << c.r;
        EXPECT_EQ(right, c.middleRight) << "r " << c.r;
        const double centreX = std::trunc(static_cast<double>(c.cx) + 0.5);
        for (int y = top; y <= bottom; ++y) {
            const double dy = y - cy;
            const double half = std::sqrt(static_cast<double>(c.r) * c.r - dy * dy);
            const auto [l, r] = run(y, red);
            EXPECT_EQ(l, static_cast<int>(std::trunc(centreX - half))) << "row " << y << " r " << c.r;
            EXPECT_EQ(r, static_cast<int>(std::trunc(centreX + half))) << "row " << y << " r " << c.r;
            for (int x = l; x <= r; ++x)
                ASSERT_EQ(at(x, y), red) << "a hole at (" << x << ", " << y << ") r " << c.r;
        }
    }
}

TEST_F(Facility, DiscClipsAndRejectsEmptyRadius)
{
    struct Case {
        const char* what;
        float cx, cy, r;
        int top, bottom; // rows expected to hold red, -1 for none
    };
    const Case cases[] = {
        {"unadvanced shot below the screen", 360, 500, 18.0f, -1, -1},
        {"shot partly below", 360, 470, 17.5f, 453, 479},
        {"top-left corner", 0, 0, 10.0f, 0, 10},
        {"zero radius", 100, 100, 0.0f, -1, -1},
        {"negative radius", 100, 100, -5.0f, -1, -1},
        {"NaN radius", 100, 100, std::nanf(""), -1, -1},
        {"NaN centre", std::nanf(""), 100, 5.0f, -1, -1},
        {"huge radius covers the screen", 360, 240, 1e30f, 0, 479},
        {"far-off centre", -1e30f, 1e30f, 5.0f, -1, -1},
        // trunc(-5 + w) is 0 while w > 4: the runs of rows 98..102 end on column 0.
        {"left of the screen, edge within a pixel", -5, 100, 4.5f, 98, 102},
    };
    for (const Case& c : cases) {
        SetUp();
        platform::fillCircle(c.cx, c.cy, c.r, red);
        const auto [top, bottom] = rowsHolding(red);
        EXPECT_EQ(top, c.top) << c.what;
        EXPECT_EQ(bottom, c.bottom) << c.what;
    }
    SetUp();
    platform::fillCircle(360, 240, 1e30f, red);
    EXPECT_EQ(run(0, red), std::make_pair(0, 719));
}

// "OW!!" as the glyph rows give it, leftmost pixel the most significant bit.
TEST_F(Facility, TextDrawsExactGlyphInkOnly)
{
    const std::uint8_t rows[4][8] = {
        {0x38, 0x6C, 0xC6, 0xC6, 0xC6, 0x6C, 0x38, 0x00},
        {0xC6, 0xC6, 0xC6, 0xD6, 0xFE, 0xEE, 0xC6, 0x00},
        {0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00},
        {0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00},
    };
    constexpr Colour ground = 0x12345678u;
    platform::Image* image = platform::createImage(720, 480);
    std::fill(image->pixels.begin(), image->pixels.end(), ground);
    platform::putImage(0, 0, *image);
    platform::drawText(190, 112, "OW!!", black);
    for (int y = 100; y < 130; ++y)
        for (int x = 180; x < 240; ++x) {
            const int cx = x - 190, cy = y - 112;
            const bool ink = cx >= 0 && cx < 32 && cy >= 0 && cy < 8 && (rows[cx / 8][cy] & (0x80 >> (cx % 8)));
            ASSERT_EQ(at(x, y), ink ? black : ground) << "at (" << x << ", " << y << ")";
        }
}

TEST_F(Facility, TextPointRoundsHalvesAwayFromZero)
{
    // "W" has ink in its top-left pixel, so the cell's corner is visible.
    struct Case {
        float x, y;
        int wantX, wantY;
    };
    const Case cases[] = {
        {10.5f, 20.5f, 11, 21}, {10.49f, 20.49f, 10, 20}, {-0.5f, 5.0f, -1, 5},
        {-0.49f, 5.0f, 0, 5},   {0.5f, -0.5f, 1, -1},     {9.5f, 0.0f, 10, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        platform::drawText(c.x, c.y, "W", red);
        // The glyph's first row is C6: ink at cell columns 0, 1, 5, 6.
        int wantTopRow = c.wantY < 0 ? 0 : c.wantY;
        const auto [left, right] = run(wantTopRow, red);
        const int firstInk = c.wantX < 0 ? 0 : c.wantX;
        EXPECT_EQ(left, firstInk) << "x " << c.x;
        EXPECT_EQ(right, c.wantX + 6) << "x " << c.x;
        EXPECT_EQ(rowsHolding(red).first, wantTopRow) << "y " << c.y;
    }
}

TEST_F(Facility, TextClipsPerPixelAndSkipsBytesWithoutGlyph)
{
    platform::drawText(716, 476, "W", red); // only the cell's top-left 4 x 4 shows
    EXPECT_EQ(run(476, red), std::make_pair(716, 717));
    EXPECT_EQ(rowsHolding(red), std::make_pair(476, 479));
    SetUp();
    platform::drawText(10, 10, "a\x01\xff", red);
    EXPECT_EQ(rowsHolding(red), std::make_pair(-1, -1));
    SetUp();
    platform::drawText(10, 10, " W", red); // the blank still takes its cell
    EXPECT_EQ(run(10, red).first, 18);
}

TEST_F(Facility, PutCopiesEveryValueAndClipsAtEachEdge)
{
    // A plain image: SetUp below forgets every image the facility made.
    platform::Image small{4, 3, std::vector<Colour>(12)};
    for (std::size_t i = 0; i < small.pixels.size(); ++i)
        small.pixels[i] = 0x00ABCD00u + static_cast<Colour>(i); // alpha 0 kept as is
    const platform::Image* image = &small;
    struct Case {
        const char* what;
        float x, y;
    };
    const Case cases[] = {{"inside", 10, 20},        {"past left", -2, 5},    {"past top", 7, -1},
                          {"past right", 718, 9},    {"past bottom", 3, 478}, {"rounded", 1.5f, 2.4f},
                          {"wholly outside", 720, 0}};
    for (const Case& c : cases) {
        SetUp();
        clearMarks(); // opening marks every row
        platform::putImage(c.x, c.y, *image);
        const int left = static_cast<int>(std::trunc(c.x + (c.x > 0 ? 0.5 : -0.5)));
        const int top = static_cast<int>(std::trunc(c.y + (c.y > 0 ? 0.5 : -0.5)));
        int changed = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int ix = x - left, iy = y - top;
                const bool inside = ix >= 0 && ix < 4 && iy >= 0 && iy < 3;
                const Colour want = inside ? image->pixels[static_cast<std::size_t>(iy * 4 + ix)] : black;
                if (at(x, y) != black)
                    ++changed;
                ASSERT_EQ(at(x, y), want) << c.what << " at (" << x << ", " << y << ")";
            }
        if (changed > 0) {
            EXPECT_EQ(changedRows().first, std::max(top, 0)) << c.what;
            EXPECT_EQ(changedRows().second, std::min(top + 2, height - 1)) << c.what;
        }
    }
}

TEST_F(Facility, PixelReadGivesStoredValueOrWhiteOutside)
{
    platform::Image* image = platform::createImage(720, 480);
    image->pixels[0] = 0x00000000u;
    image->pixels[719] = 0xFF000000u;
    image->pixels[479 * 720 + 719] = 0x01020304u;
    struct Case {
        float x, y;
        Colour want;
    };
    const Case cases[] = {
        {0, 0, 0x00000000u},      {719, 0, 0xFF000000u},           {719, 479, 0x01020304u}, {718.5f, 0, 0xFF000000u},
        {-0.49f, 0, 0x00000000u}, {-0.5f, 0, 0xFFFFFFFFu},         {720, 0, 0xFFFFFFFFu},   {0, 480, 0xFFFFFFFFu},
        {719.5f, 0, 0xFFFFFFFFu}, {std::nanf(""), 0, 0xFFFFFFFFu}, {5, 5, 0xFFFF00FFu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::readPixel(image, c.x, c.y), c.want) << "at (" << c.x << ", " << c.y << ")";
    EXPECT_EQ(platform::readPixel(nullptr, 0, 0), 0xFFFFFFFFu);
}

TEST_F(Facility, LockNestsAndOnlyTheOutermostReleases)
{
    auto windowCanLock = [] {
        bool got = false;
        std::thread window([&] {
            got = platform::facility().shared.lock.try_lock();
            if (got)
                platform::facility().shared.lock.unlock();
        });
        window.join();
        return got;
    };
    EXPECT_TRUE(windowCanLock());
    platform::lockScreen();
    platform::lockScreen();
    platform::fillCircle(50, 50, 3, red); // locks and unlocks by itself, nested
    EXPECT_FALSE(windowCanLock());
    platform::unlockScreen(-1, -1);
    EXPECT_FALSE(windowCanLock()) << "an inner unlock only counts";
    platform::unlockScreen(-1, -1);
    EXPECT_TRUE(windowCanLock());
    platform::unlockScreen(-1, -1); // unbalanced: ignored
    EXPECT_TRUE(windowCanLock());
}

TEST_F(Facility, UnlockMarksRows)
{
    struct Case {
        int first, last;
        std::pair<int, int> want;
    };
    const Case cases[] = {
        {-1, -1, {0, 479}},    {5, 10, {5, 10}},       {-3, 7, {0, 7}},
        {100, -1, {100, 479}}, {470, 900, {470, 479}}, {10, 5, {0, -1}},
    };
    for (const Case& c : cases) {
        clearMarks();
        platform::lockScreen();
        platform::unlockScreen(c.first, c.last);
        EXPECT_EQ(changedRows(), c.want) << "unlock(" << c.first << ", " << c.last << ")";
    }
    clearMarks();
    platform::lockScreen();
    platform::unlockScreen();
    EXPECT_EQ(changedRows(), std::make_pair(0, -1)) << "the plain unlock marks nothing";
}

TEST_F(Facility, TitleKeepsAtMost127Bytes)
{
    platform::setTitle("Orvanel");
    EXPECT_EQ(platform::title(), "Orvanel");
    platform::setTitle(std::string(200, 'x'));
    EXPECT_EQ(platform::title(), std::string(127, 'x'));
}

TEST(KeyQueue, KeepsOrderAndDropsTheOldestPastFifteen)
{
    platform::KeyQueue queue;
    EXPECT_EQ(queue.pop(), "");
    queue.push("a");
    queue.push("\xff"
               "H");
    queue.push("\x1b");
    EXPECT_EQ(queue.pop(), "a");
    EXPECT_EQ(queue.pop(), "\xff"
                           "H");
    EXPECT_EQ(queue.pop(), "\x1b");
    EXPECT_EQ(queue.pop(), "");

    for (char c = 'a'; c < 'a' + 15; ++c)
        queue.push(std::string(1, c));
    EXPECT_EQ(queue.size(), 15);
    queue.push("p"); // the 16th: "a" is dropped
    EXPECT_EQ(queue.size(), 15);
    std::string got;
    for (std::string key = queue.pop(); !key.empty(); key = queue.pop())
        got += key;
    EXPECT_EQ(got, "bcdefghijklmnop");
}

TEST(MouseTracker, ReadsMinusOneUnlessActiveAndOverTheScreen)
{
    struct Case {
        const char* what;
        bool focused, minimized, moved;
        int x, y;
        bool valid;
    };
    const Case cases[] = {
        {"active, inside", true, false, true, 10, 20, true},
        {"top-left corner is in", true, false, true, 0, 0, true},
        {"bottom-right pixel is in", true, false, true, 719, 479, true},
        {"right edge is out", true, false, true, 720, 5, false},
        {"bottom edge is out", true, false, true, 5, 480, false},
        {"letterbox bar", true, false, true, -1, 5, false},
        {"not focused", false, false, true, 10, 20, false},
        {"minimised", true, true, true, 10, 20, false},
        {"pointer never entered", true, false, false, 10, 20, false},
    };
    for (const Case& c : cases) {
        platform::MouseTracker mouse(width, height);
        mouse.focusChanged(c.focused);
        mouse.minimizedChanged(c.minimized);
        if (c.moved)
            mouse.pointerMoved(c.x, c.y);
        mouse.buttonDown(2);
        const platform::MouseReading r = mouse.read();
        if (c.valid) {
            EXPECT_EQ(r.x, c.x) << c.what;
            EXPECT_EQ(r.y, c.y) << c.what;
            EXPECT_EQ(r.buttons, 2) << c.what;
            EXPECT_EQ(r.status, 0) << c.what;
        } else {
            EXPECT_EQ(r.x, -1) << c.what;
            EXPECT_EQ(r.y, -1) << c.what;
            EXPECT_EQ(r.wheel, -1) << c.what;
            EXPECT_EQ(r.buttons, -1) << c.what;
            EXPECT_EQ(r.status, -1) << c.what;
        }
    }
}

TEST(MouseTracker, FocusChangeClearsButtonsAndLeavingKeepsThem)
{
    platform::MouseTracker mouse(width, height);
    mouse.focusChanged(true);
    mouse.pointerMoved(5, 5);
    mouse.buttonDown(1);
    mouse.buttonDown(16);
    EXPECT_EQ(mouse.read().buttons, 17);
    mouse.pointerLeft(); // dragged outside while held
    EXPECT_EQ(mouse.read().buttons, -1);
    mouse.buttonUp(16);
    mouse.pointerMoved(6, 6);
    EXPECT_EQ(mouse.read().buttons, 1) << "the release outside was kept";
    mouse.focusChanged(false);
    mouse.focusChanged(true);
    EXPECT_EQ(mouse.read().buttons, 0);
}

TEST_F(Facility, ReadsGoThroughTheWindowFedState)
{
    EXPECT_EQ(platform::readMouse().status, -1);
    EXPECT_EQ(platform::readKey(), "");
    platform::windowless::feedInput([](platform::MouseTracker& mouse, platform::KeyQueue& keys) {
        mouse.focusChanged(true);
        mouse.pointerMoved(300, 200);
        mouse.buttonDown(4);
        keys.push("\x1b");
    });
    const platform::MouseReading r = platform::readMouse();
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(r.y, 200);
    EXPECT_EQ(r.buttons, 4);
    EXPECT_EQ(platform::readKey(), "\x1b");
    EXPECT_EQ(platform::readKey(), "");
}

} // namespace
