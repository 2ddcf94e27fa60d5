// The window's keyboard and button events in the game's terms, from SDL's
// event records made by hand: no display needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input.h"
#include "window_input.h"

namespace {

SDL_Event keyDown(SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    event.key.repeat = repeat;
    return event;
}

SDL_Event text(const char* typed)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, typed, sizeof event.text.text);
    return event;
}

SDL_Event other()
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    return event;
}

// The queue's entries in hex, one word each, after the events.
std::string entriesAfter(const std::vector<SDL_Event>& events, bool* toggled = nullptr)
{
    platform::KeyTranslator translator;
    platform::KeyQueue queue;
    for (const SDL_Event& event : events)
        if (translator.take(event, queue) == platform::KeyTranslator::Action::toggleFullScreen && toggled)
            *toggled = true;
    translator.endOfBatch(queue);
    std::string out;
    for (std::string key = queue.pop(); !key.empty(); key = queue.pop()) {
        if (!out.empty())
            out += ' ';
        for (const char c : key) {
            char byte[3];
            SDL_snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(c));
            out += byte;
        }
    }
    return out;
}

TEST(KeyTranslator, KeysAndTextAsQueueEntries)
{
    const struct {
        const char* what;
        std::vector<SDL_Event> events;
        const char* want;
    } cases[] = {
        {"Escape", {keyDown(SDLK_ESCAPE)}, "1b"},
        {"Enter, Backspace, Tab", {keyDown(SDLK_RETURN), keyDown(SDLK_BACKSPACE), keyDown(SDLK_TAB)}, "0d 08 09"},
        {"a letter types through its text, not its key", {keyDown(SDLK_a), text("a")}, "61"},
        {"arrows and function keys",
         {keyDown(SDLK_UP), keyDown(SDLK_F1), keyDown(SDLK_F10), keyDown(SDLK_F12)},
         "ff48 ff3b ff44 ff86"},
        {"a keypad key that types a digit", {keyDown(SDLK_KP_8), text("8")}, "38"},
        {"a keypad key that moves, before another event", {keyDown(SDLK_KP_8), other()}, "ff48"},
        {"a keypad key that moves, last of the batch", {keyDown(SDLK_KP_4)}, "ff4b"},
        {"Ctrl+letter", {keyDown(SDLK_c, KMOD_LCTRL)}, "03"},
        {"Alt+F4 and a lone modifier give nothing", {keyDown(SDLK_F4, KMOD_LALT), keyDown(SDLK_LSHIFT)}, ""},
        {"Latin-1 text as one byte; other text and controls skipped", {text("\xc3\xa9\xe2\x82\xac\x7f\xc3\xbf")}, "e9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(entriesAfter(c.events), c.want) << c.what;
}

TEST(KeyTranslator, AltEnterSwitchesFullScreenOncePerPress)
{
    const struct {
        SDL_Event event;
        bool wantToggle;
    } cases[] = {
        {keyDown(SDLK_RETURN, KMOD_LALT), true},
        {keyDown(SDLK_KP_ENTER, KMOD_RALT), true},
        {keyDown(SDLK_RETURN, KMOD_LALT, 1), false},
    };
    for (const auto& c : cases) {
        bool toggled = false;
        EXPECT_EQ(entriesAfter({c.event}, &toggled), "");
        EXPECT_EQ(toggled, c.wantToggle) << "repeat " << int{c.event.key.repeat};
    }
}

TEST(WindowButtons, SdlAndX11NumbersAsTheGamesBits)
{
    EXPECT_EQ(platform::buttonBitOfSdl(SDL_BUTTON_LEFT), 1);
    EXPECT_EQ(platform::buttonBitOfSdl(SDL_BUTTON_RIGHT), 2);
    EXPECT_EQ(platform::buttonBitOfSdl(SDL_BUTTON_MIDDLE), 4);
    EXPECT_EQ(platform::buttonBitOfSdl(SDL_BUTTON_X1), 8);
    EXPECT_EQ(platform::buttonBitOfSdl(SDL_BUTTON_X2), 16);
    const int x11Want[] = {0, 1, 4, 2, 0, 0, 0, 0, 8, 16, 0};
    for (unsigned button = 0; button < std::size(x11Want); ++button)
        EXPECT_EQ(platform::buttonBitOfX11(button), x11Want[button]) << "X11 button " << button;
}

} // namespace
