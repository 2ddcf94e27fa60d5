// The files modders make for a scene of their own, as the game loads them:
// what each loads to and what the game tells about it. Files that
// ImageMagick writes are made at test time when it is installed.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis.h"
#include "bmp_writer.h"
#include "picture.h"
#include "picture_advice.h"
#include "platform.h"
#include "png_writer.h"
#include "rules.h"
#include "windowless.h"

namespace orvanel {
namespace {

using platform::Colour;
using Bytes = std::vector<std::uint8_t>;

constexpr Colour magenta = 0xFFFF00FF;
constexpr Colour opaque = 0xFF000000;

// ImageMagick's convert, or "" when it is not installed.
const std::string convertTool = ORVANEL_CONVERT;

// A scene of 48 flat colours in blocks, so a palette holds it exactly and
// runs compress it, as in a drawn scene.
std::uint32_t sceneRgb(std::int64_t x, std::int64_t y)
{
    const auto block = static_cast<std::uint32_t>((x / 24 + (y / 20) * 5) % 48);
    return (block * 37 % 256) << 16 | (block * 91 % 256) << 8 | (block * 53 % 256);
}

// The same scene in 16 colours, for 4-bit pictures.
std::uint32_t sceneIndex16(std::int64_t x, std::int64_t y)
{
    return static_cast<std::uint32_t>((x / 30 + y / 16) % 16);
}
std::uint32_t palette16Rgb(std::uint32_t index)
{
    return index * 0x0F0F0F;
}

Bytes scene24(std::int32_t width, std::int32_t height)
{
    return bmp::makeBmp({.width = width, .height = height}, sceneRgb);
}

// A 4-bit run-length scene: a run for each stretch of one colour, an end of
// line after each row and the end of picture.
Bytes runLength4Scene()
{
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < 16; ++i)
        palette.push_back(palette16Rgb(i));
    Bytes file = bmp::makeBmp({.width = screenWidth,
                               .height = screenHeight,
                               .bitsPerPixel = 4,
                               .compression = 2,
                               .palette = palette,
                               .rowsInFile = 0},
                              sceneIndex16);
    for (int y = screenHeight - 1; y >= 0; --y) {
        for (int x = 0; x < screenWidth;) {
            int run = 1;
            while (x + run < screenWidth && run < 255 && sceneIndex16(x + run, y) == sceneIndex16(x, y))
                ++run;
            const auto index = static_cast<std::uint8_t>(sceneIndex16(x, y));
            file.insert(file.end(), {static_cast<std::uint8_t>(run), static_cast<std::uint8_t>(index << 4 | index)});
            x += run;
        }
        file.insert(file.end(), {0, 0});
    }
    file.insert(file.end(), {0, 1});
    bmp::putLe32(file, 2, static_cast<std::uint32_t>(file.size()));
    return file;
}

// A scene as a PNG picture, alpha opaque.
Bytes scenePng()
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x)
            pixels.push_back(opaque | sceneRgb(x, y));
    return encodePng(screenWidth, screenHeight, pixels).bytes;
}

// Runs convert with the arguments in the folder; false when it failed.
bool convert(const std::filesystem::path& dir, const std::string& arguments)
{
    const std::string command = "cd '" + dir.string() + "' && '" + convertTool + "' " + arguments + " 2>&1";
    return std::system(command.c_str()) == 0;
}

// A command the advice gives, run with the installed convert.
bool runAdvised(const std::filesystem::path& dir, const std::string& advice)
{
    const auto at = advice.find("convert ");
    return at != std::string::npos && convert(dir, advice.substr(at + 8));
}

// What the image should hold at (x, y), for a picture of width x height
// made from the scene: the scene where the picture reaches, else magenta.
std::function<Colour(int, int)> sceneOf(
    int width, int height, std::function<std::uint32_t(int, int)> rgb = [](int x, int y) { return sceneRgb(x, y); })
{
    return [=](int x, int y) { return x < width && y < height ? opaque | rgb(x, y) : magenta; };
}

struct SceneFile {
    const char* name;
    const char* file;                                           // background.bmp or mask.bmp
    std::function<bool(const std::filesystem::path& dir)> make; // false: the tool is missing
    PictureStatus status;
    int compression;                      // as loaded; -1 when not read
    std::function<Colour(int, int)> want; // the image; empty when all magenta
    std::vector<std::string> says;        // parts of the start-up line, "DIR" the folder; empty: no line
    bool needsConvert = false;
};

std::function<bool(const std::filesystem::path&)> writes(const char* file, Bytes bytes)
{
    return [=](const std::filesystem::path& dir) { return bmp::writeFile((dir / file).string(), bytes); };
}

std::function<bool(const std::filesystem::path&)> converts(const char* file, std::string arguments)
{
    return [=](const std::filesystem::path& dir) {
        return bmp::writeFile((dir / "scene.bmp").string(), scene24(screenWidth, screenHeight)) &&
               convert(dir, arguments) && (std::string(file).empty() || std::filesystem::exists(dir / file));
    };
}

std::vector<SceneFile> sceneFiles()
{
    const auto rgb16 = [](int x, int y) { return palette16Rgb(sceneIndex16(x, y)); };
    return {
        {"imageMagickPalette",
         "background.bmp",
         converts("background.bmp", "scene.bmp -type Palette background.bmp"),
         PictureStatus::loaded,
         1,
         sceneOf(screenWidth, screenHeight),
         {},
         true},
        {"imageMagickRunLength",
         "background.bmp",
         converts("background.bmp", "scene.bmp -type Palette -compress RLE background.bmp"),
         PictureStatus::loaded,
         1,
         sceneOf(screenWidth, screenHeight),
         {},
         true},
        {"imageMagickBmp3Palette",
         "background.bmp",
         converts("background.bmp", "scene.bmp -type Palette BMP3:background.bmp"),
         PictureStatus::loaded,
         1,
         sceneOf(screenWidth, screenHeight),
         {},
         true},
        {"imageMagickTrueColor",
         "background.bmp",
         converts("background.bmp", "scene.bmp -type TrueColor BMP3:background.bmp"),
         PictureStatus::loaded,
         0,
         sceneOf(screenWidth, screenHeight),
         {},
         true},
        {"runLength4Bit",
         "background.bmp",
         writes("background.bmp", runLength4Scene()),
         PictureStatus::loaded,
         2,
         sceneOf(screenWidth, screenHeight, rgb16),
         {}},
        {"renamedPng",
         "mask.bmp",
         writes("mask.bmp", scenePng()),
         PictureStatus::notAPicture,
         -1,
         nullptr,
         {"Orvanel: mask.bmp: not a picture the game reads (a PNG picture, not a BMP; save it as a 24-bit BMP: "
          "convert mask.bmp -background white -alpha remove -type TrueColor BMP3:mask.bmp; in folder DIR); no "
          "target can be hit"}},
        {"renamedJpeg",
         "background.bmp",
         converts("background.bmp", "scene.bmp JPEG:background.bmp"),
         PictureStatus::notAPicture,
         -1,
         nullptr,
         {"Orvanel: background.bmp: not a picture the game reads (a JPEG picture, not a BMP; save it as a 24-bit "
          "BMP: convert background.bmp",
          "in folder DIR); the scene shows magenta"},
         true},
        {"smaller",
         "background.bmp",
         writes("background.bmp", scene24(640, 400)),
         PictureStatus::loaded,
         0,
         sceneOf(640, 400),
         {"Orvanel: background.bmp: 640 x 400, not 720 x 480 (save it at 720 x 480; in folder DIR); magenta shows "
          "right of x 639 and below y 399"}},
        {"smallerMask",
         "mask.bmp",
         writes("mask.bmp", scene24(720, 400)),
         PictureStatus::loaded,
         0,
         sceneOf(720, 400),
         {"Orvanel: mask.bmp: 720 x 400, not 720 x 480", "); no target can be hit below y 399"}},
        {"larger",
         "background.bmp",
         writes("background.bmp", scene24(1024, 768)),
         PictureStatus::loaded,
         0,
         sceneOf(screenWidth, screenHeight),
         {"Orvanel: background.bmp: 1024 x 768, not 720 x 480 (save it at 720 x 480; in folder DIR); only its "
          "top-left 720 x 480 is used, the rest is cut off"}},
        {"cutShort",
         "background.bmp",
         [](const std::filesystem::path& dir) {
             Bytes file = scene24(screenWidth, screenHeight);
             file.resize(file.size() / 2);
             return bmp::writeFile((dir / "background.bmp").string(), file);
         },
         PictureStatus::endsTooEarly,
         0,
         sceneOf(screenWidth, screenHeight, [](int x, int y) { return y >= 480 - 239 ? sceneRgb(x, y) : 0xFF00FFu; }),
         {"Orvanel: background.bmp: ends too early (the file ends after 239 of its 480 pixel rows; the file is cut "
          "short: copy or export it again in full; in folder DIR); the scene shows magenta where it is missing"}},
    };
}

void PrintTo(const SceneFile& c, std::ostream* out)
{
    *out << c.name;
}

class SceneFileTest : public ::testing::TestWithParam<SceneFile> {
protected:
    void SetUp() override
    {
        platform::windowless::resetFacility();
        ASSERT_TRUE(platform::openScreen(screenWidth, screenHeight, screenBitsPerPixel).ok);
        std::string pattern = (std::filesystem::temp_directory_path() / "orvanel-scene-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
        platform::windowless::resetFacility();
    }
    // Loads the file as the game does, into a fresh magenta image.
    PictureLoad load(const char* file, platform::Image*& image)
    {
        image = platform::createImage(screenWidth, screenHeight);
        return loadPicture((dir / file).string(), *image);
    }

    std::filesystem::path dir;
};

std::string withFolder(std::string text, const std::string& folder)
{
    if (const auto at = text.find("DIR"); at != std::string::npos)
        text.replace(at, 3, folder);
    return text;
}

TEST_P(SceneFileTest, LoadsAsTheGameShowsItAndIsToldInOneLine)
{
    const SceneFile& c = GetParam();
    if (c.needsConvert && convertTool.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    ASSERT_TRUE(c.make(dir)) << "could not make the file";
    platform::Image* image = nullptr;
    const PictureLoad result = load(c.file, image);
    EXPECT_EQ(result.status, c.status) << result.cause;
    if (c.compression >= 0) {
        EXPECT_EQ(result.compression, c.compression);
    }
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < screenHeight; ++y)
        for (int x = 0; x < screenWidth; ++x) {
            const Colour have = image->pixels[static_cast<std::size_t>(y) * screenWidth + static_cast<std::size_t>(x)];
            const Colour want = c.want ? c.want(x, y) : magenta;
            if (have != want && wrong++ == 0)
                first << "at (" << x << ", " << y << ") have " << std::hex << have << " want " << want;
        }
    EXPECT_EQ(wrong, 0) << "pixels differ, first " << first.str();

    // The game's line about it, in the folder it read from.
    const std::string line = startupLine(c.file, std::string(c.file) == maskFile, dir.string(), result);
    if (c.says.empty()) {
        EXPECT_EQ(line, "");
    }
    for (const std::string& part : c.says)
        EXPECT_NE(line.find(withFolder(part, dir.string())), std::string::npos)
            << "have \"" << line << "\", want it to hold \"" << withFolder(part, dir.string()) << "\"";
}

INSTANTIATE_TEST_SUITE_P(Table, SceneFileTest, ::testing::ValuesIn(sceneFiles()),
                         [](const ::testing::TestParamInfo<SceneFile>& info) { return std::string(info.param.name); });

TEST_F(SceneFileTest, TheAdvisedCommandsMakeFilesThatLoad)
{
    if (convertTool.empty())
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    // A renamed PNG, turned into a 24-bit BMP by the command the game gives.
    ASSERT_TRUE(bmp::writeFile((dir / "background.bmp").string(), scenePng()));
    platform::Image* image = nullptr;
    PictureLoad result = load("background.bmp", image);
    ASSERT_EQ(result.status, PictureStatus::notAPicture);
    ASSERT_TRUE(runAdvised(dir, fixFor(result, "background.bmp")));
    result = load("background.bmp", image);
    EXPECT_EQ(result.status, PictureStatus::loaded) << result.cause;
    EXPECT_EQ(result.bitsPerPixel, 24);
    EXPECT_EQ(image->pixels[static_cast<std::size_t>(300) * screenWidth + 500], opaque | sceneRgb(500, 300));

    // An antialiased mask: rings of near-black around four discs, none of
    // which score, until the command the checker gives leaves only black
    // and white.
    ASSERT_TRUE(convert(dir, "-size 720x480 xc:white -fill black -draw 'circle 130,240 130,262' -draw 'circle "
                             "320,240 320,262' -draw 'circle 445,240 445,262' -draw 'circle 610,240 610,262' -blur "
                             "0x2 -type Grayscale BMP3:mask.bmp"));
    result = load(maskFile, image);
    ASSERT_EQ(result.status, PictureStatus::loaded) << result.cause;
    pictures::MaskAnalysis analysis = pictures::analyseMask(*image);
    EXPECT_GT(analysis.nearBlack, 100);
    ASSERT_TRUE(runAdvised(dir, nearBlackAdvice(maskFile)));
    result = load(maskFile, image);
    ASSERT_EQ(result.status, PictureStatus::loaded) << result.cause;
    analysis = pictures::analyseMask(*image);
    EXPECT_EQ(analysis.nearBlack, 0);
    EXPECT_EQ(analysis.translucentBlack, 0);
    for (const pictures::ZoneTargets& zone : analysis.zones)
        EXPECT_GT(zone.hits, 1000);
}

} // namespace
} // namespace orvanel
