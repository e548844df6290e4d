#include <gtest/gtest.h>

#include <vector>

#include "convert/picture_ops.h"

namespace plexo {
namespace {

struct RoundingCase {
    int factor, blockSum, mean;
};

class ReduceRounding : public testing::TestWithParam<RoundingCase> {};

// Two colour blocks side by side, then a column and a row of 255 that fill no
// block; the first `blockSum` pixels of each block hold 1 in one channel, the
// other channels a constant, so a mixed channel or a partial block shows.
TEST_P(ReduceRounding, RoundsEachChannelsBlockMeanHalfUpAndDropsPartialBlocks)
{
    const auto [n, sum, mean] = GetParam();
    const int w = 2 * n + 1, h = n + 1;
    std::vector<uint8_t> bytes(size_t(w * h * 3), 255);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < 2 * n; ++x) {
            const uint8_t one = (y * n + x % n) < sum, pixel[2][3] = {{one, 0, 200}, {200, 0, one}};
            std::copy(pixel[x / n], pixel[x / n] + 3, &bytes[size_t((y * w + x) * 3)]);
        }
    PictureStore store;
    const Picture out = ReducePicture({bytes.data(), w, h, 3}, n, store);
    ASSERT_TRUE(out.width == 2 && out.height == 1);
    const uint8_t m = uint8_t(mean);
    EXPECT_EQ(std::vector<uint8_t>(out.data, out.data + 6), (std::vector<uint8_t>{m, 0, 200, 200, 0, m}));
}

INSTANTIATE_TEST_SUITE_P(Factors, ReduceRounding,
                         testing::Values(RoundingCase{2, 1, 0}, RoundingCase{2, 2, 1}, RoundingCase{3, 4, 0},
                                         RoundingCase{3, 5, 1}, RoundingCase{4, 7, 0}, RoundingCase{4, 8, 1},
                                         // Beyond the four factors with a loop of their own.
                                         RoundingCase{5, 12, 0}, RoundingCase{5, 13, 1}));

}  // namespace
}  // namespace plexo
