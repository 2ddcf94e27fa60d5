// The window's input events in the game's terms: keyboard events as key
// queue entries (key_codes.h: typed text one byte per character, keys that
// type nothing as a prefix and a code, Alt+Enter as the full-screen switch)
// and mouse buttons as the game's button bits. Plain functions of SDL's
// event records, so they are tested without a display.
#pragma once

#include <SDL_events.h>
#include <SDL_mouse.h>

#include <string>

#include "input.h"

namespace platform {

class KeyTranslator {
public:
    // What an event asks of the window beyond queued keys.
    enum class Action { none, toggleFullScreen };

    // Takes every event, in the order the window delivers them (a keypad key
    // waits for the next event to learn whether it typed a digit).
    Action take(const SDL_Event& event, KeyQueue& queue);
    // After the last event of a batch: a keypad key that typed nothing moves.
    void endOfBatch(KeyQueue& queue);
    // Alt was held at the newest key event; the window drops it when it
    // loses the focus.
    bool altHeld() const { return altHeld_; }
    void focusLost() { altHeld_ = false; }

private:
    void keyDown(const SDL_KeyboardEvent& event, KeyQueue& queue, Action& action);

    std::string keypadPending_; // a keypad key that moves unless a digit follows it
    bool altHeld_ = false;      // Alt was down at the newest key event
};

// Queues typed text one byte per character: a character reaches the game as
// its Latin-1 code when it has one (U+00A0..U+00FE) and is skipped otherwise,
// as are control characters; U+00FF is skipped too, since a lone 0xFF would
// look like the start of a key that types nothing.
void pushText(const char* text, KeyQueue& queue);

// The game's bit for an SDL button (1 left, 2 right, 4 middle, 8 and 16 the
// side buttons), 0 for buttons it does not know.
int buttonBitOfSdl(Uint8 button);
// The same for an X11 button number (1 left, 2 middle, 3 right, 8 and 9 the
// side buttons; 4 to 7 are the wheel).
int buttonBitOfX11(unsigned button);

} // namespace platform
