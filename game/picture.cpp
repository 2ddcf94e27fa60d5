#include "picture.h"

namespace orvanel {

int resultCode(PictureStatus status)
{
    switch (status) {
    case PictureStatus::loaded:
        return 0;
    case PictureStatus::cannotOpen:
        return 2;
    default:
        return 3;
    }
}

PictureLoad loadPicture(const std::string&, platform::Image&)
{
    return {};
}

PictureLoad loadPictureFromMemory(std::span<const std::uint8_t>, platform::Image&)
{
    return {PictureStatus::notAPicture, "not yet read", 0, 0, false, 0, 0};
}

} // namespace orvanel
