#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "image/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::PatternPixels;

TEST(JpegCodec, BadArgumentsAndGarbageGiveNothingAndLeaveNoFileBehind)
{
    const auto pixels = PatternPixels(8, 8, 4);
    for (const auto [channels, width, height, quality] :
         {std::array{4, 8, 8, 90}, {2, 8, 8, 90}, {0, 8, 8, 90}, {3, 0, 8, 90}, {3, 8, -1, 90}, {3, 8, 8, 0},
          {3, 8, 8, 101}})
        EXPECT_TRUE(EncodeJpeg(pixels.data(), channels, width, height, quality).empty()) << channels << quality;
    EXPECT_FALSE(DecodeJpegColour(pixels.data(), pixels.size()));
    EXPECT_FALSE(DecodeJpegGrey(nullptr, 0));

    test::TempDir dir;
    const std::string target = dir.file("keep.jpg");
    test::WriteBytes(target, {1, 2, 3});
    EXPECT_FALSE(WriteJpegFile(target, {pixels.data(), 4, 4, 4}, 90));
    EXPECT_FALSE(WriteJpegFile(target, {pixels.data(), 0, 4, 3}, 90));
    EXPECT_EQ(test::ReadBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(WriteJpegFile(dir.file("missing/x.jpg"), {pixels.data(), 4, 4, 3}, 90));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// Streams written by cjpeg from a bitmap, decoded into the system picture
// (bottom row first, blue, green, red) and compared with djpeg's.
struct ForeignJpeg {
    const char* name;
    const char* options;
    int channels;
};
class JpegFromOtherTools : public testing::TestWithParam<ForeignJpeg> {};
TEST_P(JpegFromOtherTools, DecodeAsDjpegDoes)
{
    const ForeignJpeg f = GetParam();
    if (!test::HaveProgram("cjpeg") || !test::HaveProgram("djpeg"))
        GTEST_SKIP() << "cjpeg or djpeg missing";
    test::TempDir dir;
    const std::string in = dir.file("in.bmp"), jpg = dir.file("x.jpg"), out = dir.file("out.pnm");
    test::WriteBytes(in, test::MakeBmpBytes({.width = 45, .height = 29, .pixels = PatternPixels(45, 29, 3, 7)}));
    ASSERT_TRUE(test::RunCommand("cjpeg " + std::string(f.options) + " -outfile '" + jpg + "' '" + in + "'"));
    ASSERT_TRUE(test::RunCommand("djpeg -pnm -outfile '" + out + "' '" + jpg + "'"));
    const auto reference = test::OutsidePixels(out, f.channels);  // top row first, red, green, blue
    const auto stream = test::ReadBytes(jpg);
    PictureBuffer ours = f.channels == 1 ? DecodeJpegGrey(stream.data(), stream.size(), JpegRows::Picture)
                                         : DecodeJpegColour(stream.data(), stream.size(), JpegRows::Picture);
    ASSERT_TRUE(ours && ours.width == 45 && ours.height == 29 && reference.size() == ours.byteCount());
    const size_t row = 45 * size_t(f.channels), last = size_t(f.channels) - 1;
    int worst = 0;
    for (size_t i = 0; i < reference.size(); ++i) {
        const size_t x = i % row, c = x % f.channels;
        worst = std::max(worst, std::abs(reference[i] - ours.bytes[(28 - i / row) * row + x - c + last - c]));
    }
    EXPECT_LE(worst, 2);
}
INSTANTIATE_TEST_SUITE_P(JpegCodec, JpegFromOtherTools,
                         testing::Values(ForeignJpeg{"Baseline", "-quality 85", 3},
                                         ForeignJpeg{"Progressive", "-quality 85 -progressive", 3},
                                         ForeignJpeg{"Grey", "-quality 85 -grayscale", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
