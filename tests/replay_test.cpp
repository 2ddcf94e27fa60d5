#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "crc32.h"
#include "script.h"

namespace {

namespace fs = std::filesystem;

TEST(ReplayScript, ReadsFramesRepeatsAndKeys)
{
    std::istringstream text("# header\n"
                            "\n"
                            "10 20 1\n"
                            "  3* 0 479 0 esc close up down left right char:a\n"
                            "-1 -1 -1\r\n"
                            "719 0 17 char:#\n");
    const orvanel::Script script = orvanel::parseScript(text);
    ASSERT_EQ(script.errorLine, 0) << script.error;
    ASSERT_EQ(script.lines.size(), 4u);
    EXPECT_EQ(script.frameCount, 6);
    EXPECT_EQ(script.lines[0].x, 10);
    EXPECT_EQ(script.lines[0].buttons, 1);
    EXPECT_EQ(script.lines[1].repeat, 3);
    EXPECT_EQ(script.lines[1].keys, (std::vector<std::string>{"\x1b",
                                                              "\xff"
                                                              "k",
                                                              "\xff"
                                                              "H",
                                                              "\xff"
                                                              "P",
                                                              "\xff"
                                                              "K",
                                                              "\xff"
                                                              "M",
                                                              "a"}));
    EXPECT_EQ(script.lines[2].buttons, -1);
    EXPECT_EQ(script.lines[3].keys, (std::vector<std::string>{"#"}));
}

TEST(ReplayScript, NamesTheFirstBadLine)
{
    struct Case {
        const char* text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"1 2\n", 1, "expected X Y BUTTONS"},
        {"1 2 0\n1 2 x\n", 2, "'x' is not a whole number"},
        {"720 0 0\n", 1, "point of the 720x480 screen"},
        {"0 480 0\n", 1, "point of the 720x480 screen"},
        {"5 5 -1\n", 1, "point of the 720x480 screen"},
        {"-1 -1 0\n", 1, "point of the 720x480 screen"},
        {"0*5 5 0\n", 1, "repeat"},
        {"0* 5 5 0\n", 1, "repeat must be a whole number"},
        {"-2* 5 5 0\n", 1, "repeat must be a whole number"},
        {"99999999999999999999* 5 5 0\n", 1, "repeat must be a whole number"},
        {"# ok\n5 5 0 enter\n", 2, "unknown key 'enter'"},
        {"5 5 0 char:ab\n", 1, "unknown key"},
        {"1099511627776* 1 1 0\n1* 1 1 0\n", 2, "more than"},
    };
    for (const Case& c : cases) {
        std::istringstream text(c.text);
        const orvanel::Script script = orvanel::parseScript(text);
        EXPECT_EQ(script.errorLine, c.line) << c.text;
        EXPECT_NE(script.error.find(c.says), std::string::npos)
            << "have '" << script.error << "', want '" << c.says << "' for " << c.text;
    }
}

TEST(ReplayCrc, MatchesTheZlibCheckValues)
{
    // "123456789" is the standard check string; pixels are little-endian bytes.
    const std::array<std::uint32_t, 2> pixels{0x34333231u, 0x38373635u};
    EXPECT_EQ(orvanel::crc32OfPixels(pixels), 0x9AE0DAAFu); // CRC of "12345678"
    const std::array<std::uint32_t, 3> odd{0x34333231u, 0x38373635u, 0x39u};
    EXPECT_EQ(orvanel::crc32OfPixels(std::span(odd).first(2)), 0x9AE0DAAFu);
    EXPECT_EQ(orvanel::crc32OfPixels({}), 0u);
}

// Runs orvanel-replay in a folder of its own and collects what it printed.
class Replay : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("orvanel-replay-test-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    struct Run {
        int status = -1;
        std::vector<std::string> lines; // stdout
        std::string errors;             // stderr
    };

    Run replay(const std::string& script, const std::string& extra = "")
    {
        std::ofstream(folder / "script.txt") << script;
        const std::string command =
            "cd '" + folder.string() + "' && '" ORVANEL_REPLAY "' script.txt " + extra + " 2> stderr.txt";
        Run run;
        FILE* out = ::popen(command.c_str(), "r");
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, out))
            run.lines.emplace_back(buffer);
        const int raw = ::pclose(out);
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream errors(folder / "stderr.txt");
        run.errors.assign(std::istreambuf_iterator<char>(errors), {});
        return run;
    }

    fs::path folder;
};

TEST_F(Replay, PrintsEachFrameAndEndsWithTheScript)
{
    const Run run = replay("2* 5 5 0\n-1 -1 -1 char:q\n");
    EXPECT_EQ(run.status, 0);
    // No pictures here: every frame is the magenta fill.
    const std::vector<std::uint32_t> magenta(720 * 480, 0xFFFF00FFu);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", orvanel::crc32OfPixels(magenta));
    EXPECT_EQ(run.lines, (std::vector<std::string>{"1\tOrvanel\t" + std::string(crc) + "\n",
                                                   "2\tOrvanel\t" + std::string(crc) + "\n",
                                                   "3\tOrvanel\t" + std::string(crc) + "\n"}));
    EXPECT_NE(run.errors.find("Orvanel: mask.bmp: cannot be opened"), std::string::npos) << run.errors;
}

TEST_F(Replay, EscapeEndsItWhenItsTurnComes)
{
    const Run run = replay("5 5 0 char:a esc\n5 5 0\n5 5 0\n5 5 0\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.lines.size(), 2u) << "'a' is read after frame 1, Escape after frame 2";
}

TEST_F(Replay, DrawsTheShotsItClicks)
{
    const Run run = replay("300 300 1\n3* 300 300 0\n");
    ASSERT_EQ(run.lines.size(), 4u);
    EXPECT_NE(run.lines[1].substr(run.lines[1].rfind('\t')), run.lines[2].substr(run.lines[2].rfind('\t')))
        << "the disc moves between frames";
}

TEST_F(Replay, RefusesABadScriptNamingTheLine)
{
    const Run run = replay("5 5 0\n5 5 0 jump\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.lines.empty());
    EXPECT_NE(run.errors.find("script.txt:2: unknown key 'jump'"), std::string::npos) << run.errors;
}

TEST_F(Replay, WritesFramesAsPam)
{
    fs::create_directories(folder / "frames");
    const Run run = replay("2* 5 5 0\n", "--frames frames");
    ASSERT_EQ(run.status, 0);
    for (const char* name : {"frame-00001.pam", "frame-00002.pam"}) {
        const fs::path path = folder / "frames" / name;
        ASSERT_TRUE(fs::exists(path)) << name;
        const std::string header = "P7\nWIDTH 720\nHEIGHT 480\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        EXPECT_EQ(fs::file_size(path), header.size() + 720u * 480u * 4u);
        std::ifstream in(path, std::ios::binary);
        std::string start(header.size() + 4, '\0');
        in.read(start.data(), static_cast<std::streamsize>(start.size()));
        EXPECT_EQ(start, header + std::string("\xff\x00\xff\xff", 4)) << "magenta, opaque";
    }
    EXPECT_FALSE(fs::exists(folder / "frames" / "frame-00003.pam"));
}

TEST_F(Replay, FramesFolderIsMadeWithItsParentsOrRefusedClearly)
{
    std::ofstream(folder / "in-the-way") << "a file";
    const struct {
        const char* dir;
        int status;
        std::size_t frames;
        const char* says;
    } cases[] = {
        {"new/nested/frames", 0, 2, ""},
        {"in-the-way", 2, 0, "cannot make the frames folder in-the-way"},
        {"in-the-way/frames", 2, 0, "cannot make the frames folder in-the-way/frames"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir);
        const Run run = replay("2* 5 5 0\n", std::string("--frames ") + c.dir);
        EXPECT_EQ(run.status, c.status) << run.errors;
        EXPECT_EQ(run.lines.size(), c.frames);
        EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
        if (c.status == 0) {
            EXPECT_TRUE(fs::exists(folder / c.dir / "frame-00002.pam"));
        }
    }
}

TEST(ReplayHelp, PrintsTheUsageAndTheScriptFormat)
{
    FILE* out = ::popen("'" ORVANEL_REPLAY "' --help", "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, out))
        text += buffer;
    const int raw = ::pclose(out);
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 0);
    for (const char* part : {"usage: orvanel-replay SCRIPT [--frames DIR]", "N* X Y BUTTONS [KEY ...]", "-1 -1 -1",
                             "char:C", "720 x 480 screen (0 to 719, 0 to 479)"})
        EXPECT_NE(text.find(part), std::string::npos) << "no \"" << part << "\" in:\n" << text;
    // The example in the text is a script that parses.
    std::istringstream example(text.substr(text.find("  # wait")));
    const orvanel::Script script = orvanel::parseScript(example);
    EXPECT_EQ(script.errorLine, 0) << script.error;
    EXPECT_EQ(script.frameCount, 32);
}

} // namespace
