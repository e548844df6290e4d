#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace plexo {
namespace {

// Frames of four blocks of different colours (blue, green, red of the
// bottom-left, bottom-right, top-left, top-right block), so that a flipped
// row order or exchanged colour bytes shows; frame k adds 20k to every byte.
constexpr int kW = 32, kH = 16;
constexpr uint8_t kBlocks[4][3] = {{160, 30, 30}, {30, 160, 30}, {30, 30, 160}, {170, 170, 40}};

uint8_t Byte(int frame, int x, int y, int c) { return uint8_t(kBlocks[(y >= kH / 2) * 2 + (x >= kW / 2)][c] + 20 * frame); }

void WriteFilm(const std::string& path)
{
    std::vector<uint8_t> b;
    for (uint32_t v : {3u, 3u, uint32_t(kW), uint32_t(kH)})
        test::PutU32(b, v);
    for (int k = 0; k < 3; ++k) {
        test::PutU16(b, uint32_t(k));
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c)
                    b.push_back(Byte(k, x, y, c));
    }
    test::WriteBytes(path, b);
}

// Exit status of the command, with its standard output in `out`.
int Shell(const std::string& command, std::string* out = nullptr)
{
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        if (out)
            out->append(buf, n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FrameCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("PLEXO_TOOL"))
            GTEST_SKIP() << "PLEXO_TOOL names no plexo-tool";
        WriteFilm(dir.file("film.flm"));
    }
    int Tool(const std::string& arguments, std::string* out = nullptr)
    {
        return Shell(std::string(std::getenv("PLEXO_TOOL")) + " frame " + arguments + " 2>&1", out);
    }
    // ImageMagick's reading of the file: its format and size, and its pixels
    // compared block by block with frame `frame`.
    void ExpectReadBack(const std::string& path, const std::string& identity, int frame, int tolerance)
    {
        if (Shell("identify -version >/dev/null 2>&1 && convert -version >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "ImageMagick is not installed";
        std::string id, rgb;
        ASSERT_EQ(Shell("identify -format '%m %wx%h' '" + path + "'", &id), 0);
        EXPECT_EQ(id, identity);
        ASSERT_EQ(Shell("convert '" + path + "' -depth 8 rgb:-", &rgb), 0);
        ASSERT_EQ(rgb.size(), size_t(kW * kH * 3));
        for (int y = 2; y < kH; y += 8)  // rows from the bottom, away from block edges
            for (int x = 4; x < kW; x += 16)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(uint8_t(rgb[size_t(((kH - 1 - y) * kW + x) * 3 + 2 - c)]), Byte(frame, x, y, c),
                                tolerance)
                        << x << "," << y << " byte " << c;
    }
    test::TempDir dir;
};

TEST_F(FrameCommand, SavesTheFrameAtTheIndexAsBmpAndJpeg)
{
    std::string out;
    ASSERT_EQ(Tool(dir.file("film.flm") + " --index 2 --out " + dir.file("f.bmp"), &out), 0) << out;
    EXPECT_EQ(out, "32x16\n");
    ExpectReadBack(dir.file("f.bmp"), "BMP3 32x16", 2, 0);
    ASSERT_EQ(Tool(dir.file("film.flm") + " --out " + dir.file("f.JPG")), 0);
    ExpectReadBack(dir.file("f.JPG"), "JPEG 32x16", 0, 12);
}

TEST_F(FrameCommand, BadUsageAndFailuresLeaveTheOlderFile)
{
    const std::string old = dir.file("old.bmp");
    test::WriteBytes(old, {1, 2, 3});
    const std::string film = dir.file("film.flm");
    EXPECT_EQ(Tool(film), 2) << "no --out";
    EXPECT_EQ(Tool(film + " --out " + dir.file("x.png")), 2);
    EXPECT_EQ(Tool(film + " --index -1 --out " + old), 2);
    EXPECT_EQ(Tool(film + " --index 3 --out " + old), 1);
    EXPECT_EQ(Tool(dir.file("missing.flm") + " --out " + old), 1);
    std::string out;
    EXPECT_EQ(Tool(film + " --out " + dir.file("no/such/folder.bmp"), &out), 1);
    EXPECT_EQ(out, "Save error\n");
    EXPECT_EQ(test::ReadBytes(old), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace plexo
