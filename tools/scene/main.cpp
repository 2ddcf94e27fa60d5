// orvanel-scene FOLDER: writes the game's background.bmp and mask.bmp into
// FOLDER, the same bytes on every run: the scene as a 24-bit picture and the
// mask as a 1-bit one, palette entry 0 pure black (a hit) and 1 pure white.
// orvanel-scene --icons FOLDER: writes the game's icon into FOLDER as
// orvanel-SIZE.png, one PNG for each of the desktop's sizes.
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "icon.h"
#include "png_writer.h"
#include "scene.h"

namespace {

// 72 dots per inch, what picture viewers expect to find.
constexpr std::uint32_t pixelsPerMetre = 2835;

std::vector<std::uint8_t> encodeScene(const orvanel::scene::Canvas& canvas)
{
    orvanel::bmp::BmpLayout layout;
    layout.width = canvas.width();
    layout.height = canvas.height();
    layout.bitsPerPixel = 24;
    layout.pixelsPerMetre = pixelsPerMetre;
    return orvanel::bmp::makeBmp(layout, [&canvas](std::int64_t x, std::int64_t y) {
        const orvanel::scene::Rgb c = canvas.at(static_cast<int>(x), static_cast<int>(y));
        using orvanel::scene::channel;
        return std::uint32_t{channel(c.r)} << 16 | std::uint32_t{channel(c.g)} << 8 | channel(c.b);
    });
}

std::vector<std::uint8_t> encodeMask(const orvanel::scene::Mask& mask)
{
    orvanel::bmp::BmpLayout layout;
    layout.width = mask.width();
    layout.height = mask.height();
    layout.bitsPerPixel = 1;
    layout.pixelsPerMetre = pixelsPerMetre;
    layout.palette = {0x000000, 0xFFFFFF};
    return orvanel::bmp::makeBmp(layout, [&mask](std::int64_t x, std::int64_t y) {
        return mask.at(static_cast<int>(x), static_cast<int>(y)) ? 0u : 1u;
    });
}

int writeIcons(const std::filesystem::path& folder)
{
    for (const int size : orvanel::scene::iconSizes) {
        const std::filesystem::path path = folder / ("orvanel-" + std::to_string(size) + ".png");
        const std::string failure = orvanel::writePng(path.string(), size, size, orvanel::scene::renderIcon(size));
        if (!failure.empty()) {
            std::cerr << "orvanel-scene: cannot write " << path.string() << ": " << failure << "\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string icons = "--icons";
    if (argc == 3 && argv[1] == icons) {
        return writeIcons(argv[2]);
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::cerr << "usage: orvanel-scene FOLDER\n"
                     "       orvanel-scene --icons FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const orvanel::scene::Pictures pictures = orvanel::scene::renderScene();
    const std::filesystem::path background = folder / "background.bmp";
    const std::filesystem::path mask = folder / "mask.bmp";
    if (!orvanel::bmp::writeFile(background.string(), encodeScene(pictures.background))) {
        std::cerr << "orvanel-scene: cannot write " << background.string() << "\n";
        return 1;
    }
    if (!orvanel::bmp::writeFile(mask.string(), encodeMask(pictures.mask))) {
        std::cerr << "orvanel-scene: cannot write " << mask.string() << "\n";
        return 1;
    }
    return 0;
}
