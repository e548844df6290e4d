#include <gtest/gtest.h>

#include "film/mpo_film.h"
#include "image/heic_codec.h"
#include "image/jpeg_codec.h"
#include "image/mpo_index.h"
#include "support/fixtures.h"
#include "support/heic_fixtures.h"
#include "support/outside_programs.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// A spatial photo of two 40 x 24 eyes (pair.heic, the right eye primary) and
// an MPO of the same eyes (pair.mpo).
class HeicExport : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool() || !test::HaveProgram("heif-enc"))
            GTEST_SKIP() << "PLEXO_TOOL is not set or heif-enc is not installed";
        for (int seed : {3, 9}) {
            jpegs.push_back(test::PatternJpeg(40, 24, seed));
            eyes.push_back(DecodeJpegColour(jpegs.back().data(), jpegs.back().size(), JpegRows::Picture));
        }
        const test::HeifFile made = test::HeifEncoded(dir, {jpegs[1], jpegs[0]});
        ASSERT_EQ(made.pictures.size(), 2u);
        test::WriteBytes(dir.file("pair.heic"), test::WithSterGroup(made.bytes, made.pictures[1], made.pictures[0]));
        test::WriteBytes(dir.file("pair.mpo"),
                         test::MakeMpoBytes({{jpegs[0], kMpDisparity}, {jpegs[1], kMpDisparity}}));
    }

    test::ToolRun Export(const std::string& from, const std::string& to, const std::string& more = "")
    {
        return test::RunTool(dir, "export " + test::Quoted(dir, from) + " --out " + test::Quoted(dir, to) + more);
    }

    test::TempDir dir;
    std::vector<std::vector<uint8_t>> jpegs;
    std::vector<PictureBuffer> eyes;
};

// Each eye comes back within 4 levels of its source through our reader; the
// file is two top-level pictures to libheif, and D is its disparity
// adjustment, which opening it again makes the film's D.
TEST_F(HeicExport, RoundTripsKeepBothEyes)
{
    for (const char* from : {"pair.heic", "pair.mpo"}) {
        SCOPED_TRACE(from);
        ASSERT_EQ(Export(from, "out.heic", " --dist 4").status, 0);
        const HeicPictures back = ReadHeicFile(dir.file("out.heic"), true);
        EXPECT_LT(test::MeanLevelDifference(back.first.view(), eyes[0].view()), 4);
        EXPECT_LT(test::MeanLevelDifference(back.second.view(), eyes[1].view()), 4);
        EXPECT_EQ(back.spatial.disparityAdjustment, 1000);
        EXPECT_EQ(test::CommandOutput("heif-info " + test::Quoted(dir, "out.heic") + " | grep -c '^image'"), "2\n");
        const test::ToolRun info = test::RunTool(dir, "info " + test::Quoted(dir, "out.heic"));
        EXPECT_NE(info.out.find("layout: mono (ster)\n"), std::string::npos);
        EXPECT_NE(info.out.find("disparity adjustment: 1000 (10% of the eye's width)\n"), std::string::npos);
    }
    // Written again without --dist, the photo keeps the D its file asked for.
    ASSERT_EQ(Export("out.heic", "again.heic").status, 0);
    EXPECT_EQ(ReadHeicFile(dir.file("again.heic"), true).spatial.disparityAdjustment, 1000);

    ASSERT_EQ(Export("pair.heic", "out.mpo").status, 0);
    const MpoPictures mpo = ReadMpoFile(dir.file("out.mpo"), Tone::Colour, true);
    EXPECT_LT(test::MeanLevelDifference(mpo.first.view(), eyes[0].view()), 4);
    EXPECT_LT(test::MeanLevelDifference(mpo.second.view(), eyes[1].view()), 4);
}

}  // namespace
}  // namespace plexo
