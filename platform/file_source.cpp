// Opening and reading files for the picture reader: one whole read for a
// file of ordinary size, reads at offsets for a larger one.
#include "file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>
#include <utility>
#include <vector>

namespace platform {

namespace {

std::string errnoText(int error)
{
    return std::system_category().message(error);
}

// Closes a descriptor when it goes out of scope.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return fd_; }
    // Hands the descriptor on; this handle then closes nothing.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_; // the open file, or -1
};

// Reads exactly length bytes at offset; false on an error or an early end
// (the file shrank), with error set (0 for the early end).
bool readAt(int fd, std::uint64_t offset, std::uint8_t* to, std::size_t length, int& error)
{
    while (length > 0) {
        const ssize_t got = ::pread(fd, to, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            return false;
        }
        to += got;
        offset += static_cast<std::uint64_t>(got);
        length -= static_cast<std::size_t>(got);
    }
    return true;
}

// A whole file read into memory it owns.
class WholeFileSource final : public ByteSource {
public:
    WholeFileSource(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size)
        : bytes_(std::move(bytes)), view_(std::span<const std::uint8_t>(bytes_.get(), size))
    {
    }
    std::uint64_t size() const override { return view_.size(); }
    const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) override { return view_.bytes(offset, length); }

private:
    std::unique_ptr<std::uint8_t[]> bytes_; // what the read got
    MemorySource view_;                     // over bytes_
};

// A large file, read at offsets as asked.
class PieceFileSource final : public ByteSource {
public:
    PieceFileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t size() const override { return size_; }
    const std::uint8_t* bytes(std::uint64_t offset, std::size_t length) override
    {
        if (offset > size_ || length > size_ - offset)
            return nullptr;
        // Readers ask for headers, rows and bounded pieces, so this stays small.
        if (buffer_.size() < length)
            buffer_.resize(length);
        int error = 0;
        if (!readAt(fd_.fd(), offset, buffer_.data(), length, error)) {
            failure_ = "reading failed at byte " + std::to_string(offset) + ": " +
                       (error != 0 ? errnoText(error) : std::string("the file shrank"));
            return nullptr;
        }
        return buffer_.data();
    }
    std::string failure() const override { return failure_; }

private:
    FileHandle fd_;                    // the open file
    std::uint64_t size_;               // its size when opened
    std::vector<std::uint8_t> buffer_; // the piece last read
    std::string failure_;              // why the last read failed
};

OpenedFile refused(std::string why)
{
    return OpenedFile{nullptr, std::move(why)};
}

} // namespace

const std::uint8_t* MemorySource::bytes(std::uint64_t offset, std::size_t length)
{
    if (offset > bytes_.size() || length > bytes_.size() - offset)
        return nullptr;
    return bytes_.data() + offset;
}

OpenedFile openFileSource(const std::string& fileName, std::uint64_t wholeLimit)
{
    const std::string name = fileName.substr(0, std::min(fileName.size(), maxFileNameBytes));
    // Non-blocking, so a named pipe cannot hold the caller up at the open.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return refused(errnoText(errno));
    FileHandle file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return refused(errnoText(errno));
    if (S_ISDIR(info.st_mode))
        return refused("it is a directory");
    // Devices and pipes have no size to trust and may never end.
    if (!S_ISREG(info.st_mode))
        return refused("it is not a regular file");
    const auto size = static_cast<std::uint64_t>(info.st_size);

    if (size > wholeLimit)
        return OpenedFile{std::make_unique<PieceFileSource>(file.release(), size), {}};
    // Not zero-filled: every byte used is one read from the file.
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.get() + got, static_cast<std::size_t>(size) - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return refused("reading failed: " + errnoText(errno));
        // A file that shrank since its size was taken is what is there now.
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return OpenedFile{std::make_unique<WholeFileSource>(std::move(bytes), got), {}};
}

std::string workingFolder()
{
    std::vector<char> path(PATH_MAX + 1);
    if (::getcwd(path.data(), path.size()) == nullptr)
        return ".";
    return path.data();
}

} // namespace platform
