// Driving the facility without a window (windowless.h).
#include "windowless.h"

#include "facility.h"

namespace platform::windowless {

void resetFacility()
{
    Facility& f = facility();
    while (f.lockDepth > 0)
        unlockScreen();
    if (f.backend && f.screenOpen)
        f.backend->stop();
    std::lock_guard guard(f.shared.lock);
    f.shared.width = f.shared.height = 0;
    f.shared.pixels.clear();
    f.shared.rewritten.clear();
    f.shared.rewrittenRows = 0;
    f.rowSources.clear();
    f.drawnOver.clear();
    f.shared.clearMarks();
    f.shared.mouse = MouseTracker();
    f.shared.keys.clear();
    f.screenOpen = false;
    f.title.clear();
    f.images.clear();
    f.sleepHook = nullptr;
    f.mouseReadHook = nullptr;
}

void feedInput(const std::function<void(MouseTracker&, KeyQueue&)>& feed)
{
    Facility& f = facility();
    std::lock_guard guard(f.shared.lock);
    feed(f.shared.mouse, f.shared.keys);
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
    facility().sleepHook = std::move(hook);
}

void setMouseReadHook(std::function<void()> hook)
{
    facility().mouseReadHook = std::move(hook);
}

} // namespace platform::windowless
