#include "facility.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "font.h"
#include "windowless.h"

namespace platform {

namespace {

// Largest screen or image side accepted, and largest image in pixels.
constexpr int maxSide = 16384;
constexpr std::int64_t maxImagePixels = std::int64_t{1} << 26;
// Titles are cut to this many bytes.
constexpr std::size_t maxTitleBytes = 127;
// Points far beyond any screen are clamped here, so pixel arithmetic stays
// well inside 64 bits; NaN goes there too and draws nothing.
constexpr double farAway = 1e12;

// Replaces the real sleep while set (tests and replays).
std::function<void(int)> sleepHook;
// Feeds the pointer before each mouse read while set (replays).
std::function<void()> mouseReadHook;

// Rounds a coordinate to a whole pixel, halves away from zero.
std::int64_t toPixel(float v)
{
    const double d = v;
    if (!(d > -farAway && d < farAway))
        return static_cast<std::int64_t>(d > 0 ? farAway : -farAway);
    return static_cast<std::int64_t>(d > 0 ? d + 0.5 : d - 0.5);
}

// trunc toward zero of a column, kept within [lo - 1, hi + 1].
std::int64_t clampedTrunc(double v, std::int64_t lo, std::int64_t hi)
{
    if (!(v > static_cast<double>(lo - 1)))
        return lo - 1;
    if (!(v < static_cast<double>(hi + 1)))
        return hi + 1;
    return static_cast<std::int64_t>(v);
}

// Holds one level of the nesting lock for the life of a drawing operation.
class NestedLock {
public:
    NestedLock() { lockScreen(); }
    ~NestedLock() { unlockScreen(); }
    NestedLock(const NestedLock&) = delete;
    NestedLock& operator=(const NestedLock&) = delete;
};

} // namespace

Facility& facility()
{
    static Facility instance;
    return instance;
}

void installWindowBackend(std::unique_ptr<WindowBackend> backend)
{
    facility().backend = std::move(backend);
}

void Facility::markRows(int first, int last)
{
    if (height <= 0)
        return;
    if (first < 0)
        first = 0;
    if (last < 0 || last >= height)
        last = height - 1;
    if (first > last)
        return;
    if (changedLast < changedFirst) {
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
        std::lock_guard guard(f.screenMutex);
        f.width = width;
        f.height = height;
        f.screen.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
        f.changedFirst = 0;
        f.changedLast = height - 1;
        f.mouse = MouseTracker(width, height);
        f.keys.clear();
    }
    if (f.backend) {
        std::string reason = f.backend->start(width, height);
        if (!reason.empty())
            return {false, reason};
    }
    f.screenOpen = true;
    return {true, {}};
}

int screenWidth()
{
    return facility().screenOpen ? facility().width : 0;
}

int screenHeight()
{
    return facility().screenOpen ? facility().height : 0;
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
        f.screenMutex.lock();
}

void unlockScreen(int firstRow, int lastRow)
{
    Facility& f = facility();
    if (f.lockDepth == 0)
        return;
    f.markRows(firstRow, lastRow);
    unlockScreen();
}

void unlockScreen()
{
    Facility& f = facility();
    if (f.lockDepth == 0)
        return;
    if (--f.lockDepth == 0)
        f.screenMutex.unlock();
}

void putImage(float x, float y, const Image& image)
{
    Facility& f = facility();
    NestedLock lock;
    const std::int64_t left = toPixel(x);
    const std::int64_t top = toPixel(y);
    // The overlap of the image with the screen, in screen coordinates.
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t x1 = std::min<std::int64_t>(left + image.width, f.width);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t y1 = std::min<std::int64_t>(top + image.height, f.height);
    if (x0 >= x1 || y0 >= y1)
        return;
    const auto columns = static_cast<std::size_t>(x1 - x0);
    for (std::int64_t row = y0; row < y1; ++row) {
        const Colour* from = image.pixels.data() + (row - top) * image.width + (x0 - left);
        Colour* to = f.screen.data() + row * f.width + x0;
        std::copy_n(from, columns, to);
    }
    f.markRows(static_cast<int>(y0), static_cast<int>(y1 - 1));
}

void drawText(float x, float y, std::string_view text, Colour colour)
{
    Facility& f = facility();
    NestedLock lock;
    const std::int64_t left = toPixel(x);
    const std::int64_t top = toPixel(y);
    if (top + 8 <= 0 || top >= f.height)
        return;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const std::int64_t cellLeft = left + 8 * static_cast<std::int64_t>(k);
        if (cellLeft >= f.width)
            break;
        if (cellLeft + 8 <= 0)
            continue;
        const Glyph& glyph = glyphFor(static_cast<unsigned char>(text[k]));
        for (int row = 0; row < 8; ++row) {
            const std::int64_t sy = top + row;
            if (sy < 0 || sy >= f.height)
                continue;
            for (int column = 0; column < 8; ++column) {
                const std::int64_t sx = cellLeft + column;
                if ((glyph[static_cast<std::size_t>(row)] & (0x80u >> column)) && sx >= 0 && sx < f.width)
                    f.screen[static_cast<std::size_t>(sy * f.width + sx)] = colour;
            }
        }
    }
    f.markRows(static_cast<int>(std::max<std::int64_t>(top, 0)),
               static_cast<int>(std::min<std::int64_t>(top + 7, f.height - 1)));
}

namespace {

// Largest radius whose row half-widths are kept; larger discs are rare and
// compute theirs as they go.
constexpr double maxCachedRadius = 256;

// A disc row's reach either side of the centre column, w = sqrt(r^2 - dy^2):
// with a whole centre c the run is trunc(c - w)..trunc(c + w), which is
// c - ceil(w)..c + floor(w) wherever the run ends lie on or right of 0.
struct RowReach {
    std::int64_t left = 0;  // ceil(w)
    std::int64_t right = 0; // floor(w)
    bool whole = true;      // w is a whole number
};

// The row reaches of the radii drawn lately: a frame of shots uses a handful
// of radii over and over, and the square roots are most of a small disc's work.
struct DiscRows {
    float radius = 0;              // 0 for an empty slot
    std::vector<RowReach> reaches; // indexed by dy
};
std::array<DiscRows, 32> discRowsCache;
std::size_t discRowsNext = 0; // the slot the next new radius replaces

double halfWidth(double r, std::int64_t dy)
{
    const auto d = static_cast<double>(dy);
    return dy == 0 ? r : std::sqrt(std::max(r * r - d * d, 0.0));
}

// Fills count pixels with one colour. A disc's runs are short, so instead of
// a vector loop with a scalar tail each run is 16-byte stores, the last one
// ending exactly at the run's end and overlapping the one before.
void fillRun(Colour* to, std::size_t count, Colour colour)
{
    if (count < 4) {
        for (std::size_t i = 0; i < count; ++i)
            to[i] = colour;
        return;
    }
    const std::array<Colour, 4> four{colour, colour, colour, colour};
    Colour* const last = to + count - 4;
    for (; to < last; to += 4)
        std::memcpy(to, four.data(), sizeof four);
    std::memcpy(last, four.data(), sizeof four);
}

const std::vector<RowReach>& reachesFor(float radius)
{
    for (const DiscRows& rows : discRowsCache)
        if (rows.radius == radius)
            return rows.reaches;
    DiscRows& rows = discRowsCache[discRowsNext];
    discRowsNext = (discRowsNext + 1) % discRowsCache.size();
    const double r = radius;
    const auto reach = static_cast<std::int64_t>(std::floor(r));
    rows.radius = radius;
    rows.reaches.resize(static_cast<std::size_t>(reach + 1));
    for (std::int64_t dy = 0; dy <= reach; ++dy) {
        const double w = halfWidth(r, dy);
        rows.reaches[static_cast<std::size_t>(dy)] = {static_cast<std::int64_t>(std::ceil(w)),
                                                      static_cast<std::int64_t>(std::floor(w)), std::floor(w) == w};
    }
    return rows.reaches;
}

} // namespace

void fillCircle(float cx, float cy, float radius, Colour colour)
{
    Facility& f = facility();
    const double r = radius;
    if (!(r > 0) || f.height <= 0)
        return;
    NestedLock lock;
    const std::int64_t centreX = toPixel(cx);
    const std::int64_t centreY = toPixel(cy);
    // The disc reaches floor(r) rows above and below its middle row; only the
    // rows on the screen are visited, so a huge radius costs one screen.
    const double reach = std::floor(std::min(r, farAway));
    const auto rowsAbove = static_cast<std::int64_t>(reach);
    const std::int64_t firstRow = std::max<std::int64_t>(centreY - rowsAbove, 0);
    const std::int64_t lastRow = std::min<std::int64_t>(centreY + rowsAbove, f.height - 1);
    if (firstRow > lastRow)
        return;
    const std::int64_t lastColumn = f.width - 1;
    // Each run ends at the circle's edge: the middle row spans
    // trunc(cx - r)..trunc(cx + r), row dy spans trunc(cx -+ sqrt(r^2 - dy^2)).
    auto fillRow = [&](std::int64_t row, std::int64_t from, std::int64_t to) {
        from = std::max<std::int64_t>(from, 0);
        to = std::min(to, lastColumn);
        if (from <= to)
            fillRun(f.screen.data() + row * f.width + from, static_cast<std::size_t>(to - from + 1), colour);
    };
    if (r <= maxCachedRadius) {
        const std::vector<RowReach>& reaches = reachesFor(radius);
        for (std::int64_t row = firstRow; row <= lastRow; ++row) {
            const RowReach& reach = reaches[static_cast<std::size_t>(row > centreY ? row - centreY : centreY - row)];
            std::int64_t to = centreX + reach.right;
            if (to == -1 && !reach.whole)
                to = 0; // trunc(c + w) of a value in (-1, 0) is 0
            fillRow(row, centreX - reach.left, to);
        }
    } else {
        const auto centre = static_cast<double>(centreX);
        for (std::int64_t row = firstRow; row <= lastRow; ++row) {
            const double w = halfWidth(r, row - centreY);
            fillRow(row, clampedTrunc(centre - w, 0, lastColumn), clampedTrunc(centre + w, 0, lastColumn));
        }
    }
    f.markRows(static_cast<int>(firstRow), static_cast<int>(lastRow));
}

Colour readPixel(const Image* image, float x, float y)
{
    if (image == nullptr)
        return 0xFFFFFFFFu;
    const std::int64_t px = toPixel(x);
    const std::int64_t py = toPixel(y);
    if (px < 0 || py < 0 || px >= image->width || py >= image->height)
        return 0xFFFFFFFFu;
    return image->pixels[static_cast<std::size_t>(py * image->width + px)];
}

MouseReading readMouse()
{
    Facility& f = facility();
    if (!f.screenOpen)
        return MouseReading{};
    if (mouseReadHook)
        mouseReadHook();
    NestedLock lock;
    return f.mouse.read();
}

std::string readKey()
{
    Facility& f = facility();
    if (!f.screenOpen)
        return {};
    NestedLock lock;
    return f.keys.pop();
}

void sleepMs(int milliseconds)
{
    if (sleepHook) {
        sleepHook(milliseconds);
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
    return facility().screen;
}

namespace windowless {

void resetFacility()
{
    Facility& f = facility();
    while (f.lockDepth > 0)
        unlockScreen();
    if (f.backend && f.screenOpen)
        f.backend->stop();
    std::lock_guard guard(f.screenMutex);
    f.width = f.height = 0;
    f.screen.clear();
    f.changedFirst = 0;
    f.changedLast = -1;
    f.mouse = MouseTracker();
    f.keys.clear();
    f.screenOpen = false;
    f.title.clear();
    f.images.clear();
    sleepHook = nullptr;
    mouseReadHook = nullptr;
}

void feedInput(const std::function<void(MouseTracker&, KeyQueue&)>& feed)
{
    Facility& f = facility();
    std::lock_guard guard(f.screenMutex);
    feed(f.mouse, f.keys);
}

void setPointer(int x, int y, int buttons)
{
    feedInput([=](MouseTracker& mouse, KeyQueue&) {
        mouse.focusChanged(true);
        if (buttons < 0) {
            mouse.pointerLeft();
            return;
        }
        mouse.pointerMoved(x, y);
        mouse.setButtons(buttons);
    });
}

void setSleepHook(std::function<void(int)> hook)
{
    sleepHook = std::move(hook);
}

void setMouseReadHook(std::function<void()> hook)
{
    mouseReadHook = std::move(hook);
}

} // namespace windowless

} // namespace platform
