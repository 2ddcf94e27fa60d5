// Opens the real window through the facility, shows a known frame and
// reports what the window delivers, for window_test.py to drive under Xvfb.
//
// Prints "ready" once the window is up and titled, then one line per change
// of the mouse read ("mouse X Y WHEEL BUTTONS STATUS") and per key ("key "
// and its bytes in hex). Reads commands from standard input: "title TEXT"
// sets the title and answers "titled"; "quit" or the end of input ends the
// process; "invert" turns the frame's colours over (each channel c becomes
// 255 - c) and answers "inverted". The frame is drawn again every 18 ms, as
// the game does.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform.h"
#include "window.h"

namespace {

// Every pixel a different colour, so a screenshot shows any pixel that lands
// in the wrong place; the alpha byte varies too and must not show.
platform::Colour knownPixel(int x, int y)
{
    const auto red = static_cast<std::uint32_t>(x & 0xFF);
    const auto green = static_cast<std::uint32_t>(y & 0xFF);
    const auto blue = static_cast<std::uint32_t>(5 + 16 * (x >> 8) + 64 * (y >> 8));
    const auto alpha = static_cast<std::uint32_t>((x + 3 * y) & 0xFF);
    return alpha << 24 | red << 16 | green << 8 | blue;
}

// Standard input, read a line at a time without ever blocking.
class Commands {
public:
    // The next complete line, if one has arrived; sets ended at end of input.
    bool next(std::string& line)
    {
        for (;;) {
            const std::size_t newline = pending_.find('\n');
            if (newline != std::string::npos) {
                line = pending_.substr(0, newline);
                pending_.erase(0, newline + 1);
                return true;
            }
            if (ended)
                return false;
            pollfd input{STDIN_FILENO, POLLIN, 0};
            if (poll(&input, 1, 0) <= 0)
                return false;
            char buffer[256];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                ended = true;
                return false;
            }
            pending_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    bool ended = false; // standard input is closed

private:
    std::string pending_; // bytes read but not yet a whole line
};

void printKey(const std::string& key)
{
    std::printf("key");
    for (const char c : key)
        std::printf(" %02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
    std::printf("\n");
}

} // namespace

int main()
{
    constexpr int width = 720;
    constexpr int height = 480;
    constexpr int frameMs = 18;

    platform::installSdlWindow();
    const platform::OpenResult opened = platform::openScreen(width, height, 32);
    if (!opened.ok) {
        std::fprintf(stderr, "Orvanel: cannot open a %dx%d window: %s\n", width, height, opened.reason.c_str());
        return 1;
    }
    platform::setTitle("Orvanel window test");

    platform::Image* frame = platform::createImage(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame->pixels[static_cast<std::size_t>(y * width + x)] = knownPixel(x, y);

    std::printf("ready\n");
    std::fflush(stdout);

    Commands commands;
    platform::MouseReading shown{};
    bool anyShown = false;
    for (;;) {
        platform::lockScreen();
        platform::putImage(0, 0, *frame);
        platform::unlockScreen(0, -1);

        const platform::MouseReading m = platform::readMouse();
        if (!anyShown || m.x != shown.x || m.y != shown.y || m.wheel != shown.wheel || m.buttons != shown.buttons ||
            m.status != shown.status) {
            std::printf("mouse %d %d %d %d %d\n", m.x, m.y, m.wheel, m.buttons, m.status);
            shown = m;
            anyShown = true;
        }
        for (std::string key = platform::readKey(); !key.empty(); key = platform::readKey())
            printKey(key);

        std::string line;
        while (commands.next(line)) {
            if (line.rfind("title ", 0) == 0) {
                platform::setTitle(line.substr(6));
                std::printf("titled\n");
            } else if (line == "invert") {
                for (platform::Colour& pixel : frame->pixels)
                    pixel ^= 0x00FFFFFFu;
                std::printf("inverted\n");
            } else if (line == "quit") {
                commands.ended = true;
            }
        }
        std::fflush(stdout);
        if (commands.ended)
            platform::endProcess(0);
        platform::sleepMs(frameMs);
    }
}
