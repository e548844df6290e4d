#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::TempDir;

// A raw colour .flm of three 3x2 frames, every byte telling its frame, row,
// column and colour apart. Rows of 9 bytes make the BMP pad them.
uint8_t Byte(int k, int x, int y, int c) { return uint8_t(50 * k + 9 * y + 3 * x + c); }

void WriteFilm(const std::string& path)
{
    std::vector<uint8_t> b;
    test::PutU32(b, 3);
    test::PutU32(b, 3);
    test::PutU32(b, 3);
    test::PutU32(b, 2);
    for (int k = 0; k < 3; ++k) {
        test::PutU16(b, uint32_t(k));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                for (int c = 0; c < 3; ++c)
                    b.push_back(Byte(k, x, y, c));
    }
    test::WriteBytes(path, b);
}

int Tool(const std::string& arguments, std::string* output = nullptr)
{
    const char* tool = std::getenv("PLEXO_TOOL");
    if (!tool)
        return -1;
    const std::string out = std::filesystem::temp_directory_path() / ("frame-test-" + std::to_string(getpid()));
    const int status = std::system((std::string(tool) + " frame " + arguments + " >" + out + " 2>&1").c_str());
    if (output) {
        const auto bytes = test::ReadBytes(out);
        output->assign(bytes.begin(), bytes.end());
    }
    std::filesystem::remove(out);
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
    TempDir dir;
};

TEST_F(FrameCommand, SavesTheFrameAtTheIndexAsAPaddedBmp)
{
    std::string output;
    ASSERT_EQ(Tool(dir.file("film.flm") + " --index 2 --out " + dir.file("f.bmp"), &output), 0) << output;
    EXPECT_EQ(output, "3x2\n");
    const std::vector<uint8_t> bmp = test::ReadBytes(dir.file("f.bmp"));
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(bmp[54 + size_t(y) * 12 + size_t(x) * 3 + size_t(c)], Byte(2, x, y, c));
}

TEST_F(FrameCommand, SavesAJpegThatImageMagickReads)
{
    ASSERT_EQ(Tool(dir.file("film.flm") + " --out " + dir.file("f.JPG")), 0);
    const auto bytes = test::ReadBytes(dir.file("f.JPG"));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    if (std::system("identify -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick is not installed";
    const std::string cmd = "identify -format '%m %wx%h' '" + dir.file("f.JPG") + "' > " + dir.file("id.txt");
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const auto id = test::ReadBytes(dir.file("id.txt"));
    EXPECT_EQ(std::string(id.begin(), id.end()), "JPEG 3x2");
}

TEST_F(FrameCommand, BadUsageAndFailuresLeaveTheOlderFile)
{
    const std::string out = dir.file("old.bmp");
    test::WriteBytes(out, {1, 2, 3});
    EXPECT_EQ(Tool(dir.file("film.flm")), 2) << "no --out";
    EXPECT_EQ(Tool(dir.file("film.flm") + " --out " + dir.file("x.png")), 2);
    EXPECT_EQ(Tool(dir.file("film.flm") + " --index -1 --out " + out), 2);
    EXPECT_EQ(Tool(dir.file("film.flm") + " --index 3 --out " + out), 1);
    EXPECT_EQ(Tool(dir.file("missing.flm") + " --out " + out), 1);
    EXPECT_EQ(Tool(dir.file("film.flm") + " --out " + dir.file("no/such/folder.bmp")), 1);
    EXPECT_EQ(test::ReadBytes(out), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace plexo
