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
