#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/jpeg_codec.h"
#include "present/frame_copy.h"

namespace plexo {
namespace {

// A picture must give the same pixels to every reader whatever its rows'
// layout: packed, padded to an odd stride, or top row first in memory and
// seen through a negative stride.
TEST(StridedPicture, EveryLayoutReadsAsThePackedPicture)
{
    constexpr int kWidth = 13, kHeight = 7;
    for (int bpp : {1, 3}) {
        const size_t rowBytes = size_t(kWidth) * size_t(bpp);
        std::vector<uint8_t> packed(rowBytes * kHeight);
        for (size_t i = 0; i < packed.size(); ++i)
            packed[i] = uint8_t(i * 37 + 11);
        const size_t pitch = rowBytes + 5;
        std::vector<uint8_t> padded(pitch * kHeight, 0xee), topDown(pitch * kHeight, 0xdd);
        for (int r = 0; r < kHeight; ++r) {
            std::memcpy(&padded[size_t(r) * pitch], &packed[size_t(r) * rowBytes], rowBytes);
            std::memcpy(&topDown[size_t(kHeight - 1 - r) * pitch], &packed[size_t(r) * rowBytes], rowBytes);
        }
        const Picture plain{packed.data(), kWidth, kHeight, bpp};
        const Picture layouts[] = {Picture{padded.data(), kWidth, kHeight, bpp, ptrdiff_t(pitch)},
                                   Picture::TopDown(topDown.data(), kWidth, kHeight, bpp, ptrdiff_t(pitch))};

        const auto framed = [&](const Picture& p) {
            std::vector<uint8_t> frame(size_t(16) * 3 * 9, 0x55);
            const FrameView view{frame.data(), 16, 9, 16 * 3};
            const Span rows{1, 2, kHeight - 1}, cols{2, 1, kWidth - 2};
            if (bpp == 3)
                CopyColourRows(p, rows, cols, 0, 1, view);
            else
                CopyGreyToChannel(p, rows, cols, 1, view);
            return frame;
        };
        const auto encoded = [&](const Picture& p, JpegRows order) {
            JpegEncoder encoder;
            EXPECT_TRUE(encoder.Encode(p, 90, order));
            return std::vector<uint8_t>(encoder.data(), encoder.data() + encoder.size());
        };
        for (const Picture& p : layouts) {
            const std::string at = std::to_string(bpp) + " stride " + std::to_string(p.rowStride);
            EXPECT_FALSE(p.packed()) << at;
            EXPECT_EQ(framed(p), framed(plain)) << at;
            for (JpegRows order : {JpegRows::Picture, JpegRows::AsStored})
                EXPECT_EQ(encoded(p, order), encoded(plain, order)) << at;
            std::vector<uint8_t> store;
            const Picture copy = PackedRows(p, store);
            ASSERT_TRUE(copy.packed()) << at;
            EXPECT_EQ(std::vector<uint8_t>(copy.data, copy.data + copy.byteCount()), packed) << at;

            const Picture eye = p.subview(4, 2, 5, 3);
            ASSERT_TRUE(eye) << at;
            EXPECT_EQ(eye.rowStride, p.rowStride) << at;
            for (int r = 0; r < 3; ++r)
                EXPECT_EQ(std::memcmp(eye.row(r), plain.row(r + 2) + 4 * bpp, size_t(5 * bpp)), 0) << at;
            EXPECT_FALSE(p.subview(9, 0, 5, 1)) << at;
            EXPECT_FALSE(p.subview(0, 5, 1, 3)) << at;
        }
    }
}

}  // namespace
}  // namespace plexo
