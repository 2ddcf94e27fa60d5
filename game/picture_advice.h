// What to tell a modder about a loaded picture, in words the game and the
// picture checker share: the fix for a refused file, with a command that
// writes one that loads, and what a picture of another size than the
// screen does to the game.
#pragma once

#include <string>

#include "picture.h"

namespace orvanel {

// The command that writes the named file again as a 24-bit BMP, whatever
// kind of picture it holds; transparent parts become white.
std::string exportCommand(const std::string& fileName);

// What would make the file load, with the command where there is one; ""
// when it loaded or nothing would.
std::string fixFor(const PictureLoad& load, const std::string& fileName);

// What a loaded picture of another size than the screen shows in the game:
// for the scene where magenta shows and what is cut off, for the mask where
// nothing can be hit and what is cut off; "" for a picture of the screen's
// size or one that did not load.
std::string sizeEffect(const PictureLoad& load, bool isMask);

// The line the game writes on stderr at start-up about a picture it loaded
// from the folder, "" when there is nothing to tell. A failure leaves the
// image magenta (in part, for a file that ends early), and a picture of
// another size than the screen leaves a magenta edge or is cut off; the
// line tells what happened, why and what to do (in brackets, with the
// folder), and what it means for play:
//   Orvanel: mask.bmp: not a picture the game reads (a PNG picture, not a
//   BMP; save it as a 24-bit BMP: convert ...; in folder /home/me/scene);
//   no target can be hit
std::string startupLine(const std::string& fileName, bool isMask, const std::string& folder, const PictureLoad& load);

// The rule for the mask and the command that makes a mask of only pure black
// and white from any picture, for masks with pixels that look black but
// never score.
std::string nearBlackAdvice(const std::string& fileName);

} // namespace orvanel
