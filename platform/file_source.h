// Where a picture's bytes come from: a whole file in memory, or a large file
// read a piece at a time; the opening of a file into one of them; and the
// working folder that relative names are opened in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform {

// Bytes by offset. A reader asks only for ranges it has checked lie within
// size().
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // The bytes [offset, offset + length); nullptr when they lie past the
    // end or reading them failed (see failure()). The pointer holds until
    // the next call.
    virtual const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) = 0;
    // Why the last read failed, in a few words; empty when none did.
    virtual std::string failure() const { return {}; }
};

// Bytes the caller keeps alive for as long as the source is used.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) override;

private:
    std::span<const std::uint8_t> bytes_; // the whole file
};

// Names are cut to this many bytes before opening.
constexpr std::size_t maxFileNameBytes = 259;
// Files up to this size are read whole with one read; a larger one is read
// a piece at a time, only the pieces asked for, so memory never follows the
// file's size.
constexpr std::uint64_t wholeReadLimit = std::uint64_t{64} << 20;

// An opened file, or why it could not be read.
struct OpenedFile {
    std::unique_ptr<ByteSource> source; // nullptr on failure
    std::string failure;                // why, when source is nullptr
};

// Opens a regular file for reading without waiting (a named pipe cannot hold
// the caller up), relative to the working folder. Directories, devices and
// pipes are refused. A file of at most wholeLimit bytes is read whole now;
// a larger one is read piece by piece as asked.
OpenedFile openFileSource(const std::string& name, std::uint64_t wholeLimit = wholeReadLimit);

// The absolute path of the working folder, or "." when it cannot be found.
std::string workingFolder();

} // namespace platform
