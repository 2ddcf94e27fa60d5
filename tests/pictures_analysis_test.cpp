#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis.h"
#include "rules.h"

namespace orvanel::pictures {
namespace {

using platform::Colour;

constexpr Colour white = 0xFFFFFFFF;
constexpr Colour black = 0xFF000000;

struct Rect {
    int left, top, width, height;
};

// A screen-sized image of one colour with rectangles of another.
platform::Image imageWith(Colour ground, Colour ink, const std::vector<Rect>& rects)
{
    platform::Image image{screenWidth, screenHeight,
                          std::vector<Colour>(std::size_t{screenWidth} * screenHeight, ground)};
    for (const Rect& r : rects)
        for (int y = r.top; y < r.top + r.height; ++y)
            for (int x = r.left; x < r.left + r.width; ++x)
                image.pixels[static_cast<std::size_t>(y) * screenWidth + static_cast<std::size_t>(x)] = ink;
    return image;
}

TEST(PicturesAnalysis, ZonesGetTheirBoxAndAPointDeepInsideATarget)
{
    const struct {
        const char* name;
        std::vector<Rect> targets;
        int zone; // 1 to 4
        long hits;
        Box box;
        int clickX, clickY, depth;
    } cases[] = {
        // A 10 x 10 block: the first of the four middle pixels, 5 steps from the edge.
        {"block", {{100, 200, 10, 10}}, 1, 100, {100, 200, 109, 209}, 104, 204, 5},
        // A long thin line beside a small block: the block is the better target.
        {"line and block", {{0, 10, 250, 1}, {50, 300, 7, 7}}, 1, 299, {0, 10, 249, 306}, 53, 303, 4},
        // A block across the limit at 260: zone 2's part is 4 columns wide.
        {"across a limit", {{250, 100, 14, 30}}, 2, 120, {260, 100, 263, 129}, 261, 101, 2},
        // On the image's edge: the edge counts as a miss.
        {"at the edge", {{710, 470, 10, 10}}, 4, 100, {710, 470, 719, 479}, 714, 474, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MaskAnalysis analysis = analyseMask(imageWith(white, black, c.targets));
        const ZoneTargets& z = analysis.zones[static_cast<std::size_t>(c.zone - 1)];
        EXPECT_EQ(z.hits, c.hits);
        EXPECT_EQ(z.box.left, c.box.left);
        EXPECT_EQ(z.box.top, c.box.top);
        EXPECT_EQ(z.box.right, c.box.right);
        EXPECT_EQ(z.box.bottom, c.box.bottom);
        EXPECT_EQ(z.clickX, c.clickX);
        EXPECT_EQ(z.clickY, c.clickY);
        EXPECT_EQ(z.depth, c.depth);
    }
}

TEST(PicturesAnalysis, OnlyOpaqueBlackHitsAndTheRestIsCounted)
{
    platform::Image mask = imageWith(white, black, {{100, 100, 2, 1}});
    mask.pixels[0] = 0xFF101010; // looks black
    mask.pixels[1] = 0xFF111111; // just too light to
    mask.pixels[2] = 0x80000000; // black, half transparent
    mask.pixels[3] = 0x00000000; // black, transparent
    mask.pixels[4] = 0xFE0A0A0A; // dark and not opaque
    const MaskAnalysis analysis = analyseMask(mask);
    EXPECT_EQ(analysis.zones[0].hits, 2);
    EXPECT_EQ(analysis.nearBlack, 2);
    EXPECT_EQ(analysis.translucentBlack, 2);
}

TEST(PicturesAnalysis, LabelsTellDarkGroundAndDistantTargets)
{
    const LabelPosition& first = labelPositions[0];
    const int lx = static_cast<int>(first.x);
    const int ly = static_cast<int>(first.y);
    const struct {
        const char* name;
        Colour ground;             // the scene around the labels
        std::vector<Rect> dark;    // dark grey patches on it
        std::vector<Rect> targets; // of the mask
        bool darkGround;
        int distance;
        bool far;
    } cases[] = {
        {"white ground, target in the cells", white, {}, {{lx, ly + 4, 4, 4}}, false, 0, false},
        {"grey ground", 0xFF505050, {}, {{lx, ly + 20, 4, 4}}, false, 13, false},
        {"dark ground", 0xFF404040, {}, {{lx - 103, ly, 3, 3}}, true, 101, true},
        {"dark only under the letters",
         white,
         {{lx, ly, labelWidth, labelHeight}},
         {{lx + 40, ly, 1, 1}},
         true,
         9,
         false},
        {"target in another zone", white, {}, {{lx + 100, ly, 5, 5}}, false, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto labels = checkLabels(imageWith(c.ground, 0xFF202020, c.dark), imageWith(white, black, c.targets));
        const LabelCheck& label = labels[0];
        EXPECT_EQ(label.cell.left, lx);
        EXPECT_EQ(label.cell.bottom, ly + labelHeight - 1);
        EXPECT_EQ(label.darkGround, c.darkGround) << "brightness " << label.groundBrightness;
        EXPECT_EQ(label.distanceToTargets, c.distance);
        EXPECT_EQ(label.farFromTargets, c.far);
    }
}

} // namespace
} // namespace orvanel::pictures
