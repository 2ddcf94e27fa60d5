#include "wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

WakeSignal::WakeSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

WakeSignal::~WakeSignal()
{
    if (fd_ >= 0)
        close(fd_);
}

void WakeSignal::ring()
{
    if (fd_ < 0)
        return;
    const std::uint64_t one = 1;
    // A full counter (2^64 - 2 unread rings) would fail with EAGAIN: the
    // waiter is woken all the same.
    [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
}

void WakeSignal::clear()
{
    if (fd_ < 0)
        return;
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(fd_, &count, sizeof count);
}

} // namespace platform
