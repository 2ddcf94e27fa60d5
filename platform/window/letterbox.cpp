#include "letterbox.h"

#include <algorithm>
#include <cstdint>

namespace platform {

Rect letterbox(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight)
{
    if (windowWidth <= 0 || windowHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return {};
    const std::int64_t across = std::int64_t{windowWidth} * pictureHeight;
    const std::int64_t down = std::int64_t{windowHeight} * pictureWidth;
    std::int64_t w = windowWidth;
    std::int64_t h = windowHeight;
    if (across <= down)
        h = across / pictureWidth;
    else
        w = down / pictureHeight;
    return {static_cast<int>((windowWidth - w) / 2), static_cast<int>((windowHeight - h) / 2), static_cast<int>(w),
            static_cast<int>(h)};
}

int toPicture(int e, int origin, int extent, int size)
{
    if (extent <= 0)
        return -1;
    const std::int64_t scaled = (std::int64_t{e} - origin) * size;
    std::int64_t p = scaled / extent;
    if (scaled % extent != 0 && scaled < 0)
        --p;
    return static_cast<int>(std::clamp<std::int64_t>(p, -1, size));
}

} // namespace platform
