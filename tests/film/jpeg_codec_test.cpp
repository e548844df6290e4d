#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>

#include "film/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::PatternPixels;

int MaxDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    int worst = 0;
    for (size_t i = 0; i < n; ++i)
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

int Subsampling(const std::vector<uint8_t>& stream)
{
    tjhandle h = tjInitDecompress();
    int width = 0, height = 0, subsamp = -1, colourspace = 0;
    tjDecompressHeader3(h, stream.data(), (unsigned long)stream.size(), &width, &height, &subsamp, &colourspace);
    tjDestroy(h);
    return subsamp;
}

TEST(JpegCodec, RoundTripKeepsSizeRowsAndChannelOrderAsStored)
{
    for (int channels : {1, 3}) {
        const auto pixels = PatternPixels(37, 23, channels, 3, true);
        const auto stream = EncodeJpeg(pixels.data(), channels, 37, 23, 95);
        // Colour is 4:2:0, grey one plane.
        EXPECT_EQ(Subsampling(stream), channels == 3 ? TJSAMP_420 : TJSAMP_GRAY);
        PictureBuffer back = channels == 3 ? DecodeJpegColour(stream.data(), stream.size())
                                           : DecodeJpegGrey(stream.data(), stream.size());
        ASSERT_TRUE(back);
        EXPECT_EQ(back.width, 37);
        EXPECT_EQ(back.height, 23);
        EXPECT_LE(MaxDifference(back.bytes.get(), pixels.data(), pixels.size()), 8) << channels;
    }
}

TEST(JpegCodec, PictureRowsAreTheStoredRowsTurnedRoundWithBlueAndRedExchanged)
{
    const auto rgb = PatternPixels(19, 11, 3, 1);
    const auto stream = EncodeJpeg(rgb.data(), 3, 19, 11, 80);
    PictureBuffer stored = DecodeJpegColour(stream.data(), stream.size(), JpegRows::AsStored);
    PictureBuffer picture = DecodeJpegColour(stream.data(), stream.size(), JpegRows::Picture);
    ASSERT_TRUE(stored && picture);
    for (int r = 0; r < 11; ++r)
        for (int x = 0; x < 19; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(picture.row(r)[x * 3 + c], stored.row(10 - r)[x * 3 + 2 - c]);
    PictureBuffer greyStored = DecodeJpegGrey(stream.data(), stream.size(), JpegRows::AsStored);
    PictureBuffer greyPicture = DecodeJpegGrey(stream.data(), stream.size(), JpegRows::Picture);
    ASSERT_TRUE(greyStored && greyPicture);
    EXPECT_TRUE(std::equal(greyPicture.row(0), greyPicture.row(0) + 19, greyStored.row(10)));
}

TEST(JpegCodec, OneChannelStreamDecodedAsColourGivesEqualBytes)
{
    const auto grey = PatternPixels(16, 16, 1, 2, true);
    const auto stream = EncodeJpeg(grey.data(), 1, 16, 16, 90);
    PictureBuffer colour = DecodeJpegColour(stream.data(), stream.size());
    PictureBuffer plain = DecodeJpegGrey(stream.data(), stream.size());
    ASSERT_TRUE(colour && plain);
    for (size_t i = 0; i < 256; ++i)
        for (size_t c = 0; c < 3; ++c)
            ASSERT_EQ(colour.bytes[3 * i + c], plain.bytes[i]) << i;
}

TEST(JpegCodec, BadArgumentsAndGarbageGiveNothing)
{
    const auto pixels = PatternPixels(8, 8, 4);
    for (const auto [channels, width, height, quality] :
         {std::array{4, 8, 8, 90}, {2, 8, 8, 90}, {0, 8, 8, 90}, {3, 0, 8, 90}, {3, 8, -1, 90}, {3, 8, 8, 0},
          {3, 8, 8, 101}})
        EXPECT_TRUE(EncodeJpeg(pixels.data(), channels, width, height, quality).empty()) << channels << quality;
    const std::vector<uint8_t> garbage(300, 0x5A);
    EXPECT_FALSE(DecodeJpegColour(garbage.data(), garbage.size()));
    EXPECT_FALSE(DecodeJpegGrey(nullptr, 0));
}

TEST(WriteJpegFile, WritesBottomFirstRowsAsTheImageTopRowAndFailsWithoutHarm)
{
    test::TempDir dir;
    const auto rgb = PatternPixels(20, 10, 3, 5, true);
    ASSERT_TRUE(WriteJpegFile(dir.file("a.jpg"), 3, 20, 10, rgb.data(), 95));
    const auto stream = test::ReadBytes(dir.file("a.jpg"));
    PictureBuffer back = DecodeJpegColour(stream.data(), stream.size(), JpegRows::AsStored);
    ASSERT_TRUE(back);
    EXPECT_LE(MaxDifference(back.row(0), rgb.data() + 9 * 60, 60), 8);
    EXPECT_LE(MaxDifference(back.row(9), rgb.data(), 60), 8);

    // Failures leave an older file as it was and no temporary behind.
    const std::string target = dir.file("keep.jpg");
    test::WriteBytes(target, {1, 2, 3});
    EXPECT_FALSE(WriteJpegFile(target, 4, 4, 4, rgb.data(), 90));
    EXPECT_FALSE(WriteJpegFile(target, 3, 0, 4, rgb.data(), 90));
    EXPECT_EQ(test::ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(WriteJpegFile(dir.file("missing/x.jpg"), 3, 4, 4, rgb.data(), 90));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// Streams written by other programs, compared with libjpeg-turbo's own
// command-line decoder.
struct ForeignJpeg {
    const char* name;
    const char* program;
    const char* options;
    int channels;
};
class JpegFromOtherTools : public testing::TestWithParam<ForeignJpeg> {};

TEST_P(JpegFromOtherTools, DecodeAsDjpegDoes)
{
    const ForeignJpeg f = GetParam();
    if (!test::HaveProgram(f.program) || !test::HaveProgram("djpeg"))
        GTEST_SKIP() << f.program << " or djpeg missing";
    test::TempDir dir;
    test::WritePnm(dir.file("in.pnm"), {45, 29, f.channels, PatternPixels(45, 29, f.channels, 7)});
    const std::string in = dir.file("in.pnm"), jpg = dir.file("x.jpg"), out = dir.file("out.pnm");
    const std::string make = std::string(f.program) == "cjpeg"
                                 ? "cjpeg " + std::string(f.options) + " -outfile '" + jpg + "' '" + in + "'"
                                 : "convert '" + in + "' " + f.options + " '" + jpg + "'";
    ASSERT_TRUE(test::RunCommand(make + " 2>/dev/null"));
    const bool grey = f.channels == 1;
    ASSERT_TRUE(test::RunCommand("djpeg " + std::string(grey ? "-grayscale -pnm" : "-ppm") + " -outfile '" + out +
                                 "' '" + jpg + "'"));
    const auto reference = test::ReadPnm(out);
    ASSERT_TRUE(reference);
    const auto stream = test::ReadBytes(jpg);
    PictureBuffer ours = grey ? DecodeJpegGrey(stream.data(), stream.size(), JpegRows::Picture)
                                    : DecodeJpegColour(stream.data(), stream.size(), JpegRows::Picture);
    ASSERT_TRUE(ours);
    ASSERT_EQ(ours.width, 45);
    ASSERT_EQ(ours.height, 29);
    const auto expected = test::PnmToPicture(*reference);
    ASSERT_EQ(expected.size(), ours.byteCount());
    EXPECT_LE(MaxDifference(ours.bytes.get(), expected.data(), expected.size()), 2);
}

INSTANTIATE_TEST_SUITE_P(
    JpegCodec, JpegFromOtherTools,
    testing::Values(ForeignJpeg{"CjpegBaseline", "cjpeg", "-quality 85", 3},
                    ForeignJpeg{"CjpegProgressive", "cjpeg", "-quality 85 -progressive", 3},
                    ForeignJpeg{"CjpegGrey", "cjpeg", "-quality 85 -grayscale", 1},
                    ForeignJpeg{"CjpegFourFourFour", "cjpeg", "-quality 95 -sample 1x1", 3},
                    ForeignJpeg{"CjpegRestartMarkers", "cjpeg", "-quality 75 -restart 1", 3},
                    ForeignJpeg{"MagickBaseline", "convert", "-quality 80", 3},
                    ForeignJpeg{"MagickProgressive", "convert", "-interlace Plane -quality 80", 3},
                    ForeignJpeg{"MagickGrey", "convert", "-colorspace Gray -quality 80", 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
