// Pairs rendered from a synthetic scene, a near layer 15 columns in front of
// a far one, with a known misalignment applied to the second eye.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "align/aligned_pair.h"
#include "align/estimate.h"
#include "align/frame_aligner.h"

namespace plexo::align {
namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr double kNear = -15, kFar = 4;

double Cells(double x, double y, double size, uint32_t seed)
{
    uint32_t h = uint32_t(int32_t(std::floor(x / size))) * 73856093u ^ uint32_t(int32_t(std::floor(y / size))) * 19349663u ^ seed;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return double(h & 255);
}

// The rectified eye's grey at a point: the near square seen `near` columns
// moved, the far texture `far` columns.
double Scene(double x, double y, double near, double far)
{
    const bool inNear = std::abs(x - near - 40) < 110 && std::abs(y + 20) < 90;
    const double at = inNear ? x - near : x - far;
    const uint32_t seed = inNear ? 7 : 1;
    return 0.6 * Cells(at, y, 13, seed) + 0.4 * Cells(at, y, 5, seed + 1);
}

// The eye as a bottom-up grey picture, 2×2 samples a pixel; the second eye
// is the rectified one seen through the misalignment (the correction's
// inverse).
std::vector<uint8_t> Render(bool second, const AlignModel& model)
{
    const Homography toRectified = SecondCorrection(model, kHeight / 2.0);
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight);
    for (int row = 0; row < kHeight; ++row) {
        for (int col = 0; col < kWidth; ++col) {
            double sum = 0;
            for (const double dy : {-0.25, 0.25})
                for (const double dx : {-0.25, 0.25}) {
                    double x = col + dx - (kWidth - 1) / 2.0, y = (kHeight - 1) / 2.0 - row + dy;
                    if (second) {
                        const auto p = *Apply(toRectified, x, y);
                        x = p[0];
                        y = p[1];
                    }
                    sum += second ? Scene(x, y, kNear, kFar) : Scene(x, y, 0, 0);
                }
            pixels[size_t(row) * kWidth + size_t(col)] = uint8_t(sum / 4);
        }
    }
    return pixels;
}

struct Case {
    const char* name;
    AlignModel applied;
};

class RecoveredModel : public testing::TestWithParam<Case> {};

TEST_P(RecoveredModel, WithinTolerancesAndDisparityKept)
{
    const AlignModel& applied = GetParam().applied;
    const std::vector<uint8_t> first = Render(false, {}), second = Render(true, applied);
    const Picture eyes[2] = {{first.data(), kWidth, kHeight, 1}, {second.data(), kWidth, kHeight, 1}};
    const AlignResult result = EstimateAlignment(eyes[0], eyes[1]);
    ASSERT_TRUE(result.alignment) << CouldNotAlignMessage(result.matches);
    const Alignment& found = *result.alignment;
    EXPECT_NEAR(found.model.vertical, applied.vertical, 0.2);
    EXPECT_NEAR(found.model.roll, applied.roll, 0.05);
    EXPECT_NEAR(found.model.scale, applied.scale, 0.001);
    EXPECT_NEAR(found.model.keystoneX, applied.keystoneX, 0.002);
    EXPECT_NEAR(found.model.keystoneY, applied.keystoneY, 0.002);
    // ORB's points are found to about half a pixel each.
    EXPECT_LT(found.medianResidual, 0.7);
    EXPECT_NEAR(found.nearDisparity, kNear, 1.5);

    // The aligned pair itself: nothing left to correct, the depth as it was.
    EyePair pair;
    pair.first = eyes[0];
    pair.second = eyes[1];
    const EyePairPtr aligned = AlignedPair(pair, found.model);
    ASSERT_TRUE(aligned);
    const AlignResult again = EstimateAlignment(aligned->first, aligned->second);
    ASSERT_TRUE(again.alignment);
    EXPECT_NEAR(again.alignment->model.vertical, 0, 0.2);
    EXPECT_NEAR(again.alignment->model.roll, 0, 0.05);
    EXPECT_NEAR(again.alignment->nearDisparity, kNear, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Misalignments, RecoveredModel,
                         testing::Values(Case{"vertical", {.vertical = 6.5}}, Case{"roll", {.roll = 1.5}},
                                         Case{"scale", {.scale = 1.02}},
                                         Case{"keystone", {.keystoneX = 0.02, .keystoneY = -0.015}},
                                         Case{"all", {-8, -2, 0.985, 0.01, 0.01, -1, false}}),
                         [](const auto& info) { return info.param.name; });

// A frame's estimate weighs kWeight against the frames before it; a frame
// number that goes back (a seek) starts afresh.
TEST(EveryFrame, SmoothsAndStartsAfreshAfterASeek)
{
    const std::vector<uint8_t> first = Render(false, {}), up = Render(true, {.vertical = 4}),
                               down = Render(true, {.vertical = -4});
    FrameAligner aligner;
    const auto show = [&](const std::vector<uint8_t>& second, int32_t frame) {
        EyePair pair;
        pair.first = {first.data(), kWidth, kHeight, 1};
        pair.second = {second.data(), kWidth, kHeight, 1};
        pair.frameNumber = frame;
        EXPECT_TRUE(aligner.Align(pair));
        return aligner.Current().value_or(AlignModel{}).vertical;
    };
    EXPECT_NEAR(show(up, 10), 4, 0.3);
    EXPECT_NEAR(show(down, 11), 4 - 8 * FrameAligner::kWeight, 0.3);
    EXPECT_NEAR(show(down, 3), -4, 0.3);
    // Frames staged side by side finish in any order: one that finishes
    // late is smoothed in its place, and the frames after it over it.
    EXPECT_NEAR(show(up, 50), 4, 0.3);
    EXPECT_NEAR(show(down, 52), 4 - 8 * FrameAligner::kWeight, 0.3);
    EXPECT_NEAR(show(down, 51), 4 - 8 * FrameAligner::kWeight, 0.3);
    EXPECT_NEAR(show(down, 53), -4 + 8 * 0.8 * 0.8 * 0.8, 0.3);
}

TEST(Window, NearestAtTheScreenPlane)
{
    // The second eye moves 2D − trunc(D/2) columns against the first.
    const std::pair<double, int> cases[] = {{-15, 10}, {0, 0}, {6, -4}, {-14.6, 10}};
    for (const auto& [near, dist] : cases) {
        Alignment alignment;
        alignment.nearDisparity = near;
        EXPECT_EQ(WindowDist(alignment), dist) << near;
    }
}

TEST(Refusal, FeaturelessPairLeftAsItIs)
{
    const std::vector<uint8_t> flat(size_t(kWidth) * kHeight, 128);
    const Picture eye{flat.data(), kWidth, kHeight, 1};
    const AlignResult result = EstimateAlignment(eye, eye);
    EXPECT_FALSE(result.alignment);
    EXPECT_EQ(CouldNotAlignMessage(result.matches), "could not align: 0 matches");
}

TEST(RecordField, ReadsBackWhatItWritesAndNothingElse)
{
    const AlignModel model{1.25, -0.8, 1.013, 0.0002, -0.0001, 0.21, true};
    EXPECT_EQ(ParseAlignModel(AlignModelText(model)), model);
    for (const char* bad : {"", "1,2,3", "1,0,1,0,0,0,cut", "1,0,0,0,0,0", "1,0,1,0,0,0,crop,x", "nan,0,1,0,0,0", "1,90,1,0,0,0", "1,0,1,0,0,1e300"})
        EXPECT_FALSE(ParseAlignModel(bad)) << bad;
}

TEST(RecordField, TheLineShowsNoNegativeZero)
{
    EXPECT_EQ(AlignedLine({-0.04, -0.04, 0.9999996}), "aligned: vertical 0.0 px, roll 0.0\u00b0, scale 0.0 %");
}

}  // namespace
}  // namespace plexo::align
