#include "script.h"

#include <charconv>
#include <sstream>

#include "key_codes.h"
#include "rules.h"

namespace orvanel {

namespace {

// The queue entry of a key name, or "" for a name that is none.
std::string keyEntry(const std::string& name)
{
    namespace keys = platform::keys;
    const std::pair<std::string_view, std::string> named[] = {
        {"esc", std::string(keys::escape)},      {"close", std::string(keys::closeRequest)},
        {"up", keys::named(keys::code::up)},     {"down", keys::named(keys::code::down)},
        {"left", keys::named(keys::code::left)}, {"right", keys::named(keys::code::right)},
    };
    for (const auto& [word, entry] : named)
        if (name == word)
            return entry;
    constexpr std::string_view charPrefix = "char:";
    if (name.size() == charPrefix.size() + 1 && name.starts_with(charPrefix))
        return name.substr(charPrefix.size());
    return {};
}

bool parseInt(const std::string& word, std::int64_t& value)
{
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// Parses one non-comment line; returns an error message or "".
std::string parseLine(const std::string& text, ScriptLine& line)
{
    std::istringstream words(text);
    std::string word;
    words >> word;
    if (const auto star = word.find('*'); star != std::string::npos) {
        if (star + 1 != word.size())
            return "a repeat is written N* before X Y BUTTONS";
        if (!parseInt(word.substr(0, star), line.repeat) || line.repeat < 1 || line.repeat > maxScriptFrames)
            return "the repeat must be a whole number from 1 to " + std::to_string(maxScriptFrames);
        if (!(words >> word))
            return "expected X Y BUTTONS after the repeat";
    }
    std::int64_t values[3];
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !(words >> word))
            return "expected X Y BUTTONS";
        if (!parseInt(word, values[i]))
            return "'" + word + "' is not a whole number";
    }
    const bool outside = values[0] == -1 && values[1] == -1 && values[2] == -1;
    const bool inside = values[0] >= 0 && values[0] < screenWidth && values[1] >= 0 && values[1] < screenHeight &&
                        values[2] >= 0 && values[2] <= INT32_MAX;
    if (!outside && !inside)
        return "X Y BUTTONS must be a point of the " + std::to_string(screenWidth) + "x" +
               std::to_string(screenHeight) + " screen with buttons 0 or more, or -1 -1 -1";
    line.x = static_cast<std::int32_t>(values[0]);
    line.y = static_cast<std::int32_t>(values[1]);
    line.buttons = static_cast<std::int32_t>(values[2]);
    while (words >> word) {
        std::string entry = keyEntry(word);
        if (entry.empty())
            return "unknown key '" + word + "' (esc, close, up, down, left, right or char:C)";
        line.keys.push_back(std::move(entry));
    }
    return {};
}

} // namespace

std::string scriptFormat()
{
    return std::string() +
           "A script is a text file with one line per frame of input; blank lines and\n"
           "lines starting with # are skipped.\n"
           "\n"
           "  X Y BUTTONS [KEY ...]     the frame's mouse read gives the pointer at X Y\n"
           "                            with BUTTONS held; the KEYs are queued for the\n"
           "                            game to read after the frame, one a frame\n"
           "  N* X Y BUTTONS [KEY ...]  the same line for N frames in a row\n"
           "\n"
           "X Y is a point of the " +
           std::to_string(screenWidth) + " x " + std::to_string(screenHeight) + " screen (0 to " +
           std::to_string(screenWidth - 1) + ", 0 to " + std::to_string(screenHeight - 1) +
           "). BUTTONS is the\n"
           "sum of the buttons held: 1 left, 2 right, 4 middle, 8 and 16 the side\n"
           "buttons, 0 none; a press counts when a frame reads buttons after a frame\n"
           "that read 0. \"-1 -1 -1\" is a pointer outside the window or an inactive\n"
           "window. A KEY is esc (ends the game when read), close (the window's close\n"
           "request, ignored), up, down, left, right, or char:C for the one character\n"
           "C. The replay ends after the last line, or when the game reads esc.\n"
           "\n"
           "Example: the bundled scene's penguin hit, then Escape.\n"
           "\n"
           "  # wait five frames, click at (213, 149), hold still while it flies\n"
           "  5* 213 149 0\n"
           "  213 149 1\n"
           "  25* 213 149 0\n"
           "  213 149 0 esc\n";
}

Script parseScript(std::istream& in)
{
    Script script;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        const auto first = text.find_first_not_of(" \t\r");
        if (first == std::string::npos || text[first] == '#')
            continue;
        ScriptLine line;
        std::string error = parseLine(text, line);
        if (error.empty() && line.repeat > maxScriptFrames - script.frameCount)
            error = "the script stands for more than " + std::to_string(maxScriptFrames) + " frames";
        if (!error.empty()) {
            script.errorLine = number;
            script.error = std::move(error);
            return script;
        }
        script.frameCount += line.repeat;
        script.lines.push_back(std::move(line));
    }
    return script;
}

} // namespace orvanel
