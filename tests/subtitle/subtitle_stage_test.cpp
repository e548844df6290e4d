// The stage's buffers, handed back by the pairs drawn into them.

#include <gtest/gtest.h>

#include <algorithm>

#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {
namespace {

// One event over the whole film, drawn as a small white box.
class BoxSource final : public SubtitleSource {
public:
    const SubtitleBitmap& Render(int64_t, const Canvas&) override { return bitmap_; }
    std::optional<EventSpan> EventAt(int64_t) const override { return EventSpan{0, 1'000'000}; }
    std::optional<EventSpan> NextEvent(int64_t) const override { return std::nullopt; }

private:
    SubtitleBitmap bitmap_ = [] {
        SubtitleBitmap b = ClearBitmap(2, 2, 4, 4);
        std::fill(b.bgra.begin(), b.bgra.end(), uint8_t(255));
        return b;
    }();
};

// A pair's buffers come back to the stage when its last holder lets it go,
// and only then; a pair outlives the stage that drew it.
TEST(SubtitleStage, ReusesTheBuffersOfPairsLetGo)
{
    const PictureBuffer eye = [] {
        PictureBuffer b = PictureBuffer::allocate(16, 8, 3);
        std::fill(b.bytes.get(), b.bytes.get() + b.byteCount(), uint8_t(7));
        return b;
    }();
    auto pair = std::make_shared<EyePair>(EyePair{eye.view(), eye.view(), 0, 0, 0, {}});
    auto stage = std::make_unique<SubtitleStage>(std::make_unique<BoxSource>());
    StageOptions options;
    options.depth = {DepthMode::Fixed, 2};
    EyePairPtr held = stage->Apply(pair, options);
    ASSERT_TRUE(held && held != pair);
    const uint8_t* const firstBytes = held->first.data;
    const EyePairPtr other = stage->Apply(pair, options);
    ASSERT_TRUE(other);
    EXPECT_NE(other->first.data, firstBytes);
    held.reset();
    EXPECT_EQ(stage->Apply(pair, options)->first.data, firstBytes);
    stage.reset();
    EXPECT_EQ(other->first.data[0], 7);
}

}  // namespace
}  // namespace plexo::subtitle
