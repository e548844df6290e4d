#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "present/frame_copy.h"
#include "present/screen_rows.h"

namespace plexo {
namespace {

// The vectorised grey-to-channel copy against the byte-at-a-time one, on
// frames full of noise so that any byte of another channel it touched shows,
// for every row length around the vector width and every channel.
TEST(FrameCopy, VectorisedGreyToChannelMatchesTheReference)
{
    std::mt19937 random(7);
    const auto noise = [&](std::vector<uint8_t>& v) { std::generate(v.begin(), v.end(), std::ref(random)); };
    constexpr int kFrameWidth = 72, kFrameHeight = 3;
    for (int width = 1; width <= 70; ++width)
        for (int channel = 0; channel < 3; ++channel) {
            std::vector<uint8_t> grey(size_t(width) * 4);
            noise(grey);
            const Picture picture{grey.data(), width, 4, 1};
            // The stride is wider than the pixels, as a caller's may be.
            const size_t stride = kFrameWidth * 3 + 5;
            std::vector<uint8_t> fast(stride * kFrameHeight);
            noise(fast);
            std::vector<uint8_t> reference = fast;
            const int64_t count = width - width / 5;
            const Span rows{1, 0, 3}, cols{width / 5, kFrameWidth - count, count};
            CopyGreyToChannel(picture, rows, cols, channel, {fast.data(), kFrameWidth, kFrameHeight, stride});
            CopyGreyToChannelReference(picture, rows, cols, channel,
                                       {reference.data(), kFrameWidth, kFrameHeight, stride});
            ASSERT_EQ(fast, reference) << "width " << width << " channel " << channel;
        }
}

// The vectorised frame-to-screen pass against the pixel-at-a-time one, for
// every frame width around the vector width, on screens narrower, as wide and
// wider than the frame; the screen's bytes beyond what is copied stay.
TEST(FrameCopy, VectorisedScreenRowsMatchTheReference)
{
    std::mt19937 random(11);
    for (int width = 1; width <= 70; ++width) {
        FrameBuffer frame;
        ASSERT_TRUE(frame.Prepare(width, 3));
        const FrameView view = frame.view();
        std::generate(view.data, view.data + frame.byteCount(), std::ref(random));
        for (const int screenWidth : {width - 1, frame.width(), frame.width() + 3}) {
            const size_t stride = size_t(screenWidth) * 4 + 8;
            std::vector<uint8_t> fast(stride * 4);
            std::generate(fast.begin(), fast.end(), std::ref(random));
            std::vector<uint8_t> reference = fast;
            FrameToScreenRows(frame, {fast.data(), screenWidth, 4, stride});
            FrameToScreenRowsReference(frame, {reference.data(), screenWidth, 4, stride});
            ASSERT_EQ(fast, reference) << "width " << width << " screen " << screenWidth;
            // Screen row 0 is the frame's top row, alpha opaque.
            if (screenWidth > 0) {
                ASSERT_EQ(std::vector<uint8_t>(fast.begin(), fast.begin() + 4),
                          (std::vector<uint8_t>{view.row(2)[0], view.row(2)[1], view.row(2)[2], 0xff}));
            }
        }
    }
}

// A block reaching outside the picture or the frame, or a channel or depth
// that does not fit, is refused whole.
TEST(FrameCopy, BlocksOutsideThePictureOrFrameCopyNothing)
{
    const std::vector<uint8_t> bytes(4 * 2 * 3, 9);
    std::vector<uint8_t> frame(4 * 3 * 2, 0);
    const FrameView view{frame.data(), 4, 2, 12};
    const Picture g{bytes.data(), 4, 2, 1}, c{bytes.data(), 4, 2, 3};
    for (const auto& [rows, cols] : {std::pair<Span, Span>{{0, 0, 3}, {0, 0, 4}}, {{0, 0, 2}, {1, 0, 4}},
                                     {{0, 0, 2}, {0, 1, 4}}, {{-1, 0, 2}, {0, 0, 4}}, {{0, 0, 2}, {0, -1, 4}}}) {
        CopyGreyToChannel(g, rows, cols, 0, view);
        CopyColourRows(c, rows, cols, 0, 1, view);
    }
    CopyGreyToChannel(g, {0, 0, 2}, {0, 0, 4}, 3, view);
    CopyGreyToChannel(c, {0, 0, 2}, {0, 0, 4}, 0, view);
    CopyColourRows(g, {0, 0, 2}, {0, 0, 4}, 0, 1, view);
    EXPECT_EQ(frame, std::vector<uint8_t>(frame.size(), 0));
}

}  // namespace
}  // namespace plexo
