// Preloaded into a program (LD_PRELOAD) to timestamp its sleeps from outside:
// every nanosleep and clock_nanosleep call is passed on unchanged and one
// line is appended to the file named by ORVANEL_SLEEP_LOG:
//   TID CLOCK FLAGS REQUESTED_NS ENTERED_NS RETURNED_NS
// with both times on CLOCK_MONOTONIC. Writing the line costs a few
// microseconds and happens after the sleep, so the sleep itself is untouched.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace orvanel {
namespace {

using NanosleepFn = int (*)(const timespec*, timespec*);
using ClockNanosleepFn = int (*)(clockid_t, int, const timespec*, timespec*);

// The log's descriptor, -1 when no log was asked for.
int logFd = -1;

std::int64_t nowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t toNs(const timespec* t)
{
    return t == nullptr ? -1 : static_cast<std::int64_t>(t->tv_sec) * 1'000'000'000 + t->tv_nsec;
}

void record(clockid_t clock, int flags, const timespec* requested, std::int64_t entered)
{
    if (logFd < 0)
        return;
    const std::int64_t returned = nowNs();
    char line[128];
    const auto thread = static_cast<long>(::syscall(SYS_gettid));
    const int length = std::snprintf(line, sizeof line, "%ld %d %d %lld %lld %lld\n", thread, static_cast<int>(clock),
                                     flags, static_cast<long long>(toNs(requested)), static_cast<long long>(entered),
                                     static_cast<long long>(returned));
    if (length <= 0)
        return;
    // O_APPEND keeps the lines of several threads whole; a line lost to a
    // full disk only shortens the log.
    [[maybe_unused]] const ssize_t written = ::write(logFd, line, static_cast<std::size_t>(length));
}

__attribute__((constructor)) void openLog()
{
    const char* path = std::getenv("ORVANEL_SLEEP_LOG");
    if (path != nullptr && *path != '\0')
        logFd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
}

template <typename Fn>
Fn next(std::atomic<Fn>& cache, const char* name)
{
    Fn fn = cache.load(std::memory_order_acquire);
    if (fn == nullptr) {
        fn = reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
        cache.store(fn, std::memory_order_release);
    }
    return fn;
}

// The real functions, found on first use.
std::atomic<NanosleepFn> realNanosleep{nullptr};
std::atomic<ClockNanosleepFn> realClockNanosleep{nullptr};

} // namespace
} // namespace orvanel

extern "C" int nanosleep(const timespec* requested, timespec* remaining)
{
    const std::int64_t entered = orvanel::nowNs();
    const int result = orvanel::next(orvanel::realNanosleep, "nanosleep")(requested, remaining);
    orvanel::record(CLOCK_REALTIME, 0, requested, entered);
    return result;
}

extern "C" int clock_nanosleep(clockid_t clock, int flags, const timespec* requested, timespec* remaining)
{
    const std::int64_t entered = orvanel::nowNs();
    const auto real = orvanel::next(orvanel::realClockNanosleep, "clock_nanosleep");
    const int result = real(clock, flags, requested, remaining);
    orvanel::record(clock, flags, requested, entered);
    return result;
}
