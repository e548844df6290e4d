// The automatic depth over made scenes whose content stands at known
// disparities, and its bound in front of what was measured.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "subtitle/disparity.h"
#include "subtitle/subtitle_depth.h"

namespace plexo::subtitle {
namespace {

// A layer of a scene: its grey level at a point of its own, or -1 where it
// is not; laid over the layers before it, its first eye's copy moved right
// by ⌈d/2⌉ and its second's left by ⌊d/2⌋.
struct Layer {
    int disparity;
    std::function<int(int x, int y)> grey;
};

struct Scene {
    const char* name;
    int width, height;
    std::vector<Layer> layers;
    Box box;
    int nearest;
};

int Noise(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(seed) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    return int(h >> 24);
}

std::function<int(int, int)> NoiseIn(int x0, int y0, int x1, int y1, int seed)
{
    return [=](int x, int y) { return x >= x0 && x < x1 && y >= y0 && y < y1 ? Noise(x, y, seed) : -1; };
}

PictureBuffer Eye(const Scene& scene, bool first)
{
    PictureBuffer eye = PictureBuffer::allocate(scene.width, scene.height, 1);
    for (int y = 0; y < scene.height; ++y)
        for (int x = 0; x < scene.width; ++x) {
            int grey = 0;
            for (const Layer& layer : scene.layers) {
                const int half = layer.disparity / 2;
                const int v = layer.grey(first ? x - (layer.disparity - half) : x + half, y);
                grey = v >= 0 ? v : grey;
            }
            eye.row(scene.height - 1 - y)[x] = uint8_t(grey);
        }
    return eye;
}

TEST(SubtitleDepth, StandsInFrontOfTheNearestContentUnderTheBox)
{
    const auto grid = [](int x, int y) { return x % 40 < 3 || y % 40 < 3 ? 230 : 40; };
    const auto everywhere = [](int seed) { return NoiseIn(-200, -200, 4000, 4000, seed); };
    const Scene scenes[] = {
        // Lines 40 pixels apart on the screen plane match as well a period
        // or two away; the square in front of them is what counts.
        {"grid", 1920, 540, {{0, grid}, {24, NoiseIn(900, 400, 1100, 540, 2)}}, {500, 420, 960, 100}, 24},
        {"small grid", 640, 240, {{0, grid}, {24, NoiseIn(250, 150, 330, 240, 2)}}, {120, 160, 400, 64}, 24},
        // A flat bar wider than the box, over a dim wall: its depth shows at
        // its ends only.
        {"uniform bar",
         1280,
         360,
         {{0, [](int x, int y) { return 40 + Noise(x / 6, y / 6, 3) / 8; }},
          {20, [](int x, int y) { return x >= 200 && x < 1000 && y >= 250 && y < 350 ? 250 : -1; }}},
         {400, 270, 480, 64},
         20},
        {"textured", 1280, 360, {{0, everywhere(1)}, {24, NoiseIn(600, 200, 800, 360, 2)}}, {400, 260, 480, 80}, 24},
    };
    for (const Scene& scene : scenes) {
        const PictureBuffer first = Eye(scene, true), second = Eye(scene, false);
        const std::optional<int> nearest = NearestDisparity(first.view(), second.view(), scene.box, 96);
        EXPECT_EQ(nearest, scene.nearest) << scene.name;
        EXPECT_EQ(AutoDepth().Next(0, 2'000'000, nearest, std::nullopt), scene.nearest + kDepthMargin) << scene.name;
    }
}

TEST(SubtitleDepth, NeverStandsFarInFrontOfWhatWasMeasured)
{
    AutoDepth depth;
    // A short event's content recedes: the depth it held comes down to the
    // bound, unless the look over the event ahead found nearer content.
    EXPECT_EQ(depth.Next(0, 2'000'000, 30, std::nullopt), 32);
    EXPECT_EQ(depth.Next(0, 2'000'000, 10, std::nullopt), 10 + kDepthMargin + kMaxDepthBeyond);
    EXPECT_EQ(depth.Next(0, 2'000'000, std::nullopt, std::nullopt), 20);
    EXPECT_EQ(depth.Next(3'000'000, 5'000'000, 4, 40), 42);
    EXPECT_EQ(depth.Next(3'000'000, 5'000'000, 0, 40), 42);
    // A long one, at once rather than a pixel a frame.
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 30, 30), 32);
    EXPECT_EQ(depth.Next(5'000'000, 20'000'000, 2, 30), 2 + kDepthMargin + kMaxDepthBeyond);
}

}  // namespace
}  // namespace plexo::subtitle
