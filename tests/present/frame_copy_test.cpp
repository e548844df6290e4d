#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "present/anaglyph.h"
#include "present/compositor.h"
#include "present/frame_copy.h"
#include "present/screen_rows.h"

namespace plexo {
namespace {

// The vectorised passes against their byte-at-a-time references, on buffers
// full of noise so that any byte they should not touch shows, for every width
// around the vector width: the grey-to-channel copy into every channel of a
// frame whose stride is wider than its pixels, the anaglyph mix of a second
// eye covering part of the frame, and the frame-to-screen pass onto screens
// narrower, as wide and wider than the frame, whole and halved.
TEST(FrameCopy, VectorisedPassesMatchTheirReferences)
{
    std::mt19937 random(7);
    const auto noise = [&](uint8_t* data, size_t size) { std::generate(data, data + size, std::ref(random)); };
    constexpr int kFrameWidth = 72, kFrameHeight = 3;
    for (int width = 1; width <= 70; ++width) {
        for (int channel = 0; channel < 3; ++channel) {
            std::vector<uint8_t> grey(size_t(width) * 4);
            noise(grey.data(), grey.size());
            const Picture picture{grey.data(), width, 4, 1};
            const size_t stride = kFrameWidth * 3 + 5;
            std::vector<uint8_t> fast(stride * kFrameHeight);
            noise(fast.data(), fast.size());
            std::vector<uint8_t> reference = fast;
            const int64_t count = width - width / 5;
            const Span rows{1, 0, 3}, cols{width / 5, kFrameWidth - count, count};
            CopyGreyToChannel(picture, rows, cols, channel, {fast.data(), kFrameWidth, kFrameHeight, stride});
            CopyGreyToChannelReference(picture, rows, cols, channel,
                                       {reference.data(), kFrameWidth, kFrameHeight, stride});
            ASSERT_EQ(fast, reference) << "width " << width << " channel " << channel;
        }
        {
            // Dubois amber-blue clamps at both ends: coefficients above 1 and below 0.
            std::vector<uint8_t> colour(size_t(width) * 3 * 4), fast(kFrameWidth * 3 * kFrameHeight);
            noise(colour.data(), colour.size());
            noise(fast.data(), fast.size());
            std::vector<uint8_t> reference = fast;
            const Span rows{1, 1, 2}, cols{width / 3, width / 4, width - width / 3};
            for (auto [mix, bytes] : {std::pair{&MixAnaglyph, &fast}, {&MixAnaglyphReference, &reference}})
                mix(kDuboisAmberBlue, {colour.data(), width, 4, 3}, rows, cols, kFrameWidth - 1,
                    {bytes->data(), kFrameWidth, kFrameHeight, kFrameWidth * 3});
            ASSERT_EQ(fast, reference) << "anaglyph, width " << width;
        }
        FrameBuffer frame;
        ASSERT_TRUE(frame.Prepare(width, 3));
        const FrameView view = frame.view();
        noise(view.data, frame.byteCount());
        for (const int screenWidth : {width - 1, frame.width(), frame.width() + 3}) {
            const size_t stride = size_t(screenWidth) * 4 + 8;
            std::vector<uint8_t> fast(stride * 4);
            noise(fast.data(), fast.size());
            std::vector<uint8_t> reference = fast;
            FrameToScreenRows(frame.picture(), {fast.data(), screenWidth, 4, stride});
            FrameToScreenRowsReference(frame.picture(), {reference.data(), screenWidth, 4, stride});
            ASSERT_EQ(fast, reference) << "width " << width << " screen " << screenWidth;
            std::vector<uint8_t> halved = fast, halvedReference = fast;
            FrameToScreenRowsHalved(frame.picture(), {halved.data(), screenWidth, 4, stride});
            FrameToScreenRowsHalvedReference(frame.picture(), {halvedReference.data(), screenWidth, 4, stride});
            ASSERT_EQ(halved, halvedReference) << "halved, width " << width << " screen " << screenWidth;
            // Screen pixel 0 of a halved frame: the 2×2 block at the top left.
            if (screenWidth > 0 && width >= 2) {
                const auto average = [](int a, int b) { return (a + b + 1) >> 1; };
                const int blue = average(average(view.row(2)[0], view.row(1)[0]), average(view.row(2)[3], view.row(1)[3]));
                ASSERT_EQ(halved[0], blue);
                ASSERT_EQ(halved[3], 0xff);
            }
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

// A plain picture of the view's size, read through a negative stride,
// reaches the screen as its composed frame does, whole and halved; another
// size or presentation is composed.
TEST(FrameCopy, APictureShownAsItIsReachesTheScreenAsComposed)
{
    constexpr int kWidth = 11, kHeight = 6;
    std::vector<uint8_t> bytes(size_t(kWidth * 3 + 5) * kHeight);
    std::generate(bytes.begin(), bytes.end(), [random = std::mt19937(7)]() mutable { return uint8_t(random()); });
    EyePair pair;
    pair.first = Picture::TopDown(bytes.data(), kWidth, kHeight, 3, kWidth * 3 + 5);
    const ComposeContext context{{}, ViewRect{0, 0, kWidth, kHeight}};
    const Presentation& plain = PresentationOf(PresentationId::Plain);
    FrameBuffer frame;
    ASSERT_TRUE(ComposeFrame(&pair, context, plain, frame));
    for (const auto& [convert, fold] : {std::pair{&FrameToScreenRows, 1}, {&FrameToScreenRowsHalved, 2}}) {
        const ScreenRows size{nullptr, kWidth / fold, kHeight / fold, size_t(kWidth) * 4};
        std::vector<uint8_t> ours(size.stride * kHeight), composed(ours.size());
        convert(ComposedAsIs(&pair, context, plain), {ours.data(), size.width, size.height, size.stride});
        convert(frame.picture(), {composed.data(), size.width, size.height, size.stride});
        EXPECT_EQ(ours, composed) << fold;
    }
    EXPECT_FALSE(ComposedAsIs(&pair, {{}, ViewRect{0, 0, kWidth + 1, kHeight}}, plain));
    EXPECT_FALSE(ComposedAsIs(&pair, context, PresentationOf(PresentationId::RedBlue)));
}

}  // namespace
}  // namespace plexo
