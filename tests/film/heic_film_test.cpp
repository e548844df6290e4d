#include <gtest/gtest.h>
#include <sys/stat.h>

#include "film/factories.h"
#include "image/jpeg_codec.h"
#include "image/picture_limit.h"
#include "platform/log.h"
#include "support/fixtures.h"
#include "support/heic_fixtures.h"
#include "support/outside_programs.h"

namespace plexo {
namespace {

class HeicFilm : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveProgram("heif-enc"))
            GTEST_SKIP() << "heif-enc (libheif-examples) is not installed";
        // Two eyes unlike each other, the first 40 x 24.
        for (int seed : {1, 7})
            jpegs.push_back(test::PatternJpeg(40, 24, seed));
        const test::HeifFile made = test::HeifEncoded(dir, jpegs);
        ASSERT_EQ(made.pictures.size(), 2u);
        plain = made.bytes;
        ids = made.pictures;
    }

    FilmPtr Opened(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        test::WriteBytes(dir.file(name), bytes);
        return OpenHeicFilm(dir.file(name));
    }

    // How far the film's eye is from the source JPEG's picture.
    double Off(Film& film, Eye eye, size_t jpeg)
    {
        const PictureBuffer source = DecodeJpegColour(jpegs[jpeg].data(), jpegs[jpeg].size(), JpegRows::Picture);
        return test::MeanLevelDifference(FilmPicture(film, eye, Tone::Colour), source.view());
    }

    test::TempDir dir;
    std::vector<std::vector<uint8_t>> jpegs;
    std::vector<uint8_t> plain;
    std::vector<uint32_t> ids;
};

// The group's first entity is the left eye whatever the primary picture; a
// file without a group is its primary picture alone.
TEST_F(HeicFilm, TheSterGroupMakesTheEyes)
{
    const FilmPtr stereo = Opened("pair.heic", test::WithSterGroup(plain, ids[1], ids[0]));
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->Eyes(), 2);
    EXPECT_EQ(stereo->Layout().origin, LayoutOrigin::Ster);
    EXPECT_FALSE(stereo->Facts().statedDist);
    EXPECT_LT(Off(*stereo, Eye::Current, 1), 4);
    EXPECT_LT(Off(*stereo, Eye::Partner, 0), 4);

    const FilmPtr single = Opened("photo.heic", plain);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->Eyes(), 1);
    EXPECT_LT(Off(*single, Eye::Current, 0), 4);
}

// libheif turns the picture as its `irot` says: a quarter turn makes the
// 40 x 24 picture 24 x 40, its top-right corner now its top-left.
TEST_F(HeicFilm, ARotatedPictureIsShownTurned)
{
    const FilmPtr film = Opened("turned.heic", test::WithRotation(plain, ids[0], 1));
    ASSERT_TRUE(film);
    const Picture shown = FilmPicture(*film, Eye::Current, Tone::Colour);
    ASSERT_EQ(shown.width, 24);
    ASSERT_EQ(shown.height, 40);
    const PictureBuffer source = DecodeJpegColour(jpegs[0].data(), jpegs[0].size(), JpegRows::Picture);
    const uint8_t* topRightBefore = source.view().row(source.height - 1) + (source.width - 1) * 3;
    const uint8_t* topLeftAfter = shown.row(shown.height - 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(topLeftAfter[c], topRightBefore[c], 24) << c;
}

// Nothing is decoded past the decoded-picture limit, told from the headers;
// a file that is not a regular one, or not HEIF, gives no film and no wait.
TEST_F(HeicFilm, RefusedFilesGiveNoFilm)
{
    std::vector<std::string> lines;
    const auto sink = platform::SetLogSink([&](const std::string& line, platform::LogLine) { lines.push_back(line); });
    const size_t limit = DecodedPictureLimit();
    SetDecodedPictureLimit(40 * 24 * 3 * 2 - 1);
    EXPECT_FALSE(Opened("big.heic", test::WithSterGroup(plain, ids[0], ids[1])));
    SetDecodedPictureLimit(limit);
    platform::SetLogSink(sink);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("its pictures of 40x24 and 40x24 would take 5760 bytes decoded"), std::string::npos);

    ASSERT_EQ(::mkfifo(dir.file("fifo.heic").c_str(), 0600), 0);
    EXPECT_FALSE(OpenHeicFilm(dir.file("fifo.heic")));
    EXPECT_FALSE(Opened("cut.heic", std::vector<uint8_t>(plain.begin(), plain.begin() + 200)));
}

}  // namespace
}  // namespace plexo
