#include "pam.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace orvanel {

bool writePam(const std::string& path, int width, int height, std::span<const std::uint32_t> pixels)
{
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return false;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file)
        return false;
    std::fprintf(file.get(), "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
                 height);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 4);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
            const std::uint32_t pixel = pixels[y * static_cast<std::size_t>(width) + x];
            row[x * 4 + 0] = static_cast<unsigned char>(pixel >> 16);
            row[x * 4 + 1] = static_cast<unsigned char>(pixel >> 8);
            row[x * 4 + 2] = static_cast<unsigned char>(pixel);
            row[x * 4 + 3] = static_cast<unsigned char>(pixel >> 24);
        }
        if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size())
            return false;
    }
    return std::fflush(file.get()) == 0;
}

} // namespace orvanel
