// The window's parts that need no window: the letterbox and pointer mapping,
// the scaler, the shown frame and its changed bands, the title text and the
// doorbell.
#include <poll.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "letterbox.h"
#include "scaler.h"
#include "shown_frame.h"
#include "title_text.h"
#include "wake_signal.h"

namespace {

using platform::Colour;
using platform::Rect;

constexpr int width = 720;
constexpr int height = 480;

std::string show(const Rect& r)
{
    char text[64];
    std::snprintf(text, sizeof text, "{%d, %d, %d, %d}", r.x, r.y, r.w, r.h);
    return text;
}

TEST(Letterbox, LargestFitWithItsShapeCentred)
{
    const struct {
        int windowWidth, windowHeight;
        Rect want;
    } cases[] = {
        {720, 480, {0, 0, 720, 480}},       {1440, 960, {0, 0, 1440, 960}},   {1280, 1024, {0, 85, 1280, 853}},
        {1920, 1080, {150, 0, 1620, 1080}}, {1366, 768, {107, 0, 1152, 768}}, {0, 480, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const Rect have = platform::letterbox(c.windowWidth, c.windowHeight, width, height);
        EXPECT_EQ(show(have), show(c.want)) << "window " << c.windowWidth << " x " << c.windowHeight;
    }
}

TEST(Letterbox, PointerMapsByFloorAndReadsOutsideOnTheBars)
{
    // The picture at x 150..1769 of a 1920-wide screen: 1620 window pixels
    // for 720 picture pixels, 2.25 each.
    const struct {
        int e;
        int want;
    } cases[] = {{149, -1}, {0, -1}, {150, 0}, {152, 0}, {153, 1}, {1769, 719}, {1770, 720}, {5000, 720}};
    for (const auto& c : cases)
        EXPECT_EQ(platform::toPicture(c.e, 150, 1620, width), c.want) << "at " << c.e;
    EXPECT_EQ(platform::toPicture(10, 0, 0, width), -1) << "no picture shown";
}

// A picture whose every pixel differs from its neighbours in each channel.
std::vector<Colour> busyPicture(int w, int h)
{
    std::vector<Colour> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::mt19937 random(7);
    for (Colour& c : pixels)
        c = 0xFF000000u | (random() & 0xFFFFFFu);
    return pixels;
}

std::vector<std::uint32_t> scaled(const platform::PictureScaler& scaler, const std::vector<Colour>& picture,
                                  int areaWidth, int areaHeight)
{
    std::vector<std::uint32_t> area(static_cast<std::size_t>(areaWidth) * static_cast<std::size_t>(areaHeight));
    scaler.draw(picture.data(), {0, 0, areaWidth, areaHeight}, reinterpret_cast<std::uint8_t*>(area.data()),
                areaWidth * 4);
    return area;
}

TEST(Scaler, AWholeNumberScaleCopiesEachPixelExactly)
{
    const std::vector<Colour> picture = busyPicture(width, height);
    platform::PictureScaler scaler;
    scaler.setUp(width, height, 2 * width, 2 * height);
    const std::vector<std::uint32_t> area = scaled(scaler, picture, 2 * width, 2 * height);
    for (int y = 0; y < 2 * height; ++y)
        for (int x = 0; x < 2 * width; ++x) {
            const Colour have = area[static_cast<std::size_t>(y) * 2 * width + static_cast<std::size_t>(x)];
            const Colour want = picture[static_cast<std::size_t>(y / 2) * width + static_cast<std::size_t>(x / 2)];
            ASSERT_EQ(have, want) << "at " << x << ", " << y;
        }
}

TEST(Scaler, EveryPictureColumnTakesTheSameWidthAtAFractionalScale)
{
    // One white column on black at each x in turn: nearest-pixel stretching
    // to 1620 columns gives some two window columns and others three; here
    // each gives 2.25 columns' worth of light, within rounding.
    platform::PictureScaler scaler;
    scaler.setUp(width, 1, 1620, 1);
    for (int column = 0; column < width; ++column) {
        std::vector<Colour> picture(width, 0xFF000000u);
        picture[static_cast<std::size_t>(column)] = 0xFFFFFFFFu;
        const std::vector<std::uint32_t> area = scaled(scaler, picture, 1620, 1);
        long light = 0;
        for (const std::uint32_t pixel : area)
            light += pixel & 0xFF;
        ASSERT_NEAR(light, 2.25 * 255, 2) << "column " << column;
    }
}

TEST(Scaler, RedrawingWhatAChangeAffectsGivesTheWholeRedraw)
{
    const struct {
        int areaWidth, areaHeight;
    } sizes[] = {{1280, 853}, {1620, 1080}, {720, 480}, {500, 333}};
    for (const auto& size : sizes) {
        std::vector<Colour> picture = busyPicture(width, height);
        platform::PictureScaler scaler;
        scaler.setUp(width, height, size.areaWidth, size.areaHeight);
        std::vector<std::uint32_t> area = scaled(scaler, picture, size.areaWidth, size.areaHeight);
        std::mt19937 random(11);
        for (int change = 0; change < 20; ++change) {
            const int x = static_cast<int>(random() % width);
            const int y = static_cast<int>(random() % height);
            const int w = 1 + static_cast<int>(random() % 40);
            const int h = 1 + static_cast<int>(random() % 40);
            for (int py = y; py < std::min(y + h, height); ++py)
                for (int px = x; px < std::min(x + w, width); ++px)
                    picture[static_cast<std::size_t>(py) * width + static_cast<std::size_t>(px)] ^= 0x00A5A5A5u;
            const Rect affected = scaler.affected(x, y, x + w - 1, y + h - 1);
            scaler.draw(picture.data(), affected, reinterpret_cast<std::uint8_t*>(area.data()), size.areaWidth * 4);
            ASSERT_EQ(area, scaled(scaler, picture, size.areaWidth, size.areaHeight))
                << size.areaWidth << " x " << size.areaHeight << ", change " << change << " at " << x << ", " << y
                << " redrew " << show(affected);
        }
    }
}

// The screen's rows as a frame sees them, with marks to say which to compare.
struct Screen {
    std::vector<Colour> pixels = std::vector<Colour>(std::size_t{width} * height, 0xFF102030u);
    Colour& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)]; }
};

std::string show(const std::vector<Rect>& rects)
{
    std::string text;
    for (const Rect& r : rects)
        text += show(r);
    return text;
}

TEST(ShownFrame, ANewFrameIsAllChangedAndASameFrameChangesNothing)
{
    platform::ShownFrame frame;
    frame.reset(width, height);
    EXPECT_EQ(show(frame.changedBands(8)), show({{0, 0, width, height}}));
    Screen screen;
    frame.take(screen.pixels.data(), 0, height - 1);
    frame.clearChanged();
    frame.take(screen.pixels.data(), 0, height - 1);
    EXPECT_FALSE(frame.anyChanged());
    EXPECT_EQ(show(frame.changedBands(8)), "");
    EXPECT_EQ(std::memcmp(frame.pixels(), screen.pixels.data(), screen.pixels.size() * sizeof(Colour)), 0);
}

TEST(ShownFrame, ChangedPixelsComeOutAsBandsOfTheirRowsAndColumns)
{
    const struct {
        const char* what;
        std::vector<std::pair<int, int>> changed; // x, y
        int maxBands;
        std::vector<Rect> want;
    } cases[] = {
        {"one pixel", {{5, 7}}, 8, {{5, 7, 1, 1}}},
        {"a corner each", {{0, 0}, {719, 479}}, 8, {{0, 0, 1, 1}, {719, 479, 1, 1}}},
        {"adjacent rows join, as wide as the widest", {{10, 3}, {40, 4}, {20, 5}}, 8, {{10, 3, 31, 3}}},
        {"too many: the closest neighbours join",
         {{1, 10}, {2, 12}, {3, 100}, {4, 300}},
         2,
         {{1, 10, 3, 91}, {4, 300, 1, 1}}},
    };
    for (const auto& c : cases) {
        platform::ShownFrame frame;
        frame.reset(width, height);
        Screen screen;
        frame.take(screen.pixels.data(), 0, height - 1);
        frame.clearChanged();
        for (const auto& [x, y] : c.changed)
            screen.at(x, y) = 0xFFFFFFFFu;
        frame.take(screen.pixels.data(), 0, height - 1);
        EXPECT_EQ(show(frame.changedBands(c.maxBands)), show(c.want)) << c.what;
        EXPECT_EQ(std::memcmp(frame.pixels(), screen.pixels.data(), screen.pixels.size() * sizeof(Colour)), 0)
            << c.what;
    }
}

TEST(ShownFrame, OnlyTheMarkedRowsAreCompared)
{
    platform::ShownFrame frame;
    frame.reset(width, height);
    Screen screen;
    frame.take(screen.pixels.data(), 0, height - 1);
    frame.clearChanged();
    screen.at(3, 2) = 0xFFFFFFFFu;
    screen.at(3, 9) = 0xFFFFFFFFu;
    frame.take(screen.pixels.data(), 5, 400);
    EXPECT_EQ(show(frame.changedBands(8)), show({{3, 9, 1, 1}}));
    EXPECT_NE(frame.pixels()[2 * width + 3], 0xFFFFFFFFu) << "a row outside the marks was copied";
}

TEST(TitleText, Utf8StaysAndOtherBytesAreLatin1)
{
    const struct {
        std::string title, want;
    } cases[] = {
        {"Orvanel - 7", "Orvanel - 7"}, {"caf\xc3\xa9", "caf\xc3\xa9"},           {"caf\xe9", "caf\xc3\xa9"},
        {"\xff", "\xc3\xbf"},           {"cut \xe2\x82", "cut \xc3\xa2\xc2\x82"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::displayTitle(c.title), c.want) << "title \"" << c.title << "\"";
}

bool readable(int fd)
{
    pollfd wait{fd, POLLIN, 0};
    return poll(&wait, 1, 0) == 1;
}

TEST(WakeSignal, ARingBeforeTheWaitIsKeptUntilCleared)
{
    platform::WakeSignal wake;
    ASSERT_GE(wake.fd(), 0);
    EXPECT_FALSE(readable(wake.fd()));
    wake.ring();
    wake.ring();
    EXPECT_TRUE(readable(wake.fd()));
    wake.clear();
    EXPECT_FALSE(readable(wake.fd()));
}

} // namespace
