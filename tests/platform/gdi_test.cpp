#include "platform/gdi.h"

#include <gtest/gtest.h>

#include <vector>

namespace plexo::platform {
namespace {

// A 3 × 2 bottom-up bitmap whose pixel (column c, bottom-up row r) is
// 10·r + c + 1 in every byte, set onto a 4 × 3 surface of zeros.
struct Placement {
    int32_t x, y, xSrc, ySrc;
    uint32_t w, h;
    std::vector<int> expected;  // one value a surface pixel, top row first
    int rows;
};

class SetBits : public testing::TestWithParam<Placement> {};

TEST_P(SetBits, LandsTopDownAndClipsToBothSides)
{
    const Placement& p = GetParam();
    std::vector<uint8_t> bits(2 * 12);  // rows padded to 12 bytes
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            for (int b = 0; b < 3; ++b)
                bits[size_t(r * 12 + c * 3 + b)] = uint8_t(10 * r + c + 1);
    BitmapInfoHeader header;
    header.width = 3;
    header.height = 2;
    std::vector<uint8_t> surface(3 * 12);
    K3V_DC dc{{surface.data(), 4, 3, 12}, {}};
    EXPECT_EQ(SetDIBitsToDevice(&dc, p.x, p.y, p.w, p.h, p.xSrc, p.ySrc, 0, 2, bits.data(), header, kDibRgbColors),
              p.rows);
    // What the output loads again: the rows set, and never a pixel outside.
    EXPECT_EQ(dc.changed.bottom - dc.changed.top, p.rows);
    EXPECT_GE(dc.changed.left, 0);
    EXPECT_LE(dc.changed.right, 4);
    for (size_t i = 0; i < 12; ++i)
        EXPECT_EQ(surface[(i / 4) * 12 + (i % 4) * 3], p.expected[i]) << "pixel " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Placements, SetBits,
    testing::Values(Placement{0, 0, 0, 0, 3, 2, {11, 12, 13, 0, 1, 2, 3, 0, 0, 0, 0, 0}, 2},
                    Placement{2, 2, 0, 0, 3, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 11, 12}, 1},
                    Placement{-2, -1, 0, 0, 3, 2, {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1},
                    Placement{0, 0, 1, 1, 9, 9, {2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1},
                    Placement{4, 0, 0, 0, 3, 2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0}));

TEST(Gdi, BitBltCopiesTheClippedRectangleOnly)
{
    std::vector<uint8_t> a(3 * 12), b(3 * 12);
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = uint8_t(i + 1);
    K3V_DC from{{a.data(), 4, 3, 12}, {}}, to{{b.data(), 4, 3, 12}, {}};
    EXPECT_TRUE(BitBlt(&to, 3, 2, 5, 5, &from, 3, 2, kSrcCopy));
    EXPECT_EQ(std::vector<int32_t>({to.changed.left, to.changed.top, to.changed.right, to.changed.bottom}),
              std::vector<int32_t>({3, 2, 4, 3}));
    EXPECT_FALSE(BitBlt(&to, 0, 0, 1, 1, &from, 0, 0, 0x00EE0086));
    EXPECT_FALSE(BitBlt(&to, 0, 0, 1, 1, nullptr, 0, 0, kSrcCopy));
    for (size_t i = 0; i < b.size(); ++i)
        EXPECT_EQ(b[i], i >= 33 ? a[i] : 0) << i;
}

}  // namespace
}  // namespace plexo::platform
