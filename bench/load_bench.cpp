// Loading a 720 x 480 picture: our reader against the two a C++ developer
// would reach for instead, from memory and from a file in the page cache.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <stb_image.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "picture.h"
#include "platform.h"
#include "rules.h"

namespace orvanel {
namespace {

constexpr int pictureWidth = screenWidth;
constexpr int pictureHeight = screenHeight;
constexpr std::size_t picturePixels = std::size_t{pictureWidth} * pictureHeight;
constexpr platform::Colour magenta = 0xFFFF00FFu;

using Bytes = std::vector<std::uint8_t>;

// A smooth scene with grain, so every decoder meets varied values.
std::uint32_t rgbAt(std::int64_t x, std::int64_t y)
{
    const auto grain = static_cast<std::uint32_t>((x * 2654435761u) ^ (y * 40503u)) & 0x0F;
    const auto r = static_cast<std::uint32_t>(x * 255 / pictureWidth) ^ grain;
    const auto g = static_cast<std::uint32_t>(y * 255 / pictureHeight) ^ grain;
    const auto b = static_cast<std::uint32_t>((x + y) & 0xFF);
    return r << 16 | g << 8 | b;
}

// The four kinds of file measured, each as a typical writer lays it out.
struct PictureKind {
    const char* name;
    Bytes bytes;
};

std::vector<PictureKind> makeKinds()
{
    std::vector<PictureKind> kinds;
    bmp::BmpLayout layout;
    layout.width = pictureWidth;
    layout.height = pictureHeight;

    layout.bitsPerPixel = 24;
    kinds.push_back({"rgb24", bmp::makeBmp(layout, rgbAt)});

    bmp::BmpLayout pal8 = layout;
    pal8.bitsPerPixel = 8;
    for (std::uint32_t i = 0; i < 256; ++i)
        pal8.palette.push_back((i * 0x010203u) & 0xFFFFFFu);
    kinds.push_back({"pal8", bmp::makeBmp(pal8, [](std::int64_t x, std::int64_t y) {
                         return static_cast<std::uint32_t>((x ^ (y * 7)) & 0xFF);
                     })});

    // 32 bits with bit fields, as Windows writes them: a 40-byte header
    // followed by the red, green and blue masks.
    bmp::BmpLayout rgb32 = layout;
    rgb32.bitsPerPixel = 32;
    rgb32.compression = 3;
    rgb32.masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
    kinds.push_back({"rgb32bf", bmp::makeBmp(rgb32, rgbAt)});

    bmp::BmpLayout rgb16 = layout;
    rgb16.bitsPerPixel = 16;
    kinds.push_back({"rgb16", bmp::makeBmp(rgb16, [](std::int64_t x, std::int64_t y) {
                         const std::uint32_t c = rgbAt(x, y);
                         return bmp::pack555(c >> 19, c >> 11, c >> 3);
                     })});
    return kinds;
}

const std::vector<PictureKind>& kinds()
{
    static const std::vector<PictureKind> all = makeKinds();
    return all;
}

// The same pictures as files, for the loads that start from a name.
std::string filePath(const PictureKind& kind)
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvanel-bench-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        return std::filesystem::path(made != nullptr ? made : pattern.c_str());
    }();
    const std::filesystem::path path = folder / (std::string(kind.name) + ".bmp");
    if (!std::filesystem::exists(path))
        bmp::writeFile(path.string(), kind.bytes);
    return path.string();
}

// One decoder: loads the picture (from bytes or from a file) into 0xAARRGGBB
// pixels, which it hands to check, or fails with an empty result.
using Decode = std::function<bool(const PictureKind&, bool fromFile, std::vector<platform::Colour>* out)>;

bool decodeOrvanel(const PictureKind& kind, bool fromFile, std::vector<platform::Colour>* out)
{
    // The image lives across iterations, as the game's lives across the load.
    static platform::Image image{pictureWidth, pictureHeight, std::vector<platform::Colour>(picturePixels, magenta)};
    const PictureLoad load = fromFile ? loadPicture(filePath(kind), image) : loadPictureFromMemory(kind.bytes, image);
    if (out != nullptr)
        *out = image.pixels;
    return load.status == PictureStatus::loaded;
}

bool decodeStb(const PictureKind& kind, bool fromFile, std::vector<platform::Colour>* out)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    // Four channels, the nearest stb comes to a 32-bit pixel; its RGBA byte
    // order is left as it is, which only flatters it.
    stbi_uc* pixels = fromFile ? stbi_load(filePath(kind).c_str(), &width, &height, &channels, 4)
                               : stbi_load_from_memory(kind.bytes.data(), static_cast<int>(kind.bytes.size()), &width,
                                                       &height, &channels, 4);
    if (pixels == nullptr)
        return false;
    const bool right = width == pictureWidth && height == pictureHeight;
    if (out != nullptr && right) {
        out->resize(picturePixels);
        for (std::size_t i = 0; i < picturePixels; ++i) {
            const stbi_uc* p = pixels + 4 * i;
            (*out)[i] = static_cast<platform::Colour>(p[3]) << 24 | static_cast<platform::Colour>(p[0]) << 16 |
                        static_cast<platform::Colour>(p[1]) << 8 | p[2];
        }
    }
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
    return right;
}

bool decodeSdl(const PictureKind& kind, bool fromFile, std::vector<platform::Colour>* out)
{
    SDL_Surface* loaded =
        fromFile ? SDL_LoadBMP(filePath(kind).c_str())
                 : SDL_LoadBMP_RW(SDL_RWFromConstMem(kind.bytes.data(), static_cast<int>(kind.bytes.size())), 1);
    if (loaded == nullptr)
        return false;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (argb == nullptr)
        return false;
    const bool right = argb->w == pictureWidth && argb->h == pictureHeight;
    if (out != nullptr && right) {
        out->resize(picturePixels);
        for (int y = 0; y < pictureHeight; ++y)
            std::memcpy(out->data() + static_cast<std::size_t>(y) * pictureWidth,
                        static_cast<const std::uint8_t*>(argb->pixels) + static_cast<std::ptrdiff_t>(y) * argb->pitch,
                        pictureWidth * sizeof(platform::Colour));
    }
    benchmark::DoNotOptimize(argb->pixels);
    SDL_FreeSurface(argb);
    return right;
}

void runLoad(benchmark::State& bench, const PictureKind& kind, const Decode& decode, bool fromFile)
{
    // Checked once, outside the timing: the decoder reads this file, and
    // how many of its pixels differ from ours (rounding of short channels).
    std::vector<platform::Colour> theirs;
    std::vector<platform::Colour> ours;
    if (!decode(kind, fromFile, &theirs) || !decodeOrvanel(kind, false, &ours)) {
        bench.SkipWithError("the decoder did not read this picture");
        return;
    }
    std::int64_t differing = 0;
    for (std::size_t i = 0; i < picturePixels; ++i)
        differing += theirs[i] != ours[i];
    for (auto _ : bench)
        benchmark::DoNotOptimize(decode(kind, fromFile, nullptr));
    bench.counters["pixelsDiffering"] = static_cast<double>(differing);
    bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) *
                            static_cast<std::int64_t>(kind.bytes.size()));
}

// Registered at start-up, before benchmark_main reads the command line.
[[maybe_unused]] const bool registered = [] {
    struct Decoder {
        const char* name;
        Decode decode;
    };
    const Decoder decoders[] = {{"orvanel", decodeOrvanel}, {"stb", decodeStb}, {"sdl", decodeSdl}};
    for (const bool fromFile : {false, true})
        for (const PictureKind& kind : kinds())
            for (const Decoder& decoder : decoders) {
                const std::string name =
                    std::string(fromFile ? "BM_LoadFile/" : "BM_Load/") + kind.name + "/" + decoder.name;
                benchmark::RegisterBenchmark(name.c_str(),
                                             [&kind, decode = decoder.decode, fromFile](benchmark::State& bench) {
                                                 runLoad(bench, kind, decode, fromFile);
                                             });
            }
    return true;
}();

} // namespace
} // namespace orvanel
