#include <gtest/gtest.h>

#include <cstring>

#include "convert/picture_ops.h"

namespace plexo {
namespace {

// A grey picture whose byte at column x, row y (from the bottom) is f(x, y).
template <class F>
std::vector<uint8_t> Grey(int width, int height, F f)
{
    std::vector<uint8_t> bytes;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bytes.push_back(uint8_t(f(x, y)));
    return bytes;
}

struct RoundingCase {
    int factor;
    int blockSum;  // spread over the factor x factor block
    int mean;
};

class ReduceRounding : public testing::TestWithParam<RoundingCase> {};

TEST_P(ReduceRounding, RoundsTheBlockMeanHalfUp)
{
    const auto [n, sum, mean] = GetParam();
    // One block whose first `sum` bytes are 1 and the rest 0.
    const auto bytes = Grey(n, n, [&](int x, int y) { return y * n + x < sum ? 1 : 0; });
    PictureStore store;
    const Picture out = ReducePicture({bytes.data(), n, n, 1}, n, store);
    ASSERT_TRUE(out);
    ASSERT_EQ(out.width, 1);
    ASSERT_EQ(out.height, 1);
    EXPECT_EQ(out.data[0], mean);
}

INSTANTIATE_TEST_SUITE_P(Factors, ReduceRounding,
                         testing::Values(RoundingCase{2, 1, 0}, RoundingCase{2, 2, 1}, RoundingCase{2, 3, 1},
                                         RoundingCase{3, 4, 0}, RoundingCase{3, 5, 1}, RoundingCase{3, 9, 1},
                                         RoundingCase{4, 7, 0}, RoundingCase{4, 8, 1}, RoundingCase{4, 16, 1}));

TEST(ReducePicture, AveragesEachColourByteApartAndDropsPartialBlocks)
{
    // 5 x 3 colour, factor 2: 2 x 1 out; column 4 and row 2 are dropped.
    std::vector<uint8_t> bytes;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c)
                bytes.push_back(uint8_t(x >= 4 || y >= 2 ? 255 : (x < 2 ? 10 : 50) * (c + 1) + y));
    PictureStore store;
    const Picture out = ReducePicture({bytes.data(), 5, 3, 3}, 2, store);
    ASSERT_TRUE(out);
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.height, 1);
    EXPECT_EQ(out.bytesPerPixel, 3);
    // Rows 0 and 1 add 0 and 1: mean of (v, v, v+1, v+1) is v + 1 after rounding.
    const std::vector<uint8_t> expected{11, 21, 31, 51, 101, 151};
    EXPECT_EQ(std::vector<uint8_t>(out.data, out.data + 6), expected);
}

class ReduceChannels : public testing::TestWithParam<int> {};

TEST_P(ReduceChannels, EachColourChannelReducesAsItsOwnGreyPicture)
{
    const int n = GetParam(), w = 13, h = 11;
    std::vector<uint8_t> colour(size_t(w * h * 3));
    uint32_t seed = 12345;
    for (uint8_t& byte : colour) {
        seed = seed * 1103515245 + 12345;
        byte = uint8_t(seed >> 16);
    }
    PictureStore store;
    const Picture reduced = ReducePicture({colour.data(), w, h, 3}, n, store);
    ASSERT_TRUE(reduced);
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

TEST(ReducePicture, ReusesTheStoreAndRefusesWhatLeavesNothing)
{
    const auto bytes = Grey(4, 4, [](int x, int y) { return x + 4 * y; });
    PictureStore store;
    const Picture first = ReducePicture({bytes.data(), 4, 4, 1}, 2, store);
    const Picture second = ReducePicture({bytes.data(), 4, 4, 1}, 2, store);
    EXPECT_EQ(first.data, second.data);
    EXPECT_EQ(std::vector<uint8_t>(second.data, second.data + 4), (std::vector<uint8_t>{3, 5, 11, 13}));
    EXPECT_FALSE(ReducePicture({bytes.data(), 4, 4, 1}, 0, store));
    EXPECT_FALSE(ReducePicture({bytes.data(), 4, 4, 1}, 5, store));
    EXPECT_FALSE(ReducePicture({}, 2, store));
}

TEST(CropPixels, CutsAroundTheCentreLeavingOddExtrasAtTopAndRight)
{
    const auto bytes = Grey(5, 5, [](int x, int y) { return x + 10 * y; });
    PictureStore store;
    int w = 2, h = 2;
    const Picture out = CropPixels({bytes.data(), 5, 5, 1}, w, h, store);
    ASSERT_TRUE(out);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    // First column (5 - 2) / 2 = 1, first row 1 from the bottom.
    EXPECT_EQ(std::vector<uint8_t>(out.data, out.data + 4), (std::vector<uint8_t>{11, 12, 21, 22}));
}

TEST(CropPixels, KeepsASideWhoseTargetIsOutOfRangeAndReturnsTheSourceWhenNothingIsCut)
{
    const auto bytes = Grey(6, 4, [](int x, int y) { return x + 10 * y; });
    const Picture source{bytes.data(), 6, 4, 1};
    PictureStore store;
    int w = 0, h = 99;
    EXPECT_EQ(CropPixels(source, w, h, store).data, source.data);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 4);
    w = 10, h = 2;
    const Picture out = CropPixels(source, w, h, store);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(out.data[0], 10);
    EXPECT_EQ(out.data[6], 20);
}

TEST(CropBitmap, DropsTheRightColumnsUpToAMultipleOf4WhenNothingIsCut)
{
    std::vector<uint8_t> bytes(size_t(322) * 2 * 3);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i % 251);
    BitmapInfoHeader header;
    header.width = 322;
    header.height = 2;
    header.bitCount = 24;
    PictureStore store;
    int w = 0, h = 0;
    const Picture out = CropBitmap(header, bytes.data(), w, h, store);
    ASSERT_TRUE(out);
    EXPECT_EQ(header.width, 320);
    EXPECT_EQ(header.height, 2);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(0, std::memcmp(out.data, bytes.data(), 320 * 3));
    EXPECT_EQ(0, std::memcmp(out.data + 320 * 3, bytes.data() + 322 * 3, 320 * 3));

    header.width = 320;
    w = h = 0;
    EXPECT_EQ(CropBitmap(header, bytes.data(), w, h, store).data, bytes.data());
}

TEST(CropBitmap, TakesBytesPerPixelFromTheBitCountAndCutsWithoutRounding)
{
    // 16 bits: 2 bytes a pixel; cut 6 x 3 to 3 x 1.
    std::vector<uint8_t> bytes;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            bytes.insert(bytes.end(), {uint8_t(x), uint8_t(y)});
    BitmapInfoHeader header;
    header.width = 6;
    header.height = 3;
    header.bitCount = 16;
    PictureStore store;
    int w = 3, h = 1;
    const Picture out = CropBitmap(header, bytes.data(), w, h, store);
    ASSERT_TRUE(out);
    EXPECT_EQ(header.width, 3);
    EXPECT_EQ(header.height, 1);
    EXPECT_EQ(std::vector<uint8_t>(out.data, out.data + 6), (std::vector<uint8_t>{1, 1, 2, 1, 3, 1}));
}

TEST(ExchangeRedBlue, CopiesABorrowedPictureAndSwapsItsOwnInPlace)
{
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6};
    PictureStore store;
    const Picture copy = ExchangeRedBlue({bytes.data(), 2, 1, 3}, store);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(std::vector<uint8_t>(copy.data, copy.data + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    const Picture back = ExchangeRedBlue(copy, store);
    EXPECT_EQ(back.data, store.data());
    EXPECT_EQ(store, bytes);
}

}  // namespace
}  // namespace plexo
