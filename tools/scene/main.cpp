// orvanel-scene FOLDER: writes the game's background.bmp and mask.bmp into
// FOLDER, the same bytes on every run.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "bmp.h"
#include "scene.h"

namespace {

bool writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: orvanel-scene FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const orvanel::scene::Pictures pictures = orvanel::scene::renderScene();
    const std::filesystem::path background = folder / "background.bmp";
    const std::filesystem::path mask = folder / "mask.bmp";
    if (!writeFile(background, orvanel::scene::encodeColourBmp(pictures.background))) {
        std::cerr << "orvanel-scene: cannot write " << background.string() << "\n";
        return 1;
    }
    if (!writeFile(mask, orvanel::scene::encodeMaskBmp(pictures.mask))) {
        std::cerr << "orvanel-scene: cannot write " << mask.string() << "\n";
        return 1;
    }
    return 0;
}
