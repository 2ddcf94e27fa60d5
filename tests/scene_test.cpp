#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr int width = 720;
constexpr int height = 480;

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Exit status of a shell command, or -1 when it did not exit normally.
int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const fs::path& path)
{
    std::string text(1, '\'');
    text += path.string();
    text += '\'';
    return text;
}

// A decoded picture: 0xRRGGBB per pixel, top row first.
struct Picture {
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)];
    }
};

std::uint32_t little(const Bytes& file, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | file[at + static_cast<std::size_t>(i)];
    }
    return value;
}

// Reads exactly the two kinds of file the generator writes: 720 x 480,
// 40-byte header, uncompressed, bottom row first, 24 bits or 1 bit with a
// two-entry palette. Returns why the file is not one of them, or "".
std::string decode(const Bytes& file, int bitsPerPixel, Picture& out)
{
    constexpr std::size_t headersEnd = 54;
    if (file.size() < headersEnd) {
        return "shorter than its headers";
    }
    if (file[0] != 'B' || file[1] != 'M') {
        return "no BM signature";
    }
    if (little(file, 14, 4) != 40) {
        return "info header is not 40 bytes";
    }
    if (little(file, 18, 4) != width || little(file, 22, 4) != height) {
        return "not 720 x 480 stored bottom row first";
    }
    if (little(file, 26, 2) != 1 || little(file, 28, 2) != static_cast<std::uint32_t>(bitsPerPixel)) {
        return "wrong planes or bits per pixel";
    }
    if (little(file, 30, 4) != 0) {
        return "compressed";
    }
    const std::uint64_t paletteSize = bitsPerPixel == 1 ? 8 : 0;
    const std::uint64_t offset = little(file, 10, 4);
    if (offset != headersEnd + paletteSize) {
        return "pixel data does not follow the headers and palette";
    }
    const std::uint64_t stride = (std::uint64_t{width} * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32 * 4;
    if (file.size() != offset + stride * height) {
        return "file size does not match the pixel rows";
    }
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    for (int row = 0; row < height; ++row) {
        const std::size_t start = static_cast<std::size_t>(offset + stride * static_cast<std::uint64_t>(row));
        const int y = height - 1 - row;
        for (int x = 0; x < width; ++x) {
            std::uint32_t rgb = 0;
            if (bitsPerPixel == 24) {
                rgb = little(file, start + static_cast<std::size_t>(x) * 3, 3);
            } else {
                const int index = file[start + static_cast<std::size_t>(x / 8)] >> (7 - x % 8) & 1;
                rgb = little(file, headersEnd + static_cast<std::size_t>(index) * 4, 4);
            }
            out.pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] = rgb;
        }
    }
    return "";
}

// Runs the generator once into a fresh folder for the whole suite.
class Scene : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::random_device seed;
        folder = fs::temp_directory_path() / ("orvanel-scene-" + std::to_string(seed()));
        fs::create_directories(folder);
        status = run(quoted(ORVANEL_SCENE_TOOL) + " " + quoted(folder));
        background = readFile(folder / "background.bmp");
        mask = readFile(folder / "mask.bmp");
    }

    static void TearDownTestSuite() { fs::remove_all(folder); }

    void SetUp() override { ASSERT_EQ(status, 0) << "orvanel-scene exit status"; }

    static Picture decoded(const Bytes& file, int bitsPerPixel)
    {
        Picture picture;
        const std::string problem = decode(file, bitsPerPixel, picture);
        EXPECT_EQ(problem, "");
        return picture;
    }

    static inline fs::path folder;
    static inline int status = -1;
    static inline Bytes background;
    static inline Bytes mask;
};

TEST_F(Scene, GeneratedFilesAreTheCommittedPictures)
{
    for (const char* name : {"background.bmp", "mask.bmp"}) {
        const Bytes have = readFile(folder / name);
        const Bytes want = readFile(fs::path(ORVANEL_PICTURES_DIR) / name);
        ASSERT_FALSE(want.empty()) << name << " missing from pictures/";
        ASSERT_EQ(have.size(), want.size()) << name;
        const auto [mine, theirs] = std::mismatch(have.begin(), have.end(), want.begin());
        EXPECT_TRUE(mine == have.end()) << name << " first differs at byte " << (mine - have.begin()) << ": have "
                                        << int{*mine} << ", want " << int{*theirs}
                                        << " (run orvanel-scene pictures/ after changing the scene)";
    }
}

TEST_F(Scene, MaskIsPureBlackAndPureWhite)
{
    const Picture picture = decoded(mask, 1);
    ASSERT_FALSE(picture.pixels.empty());
    EXPECT_EQ(little(mask, 54, 4), 0x000000u) << "palette entry 0";
    EXPECT_EQ(little(mask, 58, 4), 0xFFFFFFu) << "palette entry 1";
    EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(),
                            [](std::uint32_t rgb) { return rgb == 0x000000u || rgb == 0xFFFFFFu; }));
}

// Zones by the hit point's x: below 260, 260 to 389, 390 to 499, 500 and up.
// Each figure keeps clear of the limits by a few pixels, so a click near a
// limit never scores for the neighbouring zone's figure.
TEST_F(Scene, EveryFigureLiesInsideOneZoneClearOfItsLimits)
{
    struct Zone {
        int left;
        int right; // exclusive
    };
    constexpr std::array<Zone, 4> zones{{{0, 260}, {260, 390}, {390, 500}, {500, width}}};
    constexpr int margin = 4;
    // Enough to be hit on purpose, not a stray speck.
    constexpr int fewestHits = 400;
    const Picture picture = decoded(mask, 1);
    ASSERT_FALSE(picture.pixels.empty());

    auto zoneOf = [&](int x) {
        return static_cast<int>(std::find_if(zones.begin(), zones.end(), [x](Zone z) { return x < z.right; }) -
                                zones.begin());
    };
    // Each 4-connected patch of black is one silhouette or a piece of one.
    std::vector<bool> seen(picture.pixels.size(), false);
    std::array<int, 4> hits{};
    for (int y0 = 0; y0 < height; ++y0) {
        for (int x0 = 0; x0 < width; ++x0) {
            const std::size_t start = static_cast<std::size_t>(y0) * width + static_cast<std::size_t>(x0);
            if (picture.pixels[start] != 0 || seen[start]) {
                continue;
            }
            int left = x0;
            int right = x0;
            int count = 0;
            std::vector<std::size_t> todo{start};
            seen[start] = true;
            while (!todo.empty()) {
                const std::size_t at = todo.back();
                todo.pop_back();
                const int x = static_cast<int>(at % width);
                const int y = static_cast<int>(at / width);
                left = std::min(left, x);
                right = std::max(right, x);
                ++count;
                const std::array<std::array<int, 2>, 4> steps{{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
                for (const auto& [dx, dy] : steps) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || nx >= width || ny < 0 || ny >= height) {
                        continue;
                    }
                    const std::size_t next = static_cast<std::size_t>(ny) * width + static_cast<std::size_t>(nx);
                    if (picture.pixels[next] == 0 && !seen[next]) {
                        seen[next] = true;
                        todo.push_back(next);
                    }
                }
            }
            const int zone = zoneOf(left);
            const Zone z = zones[static_cast<std::size_t>(zone)];
            EXPECT_EQ(zoneOf(right), zone) << "silhouette spans x " << left << ".." << right << " across a zone limit";
            if (z.left > 0) {
                EXPECT_GE(left, z.left + margin) << "zone " << zone + 1 << " silhouette reaches x " << left;
            }
            if (z.right < width) {
                EXPECT_LT(right, z.right - margin) << "zone " << zone + 1 << " silhouette reaches x " << right;
            }
            hits[static_cast<std::size_t>(zone)] += count;
        }
    }
    for (std::size_t zone = 0; zone < zones.size(); ++zone) {
        EXPECT_GE(hits[zone], fewestHits) << "hit pixels in zone " << zone + 1;
    }
}

// "OW!!" is drawn in opaque black at each zone's label position; the scene
// under its ink must be light enough to read it.
TEST_F(Scene, LabelsFallOnALightPartOfTheScene)
{
    struct Label {
        int x;
        int y;
    };
    constexpr std::array<Label, 4> labels{{{190, 112}, {386, 177}, {474, 210}, {600, 254}}};
    // Glyph rows of O, W and !, the leftmost pixel the most significant bit.
    constexpr std::array<std::array<std::uint8_t, 8>, 4> text{{
        {0x38, 0x6C, 0xC6, 0xC6, 0xC6, 0x6C, 0x38, 0x00},
        {0xC6, 0xC6, 0xC6, 0xD6, 0xFE, 0xEE, 0xC6, 0x00},
        {0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00},
        {0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00},
    }};
    // Luma out of 255 that black 8-pixel text stays legible on.
    constexpr double lightest = 150;
    const Picture picture = decoded(background, 24);
    ASSERT_FALSE(picture.pixels.empty());
    for (std::size_t zone = 0; zone < labels.size(); ++zone) {
        double darkest = 255;
        for (std::size_t k = 0; k < text.size(); ++k) {
            for (int row = 0; row < 8; ++row) {
                for (int column = 0; column < 8; ++column) {
                    if ((text[k][static_cast<std::size_t>(row)] & (0x80 >> column)) == 0) {
                        continue;
                    }
                    const std::uint32_t rgb =
                        picture.at(labels[zone].x + 8 * static_cast<int>(k) + column, labels[zone].y + row);
                    const double luma =
                        0.2126 * (rgb >> 16 & 0xFF) + 0.7152 * (rgb >> 8 & 0xFF) + 0.0722 * (rgb & 0xFF);
                    darkest = std::min(darkest, luma);
                }
            }
        }
        EXPECT_GE(darkest, lightest) << "darkest scene pixel under zone " << zone + 1 << "'s label";
    }
}

TEST_F(Scene, GeneratorFailsWithoutAWritableFolder)
{
    const fs::path missing = folder / "no-such-folder";
    EXPECT_EQ(run(quoted(ORVANEL_SCENE_TOOL) + " 2>/dev/null"), 2) << "no folder given";
    EXPECT_EQ(run(quoted(ORVANEL_SCENE_TOOL) + " " + quoted(missing) + " 2>/dev/null"), 1) << "folder missing";
    EXPECT_FALSE(fs::exists(missing));
}

} // namespace
