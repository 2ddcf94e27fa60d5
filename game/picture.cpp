// The BMP decoder: the headers, the choice of pixel decoder, and the
// placement of the file's rows in the image.
#include "picture.h"

#include <algorithm>
#include <utility>

#include "bmp_header.h"
#include "bmp_pixels.h"
#include "bmp_run_length.h"

namespace orvanel {

namespace {

PictureLoad failed(PictureLoad load, PictureStatus status, std::string cause, PictureFix fix)
{
    load.status = status;
    load.cause = std::move(cause);
    load.fix = fix;
    return load;
}

// The image's size when its pixels match it; an inconsistent image takes no pixel.
std::pair<std::uint64_t, std::uint64_t> usableSize(const platform::Image& image)
{
    if (image.width <= 0 || image.height <= 0)
        return {0, 0};
    const auto w = static_cast<std::uint64_t>(image.width);
    const auto h = static_cast<std::uint64_t>(image.height);
    if (w * h > image.pixels.size())
        return {0, 0};
    return {w, h};
}

// Places the uncompressed rows that land in the image, in the order the
// file holds them.
PictureLoad placeRows(platform::ByteSource& source, const BmpHeader& header, platform::Image& image, PictureLoad load)
{
    const RowDecoder decoder = chooseRowDecoder(header);
    const std::uint64_t size = source.size();
    const std::uint64_t rows = header.rows;
    const std::uint64_t bits = header.bits;
    const std::uint64_t pixelOffset = header.pixelOffset;
    // Widths below 2^31 and at most 32 bits a pixel keep these below 2^37.
    const std::uint64_t rowBits = static_cast<std::uint64_t>(header.width) * bits;
    const std::uint64_t rowBytes = (rowBits + 7) / 8;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    // Rows count as present when all their pixels are, the padding after the
    // last one aside; found from the size alone, so dropped rows are never read.
    std::uint64_t completeRows = 0;
    if (size >= pixelOffset && size - pixelOffset >= rowBytes)
        completeRows = std::min(rows, (size - pixelOffset - rowBytes) / stride + 1);

    const auto [imageWidth, imageHeight] = usableSize(image);
    const std::uint64_t columns = std::min(imageWidth, static_cast<std::uint64_t>(header.width));
    const std::uint64_t visibleRows = std::min(imageHeight, rows);
    const auto visibleBytes = static_cast<std::size_t>((columns * bits + 7) / 8);
    // A bottom-up file keeps the image's rows at its end.
    const std::uint64_t firstFileRow = header.topDown ? 0 : rows - visibleRows;
    const std::uint64_t endFileRow = std::min(firstFileRow + visibleRows, completeRows);

    for (std::uint64_t fileRow = firstFileRow; fileRow < endFileRow && columns > 0; ++fileRow) {
        // fileRow is below completeRows, so this offset lies within the file.
        const std::uint8_t* src = source.bytes(pixelOffset + fileRow * stride, visibleBytes);
        if (src == nullptr)
            return failed(load, PictureStatus::cannotOpen, source.failure(), PictureFix::none);
        const std::uint64_t imageRow = header.topDown ? fileRow : rows - 1 - fileRow;
        decoder.decode(src, image.pixels.data() + imageRow * imageWidth, static_cast<std::size_t>(columns));
        ++load.rowsPlaced;
    }
    if (completeRows < rows)
        return failed(load, PictureStatus::endsTooEarly,
                      "the file ends after " + std::to_string(completeRows) + " of its " + std::to_string(rows) +
                          " pixel rows",
                      PictureFix::saveAgainWhole);
    load.status = PictureStatus::loaded;
    return load;
}

} // namespace

const char* inWords(PictureStatus status)
{
    switch (status) {
    case PictureStatus::loaded: return "loaded";
    case PictureStatus::cannotOpen: return "cannot be opened";
    case PictureStatus::notAPicture: return "not a picture the game reads";
    case PictureStatus::endsTooEarly: return "ends too early";
    }
    return "unreadable";
}

int resultCode(PictureStatus status)
{
    switch (status) {
    case PictureStatus::loaded: return 0;
    case PictureStatus::cannotOpen: return 2;
    case PictureStatus::notAPicture:
    case PictureStatus::endsTooEarly: break;
    }
    return 3;
}

PictureLoad decodePicture(platform::ByteSource& source, platform::Image& image)
{
    PictureLoad load;
    const std::optional<BmpHeader> header = readBmpHeader(source, load);
    if (!header)
        return load;
    if (header->compression == runLength8 || header->compression == runLength4) {
        const auto [imageWidth, imageHeight] = usableSize(image);
        placeRunLength(source, *header, image.pixels.data(), imageWidth, imageHeight, load);
        return load;
    }
    return placeRows(source, *header, image, load);
}

} // namespace orvanel
