#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "film/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::TempDir;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs plexo-tool with the arguments; stdout and stderr are kept apart.
ToolRun Tool(const TempDir& dir, const std::string& arguments)
{
    ToolRun r;
    const char* tool = std::getenv("PLEXO_TOOL");
    if (!tool)
        return r;
    const std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    const int status =
        std::system((std::string(tool) + " " + arguments + " >'" + out + "' 2>'" + err + "'").c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto o = test::ReadBytes(out), e = test::ReadBytes(err);
    r.out.assign(o.begin(), o.end());
    r.err.assign(e.begin(), e.end());
    return r;
}

class ToolInfoPicture : public testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("PLEXO_TOOL"))
            GTEST_SKIP() << "PLEXO_TOOL is not set";
    }

    // take0003, take0007, take0012: 5 x 3 24-bit bitmaps.
    void WriteBmpSequence()
    {
        for (int n : {12, 3, 7}) {
            test::BmpSpec s;
            s.width = 5;
            s.height = 3;
            s.pixels = test::PatternPixels(5, 3, 3, n);
            char name[32];
            std::snprintf(name, sizeof name, "take%04d.bmp", n);
            test::WriteBytes(dir.file(name), test::MakeBmpBytes(s));
        }
    }

    test::FlmSpec RawColourFlm()
    {
        test::FlmSpec s;
        s.colour = true;
        s.numbered = true;
        s.width = 4;
        s.height = 2;
        s.numbers = {100, 65535};
        s.frames = {test::PatternPixels(4, 2, 3, 1), test::PatternPixels(4, 2, 3, 2)};
        return s;
    }

    std::string Quote(const std::string& name) const { return "'" + dir.file(name) + "'"; }

    TempDir dir;
};

TEST_F(ToolInfoPicture, InfoOfABmpSequence)
{
    WriteBmpSequence();
    const ToolRun r = Tool(dir, "info " + Quote("take0007.bmp"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kind: bmp\nframes: 3\nnumbers: 3 7 12\nsize: 5x3\n");
}

TEST_F(ToolInfoPicture, InfoOfAnFlmAndAJpgSequence)
{
    test::WriteBytes(dir.file("film.FLM"), test::MakeFlmBytes(RawColourFlm()));
    ToolRun r = Tool(dir, "info " + Quote("film.FLM"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kind: flm\nframes: 2\nnumbers: 100 65535\nsize: 4x2\n");

    const auto rgb = test::PatternPixels(9, 7, 3, 0, true);
    ASSERT_TRUE(WriteJpegFile(dir.file("cam08.jpg"), 3, 9, 7, rgb.data(), 90));
    r = Tool(dir, "info " + Quote("cam08.jpg"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "kind: jpg\nframes: 1\nnumbers: 8\nsize: 9x7\n");
}

TEST_F(ToolInfoPicture, UnknownExtensionAndUnopenableFilmsFail)
{
    ToolRun r = Tool(dir, "info " + Quote("film.jpeg"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File extension is incompatible"), std::string::npos) << r.err;
    r = Tool(dir, "picture " + Quote("film.avi") + " --colour --raw " + Quote("o.raw"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("File extension is incompatible"), std::string::npos) << r.err;
    r = Tool(dir, "info " + Quote("image.bmp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Filename is incompatible"), std::string::npos) << r.err;
    r = Tool(dir, "info " + Quote("none.flm"));
    EXPECT_EQ(r.status, 1);
}

TEST_F(ToolInfoPicture, PictureOfABmpFrameIsTheBitmapByteForByte)
{
    WriteBmpSequence();
    const ToolRun r = Tool(dir, "picture " + Quote("take0003.bmp") + " --index 2 --colour --raw " + Quote("o.raw"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5x3\n");
    EXPECT_EQ(test::ReadBytes(dir.file("o.raw")), test::PatternPixels(5, 3, 3, 12));
}

TEST_F(ToolInfoPicture, PictureOfARawFlmFrameIsItsBytesOrTheirGrey)
{
    const test::FlmSpec s = RawColourFlm();
    test::WriteBytes(dir.file("film.flm"), test::MakeFlmBytes(s));
    ToolRun r = Tool(dir, "picture " + Quote("film.flm") + " --index 1 --colour --raw " + Quote("c.raw"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::ReadBytes(dir.file("c.raw")), s.frames[1]);
    r = Tool(dir, "picture " + Quote("film.flm") + " --grey --raw " + Quote("g.raw"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "4x2\n");
    std::vector<uint8_t> grey;
    for (size_t i = 0; i < 8; ++i) {
        const uint8_t* p = &s.frames[0][3 * i];
        grey.push_back(uint8_t((p[0] + p[1] + p[2] + 1) / 3));
    }
    EXPECT_EQ(test::ReadBytes(dir.file("g.raw")), grey);
}

TEST_F(ToolInfoPicture, PictureOfAJpegFrameMatchesDjpeg)
{
    if (!test::HaveProgram("cjpeg") || !test::HaveProgram("djpeg"))
        GTEST_SKIP() << "cjpeg or djpeg missing";
    test::WritePnm(dir.file("in.ppm"), {33, 17, 3, test::PatternPixels(33, 17, 3, 5)});
    ASSERT_TRUE(test::RunCommand("cjpeg -quality 85 -outfile " + Quote("shot0001.jpg") + " " + Quote("in.ppm")));
    for (const bool grey : {false, true}) {
        const std::string ref = grey ? "ref.pgm" : "ref.ppm";
        ASSERT_TRUE(test::RunCommand(std::string("djpeg ") + (grey ? "-grayscale -pnm" : "-ppm") + " -outfile " +
                                     Quote(ref) + " " + Quote("shot0001.jpg")));
        const ToolRun r = Tool(dir, "picture " + Quote("shot0001.jpg") + (grey ? " --grey" : " --colour") + " --raw " +
                                    Quote("o.raw"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "33x17\n");
        const auto reference = test::ReadPnm(dir.file(ref));
        ASSERT_TRUE(reference);
        const auto expected = test::PnmToPicture(*reference);
        const auto ours = test::ReadBytes(dir.file("o.raw"));
        ASSERT_EQ(ours.size(), expected.size());
        for (size_t i = 0; i < ours.size(); ++i)
            ASSERT_LE(std::abs(int(ours[i]) - int(expected[i])), 2) << "byte " << i << (grey ? " grey" : " colour");
    }
}

TEST_F(ToolInfoPicture, PictureFailuresAndBadUsage)
{
    WriteBmpSequence();
    const std::string film = Quote("take0003.bmp");
    EXPECT_EQ(Tool(dir, "picture " + film + " --index 3 --colour --raw " + Quote("o.raw")).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("o.raw")));
    EXPECT_EQ(Tool(dir, "picture " + film + " --colour").status, 2);
    EXPECT_EQ(Tool(dir, "picture " + film + " --raw " + Quote("o.raw")).status, 2);
    EXPECT_EQ(Tool(dir, "picture " + film + " --grey --colour --raw " + Quote("o.raw")).status, 2);
    EXPECT_EQ(Tool(dir, "picture " + film + " --index -1 --grey --raw " + Quote("o.raw")).status, 2);
    EXPECT_EQ(Tool(dir, "picture " + film + " --index x --grey --raw " + Quote("o.raw")).status, 2);
    EXPECT_EQ(Tool(dir, "info").status, 2);
    EXPECT_EQ(Tool(dir, "info " + film + " --index 1").status, 2);
}

}  // namespace
}  // namespace plexo
