// orvanel-pictures: checks the scene and mask pictures the way the game loads
// them, says what the game will do with them, and writes what the game would
// hold, or an overlay of the check, as PNG or PAM pictures to look at.
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "analysis.h"
#include "overlay.h"
#include "pam.h"
#include "picture.h"
#include "picture_advice.h"
#include "platform.h"
#include "png_writer.h"
#include "rules.h"

namespace orvanel::pictures {
namespace {

using platform::Colour;

// Exit statuses of the check, and of a command line this tool does not take.
constexpr int checkPassed = 0;
constexpr int checkFailed = 1;
constexpr int usageError = 64;

constexpr const char* usage = "usage: orvanel-pictures [DIR]\n"
                              "       orvanel-pictures --dump FILE OUT.png|OUT.pam\n"
                              "       orvanel-pictures --overlay DIR OUT.png|OUT.pam\n"
                              "       orvanel-pictures --help\n";

constexpr const char* help = "Checks the game's pictures by loading them exactly as the game does, each\n"
                             "into a fresh 720 x 480 image filled with opaque magenta, and tells what the\n"
                             "game will do with them.\n"
                             "\n"
                             "orvanel-pictures [DIR]\n"
                             "    Loads DIR/background.bmp and DIR/mask.bmp (DIR defaults to \".\") and\n"
                             "    reports each load's result, cause, header and fix, and a picture that\n"
                             "    is not 720 x 480; per zone the mask's hit pixels (exactly 0xFF000000),\n"
                             "    their bounding box and a point to click well inside a target; per\n"
                             "    \"OW!!\" label where it is drawn, how far it is from its zone's targets\n"
                             "    and whether the ground under it hides its black letters; and mask\n"
                             "    pixels that look black but never score, with the fix. Exit status 0\n"
                             "    when both pictures load and every zone has a hit pixel, 1 otherwise;\n"
                             "    warnings never change it.\n"
                             "orvanel-pictures --dump FILE OUT\n"
                             "    Loads FILE and writes the whole 720 x 480 image, whatever the result.\n"
                             "    Exit status is the load's result code: 0 loaded, 2 cannot be opened,\n"
                             "    3 not a picture the game reads or ends too early; 1 when OUT cannot\n"
                             "    be written.\n"
                             "orvanel-pictures --overlay DIR OUT\n"
                             "    Runs the check and writes the scene with hit pixels tinted green,\n"
                             "    black-looking misses orange, the zone limits dashed yellow, the\n"
                             "    labels in cyan frames where the game draws them and a red cross on\n"
                             "    each zone's point to click. Exit status as for the check, or 1 when\n"
                             "    OUT cannot be written.\n"
                             "\n"
                             "OUT ending in .png is written as PNG, in .pam as PAM (RGB and alpha).\n"
                             "A command line not of these forms, or another OUT, exits with status 64.\n";

// One line: the file, the result in words, its cause, and what the header said.
std::string describe(const std::string& name, const PictureLoad& load)
{
    std::string line = name + ": " + inWords(load.status);
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
    std::string name; // as given, folder included
    PictureLoad load;
    platform::Image* image = nullptr;
};

ScenePicture loadScenePicture(const std::string& path)
{
    ScenePicture picture;
    picture.name = path;
    picture.image = platform::createImage(screenWidth, screenHeight);
    picture.load = loadPicture(path, *picture.image);
    return picture;
}

// The load's line, and under it the fix or what its size does to the game.
void report(const ScenePicture& picture, bool isMask)
{
    std::printf("%s\n", describe(picture.name, picture.load).c_str());
    if (const std::string fix = fixFor(picture.load, picture.name); !fix.empty())
        std::printf("  fix: %s\n", fix.c_str());
    if (const std::string effect = sizeEffect(picture.load, isMask); !effect.empty())
        std::printf("  warning: not %d x %d: %s\n", screenWidth, screenHeight, effect.c_str());
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

void reportZones(const MaskAnalysis& analysis)
{
    for (std::size_t zone = 0; zone < analysis.zones.size(); ++zone) {
        const ZoneTargets& z = analysis.zones[zone];
        std::printf("  zone %zu (%s): %ld hit pixels%s\n", zone + 1, zoneRange(zone).c_str(), z.hits,
                    z.hits == 0 ? " - no shot can score here" : "");
        if (z.hits == 0)
            continue;
        std::printf("    within (%d, %d) to (%d, %d); click at (%d, %d): a shot up to %d pixels off still scores\n",
                    z.box.left, z.box.top, z.box.right, z.box.bottom, z.clickX, z.clickY, z.depth - 1);
    }
}

void reportLabels(const std::array<LabelCheck, zoneCount>& labels)
{
    for (std::size_t zone = 0; zone < labels.size(); ++zone) {
        const LabelCheck& label = labels[zone];
        std::printf("  label %zu \"%s\" at (%d, %d) to (%d, %d)", zone + 1, std::string(labelText).c_str(),
                    label.cell.left, label.cell.top, label.cell.right, label.cell.bottom);
        if (label.distanceToTargets >= 0)
            std::printf(", %d pixels from its zone's nearest target\n", label.distanceToTargets);
        else
            std::printf(", its zone has no target\n");
        if (label.darkGround)
            std::printf("    warning: the ground under it is dark (brightness %d of 255, below %d): its black "
                        "letters will hardly show\n",
                        label.groundBrightness, darkGroundLimit);
        if (label.farFromTargets)
            std::printf("    warning: more than %d pixels from every target of its zone: it will seem to float "
                        "free of them\n",
                        farFromTargetsLimit);
    }
}

// Loads both pictures, prints the report and gives the check's exit status.
int check(const std::filesystem::path& dir, ScenePicture& background, ScenePicture& mask, MaskAnalysis& analysis,
          std::array<LabelCheck, zoneCount>& labels)
{
    background = loadScenePicture((dir / backgroundFile).string());
    mask = loadScenePicture((dir / maskFile).string());
    report(background, false);
    report(mask, true);

    analysis = analyseMask(*mask.image);
    labels = checkLabels(*background.image, *mask.image);
    reportZones(analysis);
    reportLabels(labels);
    const long misleading = analysis.nearBlack + analysis.translucentBlack;
    if (misleading > 0) {
        std::printf("  warning: %ld mask pixels look black but never score (%ld near-black, %ld black with alpha "
                    "below 0xFF)\n",
                    misleading, analysis.nearBlack, analysis.translucentBlack);
        std::printf("    %s\n", nearBlackAdvice(mask.name).c_str());
    }

    bool everyZone = true;
    for (const ZoneTargets& zone : analysis.zones)
        everyZone = everyZone && zone.hits > 0;
    const bool passed =
        background.load.status == PictureStatus::loaded && mask.load.status == PictureStatus::loaded && everyZone;
    std::printf("%s\n", passed ? "check passed" : "check failed");
    return passed ? checkPassed : checkFailed;
}

// The kinds of picture this tool writes, by the name's ending.
enum class OutKind { png, pam, other };

OutKind outKind(std::string_view name)
{
    if (name.ends_with(".png"))
        return OutKind::png;
    if (name.ends_with(".pam"))
        return OutKind::pam;
    return OutKind::other;
}

bool save(const std::string& path, const platform::Image& image)
{
    std::string failure;
    if (outKind(path) == OutKind::png)
        failure = writePng(path, image.width, image.height, image.pixels);
    else if (!writePam(path, image.width, image.height, image.pixels))
        failure = "it cannot be written";
    if (failure.empty())
        return true;
    std::fprintf(stderr, "orvanel-pictures: cannot write %s: %s\n", path.c_str(), failure.c_str());
    return false;
}

int run(const std::vector<std::string_view>& args)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(help, stdout);
        return 0;
    }
    const bool writes = args.size() == 3 && (args[0] == "--dump" || args[0] == "--overlay");
    const bool checks = args.size() <= 1 && (args.empty() || !args[0].starts_with("-"));
    if ((!writes && !checks) || (writes && outKind(args[2]) == OutKind::other)) {
        if (writes)
            std::fprintf(stderr, "orvanel-pictures: %s: name the picture to write OUT.png or OUT.pam\n",
                         std::string(args[2]).c_str());
        std::fputs(usage, stderr);
        return usageError;
    }
    // Images need the screen's format, so open the windowless screen as the game would.
    if (!platform::openScreen(screenWidth, screenHeight, screenBitsPerPixel).ok) {
        std::fprintf(stderr, "orvanel-pictures: cannot set up the %d x %d screen\n", screenWidth, screenHeight);
        return checkFailed;
    }
    if (writes && args[0] == "--dump") {
        const ScenePicture picture = loadScenePicture(std::string(args[1]));
        report(picture, false);
        if (!save(std::string(args[2]), *picture.image))
            return checkFailed;
        return resultCode(picture.load.status);
    }
    ScenePicture background;
    ScenePicture mask;
    MaskAnalysis analysis;
    std::array<LabelCheck, zoneCount> labels{};
    std::filesystem::path dir = ".";
    if (writes)
        dir = args[1];
    else if (!args.empty())
        dir = args[0];
    const int status = check(dir, background, mask, analysis, labels);
    if (writes && !save(std::string(args[2]), drawOverlay(*background.image, *mask.image, analysis, labels)))
        return checkFailed;
    return status;
}

} // namespace
} // namespace orvanel::pictures

int main(int argc, char** argv)
{
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return orvanel::pictures::run(args);
}
