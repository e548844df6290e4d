#include "align/two_pass_warp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace plexo::align {
namespace {

constexpr int kWidth = 240, kHeight = 135;

// One bilinear pass written out, black outside the picture.
double Bilinear(const std::vector<uint8_t>& pixels, int bpp, double x, double y, int channel)
{
    const double x0 = std::floor(x), y0 = std::floor(y);
    const auto at = [&](double px, double py) {
        if (px < 0 || py < 0 || px >= kWidth || py >= kHeight)
            return 0.0;
        return double(pixels[(size_t(py) * kWidth + size_t(px)) * bpp + channel]);
    };
    const double fx = x - x0, fy = y - y0;
    return (at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx) * (1 - fy) +
           (at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx) * fy;
}

struct Case {
    const char* name;
    Homography map;
};

class TwoPassWarpTest : public testing::TestWithParam<Case> {};

// The two passes give what one bilinear pass gives, to within the rounding
// of their weights and, on a tilted row, a hundredth of a pixel of place on
// a pattern that changes by up to 15 levels a pixel; black comes in at the
// edges.
TEST_P(TwoPassWarpTest, MatchesOneBilinearPass)
{
    const Homography& map = GetParam().map;
    for (const int bpp : {1, 3}) {
        std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * bpp);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < bpp; ++c)
                    pixels[(size_t(y) * kWidth + x) * bpp + c] =
                        uint8_t(128 + 90 * std::sin(x / 6.0 + c) * std::cos(y / 4.0));
        PictureBuffer to = PictureBuffer::allocate(kWidth, kHeight, bpp);
        ASSERT_TRUE(TwoPassWarp({pixels.data(), kWidth, kHeight, bpp}, map, to));
        double worst = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const auto source = *Apply(map, x, y);
                for (int c = 0; c < bpp; ++c)
                    worst = std::max(worst, std::abs(to.row(y)[x * bpp + c] -
                                                     Bilinear(pixels, bpp, source[0], source[1], c)));
            }
        EXPECT_LE(worst, 2.5) << bpp << " bytes a pixel";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transforms, TwoPassWarpTest,
    testing::Values(Case{"rowsKept", {1.004, 0.01, -3.5, 0, 0.996, 2.25, 0, 2e-5, 1}},
                    Case{"rolledWithKeystone", {0.9995, 0.02, 1.3, -0.021, 1.002, -4.6, 3e-5, -2e-5, 1}},
                    Case{"mostlyOutside", {1, 0, 200.5, 0, 1, -100.25, 0, 0, 1}},
                    Case{"barelyTilted", {1, 0, 0.5, 3e-10, 1, 0.5, 0, 0, 1}}),
    [](const auto& info) { return info.param.name; });

TEST(TwoPassWarp, RefusesATransformThatSendsARowToInfinity)
{
    const std::vector<uint8_t> pixels(size_t(kWidth) * kHeight, 9);
    PictureBuffer to = PictureBuffer::allocate(kWidth, kHeight, 1);
    EXPECT_FALSE(TwoPassWarp({pixels.data(), kWidth, kHeight, 1}, {1, 0, 0, 0, 1, 0, 0, -0.01, 1}, to));
}

}  // namespace
}  // namespace plexo::align
