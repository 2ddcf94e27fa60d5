#include "window_input.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "key_codes.h"

namespace platform {

namespace {

namespace code = keys::code;

// The code byte after the prefix for each key that types nothing.
struct NamedKey {
    SDL_Keycode sym;
    unsigned char code;
};
constexpr NamedKey namedKeys[] = {
    {SDLK_UP, code::up},         {SDLK_DOWN, code::down},  {SDLK_LEFT, code::left},     {SDLK_RIGHT, code::right},
    {SDLK_HOME, code::home},     {SDLK_END, code::end},    {SDLK_PAGEUP, code::pageUp}, {SDLK_PAGEDOWN, code::pageDown},
    {SDLK_INSERT, code::insert}, {SDLK_DELETE, code::del}, {SDLK_F1, code::f1},         {SDLK_F2, code::f1 + 1},
    {SDLK_F3, code::f1 + 2},     {SDLK_F4, code::f1 + 3},  {SDLK_F5, code::f1 + 4},     {SDLK_F6, code::f1 + 5},
    {SDLK_F7, code::f1 + 6},     {SDLK_F8, code::f1 + 7},  {SDLK_F9, code::f1 + 8},     {SDLK_F10, code::f1 + 9},
    {SDLK_F11, code::f11},       {SDLK_F12, code::f12},
};
// Keypad keys move like the keys above when they type no digit (Num Lock off).
constexpr NamedKey keypadKeys[] = {
    {SDLK_KP_8, code::up},     {SDLK_KP_2, code::down},     {SDLK_KP_4, code::left},   {SDLK_KP_6, code::right},
    {SDLK_KP_7, code::home},   {SDLK_KP_1, code::end},      {SDLK_KP_9, code::pageUp}, {SDLK_KP_3, code::pageDown},
    {SDLK_KP_0, code::insert}, {SDLK_KP_PERIOD, code::del},
};

template <std::size_t n>
std::optional<unsigned char> lookUp(const NamedKey (&table)[n], SDL_Keycode sym)
{
    const auto found =
        std::find_if(std::begin(table), std::end(table), [sym](const NamedKey& k) { return k.sym == sym; });
    if (found == std::end(table))
        return std::nullopt;
    return found->code;
}

} // namespace

KeyTranslator::Action KeyTranslator::take(const SDL_Event& event, KeyQueue& queue)
{
    // A keypad key's text event comes right after its key-down; without one
    // the key moved the cursor instead of typing a digit.
    if (!keypadPending_.empty() && event.type != SDL_TEXTINPUT)
        queue.push(keypadPending_);
    keypadPending_.clear();
    Action action = Action::none;
    switch (event.type) {
    case SDL_KEYDOWN:
        altHeld_ = (event.key.keysym.mod & KMOD_ALT) != 0;
        keyDown(event.key, queue, action);
        break;
    case SDL_KEYUP: altHeld_ = (event.key.keysym.mod & KMOD_ALT) != 0; break;
    case SDL_TEXTINPUT: pushText(event.text.text, queue); break;
    default: break;
    }
    return action;
}

void KeyTranslator::endOfBatch(KeyQueue& queue)
{
    if (!keypadPending_.empty())
        queue.push(keypadPending_);
    keypadPending_.clear();
}

void KeyTranslator::keyDown(const SDL_KeyboardEvent& event, KeyQueue& queue, Action& action)
{
    const SDL_Keycode sym = event.keysym.sym;
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
    if (alt && (sym == SDLK_RETURN || sym == SDLK_KP_ENTER)) {
        if (event.repeat == 0)
            action = Action::toggleFullScreen;
        return;
    }
    if (alt && sym == SDLK_F4)
        return;
    // These produce no text event, so the key-down is their only entry;
    // printable keys are left to their text events.
    switch (sym) {
    case SDLK_ESCAPE: queue.push(keys::escape); return;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: queue.push(keys::enter); return;
    case SDLK_BACKSPACE: queue.push(keys::backspace); return;
    case SDLK_TAB: queue.push(keys::tab); return;
    default: break;
    }
    if (const std::optional<unsigned char> named = lookUp(namedKeys, sym)) {
        queue.push(keys::named(*named));
        return;
    }
    if (const std::optional<unsigned char> keypad = lookUp(keypadKeys, sym)) {
        keypadPending_ = keys::named(*keypad);
        return;
    }
    if (ctrl && !alt && sym >= SDLK_a && sym <= SDLK_z)
        queue.push(std::string(1, static_cast<char>(sym - SDLK_a + 1)));
}

void pushText(const char* text, KeyQueue& queue)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (bytes[i] != 0) {
        const unsigned lead = bytes[i];
        if (lead < 0x80) {
            if (lead >= 0x20 && lead != 0x7F)
                queue.push(std::string(1, static_cast<char>(lead)));
            ++i;
            continue;
        }
        // The text ends in a NUL, so looking one byte past a lead byte is safe.
        if ((lead == 0xC2 || lead == 0xC3) && (bytes[i + 1] & 0xC0) == 0x80) {
            const unsigned codePoint = ((lead & 0x1Fu) << 6) | (bytes[i + 1] & 0x3Fu);
            if (codePoint >= 0xA0 && codePoint < 0xFF)
                queue.push(std::string(1, static_cast<char>(codePoint)));
            i += 2;
            continue;
        }
        ++i;
        while ((bytes[i] & 0xC0) == 0x80)
            ++i;
    }
}

int buttonBitOfSdl(Uint8 button)
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

int buttonBitOfX11(unsigned button)
{
    switch (button) {
    case 1: return 1;
    case 2: return 4;
    case 3: return 2;
    case 8: return 8;
    case 9: return 16;
    default: return 0;
    }
}

} // namespace platform
