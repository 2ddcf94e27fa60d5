// orvanel-pictures: checks the scene and mask pictures the way the game loads
// them, and writes what the game would hold as PAM pictures to look at.
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pam.h"
#include "picture.h"
#include "platform.h"
#include "rules.h"

namespace orvanel {
namespace {

using platform::Colour;

// Red, green and blue all at or below this look black to the eye.
constexpr Colour nearBlackLimit = 16;

// Exit statuses of the check, and of a command line this tool does not take.
constexpr int checkPassed = 0;
constexpr int checkFailed = 1;
constexpr int usageError = 64;

// Overlay colours: hit pixels, black-looking pixels that miss, zone borders.
constexpr Colour hitTint = 0xFF00FF00;
constexpr Colour missTint = 0xFFFF8000;
constexpr Colour borderColour = 0xFFFFFF00;
// Zone borders are dashed so the scene shows between the dashes.
constexpr int dashLength = 4;

constexpr const char* usage = "usage: orvanel-pictures [DIR]\n"
                              "       orvanel-pictures --dump FILE OUT.pam\n"
                              "       orvanel-pictures --overlay DIR OUT.pam\n"
                              "       orvanel-pictures --help\n";

constexpr const char* help = "Checks the game's pictures by loading them exactly as the game does, each\n"
                             "into a fresh 720 x 480 image filled with opaque magenta.\n"
                             "\n"
                             "orvanel-pictures [DIR]\n"
                             "    Loads DIR/background.bmp and DIR/mask.bmp (DIR defaults to \".\") and\n"
                             "    reports each load's result, cause and header, the mask's hit pixels\n"
                             "    (exactly 0xFF000000) in each of the four zones, and pixels that look\n"
                             "    black but never score. Exit status 0 when both pictures load and every\n"
                             "    zone has a hit pixel, 1 otherwise.\n"
                             "orvanel-pictures --dump FILE OUT.pam\n"
                             "    Loads FILE and writes the whole 720 x 480 image as a PAM picture (RGB\n"
                             "    and alpha), whatever the result. Exit status is the load's result\n"
                             "    code: 0 loaded, 2 cannot be opened, 3 not a picture the game reads or\n"
                             "    ends too early; 1 when OUT.pam cannot be written.\n"
                             "orvanel-pictures --overlay DIR OUT.pam\n"
                             "    Runs the check and writes the scene with hit pixels tinted green,\n"
                             "    black-looking misses orange and the zone borders dashed yellow.\n"
                             "    Exit status as for the check.\n"
                             "\n"
                             "A command line not of these forms exits with status 64.\n";

// One line: the result in words, its cause, and what the header said.
std::string describe(const std::string& label, const PictureLoad& load)
{
    std::string line = label + ": " + inWords(load.status);
    if (!load.cause.empty())
        line += " (" + load.cause + ")";
    if (load.width != 0 || load.bitsPerPixel != 0) {
        line += "; " + std::to_string(load.width) + " x " + std::to_string(load.height) + ", " +
                std::to_string(load.bitsPerPixel) + "-bit, compression " + std::to_string(load.compression);
        if (load.topDown)
            line += ", top row first";
    }
    return line;
}

// A picture loaded as the game loads it.
struct ScenePicture {
    PictureLoad load;
    platform::Image* image = nullptr;
};

ScenePicture loadScenePicture(const std::string& path)
{
    ScenePicture picture;
    picture.image = platform::createImage(screenWidth, screenHeight);
    picture.load = loadPicture(path, *picture.image);
    return picture;
}

// The x range of a zone (0 to 3) in words, from the zone limits.
std::string zoneRange(std::size_t zone)
{
    if (zone == 0)
        return "x below " + std::to_string(zoneLimits[0]);
    if (zone == zoneLimits.size())
        return "x " + std::to_string(zoneLimits[zone - 1]) + " and above";
    return "x " + std::to_string(zoneLimits[zone - 1]) + " to " + std::to_string(zoneLimits[zone] - 1);
}

bool looksBlack(Colour c)
{
    return (c >> 16 & 0xFF) <= nearBlackLimit && (c >> 8 & 0xFF) <= nearBlackLimit && (c & 0xFF) <= nearBlackLimit;
}

Colour at(const platform::Image& image, int x, int y)
{
    return image
        .pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)];
}

// What the mask offers the shots.
struct MaskCount {
    std::array<long, zoneCount> hits{}; // hit pixels in zones 1 to 4
    long nearBlack = 0;                 // dark but not pure black, opaque or not
    long translucentBlack = 0;          // pure black whose alpha is not 0xFF
};

MaskCount countMask(const platform::Image& mask)
{
    MaskCount count;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            const Colour c = at(mask, x, y);
            if (c == hitColour)
                ++count.hits[static_cast<std::size_t>(zoneOf(x) - 1)];
            else if ((c & 0xFFFFFF) == 0)
                ++count.translucentBlack;
            else if (looksBlack(c))
                ++count.nearBlack;
        }
    }
    return count;
}

void noteSize(const PictureLoad& load)
{
    if (load.width <= 0 || load.height <= 0 || (load.width == screenWidth && load.height == screenHeight))
        return;
    if (load.width < screenWidth || load.height < screenHeight)
        std::printf("  note: not %d x %d; magenta shows where the picture does not reach\n", screenWidth, screenHeight);
    if (load.width > screenWidth || load.height > screenHeight)
        std::printf("  note: larger than %d x %d; only its top-left %d x %d is used\n", screenWidth, screenHeight,
                    screenWidth, screenHeight);
}

// Loads both pictures, prints the report and gives the check's exit status.
int check(const std::filesystem::path& dir, ScenePicture& background, ScenePicture& mask)
{
    background = loadScenePicture((dir / "background.bmp").string());
    mask = loadScenePicture((dir / "mask.bmp").string());
    std::printf("%s\n", describe("background.bmp", background.load).c_str());
    noteSize(background.load);
    std::printf("%s\n", describe("mask.bmp", mask.load).c_str());
    noteSize(mask.load);

    const MaskCount count = countMask(*mask.image);
    bool everyZone = true;
    for (std::size_t zone = 0; zone < count.hits.size(); ++zone) {
        std::printf("  zone %zu (%s): %ld hit pixels%s\n", zone + 1, zoneRange(zone).c_str(), count.hits[zone],
                    count.hits[zone] == 0 ? " - no shot can score here" : "");
        everyZone = everyZone && count.hits[zone] > 0;
    }
    const long misleading = count.nearBlack + count.translucentBlack;
    if (misleading > 0)
        std::printf("  warning: %ld mask pixels look black but never score (%ld near-black, %ld black with alpha "
                    "below 0xFF)\n",
                    misleading, count.nearBlack, count.translucentBlack);

    const bool passed =
        background.load.status == PictureStatus::loaded && mask.load.status == PictureStatus::loaded && everyZone;
    std::printf("%s\n", passed ? "check passed" : "check failed");
    return passed ? checkPassed : checkFailed;
}

bool save(const std::string& path, const platform::Image& image)
{
    if (writePam(path, image.width, image.height, image.pixels))
        return true;
    std::fprintf(stderr, "orvanel-pictures: cannot write %s\n", path.c_str());
    return false;
}

Colour mix(Colour a, Colour b)
{
    // Halves each channel before adding, so nothing carries into the next.
    return ((a >> 1 & 0x7F7F7F7F) + (b >> 1 & 0x7F7F7F7F)) | 0xFF000000;
}

platform::Image overlay(const platform::Image& scene, const platform::Image& mask)
{
    platform::Image out = scene;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const Colour m = at(mask, x, y);
            Colour& pixel = out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) +
                                       static_cast<std::size_t>(x)];
            if (m == hitColour)
                pixel = mix(pixel, hitTint);
            else if (looksBlack(m))
                pixel = mix(pixel, missTint);
        }
    }
    for (const std::int32_t limit : zoneLimits)
        for (int y = 0; y < out.height; ++y)
            if (y / dashLength % 2 == 0)
                out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) +
                           static_cast<std::size_t>(limit)] = borderColour;
    return out;
}

int run(const std::vector<std::string_view>& args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(help, stdout);
        return 0;
    }
    // Images need the screen's format, so open the windowless screen as the game would.
    if (!platform::openScreen(screenWidth, screenHeight, screenBitsPerPixel).ok) {
        std::fprintf(stderr, "orvanel-pictures: cannot set up the %d x %d screen\n", screenWidth, screenHeight);
        return checkFailed;
    }
    if (args.size() == 3 && args[0] == "--dump") {
        const std::string file(args[1]);
        const ScenePicture picture = loadScenePicture(file);
        std::printf("%s\n", describe(file, picture.load).c_str());
        if (!save(std::string(args[2]), *picture.image))
            return checkFailed;
        return resultCode(picture.load.status);
    }
    ScenePicture background;
    ScenePicture mask;
    if (args.size() == 3 && args[0] == "--overlay") {
        const int status = check(std::filesystem::path(args[1]), background, mask);
        if (!save(std::string(args[2]), overlay(*background.image, *mask.image)))
            return checkFailed;
        return status;
    }
    if (args.size() <= 1 && (args.empty() || !args[0].starts_with("-")))
        return check(args.empty() ? std::filesystem::path(".") : std::filesystem::path(args[0]), background, mask);
    std::fputs(usage, stderr);
    return usageError;
}

} // namespace
} // namespace orvanel

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return orvanel::run(args);
}
