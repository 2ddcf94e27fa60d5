// orvanel-replay SCRIPT [--frames DIR]: runs the real game windowless and
// without sleeping, feeding each frame's input from SCRIPT, and prints one
// line per frame: its number, the window title and the screen's CRC-32.
// orvanel-replay --help prints the usage and the script format.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "crc32.h"
#include "game.h"
#include "pam.h"
#include "platform.h"
#include "script.h"
#include "windowless.h"

namespace {

// Exit status for a bad command line or script.
constexpr int usageStatus = 2;

// Where the replay stands in the script.
struct Cursor {
    const orvanel::Script* script = nullptr;
    std::size_t line = 0;         // the line of the current frame
    std::int64_t repeatsDone = 0; // frames of that line before the current one
    std::int64_t frame = 0;       // the current frame, from 1; 0 before the first
    std::string framesDir;        // where frame pictures go, "" for none
};

// The one replay of the process, reached from the facility's hooks.
Cursor cursor;

const orvanel::ScriptLine& currentLine()
{
    return cursor.script->lines[cursor.line];
}

// 1. Before each mouse read: move to the next frame, or end after the last,
//    and set the pointer as the frame's line says.
void startFrame()
{
    if (cursor.frame > 0 && ++cursor.repeatsDone == currentLine().repeat) {
        ++cursor.line;
        cursor.repeatsDone = 0;
    }
    if (cursor.line == cursor.script->lines.size())
        platform::endProcess(0);
    ++cursor.frame;
    const orvanel::ScriptLine& line = currentLine();
    platform::windowless::setPointer(line.x, line.y, line.buttons);
}

// 2. In place of the sleep after drawing: report the frame, then queue the
//    keys the game reads next.
void endFrame(int)
{
    const std::vector<platform::Colour>& screen = platform::screenPixels();
    std::printf("%lld\t%s\t%08x\n", static_cast<long long>(cursor.frame), platform::title().c_str(),
                orvanel::crc32OfPixels(screen));
    if (!cursor.framesDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%05lld.pam", static_cast<long long>(cursor.frame));
        const std::string path = cursor.framesDir + name;
        if (!orvanel::writePam(path, platform::screenWidth(), platform::screenHeight(), screen)) {
            std::fprintf(stderr, "orvanel-replay: cannot write %s\n", path.c_str());
            platform::endProcess(usageStatus);
        }
    }
    const orvanel::ScriptLine& line = currentLine();
    platform::windowless::feedInput([&line](platform::MouseTracker&, platform::KeyQueue& keys) {
        for (const std::string& key : line.keys)
            keys.push(key);
    });
}

constexpr const char* usageLine = "usage: orvanel-replay SCRIPT [--frames DIR]\n";

int usage()
{
    std::fputs(usageLine, stderr);
    return usageStatus;
}

int help()
{
    std::fputs(usageLine, stdout);
    std::fputs("\n"
               "Runs the real game without a window and without sleeping, one script line\n"
               "per frame, in the working folder (its background.bmp and mask.bmp), and\n"
               "prints one line per frame: its number, the window title and the screen's\n"
               "CRC-32, tab-separated. --frames DIR also writes each frame as a PAM\n"
               "picture DIR/frame-NNNNN.pam, creating DIR and its parents when missing.\n"
               "Exit status 0 at the end of the script or on Escape, 2 for a bad command\n"
               "line or script or a folder that cannot be written.\n"
               "\n",
               stdout);
    std::fputs(orvanel::scriptFormat().c_str(), stdout);
    return 0;
}

// Makes the frames folder, parents and all; false, having said why, when it
// cannot be made or is no folder.
bool makeFramesFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (!error)
        return true;
    std::fprintf(stderr, "orvanel-replay: cannot make the frames folder %s: %s\n", folder.c_str(),
                 error.message().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::string scriptPath;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
        return help();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            cursor.framesDir = argv[++i];
        else if (argv[i][0] != '-' && scriptPath.empty())
            scriptPath = argv[i];
        else
            return usage();
    }
    if (scriptPath.empty())
        return usage();
    std::ifstream in(scriptPath);
    if (!in) {
        std::fprintf(stderr, "orvanel-replay: cannot open %s\n", scriptPath.c_str());
        return usageStatus;
    }
    static const orvanel::Script script = orvanel::parseScript(in);
    if (script.errorLine != 0) {
        std::fprintf(stderr, "orvanel-replay: %s:%d: %s\n", scriptPath.c_str(), script.errorLine, script.error.c_str());
        return usageStatus;
    }
    if (!cursor.framesDir.empty() && !makeFramesFolder(cursor.framesDir))
        return usageStatus;
    cursor.script = &script;
    platform::windowless::setMouseReadHook(startFrame);
    platform::windowless::setSleepHook(endFrame);
    orvanel::runGame();
}
