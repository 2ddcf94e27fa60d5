// The run-length decoder: pairs of bytes that are either a run of one
// colour (or two alternating colours with 4 bits) or an escape: end of line,
// end of picture, a move, or a run of literal pixels padded to an even
// number of bytes.
#include "bmp_run_length.h"

#include <algorithm>
#include <string>

namespace orvanel {

namespace {

// The escapes that follow a zero count.
constexpr int endOfLine = 0;
constexpr int endOfPicture = 1;
constexpr int delta = 2;

// The file is read this many bytes at a time, whatever its size.
constexpr std::size_t pieceBytes = std::size_t{64} << 10;

// The pixel data as a stream of bytes, read a piece at a time.
class ByteCursor {
public:
    ByteCursor(platform::ByteSource& source, std::uint64_t from) : source_(source), next_(from) {}

    // The next byte, or -1 at the end of the file or when reading failed.
    int take()
    {
        if (at_ == length_ && (readFailed_ || !refill()))
            return -1;
        return piece_[at_++];
    }
    bool readFailed() const { return readFailed_; }

private:
    bool refill()
    {
        const std::uint64_t size = source_.size();
        if (next_ >= size)
            return false;
        length_ = static_cast<std::size_t>(std::min<std::uint64_t>(pieceBytes, size - next_));
        piece_ = source_.bytes(next_, length_);
        if (piece_ == nullptr) {
            readFailed_ = true;
            length_ = 0;
            return false;
        }
        next_ += length_;
        at_ = 0;
        return true;
    }

    platform::ByteSource& source_;
    std::uint64_t next_;                  // file offset of the next piece
    const std::uint8_t* piece_ = nullptr; // the piece being read
    std::size_t length_ = 0;              // its length
    std::size_t at_ = 0;                  // the next byte in it
    bool readFailed_ = false;             // the source failed, not ended
};

// Where the runs stand and what they may write.
class RunPlacer {
public:
    RunPlacer(const BmpHeader& header, platform::Colour* pixels, std::uint64_t imageWidth, std::uint64_t imageHeight)
        : palette_(header.palette),
          pixels_(pixels),
          imageWidth_(imageWidth),
          rows_(header.rows),
          columns_(std::min(imageWidth, static_cast<std::uint64_t>(header.width))),
          visibleRows_(std::min(imageHeight, header.rows)),
          lowestVisible_(header.rows - visibleRows_)
    {
    }

    // count pixels of colours a and b in turn, from the cursor on.
    void run(std::uint64_t count, unsigned a, unsigned b)
    {
        if (visible()) {
            platform::Colour* row = rowStart();
            const std::uint64_t end = std::min(columns_, x_ + count);
            for (std::uint64_t c = x_; c < end; ++c)
                row[c] = palette_[(c - x_) % 2 == 0 ? a : b];
        }
        x_ += count;
    }
    void pixel(unsigned index) { run(1, index, index); }
    void endLine()
    {
        x_ = 0;
        ++y_;
    }
    void move(unsigned dx, unsigned dy)
    {
        x_ += dx;
        y_ += dy;
    }
    // Visible rows the runs have reached: those below the cursor's row, and
    // that row once the cursor has moved along it.
    int rowsReached() const
    {
        if (visibleRows_ == 0)
            return 0;
        const std::uint64_t passed = y_ > lowestVisible_ ? std::min(y_, rows_) - lowestVisible_ : 0;
        const bool inRow = x_ > 0 && y_ >= lowestVisible_ && y_ < rows_;
        return static_cast<int>(passed + (inRow ? 1 : 0));
    }
    int visibleRows() const { return static_cast<int>(visibleRows_); }
    // Rows of the picture the runs have passed.
    std::uint64_t rowsPassed() const { return std::min(y_, rows_); }

private:
    bool visible() const { return x_ < columns_ && y_ >= lowestVisible_ && y_ < rows_; }
    // y_ counts file rows from the bottom; the image's rows run from the top.
    platform::Colour* rowStart() const { return pixels_ + (rows_ - 1 - y_) * imageWidth_; }

    const std::array<platform::Colour, 256>& palette_;
    platform::Colour* pixels_;
    std::uint64_t imageWidth_;    // pixels from one image row to the next
    std::uint64_t rows_;          // the picture's rows
    std::uint64_t columns_;       // columns the image takes
    std::uint64_t visibleRows_;   // rows the image takes...
    std::uint64_t lowestVisible_; // ...from this file row up
    std::uint64_t x_ = 0;         // the cursor's column, unbounded past the row's end
    std::uint64_t y_ = 0;         // its file row, from the bottom, unbounded past the top
};

} // namespace

void placeRunLength(platform::ByteSource& source, const BmpHeader& header, platform::Colour* pixels,
                    std::uint64_t imageWidth, std::uint64_t imageHeight, PictureLoad& load)
{
    const bool fourBits = header.compression == runLength4;
    ByteCursor in(source, header.pixelOffset);
    RunPlacer at(header, pixels, imageWidth, imageHeight);
    const auto ended = [&] {
        load.rowsPlaced = at.rowsReached();
        if (in.readFailed()) {
            load.status = PictureStatus::cannotOpen;
            load.cause = source.failure();
            return;
        }
        load.status = PictureStatus::endsTooEarly;
        load.fix = PictureFix::saveAgainWhole;
        load.cause = "the file ends inside its run-length pixels, after " + std::to_string(at.rowsPassed()) +
                     " of its " + std::to_string(header.rows) + " pixel rows";
    };
    for (;;) {
        const int count = in.take();
        const int second = in.take();
        if (count < 0 || second < 0)
            return ended();
        if (count > 0) {
            const auto value = static_cast<unsigned>(second);
            if (fourBits)
                at.run(static_cast<unsigned>(count), value >> 4, value & 0x0Fu);
            else
                at.run(static_cast<unsigned>(count), value, value);
            continue;
        }
        if (second == endOfLine) {
            at.endLine();
        } else if (second == endOfPicture) {
            // The rest is skipped: every visible row is done with.
            load.rowsPlaced = at.visibleRows();
            load.status = PictureStatus::loaded;
            return;
        } else if (second == delta) {
            const int dx = in.take();
            const int dy = in.take();
            if (dx < 0 || dy < 0)
                return ended();
            at.move(static_cast<unsigned>(dx), static_cast<unsigned>(dy));
        } else {
            // Literal pixels, padded to an even number of bytes.
            const auto literal = static_cast<unsigned>(second);
            const unsigned bytes = fourBits ? (literal + 1) / 2 : literal;
            for (unsigned i = 0; i < bytes; ++i) {
                const int value = in.take();
                if (value < 0)
                    return ended();
                if (fourBits) {
                    at.pixel(static_cast<unsigned>(value) >> 4);
                    if (2 * i + 1 < literal)
                        at.pixel(static_cast<unsigned>(value) & 0x0Fu);
                } else {
                    at.pixel(static_cast<unsigned>(value));
                }
            }
            if (bytes % 2 == 1 && in.take() < 0)
                return ended();
        }
    }
}

} // namespace orvanel
