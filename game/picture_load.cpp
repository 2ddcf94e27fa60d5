// The load operations: a picture's bytes from a file or from memory, decoded
// into an image under the screen lock.
#include "picture.h"

namespace orvanel {

namespace {

PictureLoad decodeLocked(platform::ByteSource& source, platform::Image& image)
{
    platform::lockScreen();
    PictureLoad load = decodePicture(source, image);
    platform::unlockScreen();
    return load;
}

} // namespace

PictureLoad loadPicture(const std::string& fileName, platform::Image& image, std::uint64_t wholeLimit)
{
    platform::OpenedFile file = platform::openFileSource(fileName, wholeLimit);
    if (file.source == nullptr) {
        PictureLoad load;
        load.status = PictureStatus::cannotOpen;
        load.cause = file.failure;
        load.fix = PictureFix::putAFileThere;
        return load;
    }
    return decodeLocked(*file.source, image);
}

PictureLoad loadPictureFromMemory(std::span<const std::uint8_t> file, platform::Image& image)
{
    platform::MemorySource source(file);
    return decodeLocked(source, image);
}

} // namespace orvanel
