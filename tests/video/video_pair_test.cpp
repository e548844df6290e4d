#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "video/video_fixtures.h"
#include "video/video_film.h"
#include "video/video_frame_source.h"

namespace plexo::video {
namespace {

class VideoPairs : public testing::Test {
protected:
    // A source over `name` with room for `cacheBytes` of frames.
    std::unique_ptr<VideoSource> Source(const std::string& name, StereoLayout eyes, size_t cacheBytes)
    {
        std::string why;
        std::unique_ptr<VideoFile> file = VideoFile::Open(dir.file(name), why);
        EXPECT_TRUE(file) << why;
        std::optional<FrameTimes> times = file ? FrameTimesOf(dir.file(name), *file) : std::nullopt;
        if (!times)
            return nullptr;
        return std::make_unique<VideoSource>(std::move(file), std::move(*times), eyes, cacheBytes);
    }

    test::TempDir dir;
};

uint64_t Sum(const Picture& picture)
{
    uint64_t sum = 0;
    for (int r = 0; r < picture.height; ++r)
        sum = std::accumulate(picture.row(r), picture.row(r) + picture.rowBytes(), sum);
    return sum;
}

// A pair points into the frames the worker converted, numbered and timed
// by its frames, and stays whole on another thread while the film steps on
// through a cache of room for four stereo frames, whose buffers go to new
// frames, and is destroyed.
TEST_F(VideoPairs, APairHoldsItsFramesWithoutCopiesOnAnyThread)
{
    ASSERT_TRUE(test::MakeVideo(dir, "clip.mp4", "-c:v libx264 -g 4"));
    // Half: the stretch writes the eyes' buffers in our own code, where
    // ThreadSanitizer sees a buffer handed on while a pair still reads it.
    const StereoLayout sideBySide{LayoutKind::SideBySide, true, false};
    for (const StereoLayout eyes : {StereoLayout{}, sideBySide}) {
        SCOPED_TRACE(eyes.mono() ? "mono" : "side by side");
        std::unique_ptr<VideoSource> source = Source("clip.mp4", eyes, 4 * 2 * 64 * 48 * 3);
        ASSERT_TRUE(source);
        FilmPtr film;
        if (eyes.mono())
            film = std::make_unique<VideoFilm>(dir.file("clip.mp4"), std::move(source), SourceLayout{});
        else
            film = std::make_unique<TwoViewVideoFilm>(
                std::make_unique<VideoFrameSource>(dir.file("clip.mp4"), std::move(source)),
                SourceLayout{eyes, LayoutOrigin::Name});
        film->SetShift(1);
        ASSERT_TRUE(film->Seek(3));
        const EyePairPtr pair = film->Pair(Tone::Colour);
        ASSERT_TRUE(pair && pair->second);
        EXPECT_EQ(std::tuple(pair->frameNumber, pair->partnerNumber, pair->timestampUs), std::tuple(4, 5, 120000));
        EXPECT_EQ(pair->first.data, film->PictureView(Eye::Current, Tone::Colour).data);
        EXPECT_EQ(std::pair(pair->first.width, pair->second.height), std::pair(64, 48));
        ASSERT_TRUE(film->Seek(8));
        const EyePairPtr grey = film->Pair(Tone::Grey);
        ASSERT_TRUE(grey);
        EXPECT_EQ(std::tuple(grey->frameNumber, grey->partnerNumber, grey->timestampUs, grey->first.bytesPerPixel),
                  std::tuple(9, 10, 320000, 1));
        const EyePairPtr again = film->Pair(Tone::Grey);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->first.data, grey->first.data);
        EXPECT_EQ(film->Timing().TimeAt(9), 360000);

        const uint64_t sums[] = {Sum(pair->first), Sum(pair->second)};
        uint64_t seen[2] = {};
        std::thread reader([&, held = pair] {
            for (int pass = 0; pass < 20; ++pass) {
                seen[0] = Sum(held->first);
                seen[1] = Sum(held->second);
            }
        });
        for (int step = 0; step < 10; ++step) {
            film->Seek(step);
            film->Pair(step % 2 ? Tone::Grey : Tone::Colour);
        }
        film.reset();
        reader.join();
        EXPECT_EQ(seen[0], sums[0]);
        EXPECT_EQ(seen[1], sums[1]);
    }
}

// A newer request overtakes an older wait, which ends with no frame, and
// the decoder goes for the newer one.
TEST_F(VideoPairs, TheNewestRequestWins)
{
    ASSERT_TRUE(test::MakeVideo(dir, "clip.mp4", "-c:v libx264 -g 4"));
    // Before the source, whose worker calls the hook until it goes.
    std::mutex mutex;
    std::condition_variable changed;
    int64_t heldAt = -1;
    bool release = false;
    // Room for the first frame only: the worker decodes one more, which the
    // cache refuses, and rests.
    std::unique_ptr<VideoSource> source = Source("clip.mp4", {}, 1);
    ASSERT_TRUE(source);
    ASSERT_TRUE(source->Frame(0, true));
    // Held on the way to frame 6 only: frame 1, the one more the worker
    // decodes after the first, may still be on its way as the hook goes in.
    source->SetDecodeHook([&](int64_t index, bool) {
        std::unique_lock lock(mutex);
        if (heldAt < 0 && index >= 2) {
            heldAt = index;
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
        }
    });
    SharedPicture older;
    std::thread first([&] { older = source->Newest(6); });
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return heldAt >= 0; });
    }
    SharedPicture newer;
    std::thread second([&] { newer = source->Newest(3); });
    first.join();
    EXPECT_FALSE(older);
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    changed.notify_all();
    second.join();
    ASSERT_TRUE(newer);
    EXPECT_EQ(newer->Index(), 3);
}

// The window's moves never wait for the decoder: a seek returns while the
// worker is held on its way to the frame, the keyframe it passed stands in
// for the frame meanwhile, and the exact frame follows.
TEST_F(VideoPairs, AMoveThatDoesNotWaitReturnsWhileTheDecoderWorksAndTheKeyframeStandsIn)
{
    ASSERT_TRUE(test::MakeVideo(dir, "gop.mp4", "-frames:v 60 -c:v libx264 -g 20 -bf 0"));
    std::mutex mutex;
    std::condition_variable changed;
    bool held = false, release = false;
    std::unique_ptr<VideoSource> source = Source("gop.mp4", {}, 0);
    ASSERT_TRUE(source && source->Frame(16, true));
    // Held on the first frame after the keyframe the seek lands on.
    source->SetDecodeHook([&](int64_t index, bool) {
        std::unique_lock lock(mutex);
        held = held || index > 40;
        changed.notify_all();
        changed.wait(lock, [&] { return !held || release; });
    });
    std::atomic<int> wakes{0};
    VideoFilm film(dir.file("gop.mp4"), std::move(source), SourceLayout{});
    film.Timing().SetMovesWait(false);
    film.Timing().SetWake([&] { ++wakes; });
    ASSERT_TRUE(film.Seek(50));
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return held; });
    EXPECT_FALSE(film.Timing().ReadyAt(50));
    EXPECT_GE(wakes.load(), 1) << "the keyframe standing in wakes a player waiting";
    const EyePairPtr standIn = film.Timing().StandIn(Tone::Colour);
    EXPECT_EQ(standIn ? standIn->frameNumber : -1, 41);
    release = true;
    lock.unlock();
    changed.notify_all();
    const EyePairPtr exact = film.Pair(Tone::Colour);
    EXPECT_EQ(exact ? exact->frameNumber : -1, 51);
    EXPECT_FALSE(film.Timing().StandIn(Tone::Colour)) << "the exact frame is there";
    EXPECT_EQ(film.Timing().NewestReady(42, 50), 50);
}

// Frames behind those due are decoded on the way to them but converted only
// now and then, the later the rarer. Far behind, a decoder of B-frames drops
// some, and the frames it gives are still placed where they belong.
TEST_F(VideoPairs, FramesBehindTheClockAreMostlyLeftUnconverted)
{
    for (const std::string bFrames : {"0", "3"}) {
        const std::string name = "b" + bFrames + ".mp4";
        ASSERT_TRUE(test::MakeVideo(dir, name, "-c:v libx264 -g 100 -frames:v 60 -bf " + bFrames));
        // Before the source, whose worker calls the hook until it goes.
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<int64_t> decoded, converted;
        std::unique_ptr<VideoSource> source = Source(name, {}, 0);
        // The worker rests once the 16 frames ahead of the cursor are kept.
        ASSERT_TRUE(source && source->Frame(16, true));
        source->SetDecodeHook([&](int64_t index, bool converts) {
            std::lock_guard lock(mutex);
            decoded.push_back(index);
            if (converts && index <= 41)
                converted.push_back(index);
            changed.notify_all();
        });
        source->Due(40, 40);
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !decoded.empty() && decoded.back() >= 41; });
        EXPECT_TRUE(std::is_sorted(decoded.begin(), decoded.end())) << name;
        if (bFrames == "0") {
            EXPECT_EQ(converted, (std::vector<int64_t>{25, 34, 38, 40, 41}));
            continue;
        }
        EXPECT_LT(decoded.size(), size_t(41 - 17 + 1)) << "none dropped";
        lock.unlock();
        const std::vector<uint8_t> reference = test::FfmpegFrames(dir.file(name));
        const size_t frameBytes = size_t(64) * 48 * 3;
        ASSERT_EQ(reference.size(), 60 * frameBytes);
        for (int64_t index = 41; index < 48; ++index) {
            const SharedPicture frame = source->Frame(index, true);
            ASSERT_TRUE(frame);
            EXPECT_LT(test::MeanDifference(frame->Eye(0, Tone::Colour), &reference[size_t(index) * frameBytes], 64 * 3), 3);
        }
    }
}

// A reader of frames far apart, as the subtitles' look-ahead, has only the
// frames it asks for converted: those between are decoded on the way.
TEST_F(VideoPairs, WithoutReadingAheadOnlyTheFramesAskedForAreConverted)
{
    ASSERT_TRUE(test::MakeVideo(dir, "apart.mp4", "-c:v libx264 -g 100 -frames:v 40 -bf 0"));
    std::mutex mutex;
    std::vector<int64_t> passed, converted;
    std::unique_ptr<VideoSource> source = Source("apart.mp4", {}, 0);
    ASSERT_TRUE(source && source->Frame(16, true));  // at rest, 16 ahead kept
    source->SetReadAhead(false);
    source->SetDecodeHook([&](int64_t index, bool converts) {
        std::lock_guard lock(mutex);
        (converts ? converted : passed).push_back(index);
    });
    for (const int64_t index : {20, 23}) {
        source->Aim(index, index, 1);
        ASSERT_TRUE(source->Frame(index, true));
    }
    std::lock_guard lock(mutex);
    EXPECT_EQ(passed, (std::vector<int64_t>{17, 18, 19, 21, 22}));
    EXPECT_EQ(converted, (std::vector<int64_t>{20, 23}));
}

// After Home the decoder is aimed backwards and stands far beyond the frame
// shown; playing aims it forward again, and the frames after the one shown,
// which it passed in an earlier leg, are decoded afresh rather than let go.
TEST_F(VideoPairs, PlayingAfterHomeDecodesAheadForward)
{
    ASSERT_TRUE(test::MakeVideo(dir, "back.mp4", "-c:v libx264 -g 4 -frames:v 30"));
    for (const bool twoView : {false, true}) {
        SCOPED_TRACE(twoView ? "two views" : "one view");
        const StereoLayout eyes = twoView ? StereoLayout{LayoutKind::SideBySide, false, false} : StereoLayout{};
        std::unique_ptr<VideoSource> source = Source("back.mp4", eyes, 4 * 64 * 48 * 3);
        ASSERT_TRUE(source);
        VideoSource& frames = *source;
        FilmPtr film;
        if (twoView)
            film = std::make_unique<TwoViewVideoFilm>(
                std::make_unique<VideoFrameSource>(dir.file("back.mp4"), std::move(source)),
                SourceLayout{eyes, LayoutOrigin::Name});
        else
            film = std::make_unique<VideoFilm>(dir.file("back.mp4"), std::move(source), SourceLayout{});
        // No partner apart, whose frames would be read ahead of it either way.
        film->SetShift(0);
        ASSERT_TRUE(film->Seek(20) && frames.Frame(23, true));
        EXPECT_EQ(film->Timing().NewestReady(21, 23), 23);
        ASSERT_TRUE(film->Seek(0) && !frames.Frame(2, false));
        std::mutex mutex;
        std::condition_variable converted;
        bool aheadConverted = false;
        frames.SetDecodeHook([&](int64_t index, bool converts) {
            std::lock_guard lock(mutex);
            aheadConverted = aheadConverted || (converts && index == 2);
            converted.notify_all();
        });
        film->Timing().SetPlaying(true);
        film->Timing().PlayingAt(0);
        std::unique_lock lock(mutex);
        EXPECT_TRUE(converted.wait_for(lock, std::chrono::seconds(30), [&] { return aheadConverted; }));
        lock.unlock();
        film->Timing().SetPlaying(false);
        frames.SetDecodeHook(nullptr);
    }
}

}  // namespace
}  // namespace plexo::video
