// Replay scripts: one line per frame of input for the real game.
//
//   # a comment line
//   X Y BUTTONS [KEY ...]     what the frame's mouse read returns, then the
//                             keys queued before the frame's key read
//   N* X Y BUTTONS [KEY ...]  the same line for N frames in a row
//
// X Y BUTTONS is a pointer over the screen (0..719, 0..479, buttons 0 or
// more) or "-1 -1 -1" for a pointer outside or an inactive window. A KEY is
// esc, close, up, down, left, right or char:C for the one character C.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace orvanel {

// One script line: a frame's input, repeated.
struct ScriptLine {
    std::int64_t repeat = 1; // frames this line stands for
    std::int32_t x = -1;     // the mouse read of each of those frames
    std::int32_t y = -1;
    std::int32_t buttons = -1;
    std::vector<std::string> keys; // as the key queue holds them
};

// A parsed script, or the first line that is not one.
struct Script {
    std::vector<ScriptLine> lines;
    std::int64_t frameCount = 0; // total of every line's repeat
    int errorLine = 0;           // 0 when the script is good
    std::string error;
};

// Largest number of frames a script may stand for.
constexpr std::int64_t maxScriptFrames = std::int64_t{1} << 40;

Script parseScript(std::istream& in);

} // namespace orvanel
