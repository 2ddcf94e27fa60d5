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

// What a missing picture means for play, told to a player at a terminal.
struct PictureRole {
    const char* fileName;
    bool isMask;
    const char* whenMissing;       // the file gave nothing
    const char* whenPartlyMissing; // the file ended inside its rows
};
constexpr PictureRole backgroundRole{backgroundFile, false, "the scene shows magenta",
                                     "the scene shows magenta where it is missing"};
constexpr PictureRole maskRole{maskFile, true, "no target can be hit", "no target can be hit where it is missing"};

// Loads a picture from the working folder. A failure leaves the image
// magenta (in part, for a file that ends early), and a picture of another
// size than the screen leaves a magenta edge or is cut off; either is told
// in one line on stderr: what happened, why and what to do (in brackets,
// with the folder), and what it means for play.
void loadOrTell(const PictureRole& role, platform::Image* image, const std::string& folder)
{
    if (image == nullptr)
        return;
    const PictureLoad load = loadPicture(role.fileName, *image);
    std::string line = std::string("Orvanel: ") + role.fileName + ": ";
    if (load.status == PictureStatus::loaded) {
        const std::string effect = sizeEffect(load, role.isMask);
        if (effect.empty())
            return;
        line += std::to_string(load.width) + " x " + std::to_string(load.height) + ", not " +
                std::to_string(screenWidth) + " x " + std::to_string(screenHeight) + " (save it at " +
                std::to_string(screenWidth) + " x " + std::to_string(screenHeight) + "; in folder " + folder + "); " +
                effect;
    } else {
        line += inWords(load.status);
        line += " (";
        if (!load.cause.empty())
            line += load.cause + "; ";
        if (const std::string fix = fixFor(load, role.fileName); !fix.empty())
            line += fix + "; ";
        line += "in folder " + folder + "); ";
        line += load.status == PictureStatus::endsTooEarly ? role.whenPartlyMissing : role.whenMissing;
    }
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
    loadOrTell(backgroundRole, state.backgroundImage, folder);
    loadOrTell(maskRole, state.maskImage, folder);
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
