// Start-up and the frame loop: the whole program around the frame steps.
#include <cstdio>
#include <string>

#include "game.h"
#include "key_codes.h"
#include "picture.h"

namespace orvanel {

namespace {

// What a missing picture means for play, told to a player at a terminal.
struct PictureRole {
    const char* fileName;
    const char* whenMissing;       // the file gave nothing
    const char* whenPartlyMissing; // the file ended inside its rows
};
constexpr PictureRole backgroundRole{backgroundFile, "the scene shows magenta",
                                     "the scene shows magenta where it is missing"};
constexpr PictureRole maskRole{maskFile, "no target can be hit", "no target can be hit where it is missing"};

// Loads a picture; a failure leaves the image magenta (in part, for a file
// that ends early) and is told in one line on stderr.
void loadOrTell(const PictureRole& role, platform::Image* image)
{
    if (image == nullptr)
        return;
    const PictureLoad load = loadPicture(role.fileName, *image);
    if (load.status == PictureStatus::loaded)
        return;
    std::string line = std::string("Orvanel: ") + role.fileName + ": " + inWords(load.status);
    if (!load.cause.empty())
        line += " (" + load.cause + ")";
    line += "; ";
    line += load.status == PictureStatus::endsTooEarly ? role.whenPartlyMissing : role.whenMissing;
    std::fprintf(stderr, "%s\n", line.c_str());
}

} // namespace

void startGame(GameState& state)
{
    // 1. The window and its screen; without them the game cannot be played.
    const platform::OpenResult screen = platform::openScreen(screenWidth, screenHeight, screenBitsPerPixel);
    if (!screen.ok) {
        std::fprintf(stderr, "Orvanel: cannot open a %dx%d window: %s\n", screenWidth, screenHeight,
                     screen.reason.c_str());
        platform::endProcess(1);
    }
    // 2. The title the score will later extend.
    platform::setTitle(gameTitle);
    // 3. Both images start magenta.
    state.backgroundImage = platform::createImage(screenWidth, screenHeight);
    state.maskImage = platform::createImage(screenWidth, screenHeight);
    // 4. The pictures from the working folder.
    loadOrTell(backgroundRole, state.backgroundImage);
    loadOrTell(maskRole, state.maskImage);
}

void runGame()
{
    static GameState state;
    startGame(state);
    for (;;) {
        stepShots(state);
        drawScene(state);
        platform::sleepMs(frameSleepMs);
        if (platform::readKey() == platform::keys::escape)
            break;
    }
    platform::endProcess(0);
}

} // namespace orvanel
