#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "convert/converters.h"
#include "film/factories.h"
#include "film/open_film.h"
#include "support/message_capture.h"
#include "support/outside_programs.h"
#include "video/frame_cache.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

using test::MakeVideo;
using test::MeanDifference;

class VideoFilmTest : public testing::Test {
protected:
    static void SetUpTestSuite() { AddVideoFormats(); }
    test::TempDir dir;
};

struct DecodeCase {
    const char* name;
    const char* encode;  // null: a rotation written on a copy, 48 x 64
    LayoutKind kind;
    LayoutOrigin origin;
};

TEST_F(VideoFilmTest, FramesMatchWhatFfmpegDecodesInEveryOrderOfVisits)
{
    const DecodeCase cases[] = {
        {"bframes.mp4", "-c:v libx264 -g 4 -bf 2", LayoutKind::Mono, LayoutOrigin::None},
        {"vp9.webm", "-c:v libvpx-vp9 -g 4", LayoutKind::Mono, LayoutOrigin::None},
        {"full_tb.mkv", "-c:v libx264 -g 4 -metadata:s:v stereo_mode=top_bottom", LayoutKind::TopBottom,
         LayoutOrigin::Metadata},
        {"fsbs.mp4", "-c:v libx264 -x264-params frame-packing=3", LayoutKind::SideBySide, LayoutOrigin::Sei},
        {"walk_sbs.avi", "-c:v libx264", LayoutKind::SideBySide, LayoutOrigin::Name},
        {"bt709.mov", "-c:v libx264 -vf scale=out_color_matrix=bt709:out_range=full -colorspace bt709 -color_range pc",
         LayoutKind::Mono, LayoutOrigin::None},
        {"turned.mp4", nullptr, LayoutKind::Mono, LayoutOrigin::None},
    };
    ASSERT_TRUE(MakeVideo(dir, "upright.mp4", "-c:v libx264"));
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -i '" + dir.file("upright.mp4") +
                                 "' -c copy -metadata:s:v:0 rotate=90 '" + dir.file("turned.mp4") + "'"));
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(!c.encode || MakeVideo(dir, c.name, c.encode));
        const int width = c.encode ? 64 : 48, height = c.encode ? 48 : 64;
        const std::vector<uint8_t> reference = test::FfmpegFrames(dir.file(c.name));
        const size_t frameBytes = size_t(width) * size_t(height) * 3;
        ASSERT_EQ(reference.size(), 10 * frameBytes);
        FilmPtr film = OpenFilmByExtension(dir.file(c.name));
        ASSERT_TRUE(film);
        EXPECT_EQ(film->FrameCount(), 10);
        EXPECT_DOUBLE_EQ(film->FrameRate(), 25);
        EXPECT_EQ(film->Layout().layout.kind, c.kind);
        EXPECT_EQ(film->Layout().origin, c.origin);
        // Each eye of a stereo video is its half of ffmpeg's frame, left or
        // top first; a single view's partner is the same frame at shift 0.
        const bool across = c.kind == LayoutKind::SideBySide;
        const bool stereo = c.kind != LayoutKind::Mono;
        const size_t secondEye = !stereo ? 0 : across ? size_t(width / 2) * 3 : frameBytes / 2;
        // On to the end, a jump back, steps back, a jump to the start.
        const auto check = [&] {
            const uint8_t* frame = &reference[size_t(film->Position()) * frameBytes];
            for (const auto& [eye, offset] : {std::pair{Eye::Current, size_t(0)}, std::pair{Eye::Partner, secondEye}}) {
                const Picture picture = film->PictureView(eye, Tone::Colour);
                ASSERT_TRUE(picture);
                ASSERT_EQ(picture.width, across ? width / 2 : width);
                ASSERT_EQ(picture.height, stereo && !across ? height / 2 : height);
                EXPECT_LT(MeanDifference(picture, frame + offset, size_t(width) * 3), 3)
                    << "frame " << film->Position();
            }
        };
        do
            check();
        while (film->Next());
        EXPECT_EQ(film->Position(), 9);
        for (const int jump : {8, 3, 0}) {
            film->Seek(jump);
            check();
            if (film->Prev())
                check();
        }
    }
}

// Metadata never says half: the sample aspect where not 1:1, the name, then
// the frame's shape decide it, and a half eye comes at its whole shape.
TEST_F(VideoFilmTest, HalfOfStereoMetadataIsDecidedAndHalfEyesComeWhole)
{
    const std::tuple<const char*, const char*, const char*, std::string, int> cases[] = {
        {"a.mkv", "128x72", "left_right", "side-by-side half left-first (metadata)", 128},
        {"b.mkv", "256x72", "left_right", "side-by-side left-first (metadata)", 128},
        {"c-H-SBS.mkv", "256x72", "left_right", "side-by-side half left-first (metadata)", 256},
        {"d.mkv", "256x72 -vf setsar=2", "left_right", "side-by-side half left-first (metadata)", 256},
        {"e.mkv", "128x72", "top_bottom", "top-bottom half left-first (metadata)", 128}};
    for (const auto& [name, size, mode, layout, width] : cases) {
        ASSERT_TRUE(test::RunCommand(std::string("ffmpeg -v error -f lavfi -i testsrc2=size=") + size +
                                     " -frames:v 1 -metadata:s:v stereo_mode=" + mode + " '" + dir.file(name) + "'"));
        FilmPtr film = OpenFilmByExtension(dir.file(name));
        ASSERT_TRUE(film);
        const Picture eye = film->PictureView(Eye::Partner, Tone::Colour);
        EXPECT_EQ(std::tuple(LayoutText(film->Layout()), eye.width, eye.height), std::tuple(layout, width, 72)) << name;
    }
}

// Each bad file gives a message naming it, or a film of the frames it holds
// that stepping ends inside.
TEST_F(VideoFilmTest, BadFilesGiveAMessageOrAShorterFilm)
{
    ASSERT_TRUE(MakeVideo(dir, "whole.mp4", "-c:v libx264 -g 4 -movflags +faststart"));
    ASSERT_TRUE(MakeVideo(dir, "whole.avi", "-c:v libx264 -g 4"));
    const std::vector<uint8_t> mp4 = test::ReadBytes(dir.file("whole.mp4"));
    std::vector<uint8_t> avi = test::ReadBytes(dir.file("whole.avi"));
    test::WriteBytes(dir.file("cut.mp4"), {mp4.begin(), mp4.begin() + std::ptrdiff_t(mp4.size() * 2 / 3)});
    test::WriteBytes(dir.file("head.mp4"), {mp4.begin(), mp4.begin() + 100});
    test::WriteBytes(dir.file("noise.mkv"), std::vector<uint8_t>(5000, 0x5a));
    // The AVI headers' frame counts say 100,000.
    const auto strh = std::search(avi.begin(), avi.end(), std::begin("strh"), std::end("strh") - 1) - avi.begin();
    for (const std::ptrdiff_t at : {std::ptrdiff_t(48), strh + 8 + 32})
        for (int i = 0; i < 4; ++i)
            avi[size_t(at + i)] = uint8_t((100000 >> (8 * i)) & 0xff);
    test::WriteBytes(dir.file("claims.avi"), avi);
    // Every sample lasts no time: no frame rate.
    std::vector<uint8_t> still = mp4;
    const auto stts = std::search(still.begin(), still.end(), std::begin("stts"), std::end("stts") - 1) - still.begin();
    const size_t entries = size_t(still[size_t(stts) + 11]);
    for (size_t e = 0; e < entries; ++e)
        std::fill_n(still.begin() + stts + 16 + std::ptrdiff_t(8 * e), 4, 0);
    test::WriteBytes(dir.file("still.mp4"), still);
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i color=s=16400x2 -frames:v 1 -c:v rawvideo -pix_fmt bgr24 '" +
                                 dir.file("wide.avi") + "'"));

    for (const char* name : {"cut.mp4", "head.mp4", "noise.mkv", "claims.avi", "still.mp4", "wide.avi"}) {
        SCOPED_TRACE(name);
        const test::MessageCapture messages;
        FilmPtr film = OpenFilmByExtension(dir.file(name));
        if (!film) {
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_NE(messages.messages[0].find(dir.file(name)), std::string::npos) << messages.messages[0];
            continue;
        }
        film->Seek(INT32_MAX);
        EXPECT_LE(film->FrameCount(), 10);
        EXPECT_EQ(film->Position(), film->FrameCount() - 1);
        EXPECT_FALSE(film->Next());
        int steps = 0;
        while (film->Prev() && steps < 20)
            ++steps;
        EXPECT_EQ(steps, film->FrameCount() - 1);
        FilmPicture(*film, Eye::Current, Tone::Grey);
    }
}

TEST_F(VideoFilmTest, ConvertWritesTheFramesNumberedFromOneUnderTheVideosName)
{
    ASSERT_TRUE(MakeVideo(dir, "clip.mkv", "-c:v libx264 -g 3"));
    ASSERT_EQ(Convert(ConversionWay::VideoToBmp, dir.file("clip.mkv"), {}), ConversionResult::Ok);
    for (const char* name : {"clip0001.bmp", "clip0010.bmp"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.file("clip0011.bmp")));
    ASSERT_EQ(Convert(ConversionWay::VideoToFlm, dir.file("clip.mkv"), {}), ConversionResult::Ok);
    const FilmPtr flm = OpenFlmFilm(dir.file("clip.flm"));
    ASSERT_TRUE(flm);
    EXPECT_EQ(flm->FrameCount(), 10);
}

// A converted frame of one buffer of `bytes`.
SharedPicture FrameOf(int bytes)
{
    std::vector<PictureBuffer> buffers;
    buffers.push_back(PictureBuffer::allocate(bytes, 1, 1));
    const Picture whole = buffers[0].view();
    return std::make_shared<const VideoPicture>(0, 0, whole, Picture{}, std::move(buffers), std::weak_ptr<FramePool>{});
}

std::vector<int64_t> Kept(const FrameCache& cache, int64_t upTo)
{
    std::vector<int64_t> kept;
    for (int64_t i = 0; i <= upTo; ++i)
        if (cache.Has(i))
            kept.push_back(i);
    return kept;
}

// The frames nearest the span stay, whichever side of it they lie on; the
// budget is never passed; a frame at the span's start always gets in.
TEST(FrameCache, KeepsTheFramesNearestTheSpanWithinItsBudget)
{
    FrameCache cache(3000);
    for (int64_t i = 0; i < 10; ++i)
        cache.Keep(i, FrameOf(1000), 5, 6);
    EXPECT_EQ(Kept(cache, 20), (std::vector<int64_t>{4, 5, 6}));
    EXPECT_FALSE(cache.Keep(12, FrameOf(1000), 5, 6));
    EXPECT_TRUE(cache.Keep(15, FrameOf(2500), 15, 15));
    EXPECT_EQ(Kept(cache, 20), (std::vector<int64_t>{15}));
    EXPECT_LE(cache.Bytes(), 3000u);
    cache.DropFrom(15);
    EXPECT_EQ(cache.Bytes(), 0u);
}

// Playing either way, the frames past the span's far end go, and those behind
// it but the nearest `behind` and the spared; the pool's spares keep within
// their bytes but for one.
TEST(FrameCache, PlayingKeepsTheSpanAndTheNewestBehind)
{
    for (const auto& [direction, kept] : {std::pair(1, std::vector<int64_t>{2, 5, 6, 7, 8}),
                                          std::pair(-1, std::vector<int64_t>{2, 7, 8, 9, 10})}) {
        FrameCache cache(100000);
        for (int64_t i = 0; i < 12; ++i)
            cache.Keep(i, FrameOf(10), 7, 8);
        cache.KeepAround(7, 8, direction, 2, [](int64_t i) { return i == 2; });
        EXPECT_EQ(Kept(cache, 20), kept);
        EXPECT_EQ(cache.Bytes(), 50u);
    }
    FramePool pool(4, 250);
    std::vector<const uint8_t*> given;
    for (int i = 0; i < 3; ++i) {
        PictureBuffer buffer = PictureBuffer::allocate(100, 1, 1);
        given.push_back(buffer.bytes.get());
        pool.Give(std::move(buffer));
    }
    EXPECT_EQ(pool.Take(100, 1, 1).bytes.get(), given[1]);
}

}  // namespace
}  // namespace plexo::video
