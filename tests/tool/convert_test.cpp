#include <gtest/gtest.h>

#include <sys/wait.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::TempDir;

struct Outcome {
    int code = -1;
    std::string err;  // what the tool printed on stderr
};

// Runs plexo-tool with stdout dropped and stderr (never a terminal here) kept.
Outcome RunTool(const TempDir& dir, const std::string& arguments)
{
    Outcome out;
    const char* tool = std::getenv("PLEXO_TOOL");
    if (!tool)
        return out;
    const std::string errFile = dir.file("stderr.txt");
    const int status = std::system((std::string(tool) + " " + arguments + " >/dev/null 2>'" + errFile + "'").c_str());
    out.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const std::vector<uint8_t> bytes = test::ReadBytes(errFile);
    out.err.assign(bytes.begin(), bytes.end());
    std::filesystem::remove(errFile);
    return out;
}

std::string Capture(const std::string& command)
{
    std::string out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        ::pclose(p);
    }
    return out;
}

class ToolConvert : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("PLEXO_TOOL"), nullptr);
        demo = dir.file("demo.flm");
        ASSERT_EQ(RunTool(dir, "demo '" + demo + "'").code, 0);
    }
    TempDir dir;
    std::string demo;
};

TEST_F(ToolConvert, ConvertsWithTheOptionsAndExitsAsTheLogSays)
{
    const Outcome out = RunTool(dir, "convert flm-bmp '" + demo + "' --grey --factor 2 --size 100x50");
    EXPECT_EQ(out.code, 0);
    EXPECT_EQ(out.err, "start\nOK\nfinish\n");  // no progress bar off a terminal
    EXPECT_EQ(Capture("identify -format '%w %h %[type]' '" + dir.file("demo0023.bmp") + "'"), "100 50 Grayscale");
    EXPECT_EQ(RunTool(dir, "convert bmp-jpg '" + dir.file("demo0005.bmp") + "' --quality 60").code, 0);
    EXPECT_EQ(Capture("identify -format '%Q' '" + dir.file("demo0023.jpg") + "'"), "60");

    const Outcome wrongType = RunTool(dir, "convert bmp-flm '" + demo + "'");
    EXPECT_EQ(wrongType.code, 1);
    EXPECT_EQ(wrongType.err, "File type incompatible\n");
    EXPECT_EQ(RunTool(dir, "convert jpg-bmp '" + dir.file("none0001.jpg") + "'").err, "No film creation\n");
    for (const std::string bad : {"convert flm-png x.flm", "convert flm-bmp x.flm --factor 5",
                                  "convert flm-jpg x.flm --quality 0", "convert flm-jpg x.flm --compress zip",
                                  "convert flm-bmp x.flm --size 322x100", "demo"})
        EXPECT_EQ(RunTool(dir, bad).code, 2) << bad;
}

// The horizontal shift d in [from, to] for which red at (x, y) best matches
// blue at (x + d, y), over a 17 x 17 patch of a bottom-up RGB-as-read image.
int ChannelShift(const std::string& rgb, int width, int x, int y, int from, int to)
{
    int best = 0;
    long bestCost = LONG_MAX;
    for (int d = from; d <= to; ++d) {
        long cost = 0;
        for (int dy = -8; dy <= 8; ++dy)
            for (int dx = -8; dx <= 8; ++dx) {
                const size_t at = (size_t(y + dy) * size_t(width) + size_t(x + dx)) * 3;
                cost += std::abs(int(uint8_t(rgb[at])) - int(uint8_t(rgb[at + size_t(d) * 3 + 2])));
            }
        if (cost < bestCost) {
            bestCost = cost;
            best = d;
        }
    }
    return best;
}

TEST_F(ToolConvert, TheDemoShowsDepthInRedBlue)
{
    const std::string out = dir.file("rb.bmp");
    ASSERT_EQ(RunTool(dir, "compose '" + demo + "' --index 10 --mode red-blue --out '" + out + "'").code,
              0);
    // -flip puts the bottom row first, as the demo film's rows are counted.
    const std::string rgb = Capture("convert '" + out + "' -flip -depth 8 rgb:-");
    ASSERT_EQ(rgb.size(), size_t(320 * 240 * 3));
    // With the default displacement the near box stands out of the screen
    // (blue left of red), the wall lies behind it (blue right of red).
    const int nearShift = ChannelShift(rgb, 320, 178, 62, -14, 0);
    const int farShift = ChannelShift(rgb, 320, 100, 220, 0, 10);
    EXPECT_LE(nearShift, -8);
    EXPECT_GE(farShift, 4);
    EXPECT_LE(farShift, 8);
}

}  // namespace
}  // namespace plexo
