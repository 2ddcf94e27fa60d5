// The facility's window: an SDL2 window run by a thread of its own, which
// shows the screen and turns the window's events into the mouse state and
// the key queue. Every SDL call in the process happens on that thread.
#include "window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "facility.h"

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// The window thread copies, services events and presents this often.
constexpr auto tickPeriod = std::chrono::milliseconds(10);
// How long a window manager gets to make the window fill the screen before
// the switch counts as failed and the window returns.
constexpr auto fullScreenGrace = std::chrono::milliseconds(1000);

// The first byte of a key that types nothing; a code byte follows it.
constexpr char namedKeyPrefix = '\xff';
// What a close request from the window frame queues.
constexpr std::string_view closeRequestKey = "\xffk";

// The code byte after namedKeyPrefix for each key that types nothing.
struct NamedKey {
    SDL_Keycode sym;
    unsigned char code;
};
constexpr NamedKey namedKeys[] = {
    {SDLK_UP, 'H'},     {SDLK_DOWN, 'P'},     {SDLK_LEFT, 'K'},   {SDLK_RIGHT, 'M'},  {SDLK_HOME, 'G'}, {SDLK_END, 'O'},
    {SDLK_PAGEUP, 'I'}, {SDLK_PAGEDOWN, 'Q'}, {SDLK_INSERT, 'R'}, {SDLK_DELETE, 'S'}, {SDLK_F1, ';'},   {SDLK_F2, '<'},
    {SDLK_F3, '='},     {SDLK_F4, '>'},       {SDLK_F5, '?'},     {SDLK_F6, '@'},     {SDLK_F7, 'A'},   {SDLK_F8, 'B'},
    {SDLK_F9, 'C'},     {SDLK_F10, 'D'},      {SDLK_F11, 0x85},   {SDLK_F12, 0x86},
};
// Keypad keys move like the keys above when they type no digit (Num Lock off).
constexpr NamedKey keypadKeys[] = {
    {SDLK_KP_8, 'H'}, {SDLK_KP_2, 'P'}, {SDLK_KP_4, 'K'}, {SDLK_KP_6, 'M'}, {SDLK_KP_7, 'G'},
    {SDLK_KP_1, 'O'}, {SDLK_KP_9, 'I'}, {SDLK_KP_3, 'Q'}, {SDLK_KP_0, 'R'}, {SDLK_KP_PERIOD, 'S'},
};

std::string namedKey(unsigned char code)
{
    return {namedKeyPrefix, static_cast<char>(code)};
}

std::optional<unsigned char> lookUp(const NamedKey* first, const NamedKey* last, SDL_Keycode sym)
{
    const NamedKey* found = std::find_if(first, last, [sym](const NamedKey& k) { return k.sym == sym; });
    if (found == last)
        return std::nullopt;
    return found->code;
}

// The game's bit for an SDL mouse button, 0 for buttons it does not know.
int buttonBit(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    case SDL_BUTTON_X1: return 8;
    case SDL_BUTTON_X2: return 16;
    default: return 0;
    }
}

// Queues typed text one byte per character. Keys are bytes, so a character
// reaches the game as its Latin-1 code when it has one (U+00A0..U+00FE) and
// is skipped otherwise; U+00FF is skipped too, since a lone 0xFF would look
// like the start of a key that types nothing.
void pushText(const char* text, KeyQueue& keys)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (bytes[i] != 0) {
        const unsigned lead = bytes[i];
        if (lead < 0x80) {
            if (lead >= 0x20 && lead != 0x7F)
                keys.push(std::string(1, static_cast<char>(lead)));
            ++i;
            continue;
        }
        // The text ends in a NUL, so looking one byte past a lead byte is safe.
        if ((lead == 0xC2 || lead == 0xC3) && (bytes[i + 1] & 0xC0) == 0x80) {
            const unsigned codePoint = ((lead & 0x1Fu) << 6) | (bytes[i + 1] & 0x3Fu);
            if (codePoint >= 0xA0 && codePoint < 0xFF)
                keys.push(std::string(1, static_cast<char>(codePoint)));
            i += 2;
            continue;
        }
        ++i;
        while ((bytes[i] & 0xC0) == 0x80)
            ++i;
    }
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else if (lead >= 0xE0)
            length = lead <= 0xEF ? 3 : 0;
        else if (lead >= 0xC2)
            length = 2;
        else if (lead >= 0x80)
            length = 0;
        if (length == 0 || length > text.size() - i)
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// The title as the window manager should show it: UTF-8 stays as it is and
// any other bytes are taken as Latin-1, the character set of the game's keys.
std::string displayTitle(const std::string& title)
{
    if (isValidUtf8(title))
        return title;
    std::string converted;
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            converted += c;
        } else {
            converted += static_cast<char>(0xC0 | (byte >> 6));
            converted += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return converted;
}

// Where the picture lands in a window of the given size: as large as fits
// with its shape kept, centred, the rest black bars.
SDL_Rect letterbox(int windowWidth, int windowHeight, int pictureWidth, int pictureHeight)
{
    const std::int64_t across = std::int64_t{windowWidth} * pictureHeight;
    const std::int64_t down = std::int64_t{windowHeight} * pictureWidth;
    std::int64_t w = windowWidth;
    std::int64_t h = windowHeight;
    if (across <= down)
        h = across / pictureWidth;
    else
        w = down / pictureHeight;
    return {static_cast<int>((windowWidth - w) / 2), static_cast<int>((windowHeight - h) / 2), static_cast<int>(w),
            static_cast<int>(h)};
}

// A window coordinate as a picture coordinate: floor((e - origin) * size /
// extent), with everything before the picture -1 and everything after it
// size, so the bars and the area beyond the window read as outside.
int toPicture(int e, int origin, int extent, int size)
{
    if (extent <= 0)
        return -1;
    const std::int64_t scaled = (std::int64_t{e} - origin) * size;
    std::int64_t p = scaled / extent;
    if (scaled % extent != 0 && scaled < 0)
        --p;
    return static_cast<int>(std::clamp<std::int64_t>(p, -1, size));
}

// The two Xlib calls the window needs beyond SDL, borrowed from the libX11
// that SDL's X11 driver has loaded: the real size of the window (SDL reports
// the size it asked for, which a missing window manager never grants) and a
// round trip that makes sure the server holds a new title.
struct XlibCalls {
    using GetGeometry = int (*)(Display*, ::Window, ::Window*, int*, int*, unsigned*, unsigned*, unsigned*, unsigned*);
    using Sync = int (*)(Display*, int);

    void* library = nullptr;           // libX11, held while the window is open
    GetGeometry getGeometry = nullptr; // XGetGeometry, or null when not found
    Sync sync = nullptr;               // XSync, or null when not found

    void load()
    {
        library = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
        if (library == nullptr)
            return;
        getGeometry = reinterpret_cast<GetGeometry>(dlsym(library, "XGetGeometry"));
        sync = reinterpret_cast<Sync>(dlsym(library, "XSync"));
    }
    void unload()
    {
        if (library != nullptr)
            dlclose(library);
        *this = XlibCalls{};
    }
};

class SdlWindow final : public WindowBackend {
public:
    SdlWindow() = default;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;
    ~SdlWindow() override { stop(); }

    std::string start(int width, int height) override;
    void applyTitle(const std::string& title) override;
    void stop() override;

private:
    enum class Phase { idle, opening, open, ended };

    // The window thread.
    void run();
    std::string openWindow();
    void closeWindow();
    // Waits for the deadline, applying titles as they come; false once stop
    // is asked for.
    bool waitUntil(Clock::time_point deadline);
    void setWindowTitle(const std::string& title);
    void copyAndService();
    void serviceEvent(const SDL_Event& event, MouseTracker& mouse, KeyQueue& keys);
    void serviceWindowEvent(const SDL_WindowEvent& event, MouseTracker& mouse, KeyQueue& keys);
    void serviceKeyDown(const SDL_KeyboardEvent& event, KeyQueue& keys);
    void pointerAt(int x, int y, MouseTracker& mouse) const;
    void present();
    void toggleFullScreen();
    void leaveFullScreen();
    void checkFullScreen();
    std::optional<SDL_SysWMinfo> x11Info();

    // --- shared with the game's thread, guarded by controlMutex_ ---
    std::mutex controlMutex_;                // guards the fields below
    std::condition_variable controlChanged_; // signalled whenever one of them changes
    Phase phase_ = Phase::idle;              // where the window thread is in its life
    std::string failure_;                    // why the window could not be opened
    bool stopRequested_ = false;             // the game's thread wants the window gone
    std::string requestedTitle_;             // the newest title asked for
    std::uint64_t titlesRequested_ = 0;      // titles asked for so far
    std::uint64_t titlesApplied_ = 0;        // of those, how many the window has taken

    // --- the game's thread only ---
    std::thread thread_; // the window thread, while it runs

    // --- the window thread only (set before it starts) ---
    int width_ = 0; // the screen's size in pixels
    int height_ = 0;
    std::vector<Colour> staging_; // the window's own copy of the screen, for stretching
    bool stagingStale_ = false;   // rows went straight to the window surface, not to staging_
    Uint8* directRows_ = nullptr; // the picture's top-left in the window surface, while rows go straight there
    int stagedFirst_ = 0;         // rows stagedFirst_..stagedLast_ copied and not yet presented
    int stagedLast_ = -1;
    SDL_Window* window_ = nullptr;   // the window, while open
    SDL_Cursor* arrow_ = nullptr;    // the ordinary arrow pointer
    SDL_Surface* picture_ = nullptr; // staging_ seen as a surface in the window's layout, for blits
    SDL_Surface* surface_ = nullptr; // the window surface as last presented to
    int surfaceWidth_ = 0;           // its size then
    int surfaceHeight_ = 0;
    SDL_Rect place_{};                                    // where the picture lands in the window
    bool repaintAll_ = true;                              // the whole window must be drawn again
    bool exposed_ = false;                                // the server lost the window's contents
    bool altHeld_ = false;                                // Alt was down at the newest key event
    bool toggleRequested_ = false;                        // Alt+Enter was pressed
    std::optional<Clock::time_point> fullScreenDeadline_; // a switch to full screen awaits confirmation until then
    std::string keypadPending_;                           // a keypad key that moves unless a digit follows it
    XlibCalls xlib_;                                      // real window size and server round trips
};

std::string SdlWindow::start(int width, int height)
{
    stop();
    width_ = width;
    height_ = height;
    staging_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFF000000u);
    stagedFirst_ = 0;
    stagedLast_ = -1;
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
    controlChanged_.notify_all();
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
    controlChanged_.notify_all();
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

    // Absolute deadlines keep the cadence from drifting; after a stall the
    // next tick starts afresh instead of catching up in a burst.
    Clock::time_point deadline = Clock::now();
    for (;;) {
        copyAndService();
        if (toggleRequested_) {
            toggleRequested_ = false;
            toggleFullScreen();
        }
        checkFullScreen();
        present();
        deadline += tickPeriod;
        const Clock::time_point now = Clock::now();
        if (deadline < now - tickPeriod)
            deadline = now;
        if (!waitUntil(deadline))
            break;
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
    if (window_ == nullptr) {
        std::string reason = SDL_GetError();
        SDL_Quit();
        return reason;
    }
    const SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface != nullptr) {
        // The window shows no alpha, so the screen's 0xAARRGGBB values can
        // be read as the window's own layout when red, green and blue sit
        // in the same places; rows then copy and stretch unconverted.
        const Uint32 windowFormat = surface->format->format;
        const bool sameLayout = windowFormat == SDL_PIXELFORMAT_RGB888 || windowFormat == SDL_PIXELFORMAT_ARGB8888;
        picture_ = SDL_CreateRGBSurfaceWithFormatFrom(staging_.data(), width_, height_, 32, width_ * 4,
                                                      sameLayout ? windowFormat : Uint32{SDL_PIXELFORMAT_ARGB8888});
    }
    if (picture_ == nullptr) {
        std::string reason = SDL_GetError();
        closeWindow();
        return reason;
    }
    SDL_SetSurfaceBlendMode(picture_, SDL_BLENDMODE_NONE);
    arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (arrow_ != nullptr)
        SDL_SetCursor(arrow_);
    SDL_DisableScreenSaver();
    SDL_RaiseWindow(window_);
    if (x11Info())
        xlib_.load();

    surface_ = nullptr;
    directRows_ = nullptr;
    stagingStale_ = false;
    repaintAll_ = true;
    exposed_ = false;
    altHeld_ = false;
    toggleRequested_ = false;
    fullScreenDeadline_.reset();
    keypadPending_.clear();
    return {};
}

void SdlWindow::closeWindow()
{
    xlib_.unload();
    if (picture_ != nullptr)
        SDL_FreeSurface(picture_);
    picture_ = nullptr;
    if (window_ != nullptr)
        SDL_DestroyWindow(window_);
    window_ = nullptr;
    if (arrow_ != nullptr)
        SDL_FreeCursor(arrow_);
    arrow_ = nullptr;
    surface_ = nullptr;
    directRows_ = nullptr;
    SDL_Quit();
}

bool SdlWindow::waitUntil(Clock::time_point deadline)
{
    std::unique_lock lock(controlMutex_);
    for (;;) {
        controlChanged_.wait_until(lock, deadline,
                                   [this] { return stopRequested_ || titlesApplied_ != titlesRequested_; });
        if (stopRequested_)
            return false;
        if (titlesApplied_ == titlesRequested_)
            return true;
        const std::string title = requestedTitle_;
        const std::uint64_t ticket = titlesRequested_;
        lock.unlock();
        setWindowTitle(title);
        lock.lock();
        titlesApplied_ = ticket;
        controlChanged_.notify_all();
    }
}

void SdlWindow::setWindowTitle(const std::string& title)
{
    SDL_SetWindowTitle(window_, displayTitle(title).c_str());
    // SDL only flushes; the round trip makes the title the server's before
    // the game goes on.
    if (xlib_.sync != nullptr) {
        if (const std::optional<SDL_SysWMinfo> info = x11Info())
            xlib_.sync(info->info.x11.display, 0);
    }
}

void SdlWindow::copyAndService()
{
    // Reading the connection to the display is the slow part of servicing;
    // it happens before the lock, and the events it queued are taken under it.
    SDL_PumpEvents();
    Facility& f = facility();
    std::lock_guard guard(f.screenMutex);
    if (f.changedFirst <= f.changedLast && f.screen.size() == staging_.size()) {
        const int first = std::clamp(f.changedFirst, 0, height_ - 1);
        const int last = std::clamp(f.changedLast, 0, height_ - 1);
        const auto rowStart = static_cast<std::size_t>(first) * static_cast<std::size_t>(width_);
        const auto rowEnd = static_cast<std::size_t>(last + 1) * static_cast<std::size_t>(width_);
        if (directRows_ != nullptr) {
            // One to one in a window of the screen's layout: the rows go
            // straight into the window surface, saving a copy per frame.
            const auto rowBytes = static_cast<std::size_t>(width_) * 4;
            for (int row = first; row <= last; ++row)
                std::memcpy(directRows_ + static_cast<std::ptrdiff_t>(row) * surface_->pitch,
                            f.screen.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_),
                            rowBytes);
            stagingStale_ = true;
        } else {
            std::copy(f.screen.begin() + static_cast<std::ptrdiff_t>(rowStart),
                      f.screen.begin() + static_cast<std::ptrdiff_t>(rowEnd),
                      staging_.begin() + static_cast<std::ptrdiff_t>(rowStart));
        }
        if (stagedFirst_ > stagedLast_) {
            stagedFirst_ = first;
            stagedLast_ = last;
        } else {
            stagedFirst_ = std::min(stagedFirst_, first);
            stagedLast_ = std::max(stagedLast_, last);
        }
    }
    f.changedFirst = 0;
    f.changedLast = -1;

    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        // A keypad key's text event comes right after its key-down; without
        // one the key moved the cursor instead of typing a digit.
        if (!keypadPending_.empty() && event.type != SDL_TEXTINPUT)
            f.keys.push(keypadPending_);
        keypadPending_.clear();
        serviceEvent(event, f.mouse, f.keys);
    }
    if (!keypadPending_.empty())
        f.keys.push(keypadPending_);
    keypadPending_.clear();
}

void SdlWindow::serviceEvent(const SDL_Event& event, MouseTracker& mouse, KeyQueue& keys)
{
    switch (event.type) {
    case SDL_MOUSEMOTION: pointerAt(event.motion.x, event.motion.y, mouse); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        pointerAt(event.button.x, event.button.y, mouse);
        if (const int bit = buttonBit(event.button.button); bit != 0) {
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
    case SDL_KEYDOWN:
        altHeld_ = (event.key.keysym.mod & KMOD_ALT) != 0;
        serviceKeyDown(event.key, keys);
        break;
    case SDL_KEYUP: altHeld_ = (event.key.keysym.mod & KMOD_ALT) != 0; break;
    case SDL_TEXTINPUT: pushText(event.text.text, keys); break;
    default:
        // SDL_QUIT cannot come from the window with the hints set above; the
        // close request arrives as SDL_WINDOWEVENT_CLOSE.
        break;
    }
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
        altHeld_ = false;
        break;
    case SDL_WINDOWEVENT_MINIMIZED: mouse.minimizedChanged(true); break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED: mouse.minimizedChanged(false); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        // Pointer events after this one are in the new layout, even those
        // serviced before the next present.
        place_ = letterbox(event.data1, event.data2, width_, height_);
        repaintAll_ = true;
        break;
    case SDL_WINDOWEVENT_EXPOSED: exposed_ = true; break;
    case SDL_WINDOWEVENT_CLOSE:
        // Under a window manager Alt+F4 arrives as a close request with Alt
        // held; it closes nothing and queues nothing.
        if (!altHeld_)
            keys.push(closeRequestKey);
        break;
    default: break;
    }
}

void SdlWindow::serviceKeyDown(const SDL_KeyboardEvent& event, KeyQueue& keys)
{
    const SDL_Keycode sym = event.keysym.sym;
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
    if (alt && (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)) {
        if (event.repeat == 0)
            toggleRequested_ = true;
        return;
    }
    if (alt && sym == SDLK_F4)
        return;
    // These produce no text event, so the key-down is their only entry;
    // printable keys are left to their text events.
    switch (sym) {
    case SDLK_ESCAPE: keys.push("\x1b"); return;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: keys.push("\r"); return;
    case SDLK_BACKSPACE: keys.push("\b"); return;
    case SDLK_TAB: keys.push("\t"); return;
    default: break;
    }
    if (const std::optional<unsigned char> code = lookUp(std::begin(namedKeys), std::end(namedKeys), sym)) {
        keys.push(namedKey(*code));
        return;
    }
    if (const std::optional<unsigned char> code = lookUp(std::begin(keypadKeys), std::end(keypadKeys), sym)) {
        keypadPending_ = namedKey(*code);
        return;
    }
    if (ctrl && !alt && sym >= SDLK_a && sym <= SDLK_z)
        keys.push(std::string(1, static_cast<char>(sym - SDLK_a + 1)));
}

void SdlWindow::pointerAt(int x, int y, MouseTracker& mouse) const
{
    mouse.pointerMoved(toPicture(x, place_.x, place_.w, width_), toPicture(y, place_.y, place_.h, height_));
}

void SdlWindow::present()
{
    // Presenting, outside the screen lock, on the window surface (memory
    // shared with the X server; no renderer):
    // 1. Fetch the window surface. When it is new or resized (the first
    //    present, a switch of full screen) lay the picture out again and
    //    paint the whole window, bars included.
    // 2. Nothing staged and nothing lost: nothing to do.
    // 3. One to one (the window): convert the staged rows into the surface
    //    and send just that band to the server.
    // 4. Scaled (full screen): stretch the whole picture into its letterbox
    //    rectangle and send the whole surface.
    // 5. Contents lost (an expose) but nothing new: send the surface again.
    // (3 is skipped when the rows were copied straight into the surface.)
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface == nullptr) {
        directRows_ = nullptr;
        surface_ = nullptr;
        return;
    }
    if (surface != surface_ || surface->w != surfaceWidth_ || surface->h != surfaceHeight_) {
        surface_ = surface;
        surfaceWidth_ = surface->w;
        surfaceHeight_ = surface->h;
        repaintAll_ = true;
    }
    if (repaintAll_) {
        // A new layout: rows go to staging_ again until this one is painted,
        // and staging_ must first catch up with what went straight out.
        directRows_ = nullptr;
        if (stagingStale_) {
            Facility& f = facility();
            std::lock_guard guard(f.screenMutex);
            if (f.screen.size() == staging_.size())
                staging_ = f.screen;
            stagingStale_ = false;
        }
        place_ = letterbox(surface->w, surface->h, width_, height_);
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        stagedFirst_ = 0;
        stagedLast_ = height_ - 1;
    }
    const bool staged = stagedFirst_ <= stagedLast_;
    if (!staged && !exposed_)
        return;

    const bool oneToOne = place_.w == width_ && place_.h == height_;
    if (staged && directRows_ != nullptr) {
        // The rows are in the surface already.
        const SDL_Rect band{place_.x, place_.y + stagedFirst_, width_, stagedLast_ - stagedFirst_ + 1};
        if (exposed_)
            SDL_UpdateWindowSurface(window_);
        else
            SDL_UpdateWindowSurfaceRects(window_, &band, 1);
    } else if (staged && oneToOne && !repaintAll_) {
        const int rows = stagedLast_ - stagedFirst_ + 1;
        const Colour* from =
            staging_.data() + static_cast<std::size_t>(stagedFirst_) * static_cast<std::size_t>(width_);
        auto* to = static_cast<std::uint8_t*>(surface->pixels) +
                   static_cast<std::ptrdiff_t>(place_.y + stagedFirst_) * surface->pitch + place_.x * 4;
        const Uint32 format = surface->format->format;
        if (format == picture_->format->format) {
            for (int row = 0; row < rows; ++row)
                std::memcpy(to + static_cast<std::ptrdiff_t>(row) * surface->pitch,
                            from + static_cast<std::size_t>(row) * static_cast<std::size_t>(width_),
                            static_cast<std::size_t>(width_) * 4);
        } else {
            SDL_ConvertPixels(width_, rows, SDL_PIXELFORMAT_ARGB8888, from, width_ * 4, format, to, surface->pitch);
        }
        const SDL_Rect band{place_.x, place_.y + stagedFirst_, width_, rows};
        if (exposed_)
            SDL_UpdateWindowSurface(window_);
        else
            SDL_UpdateWindowSurfaceRects(window_, &band, 1);
    } else {
        if (staged || repaintAll_) {
            SDL_Rect where = place_;
            SDL_BlitScaled(picture_, nullptr, surface, &where);
        }
        SDL_UpdateWindowSurface(window_);
    }
    stagedFirst_ = 0;
    stagedLast_ = -1;
    repaintAll_ = false;
    exposed_ = false;
    // 6. From the next tick on, a one-to-one window of the screen's layout
    //    takes the changed rows straight from the screen, under the lock.
    const bool sameFormat = surface->format->format == picture_->format->format;
    directRows_ = oneToOne && sameFormat ? static_cast<Uint8*>(surface->pixels) +
                                               static_cast<std::ptrdiff_t>(place_.y) * surface->pitch + place_.x * 4
                                         : nullptr;
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
    repaintAll_ = true;
}

void SdlWindow::checkFullScreen()
{
    if (!fullScreenDeadline_)
        return;
    const std::optional<SDL_SysWMinfo> info = x11Info();
    if (!info || xlib_.getGeometry == nullptr) {
        fullScreenDeadline_.reset(); // no way to look behind SDL's report
        return;
    }
    ::Window root = 0;
    int x = 0;
    int y = 0;
    unsigned realWidth = 0;
    unsigned realHeight = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (xlib_.getGeometry(info->info.x11.display, info->info.x11.window, &root, &x, &y, &realWidth, &realHeight,
                          &border, &depth) == 0) {
        fullScreenDeadline_.reset();
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

std::optional<SDL_SysWMinfo> SdlWindow::x11Info()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window_, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11)
        return std::nullopt;
    return info;
}

} // namespace

void installSdlWindow()
{
    installWindowBackend(std::make_unique<SdlWindow>());
}

} // namespace platform
