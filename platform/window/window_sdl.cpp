// The facility's window: an SDL2 window run by a thread of its own, which
// shows the shared screen and turns the window's events into the mouse state
// and the key queue. Every SDL call in the process happens on that thread.
//
// The thread sleeps on the display connection and on the game's doorbell
// together: a press reaches the mouse state when it comes, a frame is sent
// the moment the game releases the screen, and with nothing happening the
// window is still serviced every 10 ms. Only the pixels that differ from
// what the window shows are sent.
#include "window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "facility.h"
#include "key_codes.h"
#include "letterbox.h"
#include "shown_frame.h"
#include "title_text.h"
#include "wake_signal.h"
#include "window_input.h"
#include "window_painter.h"
#include "x11_calls.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The window is serviced at least this often, whatever else happens.
constexpr auto tickPeriod = std::chrono::milliseconds(10);
// SDL reads the connection and keeps itself (the screen saver held off)
// when pumped; with nothing to read a tick pumps only this often, since a
// pump costs some tens of microseconds.
constexpr auto upkeepPeriod = std::chrono::seconds(1);
// How long a window manager gets to make the window fill the screen before
// the switch counts as failed and the window returns.
constexpr auto fullScreenGrace = std::chrono::milliseconds(1000);

class SdlWindow final : public WindowBackend {
public:
    SdlWindow() = default;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;
    ~SdlWindow() override { stop(); }

    std::string start(SharedScreen& shared) override;
    void screenReleased() override { wake_.ring(); }
    void applyTitle(const std::string& title) override;
    void stop() override;

private:
    enum class Phase { idle, opening, open, ended };

    // The window thread.
    void run();
    std::string openWindow();
    void closeWindow();
    void service(bool readDisplay);
    void serviceEvent(const SDL_Event& event, MouseTracker& mouse, KeyQueue& keys);
    void serviceWindowEvent(const SDL_WindowEvent& event, MouseTracker& mouse, KeyQueue& keys);
    void serviceX11Button(const XButtonEvent& event, MouseTracker& mouse) const;
    void pointerAt(int x, int y, MouseTracker& mouse) const;
    bool takeRequests();
    bool wait(Clock::time_point deadline);
    void toggleFullScreen();
    void leaveFullScreen();
    void checkFullScreen();

    // --- shared with the game's thread, guarded by controlMutex_ ---
    std::mutex controlMutex_;                // guards the fields below
    std::condition_variable controlChanged_; // signalled whenever one of them changes
    Phase phase_ = Phase::idle;              // where the window thread is in its life
    std::string failure_;                    // why the window could not be opened
    bool stopRequested_ = false;             // the game's thread wants the window gone
    std::string requestedTitle_;             // the newest title asked for
    std::uint64_t titlesRequested_ = 0;      // titles asked for so far
    std::uint64_t titlesApplied_ = 0;        // of those, how many the window has taken

    // --- either thread ---
    WakeSignal wake_; // rung by the game's thread for a frame, a title or the end

    // --- the game's thread only ---
    std::thread thread_; // the window thread, while it runs

    // --- the window thread only (set before it starts) ---
    SharedScreen* shared_ = nullptr; // the screen, its marks and the input, under shared_->lock
    int width_ = 0;                  // the screen's size in pixels
    int height_ = 0;
    ShownFrame shown_;                                    // what the window shows, and what changed since it was sent
    SDL_Window* window_ = nullptr;                        // the window, while open
    SDL_Cursor* arrow_ = nullptr;                         // the ordinary arrow pointer
    WindowPainter painter_;                               // sends the shown frame's changes to the window
    bool toggleRequested_ = false;                        // Alt+Enter was pressed
    std::optional<Clock::time_point> fullScreenDeadline_; // a switch to full screen awaits confirmation until then
    KeyTranslator keys_;                                  // the keyboard events as key queue entries
    XlibCalls xlib_;                                      // what SDL does not offer of the X11 connection
    Display* display_ = nullptr;                          // the X11 connection, when SDL uses one
    ::Window xWindow_ = 0;                                // the window on it
    bool rawButtons_ = false;                             // buttons come from the X11 events themselves
    Clock::time_point lastPump_;                          // when SDL last read the connection
    bool talked_ = false;                                 // a round trip since then may have read events
};

std::string SdlWindow::start(SharedScreen& shared)
{
    stop();
    shared_ = &shared;
    width_ = shared.width;
    height_ = shared.height;
    shown_.reset(width_, height_);
    painter_.reset(width_, height_);
    {
        std::lock_guard guard(controlMutex_);
        phase_ = Phase::opening;
        failure_.clear();
        stopRequested_ = false;
        titlesRequested_ = titlesApplied_ = 0;
    }
    thread_ = std::thread([this] { run(); });
    std::unique_lock lock(controlMutex_);
    controlChanged_.wait(lock, [this] { return phase_ != Phase::opening; });
    if (phase_ == Phase::open)
        return {};
    std::string reason = failure_.empty() ? std::string("the window thread ended") : failure_;
    lock.unlock();
    thread_.join();
    return reason;
}

void SdlWindow::applyTitle(const std::string& title)
{
    std::unique_lock lock(controlMutex_);
    if (phase_ != Phase::open)
        return;
    requestedTitle_ = title;
    const std::uint64_t ticket = ++titlesRequested_;
    wake_.ring();
    controlChanged_.wait(lock, [&] { return titlesApplied_ >= ticket || phase_ != Phase::open; });
}

void SdlWindow::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard guard(controlMutex_);
        stopRequested_ = true;
    }
    wake_.ring();
    thread_.join();
}

void SdlWindow::run()
{
    const std::string failure = openWindow();
    {
        std::lock_guard guard(controlMutex_);
        phase_ = failure.empty() ? Phase::open : Phase::ended;
        failure_ = failure;
    }
    controlChanged_.notify_all();
    if (!failure.empty())
        return;

    for (bool readDisplay = true;;) {
        const Clock::time_point serviced = Clock::now();
        // 1. Input into the mouse state and key queue, and the new frame
        //    compared with what the window shows, under the screen lock.
        service(readDisplay);
        // 2. A switch of full screen asked for, or one still settling.
        if (toggleRequested_) {
            toggleRequested_ = false;
            toggleFullScreen();
        }
        checkFullScreen();
        // 3. What changed, to the display, outside the lock.
        talked_ = painter_.present(window_, shown_) || talked_;
        // 4. A title to show, or the end.
        if (!takeRequests())
            break;
        // 5. Sleep until input, the game's doorbell or the next tick.
        readDisplay = wait(serviced + tickPeriod);
    }

    closeWindow();
    {
        std::lock_guard guard(controlMutex_);
        phase_ = Phase::ended;
    }
    controlChanged_.notify_all();
}

std::string SdlWindow::openWindow()
{
    // Ctrl+C and kill must still end the process: SDL would turn them into
    // quit events that the game never reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // A click that activates the window is a click like any other.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // While a button is held the display gives the window the pointer by
    // itself (X11's implicit grab), release outside included; SDL's own
    // capture would add two round trips to the display to every click.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // The window surface is then plain memory shared with the X server,
    // rather than a texture drawn by OpenGL on the CPU.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return SDL_GetError();
    // With no display to reach SDL falls back to drivers that show nothing;
    // a window nobody can see or close is no window, unless asked for by name.
    const char* current = SDL_GetCurrentVideoDriver();
    const std::string_view driver = current != nullptr ? current : "";
    if ((driver == "offscreen" || driver == "dummy") && SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr) {
        SDL_Quit();
        return "no display to show it on (DISPLAY is not set or cannot be reached)";
    }

    window_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width_, height_, SDL_WINDOW_SHOWN);
    if (window_ == nullptr || SDL_GetWindowSurface(window_) == nullptr) {
        std::string reason = SDL_GetError();
        closeWindow();
        return reason;
    }
    arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (arrow_ != nullptr)
        SDL_SetCursor(arrow_);
    SDL_DisableScreenSaver();
    SDL_RaiseWindow(window_);

    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11 && xlib_.load()) {
        display_ = info.info.x11.display;
        xWindow_ = info.info.x11.window;
        // SDL keeps its own idea of the buttons held and drops a press of a
        // button it believes held: a release it never saw (made over another
        // window that took the focus) would cost the next real click.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        rawButtons_ = true;
    }
    painter_.reset(width_, height_);
    toggleRequested_ = false;
    fullScreenDeadline_.reset();
    keys_ = KeyTranslator{};
    return {};
}

void SdlWindow::closeWindow()
{
    xlib_.unload();
    display_ = nullptr;
    rawButtons_ = false;
    if (window_ != nullptr)
        SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (arrow_ != nullptr)
        SDL_FreeCursor(arrow_);
    arrow_ = nullptr;
    SDL_Quit();
}

void SdlWindow::service(bool readDisplay)
{
    // Reading the display connection is the slow part of servicing; it
    // happens before the lock, and the events it queued are taken under it.
    if (readDisplay) {
        SDL_PumpEvents();
        lastPump_ = Clock::now();
        talked_ = false;
    }
    std::lock_guard guard(shared_->lock);
    // Of the marked rows only the columns drawn into since the last look
    // can differ from what the window shows: those are compared.
    for (int row = shared_->changedFirst; row <= shared_->changedLast; ++row) {
        const RowSpan& span = shared_->rewritten[static_cast<std::size_t>(row)];
        if (!span.empty())
            shown_.take(shared_->pixels.data(), row, span.left, span.right);
        shared_->tookRow(row);
    }
    shared_->clearMarks();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (keys_.take(event, shared_->keys) == KeyTranslator::Action::toggleFullScreen)
            toggleRequested_ = true;
        serviceEvent(event, shared_->mouse, shared_->keys);
    }
    keys_.endOfBatch(shared_->keys);
}

void SdlWindow::serviceEvent(const SDL_Event& event, MouseTracker& mouse, KeyQueue& keys)
{
    switch (event.type) {
    case SDL_MOUSEMOTION: pointerAt(event.motion.x, event.motion.y, mouse); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        pointerAt(event.button.x, event.button.y, mouse);
        if (const int bit = buttonBitOfSdl(event.button.button); bit != 0 && !rawButtons_) {
            if (event.type == SDL_MOUSEBUTTONDOWN)
                mouse.buttonDown(bit);
            else
                mouse.buttonUp(bit);
        }
        break;
    case SDL_MOUSEWHEEL:
        mouse.wheelTurned(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
        break;
    case SDL_WINDOWEVENT: serviceWindowEvent(event.window, mouse, keys); break;
    case SDL_SYSWMEVENT:
        if (const SDL_SysWMmsg* message = event.syswm.msg;
            rawButtons_ && message != nullptr && message->subsystem == SDL_SYSWM_X11) {
            const XEvent& x = message->msg.x11.event;
            if ((x.type == ButtonPress || x.type == ButtonRelease) && x.xbutton.window == xWindow_)
                serviceX11Button(x.xbutton, mouse);
        }
        break;
    default:
        // SDL_QUIT cannot come from the window with the hints set above; the
        // close request arrives as SDL_WINDOWEVENT_CLOSE. Keys are keys_'s.
        break;
    }
}

void SdlWindow::serviceX11Button(const XButtonEvent& event, MouseTracker& mouse) const
{
    const int bit = buttonBitOfX11(event.button);
    if (bit == 0)
        return;
    pointerAt(event.x, event.y, mouse);
    if (event.type == ButtonPress)
        mouse.buttonDown(bit);
    else
        mouse.buttonUp(bit);
}

void SdlWindow::serviceWindowEvent(const SDL_WindowEvent& event, MouseTracker& mouse, KeyQueue& keys)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_ENTER: {
        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        pointerAt(x, y, mouse);
        break;
    }
    case SDL_WINDOWEVENT_LEAVE: mouse.pointerLeft(); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: mouse.focusChanged(true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        mouse.focusChanged(false);
        keys_.focusLost();
        break;
    case SDL_WINDOWEVENT_MINIMIZED: mouse.minimizedChanged(true); break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        mouse.minimizedChanged(false);
        painter_.repaintAll();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // Pointer events after this one are in the new layout, even those
        // serviced before the next present.
        painter_.windowResized(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED: painter_.repaintAll(); break;
    case SDL_WINDOWEVENT_CLOSE:
        // Under a window manager Alt+F4 arrives as a close request with Alt
        // held; it closes nothing and queues nothing.
        if (!keys_.altHeld())
            keys.push(keys::closeRequest);
        break;
    default: break;
    }
}

void SdlWindow::pointerAt(int x, int y, MouseTracker& mouse) const
{
    const Rect& place = painter_.place();
    mouse.pointerMoved(toPicture(x, place.x, place.w, width_), toPicture(y, place.y, place.h, height_));
}

bool SdlWindow::takeRequests()
{
    std::unique_lock lock(controlMutex_);
    if (stopRequested_)
        return false;
    if (titlesApplied_ == titlesRequested_)
        return true;
    const std::string title = requestedTitle_;
    const std::uint64_t ticket = titlesRequested_;
    lock.unlock();
    SDL_SetWindowTitle(window_, displayTitle(title).c_str());
    // SDL only flushes; the round trip makes the title the server's before
    // the game goes on.
    if (display_ != nullptr)
        xlib_.sync(display_);
    talked_ = true;
    lock.lock();
    titlesApplied_ = ticket;
    controlChanged_.notify_all();
    return !stopRequested_;
}

bool SdlWindow::wait(Clock::time_point deadline)
{
    // Events a round trip since the last pump (a present, a title) read from
    // the connection are no longer on it: go round at once for them.
    if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) ||
        (talked_ && display_ != nullptr && xlib_.eventsPending(display_) > 0))
        return true;
    pollfd waitFor[2] = {{-1, POLLIN, 0}, {wake_.fd(), POLLIN, 0}};
    if (display_ != nullptr)
        waitFor[0].fd = xlib_.connection(display_);
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return true;
    const int ready = poll(waitFor, 2, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) {
        std::this_thread::sleep_until(deadline); // a poll that fails would spin: the tick alone then
        return true;
    }
    if ((waitFor[1].revents & POLLIN) != 0)
        wake_.clear();
    // Something to read on the connection, or SDL's upkeep due. The doorbell
    // alone brings a frame or a title, and a tick with the connection quiet
    // finds nothing to read either: both service the screen and the queued
    // events without reading.
    if ((waitFor[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0)
        return true;
    return ready == 0 && Clock::now() - lastPump_ >= upkeepPeriod;
}

void SdlWindow::toggleFullScreen()
{
    const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
    if (full || fullScreenDeadline_) {
        leaveFullScreen();
        return;
    }
    if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
        leaveFullScreen();
        return;
    }
    fullScreenDeadline_ = Clock::now() + fullScreenGrace;
}

void SdlWindow::leaveFullScreen()
{
    fullScreenDeadline_.reset();
    SDL_SetWindowFullscreen(window_, 0);
    // Without a window manager SDL goes on believing the window has the
    // screen's size; setting its own size again puts that right.
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (w != width_ || h != height_)
        SDL_SetWindowSize(window_, width_, height_);
    painter_.repaintAll();
}

void SdlWindow::checkFullScreen()
{
    if (!fullScreenDeadline_)
        return;
    unsigned realWidth = 0;
    unsigned realHeight = 0;
    if (display_ == nullptr || !xlib_.size(display_, xWindow_, realWidth, realHeight)) {
        fullScreenDeadline_.reset(); // no way to look behind SDL's report
        return;
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (static_cast<unsigned>(w) == realWidth && static_cast<unsigned>(h) == realHeight) {
        fullScreenDeadline_.reset();
        return;
    }
    if (Clock::now() >= *fullScreenDeadline_)
        leaveFullScreen();
}

} // namespace

void installSdlWindow()
{
    installWindowBackend(std::make_unique<SdlWindow>());
}

} // namespace platform
