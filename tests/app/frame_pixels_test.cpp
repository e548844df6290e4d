#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/frame_pixels.h"

namespace plexo {
namespace {

// A 5 x 3 source padded to 8 columns with a stride of its own; every pixel
// says where it came from.
TEST(FramePixels, FlipsRowsSwapsToXrgbAndStaysInsideWidth)
{
    const int width = 5, height = 3, padded = 8;
    const size_t stride = padded * 3;
    std::vector<uint8_t> source(stride * height, 0xEE);
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &source[r * stride + x * 3];
            p[0] = uint8_t(10 * r + x);  // blue
            p[1] = 100;                  // green
            p[2] = uint8_t(200 + r);     // red
        }
    const size_t destStride = 7 * 4;
    std::vector<uint8_t> dest(destStride * height, 0x55);
    BottomUpBgrToTopDownXrgb(source.data(), stride, height, width, height, dest.data(), destStride);
    for (int y = 0; y < height; ++y) {
        const int r = height - 1 - y;  // screen row y is source row from the bottom
        for (int x = 0; x < width; ++x) {
            const uint8_t* d = &dest[y * destStride + x * 4];
            EXPECT_EQ(d[0], 10 * r + x);
            EXPECT_EQ(d[1], 100);
            EXPECT_EQ(d[2], 200 + r);
            EXPECT_EQ(d[3], 0xFF);
        }
        for (size_t b = width * 4; b < destStride; ++b)
            EXPECT_EQ(dest[y * destStride + b], 0x55) << "row " << y << " byte " << b;
    }
}

}  // namespace
}  // namespace plexo
