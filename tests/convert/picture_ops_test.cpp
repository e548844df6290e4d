#include <gtest/gtest.h>

#include <algorithm>

#include "convert/picture_ops.h"

namespace plexo {
namespace {

struct RoundingCase {
    int factor, blockSum, mean;
};

class ReduceRounding : public testing::TestWithParam<RoundingCase> {};

TEST_P(ReduceRounding, RoundsTheBlockMeanHalfUp)
{
    const auto [n, sum, mean] = GetParam();
    std::vector<uint8_t> block(size_t(n * n), 0);
    std::fill(block.begin(), block.begin() + sum, 1);
    PictureStore store;
    const Picture out = ReducePicture({block.data(), n, n, 1}, n, store);
    ASSERT_TRUE(out);
    EXPECT_EQ(out.data[0], mean);
}

INSTANTIATE_TEST_SUITE_P(Factors, ReduceRounding,
                         testing::Values(RoundingCase{2, 1, 0}, RoundingCase{2, 2, 1}, RoundingCase{3, 4, 0},
                                         RoundingCase{3, 5, 1}, RoundingCase{4, 7, 0}, RoundingCase{4, 8, 1}));

class ReduceChannels : public testing::TestWithParam<int> {};

// The colour path against the grey one, channel by channel, on an odd size
// whose right columns and top rows do not fill a block.
TEST_P(ReduceChannels, EachColourChannelReducesAsItsOwnGreyPicture)
{
    const int n = GetParam(), w = 13, h = 11;
    std::vector<uint8_t> colour(size_t(w * h * 3));
    uint32_t seed = 12345;
    for (uint8_t& byte : colour)
        byte = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
    PictureStore store;
    const Picture reduced = ReducePicture({colour.data(), w, h, 3}, n, store);
    ASSERT_EQ(reduced.width, w / n);
    ASSERT_EQ(reduced.height, h / n);
    for (int c = 0; c < 3; ++c) {
        std::vector<uint8_t> grey;
        for (size_t i = size_t(c); i < colour.size(); i += 3)
            grey.push_back(colour[i]);
        PictureStore greyStore;
        const Picture g = ReducePicture({grey.data(), w, h, 1}, n, greyStore);
        for (int i = 0; i < g.width * g.height; ++i)
            ASSERT_EQ(reduced.data[i * 3 + c], g.data[i]) << "channel " << c << " pixel " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Factors, ReduceChannels, testing::Values(1, 2, 3, 4, 5));

}  // namespace
}  // namespace plexo
