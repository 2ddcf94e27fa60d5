// The facility's spine: the screen and its lock, images, the title, the
// mouse and key reads, sleep and the end of the process. The drawing
// operations are in drawing.cpp, the windowless driver in windowless.cpp.
#include "facility.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace platform {

namespace {

// Largest screen or image side accepted, and largest image in pixels.
constexpr int maxSide = 16384;
constexpr std::int64_t maxImagePixels = std::int64_t{1} << 26;
// Titles are cut to this many bytes.
constexpr std::size_t maxTitleBytes = 127;

} // namespace

Facility& facility()
{
    static Facility instance;
    return instance;
}

std::uint64_t ImagePixels::nextVersion()
{
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

void drewOver(int row, int left, int right)
{
    Facility& f = facility();
    f.drawnOver[static_cast<std::size_t>(row)].add(left, right);
    f.shared.noteRewritten(row, left, right);
}

void installWindowBackend(std::unique_ptr<WindowBackend> backend)
{
    facility().backend = std::move(backend);
}

void SharedScreen::markRows(int first, int last)
{
    if (height <= 0)
        return;
    if (first < 0)
        first = 0;
    if (last < 0 || last >= height)
        last = height - 1;
    if (first > last)
        return;
    if (!anyMarked()) {
        changedFirst = first;
        changedLast = last;
    } else {
        changedFirst = std::min(changedFirst, first);
        changedLast = std::max(changedLast, last);
    }
}

OpenResult openScreen(int width, int height, int bitsPerPixel)
{
    Facility& f = facility();
    if (f.screenOpen)
        return {false, "the screen is already open"};
    if (bitsPerPixel != 32)
        return {false, "only 32-bit colour is supported"};
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide)
        return {false, "unsupported screen size"};
    {
        std::lock_guard guard(f.shared.lock);
        f.shared.width = width;
        f.shared.height = height;
        f.shared.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
        f.shared.rewritten.assign(static_cast<std::size_t>(height), RowSpan{});
        f.shared.rewrittenRows = 0;
        f.rowSources.assign(static_cast<std::size_t>(height), RowSource{});
        f.drawnOver.assign(static_cast<std::size_t>(height), RowSpan{});
        f.shared.changedFirst = 0;
        f.shared.changedLast = height - 1;
        f.shared.mouse = MouseTracker(width, height);
        f.shared.keys.clear();
    }
    if (f.backend) {
        std::string reason = f.backend->start(f.shared);
        if (!reason.empty())
            return {false, reason};
    }
    f.screenOpen = true;
    return {true, {}};
}

int screenWidth()
{
    return facility().screenOpen ? facility().shared.width : 0;
}

int screenHeight()
{
    return facility().screenOpen ? facility().shared.height : 0;
}

void setTitle(std::string_view newTitle)
{
    Facility& f = facility();
    f.title.assign(newTitle.substr(0, std::min(newTitle.size(), maxTitleBytes)));
    if (f.backend && f.screenOpen)
        f.backend->applyTitle(f.title);
}

std::string title()
{
    return facility().title;
}

Image* createImage(int width, int height)
{
    Facility& f = facility();
    if (!f.screenOpen || width <= 0 || height <= 0 || width > maxSide || height > maxSide)
        return nullptr;
    if (static_cast<std::int64_t>(width) * height > maxImagePixels)
        return nullptr;
    auto image = std::make_unique<Image>();
    image->width = width;
    image->height = height;
    image->pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFFFF00FFu);
    f.images.push_back(std::move(image));
    return f.images.back().get();
}

void lockScreen()
{
    Facility& f = facility();
    if (f.lockDepth++ == 0)
        f.shared.lock.lock();
}

void unlockScreen(int firstRow, int lastRow)
{
    Facility& f = facility();
    if (f.lockDepth == 0)
        return;
    f.shared.markRows(firstRow, lastRow);
    unlockScreen();
}

void unlockScreen()
{
    Facility& f = facility();
    if (f.lockDepth == 0 || --f.lockDepth > 0)
        return;
    // The outermost unlock: a frame with rows that changed goes to the
    // window at once rather than at its next tick; a frame like the last
    // (every row put over itself) needs no waking at all.
    const bool changed = f.shared.anyToShow();
    f.shared.lock.unlock();
    if (changed && f.backend && f.screenOpen)
        f.backend->screenReleased();
}

MouseReading readMouse()
{
    Facility& f = facility();
    if (!f.screenOpen)
        return MouseReading{};
    if (f.mouseReadHook)
        f.mouseReadHook();
    NestedLock lock;
    return f.shared.mouse.read();
}

std::string readKey()
{
    Facility& f = facility();
    if (!f.screenOpen)
        return {};
    NestedLock lock;
    return f.shared.keys.pop();
}

void sleepMs(int milliseconds)
{
    Facility& f = facility();
    if (f.sleepHook) {
        f.sleepHook(milliseconds);
        return;
    }
    // sleep_for resumes after a signal by itself, so input never cuts it short.
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void endProcess(int status)
{
    Facility& f = facility();
    while (f.lockDepth > 0)
        unlockScreen();
    if (f.backend)
        f.backend->stop();
    f.screenOpen = false;
    std::fflush(nullptr);
    std::exit(status);
}

const std::vector<Colour>& screenPixels()
{
    return facility().shared.pixels;
}

} // namespace platform
