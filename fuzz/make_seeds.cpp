// orvanel-fuzz-seeds FOLDER: writes the fuzzer's seed corpus, small valid
// pictures of every kind the reader takes (each header size, bit count,
// palette and mask layout, both row orders, cropped and cut-short files, and
// run-length files with every escape).
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "bmp_writer.h"

namespace orvanel {
namespace {

std::uint32_t colourAt(std::int64_t x, std::int64_t y)
{
    return static_cast<std::uint32_t>((x * 73 + y * 151 + 5) * 2654435761u) >> 8;
}

std::vector<std::uint32_t> greys(std::uint32_t count)
{
    std::vector<std::uint32_t> palette;
    for (std::uint32_t i = 0; i < count; ++i)
        palette.push_back((i * 255 / (count > 1 ? count - 1 : 1)) * 0x010101u);
    return palette;
}

struct Seed {
    const char* name;
    bmp::BmpLayout layout;
    std::vector<std::uint8_t> runs{}; // run-length pixels, written in place of rows
};

std::vector<Seed> seeds()
{
    std::vector<Seed> all;
    auto add = [&all](const char* name, auto&& change) {
        bmp::BmpLayout layout;
        layout.width = 5;
        layout.height = 3;
        change(layout);
        all.push_back({name, layout});
    };
    add("pal1", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 1;
        s.palette = greys(2);
    });
    add("pal1-core", [](bmp::BmpLayout& s) {
        s.headerSize = 12;
        s.bitsPerPixel = 1;
        s.palette = greys(2);
    });
    add("pal4", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 4;
        s.palette = greys(16);
    });
    add("pal4-short-palette", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 4;
        s.palette = greys(3);
    });
    add("pal8", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 8;
        s.palette = greys(256);
    });
    add("pal8-core", [](bmp::BmpLayout& s) {
        s.headerSize = 12;
        s.bitsPerPixel = 8;
        s.palette = greys(7);
    });
    add("pal8-top-down", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 8;
        s.palette = greys(9);
        s.height = -3;
    });
    add("rgb16-555", [](bmp::BmpLayout& s) { s.bitsPerPixel = 16; });
    add("rgb16-565-fields", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 16;
        s.compression = 3;
        s.masks = {0xF800, 0x07E0, 0x001F};
    });
    add("rgb24", [](bmp::BmpLayout&) {});
    add("rgb24-core", [](bmp::BmpLayout& s) { s.headerSize = 12; });
    add("rgb24-header16", [](bmp::BmpLayout& s) { s.headerSize = 16; });
    add("rgb24-header64", [](bmp::BmpLayout& s) { s.headerSize = 64; });
    add("rgb24-top-down", [](bmp::BmpLayout& s) { s.height = -3; });
    add("rgb24-fields", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 24;
        s.compression = 3;
        s.masks = {0x0000FF, 0x00FF00, 0xFF0000};
    });
    add("rgb24-cut-short", [](bmp::BmpLayout& s) { s.rowsInFile = 2; });
    add("rgb32", [](bmp::BmpLayout& s) { s.bitsPerPixel = 32; });
    add("rgb32-fields", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    });
    add("rgb32-fields-header56", [](bmp::BmpLayout& s) {
        s.headerSize = 56;
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
    });
    add("argb32-header108", [](bmp::BmpLayout& s) {
        s.headerSize = 108;
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        s.alphaMask = 0xFF000000;
    });
    add("argb32-header124-top-down", [](bmp::BmpLayout& s) {
        s.headerSize = 124;
        s.bitsPerPixel = 32;
        s.compression = 3;
        s.masks = {0x000003FF, 0x000FFC00, 0x3FF00000};
        s.alphaMask = 0xC0000000;
        s.height = -3;
    });
    add("pal1-wider-than-image", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 1;
        s.palette = greys(2);
        s.width = 721;
        s.height = 2;
    });
    add("pal1-taller-than-image", [](bmp::BmpLayout& s) {
        s.bitsPerPixel = 1;
        s.palette = greys(2);
        s.width = 1;
        s.height = 481;
    });
    // Run-length files: runs, literals with padding, a move, early ends of
    // line, the end of picture, and ones clipped, cut short or larger than
    // the image.
    auto addRuns = [&all](const char* name, std::uint16_t bits, std::int32_t width, std::int32_t height,
                          std::vector<std::uint8_t> runs) {
        bmp::BmpLayout layout;
        layout.width = width;
        layout.height = height;
        layout.bitsPerPixel = bits;
        layout.compression = bits == 8 ? 1 : 2;
        layout.palette = greys(bits == 8 ? 256 : 16);
        layout.rowsInFile = 0;
        all.push_back({name, layout, std::move(runs)});
    };
    addRuns("rle8", 8, 5, 3, {5, 1, 0, 0, 0, 3, 4, 5, 6, 0, 2, 7, 0, 0, 0, 2, 1, 0, 2, 9, 0, 1});
    addRuns("rle8-clipped", 8, 5, 3, {9, 1, 0, 0, 0, 2, 9, 9, 3, 3, 0, 2, 0, 7, 0, 1});
    addRuns("rle8-cut-short", 8, 5, 3, {5, 1, 0, 0, 0, 5, 1, 2});
    addRuns("rle8-wider-than-image", 8, 800, 2, {255, 3, 255, 4, 255, 5, 0, 0, 0, 2, 250, 0, 9, 9, 0, 1});
    addRuns("rle8-taller-than-image", 8, 2, 482, {2, 1, 0, 2, 0, 200, 0, 2, 0, 79, 0, 0, 2, 8, 0, 1});
    addRuns("rle4", 4, 5, 3, {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 2, 1, 1, 2, 0xAB, 0, 1});
    addRuns("rle4-cut-short", 4, 5, 3, {5, 0x12, 0, 0, 0, 7, 0x34});
    return all;
}

} // namespace
} // namespace orvanel

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvanel-fuzz-seeds FOLDER\n");
        return 2;
    }
    for (const orvanel::Seed& seed : orvanel::seeds()) {
        const std::string path = std::string(argv[1]) + "/" + seed.name + ".bmp";
        // Palette pictures index only the entries their palette holds.
        const std::size_t entries = seed.layout.palette.size();
        const auto pixel = [entries](std::int64_t x, std::int64_t y) {
            const std::uint32_t colour = orvanel::colourAt(x, y);
            return entries > 0 ? colour % static_cast<std::uint32_t>(entries) : colour;
        };
        std::vector<std::uint8_t> file = orvanel::bmp::makeBmp(seed.layout, pixel);
        file.insert(file.end(), seed.runs.begin(), seed.runs.end());
        orvanel::bmp::putLe32(file, 2, static_cast<std::uint32_t>(file.size()));
        if (!orvanel::bmp::writeFile(path, file)) {
            std::fprintf(stderr, "orvanel-fuzz-seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
