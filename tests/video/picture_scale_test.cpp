#include <gtest/gtest.h>

#include <cstring>

#include "video/frame_shaper.h"
#include "video/video_fixtures.h"
#include "video/video_frame_source.h"

namespace plexo::video {
namespace {

// A 4:2:0 frame whose left half (or top half) is dark and the rest light,
// every pixel grey.
FrameHandle HalvesFrame(int width, int height, bool across)
{
    FrameHandle frame(av_frame_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = AV_PIX_FMT_YUV420P;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame->data[0][y * frame->linesize[0] + x] = (across ? x < width / 2 : y < height / 2) ? 40 : 200;
    for (int p = 1; p < 3; ++p)
        std::memset(frame->data[p], 128, size_t(frame->linesize[p]) * size_t((height + 1) / 2));
    return frame;
}

// The lowest and highest byte of a picture.
std::pair<int, int> Extremes(const Picture& picture)
{
    std::pair<int, int> range{255, 0};
    for (int r = 0; r < picture.height; ++r)
        for (const auto [low, high] = std::minmax_element(picture.row(r), picture.row(r) + picture.rowBytes());
             const uint8_t* at : {low, high})
            range = {std::min<int>(range.first, *at), std::max<int>(range.second, *at)};
    return range;
}

// Each eye made smaller comes from its own half of the frame, in the order
// the layout names, a half layout stretched within the same pass; a frame
// shown at its size, or whose second eye starts between chroma rows, is
// made at its own size. Every column is made, up to the right edge of a
// width no multiple of 8.
TEST(PictureScale, EyesMadeSmallerComeFromTheirHalves)
{
    struct Case {
        StereoLayout eyes;
        PictureScale scale;
        int frameWidth, frameHeight, width, height, ownWidth, ownHeight;
        bool firstDark, secondDark;
    };
    const Case cases[] = {
        {{LayoutKind::SideBySide, false, false}, {0.5, 0.5}, 128, 96, 32, 48, 64, 96, true, false},
        {{LayoutKind::SideBySide, false, true}, {0.5, 0.5}, 128, 96, 32, 48, 64, 96, false, true},
        {{LayoutKind::SideBySide, true, false}, {0.5, 0.25}, 128, 96, 64, 24, 128, 96, true, false},
        {{LayoutKind::TopBottom, true, false}, {0.25, 0.5}, 128, 96, 32, 48, 128, 96, true, false},
        {{LayoutKind::TopBottom, false, true}, {1, 1}, 128, 96, 128, 48, 128, 48, false, true},
        {{LayoutKind::TopBottom, false, false}, {0.5, 0.5}, 128, 98, 128, 49, 128, 49, true, false},
        {{LayoutKind::SideBySide, false, false}, {0.5, 0.5}, 540, 96, 135, 48, 270, 96, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.eyes.kind) << c.eyes.half << c.eyes.rightFirst << c.frameWidth << 'x' << c.frameHeight);
        FrameHandle frame = HalvesFrame(c.frameWidth, c.frameHeight, c.eyes.kind == LayoutKind::SideBySide);
        ASSERT_TRUE(frame);
        FrameShaper shaper(Orientation{}, c.eyes);
        const SharedPicture made = shaper.Shape(*frame, 0, 0, c.scale);
        ASSERT_TRUE(made);
        const Picture first = made->Eye(0, Tone::Colour), second = made->Eye(1, Tone::Colour);
        EXPECT_EQ(std::tuple(first.width, first.height, second.width, second.height, made->OwnWidth(),
                             made->OwnHeight()),
                  std::tuple(c.width, c.height, c.width, c.height, c.ownWidth, c.ownHeight));
        for (const auto& [eye, dark] : {std::pair(first, c.firstDark), std::pair(second, c.secondDark)}) {
            const auto [low, high] = Extremes(eye);
            EXPECT_LE(high - low, 8);
            EXPECT_EQ(low < 128, dark);
        }
    }
}

// At its own size too, a width off the scaler's steps of 16 has every
// column made from its own pixels: none left unmade at the right edge, none
// at the left edge overwritten by what the scaler made past the end of the
// next row, from the planes' padding (here light in a dark frame).
TEST(PictureScale, EveryColumnAtTheOwnSizeIsItsOwn)
{
    for (const int width : {1272, 1366, 1280, 90}) {
        SCOPED_TRACE(width);
        FrameHandle frame(av_frame_alloc());
        frame->width = width;
        frame->height = 6;
        frame->format = AV_PIX_FMT_YUV420P;
        ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
        const int chroma = (width + 1) / 2;
        for (const auto& [plane, rows, columns] : {std::tuple(0, 6, width), {1, 3, chroma}, {2, 3, chroma}})
            for (int r = 0; r < rows; ++r) {
                uint8_t* row = frame->data[plane] + r * frame->linesize[plane];
                std::memset(row, plane == 0 ? 250 : 20, size_t(frame->linesize[plane]));
                std::memset(row, plane == 0 ? 40 : 128, size_t(columns));
            }
        FrameShaper shaper(Orientation{}, StereoLayout{});
        const SharedPicture made = shaper.Shape(*frame, 0, 0);
        ASSERT_TRUE(made);
        const auto [low, high] = Extremes(made->Eye(0, Tone::Colour));
        EXPECT_LE(high - low, 2);
        EXPECT_LT(high, 64);
    }
}

// Made smaller, a colour keeps the matrix and the range of its stream, on
// the 4:2:0 path that scales the planes first as on the one-pass path of
// other formats.
TEST(PictureScale, ColoursMadeSmallerAreThoseOfTheOwnSize)
{
    for (const AVPixelFormat format : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV444P}) {
        for (const AVColorSpace matrix : {AVCOL_SPC_UNSPECIFIED, AVCOL_SPC_BT709}) {
            SCOPED_TRACE(testing::Message() << format << ' ' << matrix);
            FrameHandle frame(av_frame_alloc());
            frame->width = 192;
            frame->height = 96;
            frame->format = format;
            frame->colorspace = matrix;
            ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
            const int chromaRows = format == AV_PIX_FMT_YUV444P ? 96 : 48;
            for (const auto& [plane, value, rows] : {std::tuple(0, 70, 96), {1, 90, chromaRows}, {2, 180, chromaRows}})
                std::memset(frame->data[plane], value, size_t(frame->linesize[plane]) * size_t(rows));
            FrameShaper shaper(Orientation{}, StereoLayout{});
            const SharedPicture own = shaper.Shape(*frame, 0, 0), small = shaper.Shape(*frame, 0, 0, {0.3, 0.3});
            ASSERT_TRUE(own && small);
            const Picture ownEye = own->Eye(0, Tone::Colour), smallEye = small->Eye(0, Tone::Colour);
            ASSERT_EQ(smallEye.width, 58);
            for (int channel = 0; channel < 3; ++channel)
                for (const int x : {0, 29, 57})
                    EXPECT_NEAR(smallEye.row(14)[x * 3 + channel], ownEye.row(48)[channel], 2) << x;
        }
    }
}

// The source makes its frames at the scale asked; out of playback a new
// scale makes the frame again, and the own size is had on request whatever
// the scale, numbered and timed alike.
TEST(PictureScale, FramesFollowTheScaleAndTheOwnSizeIsHadOnRequest)
{
    test::TempDir dir;
    ASSERT_TRUE(test::MakeVideo(dir, "clip.mp4", "-c:v libx264 -g 4"));
    std::string why;
    std::unique_ptr<VideoFile> file = VideoFile::Open(dir.file("clip.mp4"), why);
    ASSERT_TRUE(file) << why;
    std::optional<FrameTimes> times = FrameTimesOf(dir.file("clip.mp4"), *file);
    ASSERT_TRUE(times);
    VideoSource source(std::move(file), std::move(*times));
    const auto width = [](const SharedPicture& frame) { return frame ? frame->Eye(0, Tone::Colour).width : 0; };
    EXPECT_EQ(width(source.Frame(5, true)), 64);
    source.SetScale({0.5, 0.5});
    EXPECT_FALSE(source.Frame(5, false));
    const SharedPicture small = source.Frame(5, true), own = source.OwnSize(5);
    ASSERT_TRUE(small && own);
    EXPECT_EQ(std::tuple(width(small), small->OwnWidth(), width(own), own->Index(), own->TimestampUs()),
              std::tuple(32, 64, 64, 5, small->TimestampUs()));
    EXPECT_EQ(width(source.Frame(6, true)), 32);
    source.SetScale({});
    EXPECT_EQ(width(source.Frame(6, true)), 64);
}

}  // namespace
}  // namespace plexo::video
