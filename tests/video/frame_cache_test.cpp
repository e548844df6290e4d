#include <gtest/gtest.h>

#include "video/frame_cache.h"

namespace plexo::video {
namespace {

// A decoded frame of one buffer of `bytes`.
SharedFrame FrameOf(int bytes)
{
    FrameHandle frame(av_frame_alloc());
    frame->buf[0] = av_buffer_alloc(size_t(bytes));
    return Share(std::move(frame));
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

}  // namespace
}  // namespace plexo::video
