// Start-up and the frame loop: the whole program around the frame steps.
#include <cstdio>
#include <string>

#include "file_source.h"
#include "game.h"
#include "key_codes.h"
#include "picture.h"
#include "picture_advice.h"

namespace orvanel {

namespace {

// Loads a picture from the working folder into its image; what the player
// should know about it (see startupLine) goes to stderr in one line.
void loadOrTell(const char* fileName, bool isMask, platform::Image* image, const std::string& folder)
{
    if (image == nullptr)
        return;
    const std::string line = startupLine(fileName, isMask, folder, loadPicture(fileName, *image));
    if (!line.empty())
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
    const std::string folder = platform::workingFolder();
    loadOrTell(backgroundFile, false, state.backgroundImage, folder);
    loadOrTell(maskFile, true, state.maskImage, folder);
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
