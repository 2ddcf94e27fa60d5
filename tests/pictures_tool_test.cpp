#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bmp_writer.h"

namespace orvanel {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int sceneWidth = 720;
constexpr int sceneHeight = 480;
constexpr std::string_view pamHeader = "P7\nWIDTH 720\nHEIGHT 480\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";

struct ToolRun {
    int status = -1;
    std::string output; // stdout and stderr together
};

ToolRun runTool(const std::string& arguments)
{
    ToolRun run;
    const std::string command = std::string(ORVANEL_PICTURES_TOOL) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

Bytes readAll(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The R, G, B, A bytes of pixel (x, y) of a dumped 720 x 480 PAM.
std::array<std::uint8_t, 4> pamPixel(const Bytes& pam, int x, int y)
{
    const std::size_t at =
        pamHeader.size() + (static_cast<std::size_t>(y) * sceneWidth + static_cast<std::size_t>(x)) * 4;
    return {pam.at(at), pam.at(at + 1), pam.at(at + 2), pam.at(at + 3)};
}

using Rgba = std::array<std::uint8_t, 4>;
constexpr Rgba magenta = {0xFF, 0x00, 0xFF, 0xFF};

// A 720 x 480 mask: white, with a 10 x 10 black block at each given x (top
// at y 200), and `nearBlack` dark grey pixels in row 0.
Bytes maskWithBlocks(const std::vector<int>& blockLeft, int nearBlack = 0)
{
    constexpr std::uint32_t white = 0, black = 1, darkGrey = 2;
    return bmp::makeBmp({.width = sceneWidth,
                         .height = sceneHeight,
                         .bitsPerPixel = 8,
                         .palette = {0xFFFFFF, 0x000000, 0x101010}},
                        [&](std::int64_t x, std::int64_t y) {
                            if (y == 0 && x < nearBlack)
                                return darkGrey;
                            for (const int left : blockLeft)
                                if (x >= left && x < left + 10 && y >= 200 && y < 210)
                                    return black;
                            return white;
                        });
}

Bytes scene()
{
    return bmp::makeBmp({.width = sceneWidth, .height = sceneHeight},
                        [](std::int64_t x, std::int64_t y) { return static_cast<std::uint32_t>(x << 12 | y); });
}

class PicturesToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvanel-pictures-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    void write(const std::string& name, const Bytes& bytes)
    {
        ASSERT_TRUE(bmp::writeFile((dir / name).string(), bytes));
    }

    std::filesystem::path dir;
};

TEST_F(PicturesToolTest, GoodPicturesWithAHitInEveryZonePass)
{
    // Blocks in zones 1 to 4; the one at 255 straddles zones 1 and 2.
    write("background.bmp", scene());
    write("mask.bmp", maskWithBlocks({100, 255, 420, 700}, 3));
    const ToolRun run = runTool(dir.string());
    EXPECT_EQ(run.status, 0) << run.output;
    for (const char* line :
         {"background.bmp: loaded; 720 x 480, 24-bit, compression 0\n",
          "mask.bmp: loaded; 720 x 480, 8-bit, compression 0\n", "zone 1 (x below 260): 150 hit pixels\n",
          "zone 2 (x 260 to 389): 50 hit pixels\n", "zone 3 (x 390 to 499): 100 hit pixels\n",
          "zone 4 (x 500 and above): 100 hit pixels\n",
          "warning: 3 mask pixels look black but never score (3 near-black, 0 black with alpha", "check passed\n"})
        EXPECT_NE(run.output.find(line), std::string::npos) << "no \"" << line << "\" in:\n" << run.output;
}

TEST_F(PicturesToolTest, AMissingMaskOrAnEmptyZoneFails)
{
    write("background.bmp", scene());
    ToolRun run = runTool(dir.string());
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("mask.bmp: cannot be opened"), std::string::npos) << run.output;

    write("mask.bmp", maskWithBlocks({100, 300, 600}));
    run = runTool(dir.string());
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find("zone 3 (x 390 to 499): 0 hit pixels"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("check failed"), std::string::npos) << run.output;
}

TEST_F(PicturesToolTest, DumpWritesTheWholeImageAndExitsWithTheResultCode)
{
    // A 2 x 2 picture: the rest of the dump is magenta.
    const auto colours = [](std::int64_t x, std::int64_t y) { return y == 0 ? (x == 0 ? 0x102030u : 0x405060u) : 0u; };
    const Bytes small = bmp::makeBmp({.width = 2, .height = 2}, colours);
    write("small.bmp", small);
    Bytes cut = bmp::makeBmp({.width = 2, .height = -2}, colours);
    cut.resize(cut.size() - 8);
    write("cut.bmp", cut);

    const struct {
        const char* file;
        int status;
        const char* says;
        Rgba topLeft;
        Rgba belowIt;
    } cases[] = {
        {"small.bmp", 0, "small.bmp: loaded", {0x10, 0x20, 0x30, 0xFF}, {0, 0, 0, 0xFF}},
        {"cut.bmp", 3, "cut.bmp: ends too early", {0x10, 0x20, 0x30, 0xFF}, magenta},
        {"missing.bmp", 2, "missing.bmp: cannot be opened", magenta, magenta},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::filesystem::path out = dir / (std::string(c.file) + ".pam");
        const ToolRun run = runTool("--dump " + (dir / c.file).string() + " " + out.string());
        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        const Bytes pam = readAll(out);
        ASSERT_EQ(pam.size(), pamHeader.size() + sceneWidth * sceneHeight * 4);
        EXPECT_EQ(std::string(pam.begin(), pam.begin() + static_cast<std::ptrdiff_t>(pamHeader.size())), pamHeader);
        EXPECT_EQ(pamPixel(pam, 0, 0), c.topLeft);
        EXPECT_EQ(pamPixel(pam, 0, 1), c.belowIt);
        EXPECT_EQ(pamPixel(pam, 2, 0), magenta);
        EXPECT_EQ(pamPixel(pam, 719, 479), magenta);
    }
}

TEST_F(PicturesToolTest, OverlayTintsHitsAndMarksZoneBorders)
{
    write("background.bmp", scene());
    write("mask.bmp", maskWithBlocks({100, 300, 420, 600}));
    const std::filesystem::path out = dir / "overlay.pam";
    const ToolRun run = runTool("--overlay " + dir.string() + " " + out.string());
    EXPECT_EQ(run.status, 0) << run.output;
    const Bytes pam = readAll(out);
    ASSERT_EQ(pam.size(), pamHeader.size() + sceneWidth * sceneHeight * 4);
    // The scene's pixel at (x, y) is x << 12 | y: (0, 0) is black.
    EXPECT_EQ(pamPixel(pam, 0, 0), (Rgba{0, 0, 0, 0xFF}));
    EXPECT_NE(pamPixel(pam, 100, 200), pamPixel(pam, 99, 200)) << "hit pixel not tinted";
    for (const int border : {260, 390, 500})
        EXPECT_EQ(pamPixel(pam, border, 0), (Rgba{0xFF, 0xFF, 0x00, 0xFF})) << "border at x " << border;
}

TEST_F(PicturesToolTest, LinesNameTheFolderAndTellBoxesClickPointsAndLabels)
{
    write("background.bmp", scene());
    write("mask.bmp", maskWithBlocks({100, 300, 420, 600}));
    const ToolRun run = runTool(dir.string());
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string folder = dir.string() + "/";
    for (const std::string& line : {
             folder + "background.bmp: loaded;",
             folder + "mask.bmp: loaded;",
             std::string("zone 1 (x below 260): 100 hit pixels\n"
                         "    within (100, 200) to (109, 209); click at (104, 204): a shot up to 4 pixels off"),
             std::string("label 1 \"OW!!\" at (190, 112) to (221, 119), 115 pixels from its zone's nearest target\n"
                         "    warning: more than 100 pixels from every target of its zone"),
         })
        EXPECT_NE(run.output.find(line), std::string::npos) << "no \"" << line << "\" in:\n" << run.output;

    const ToolRun missing = runTool((dir / "nosuchdir").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find(folder + "nosuchdir/background.bmp: cannot be opened"), std::string::npos)
        << missing.output;
}

TEST_F(PicturesToolTest, WritesPngOrPamByTheNameAndRefusesOtherNames)
{
    write("background.bmp", scene());
    write("mask.bmp", maskWithBlocks({100, 300, 420, 600}));
    const std::string png = "\x89PNG\r\n\x1a\n";
    const struct {
        const char* arguments; // before OUT
        const char* out;
        int status;
        std::string starts; // the file's first bytes; "" for no file
    } cases[] = {
        {"--overlay DIR", "overlay.png", 0, png},    {"--dump DIR/mask.bmp", "mask.png", 0, png},
        {"--overlay DIR", "overlay.pam", 0, "P7\n"}, {"--overlay DIR", "overlay.bmp", 64, ""},
        {"--dump DIR/mask.bmp", "mask", 64, ""},     {"--dump DIR/mask.bmp", "mask.PNG.txt", 64, ""},
    };
    for (const auto& c : cases) {
        std::string arguments = c.arguments;
        arguments.replace(arguments.find("DIR"), 3, dir.string());
        SCOPED_TRACE(arguments + " " + c.out);
        const ToolRun run = runTool(arguments + " " + (dir / c.out).string());
        EXPECT_EQ(run.status, c.status) << run.output;
        const Bytes written = readAll(dir / c.out);
        if (c.starts.empty()) {
            EXPECT_FALSE(std::filesystem::exists(dir / c.out));
            EXPECT_NE(run.output.find("OUT.png or OUT.pam"), std::string::npos) << run.output;
            continue;
        }
        ASSERT_GE(written.size(), c.starts.size());
        EXPECT_EQ(std::string(written.begin(), written.begin() + static_cast<std::ptrdiff_t>(c.starts.size())),
                  c.starts);
    }
}

TEST_F(PicturesToolTest, OverlayFramesTheLabelCellsAndDrawsTheirLetters)
{
    write("background.bmp", scene());
    write("mask.bmp", maskWithBlocks({100, 300, 420, 600}));
    const std::filesystem::path out = dir / "overlay.pam";
    ASSERT_EQ(runTool("--overlay " + dir.string() + " " + out.string()).status, 0);
    const Bytes pam = readAll(out);
    ASSERT_EQ(pam.size(), pamHeader.size() + sceneWidth * sceneHeight * 4);
    constexpr Rgba cyan = {0x00, 0xFF, 0xFF, 0xFF};
    constexpr Rgba ink = {0x00, 0x00, 0x00, 0xFF};
    // Label 1's cells are (190, 112) to (221, 119); "O" has ink at (192, 112).
    EXPECT_EQ(pamPixel(pam, 189, 111), cyan);
    EXPECT_EQ(pamPixel(pam, 222, 120), cyan);
    EXPECT_EQ(pamPixel(pam, 192, 112), ink);
    EXPECT_NE(pamPixel(pam, 190, 112), ink) << "no ink there: the scene shows";
}

TEST(PicturesToolUsage, HelpAndBadCommandLines)
{
    const ToolRun help = runTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("64"), std::string::npos) << help.output;
    for (const char* arguments : {"--dump only-one", "--bogus", "one two", "--overlay a b c"}) {
        const ToolRun run = runTool(arguments);
        EXPECT_EQ(run.status, 64) << arguments << ":\n" << run.output;
        EXPECT_NE(run.output.find("usage:"), std::string::npos) << run.output;
    }
}

} // namespace
} // namespace orvanel
