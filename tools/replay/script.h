// Replay scripts: one line per frame of input for the real game. The format
// is written out by scriptFormat below, which orvanel-replay --help prints.
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

// The script format, as a user reads it.
std::string scriptFormat();

Script parseScript(std::istream& in);

} // namespace orvanel
