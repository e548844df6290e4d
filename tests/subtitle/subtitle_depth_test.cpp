// The automatic depth over made scenes whose nearest content stands at a
// known disparity, and its bound in front of what was measured.

#include <gtest/gtest.h>

#include "subtitle/disparity.h"
#include "subtitle/subtitle_depth.h"

namespace plexo::subtitle {
namespace {

enum class Look { Grid, Noise, DimWall, White };

int Grey(Look look, int x, int y)
{
    switch (look) {
    case Look::Grid:
        return x % 40 < 3 || y % 40 < 3 ? 230 : 40;
    case Look::Noise:
        return int(((uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u) * 0x5bd1e995u) >> 24);
    case Look::DimWall:
        return 40 + Grey(Look::Noise, x / 6, y / 6) / 8;
    case Look::White:
        break;
    }
    return 250;
}

// A background on the screen plane and an object `d` pixels in front of it,
// its first eye's copy ⌈d/2⌉ right and its second's ⌊d/2⌋ left.
struct Scene {
    const char* name;
    int width, height;
    Look back, near;
    Box object;
    int d;
    Box box;
};

PictureBuffer Eye(const Scene& s, bool first)
{
    PictureBuffer eye = PictureBuffer::allocate(s.width, s.height, 1);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const int ox = first ? x - (s.d - s.d / 2) : x + s.d / 2;
            const bool in = ox >= s.object.x && ox < s.object.x + s.object.width && y >= s.object.y &&
                            y < s.object.y + s.object.height;
            eye.row(s.height - 1 - y)[x] = uint8_t(in ? Grey(s.near, ox + 5000, y) : Grey(s.back, x, y));
        }
    return eye;
}

TEST(SubtitleDepth, StandsInFrontOfTheNearestContentUnderTheBox)
{
    const Scene scenes[] = {
        // Lines 40 pixels apart match as well a period or two away.
        {"grid", 1920, 540, Look::Grid, Look::Noise, {900, 400, 200, 140}, 24, {500, 420, 960, 100}},
        {"small grid", 640, 240, Look::Grid, Look::Noise, {250, 150, 80, 90}, 24, {120, 160, 400, 64}},
        // A flat bar wider than the box shows its depth at its ends only.
        {"uniform bar", 1280, 360, Look::DimWall, Look::White, {200, 250, 800, 100}, 20, {400, 270, 480, 64}},
        {"textured", 1280, 360, Look::Noise, Look::Noise, {600, 200, 200, 160}, 24, {400, 260, 480, 80}},
    };
    for (const Scene& s : scenes) {
        const std::optional<int> nearest = NearestDisparity(Eye(s, true).view(), Eye(s, false).view(), s.box, 96);
        EXPECT_EQ(nearest, s.d) << s.name;
        EXPECT_EQ(AutoDepth().Next(0, 2'000'000, nearest, std::nullopt), s.d + kDepthMargin) << s.name;
    }
}

// Content that recedes under a held depth brings it down to the bound, at
// once, unless the look over the event ahead found nearer content.
TEST(SubtitleDepth, NeverStandsFarInFrontOfWhatWasMeasured)
{
    constexpr int kBound = kDepthMargin + kMaxDepthBeyond;
    AutoDepth depth;
    EXPECT_EQ(depth.Next(0, 2'000'000, 30, std::nullopt), 32);
    EXPECT_EQ(depth.Next(0, 2'000'000, 10, std::nullopt), 10 + kBound);
    EXPECT_EQ(depth.Next(0, 2'000'000, std::nullopt, std::nullopt), 10 + kBound);
    EXPECT_EQ(depth.Next(3'000'000, 5'000'000, 4, 40), 42);
    EXPECT_EQ(depth.Next(3'000'000, 5'000'000, 0, 40), 42);
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 30, 30), 32);
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 2, 30), 2 + kBound);
}

}  // namespace
}  // namespace plexo::subtitle
