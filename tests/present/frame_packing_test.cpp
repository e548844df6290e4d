#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "present/compositor.h"
#include "present/eye_scale.h"
#include "present/frame_packing.h"

namespace plexo {
namespace {

using Pixel = std::array<uint8_t, 3>;  // blue, green, red

std::vector<uint8_t> Flat(int width, int height, Pixel p)
{
    std::vector<uint8_t> bytes(size_t(width) * size_t(height) * 3);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = p[i % 3];
    return bytes;
}

Pixel At(FrameBuffer& frame, int x, int rowFromTop)
{
    const uint8_t* p = frame.view().row(frame.height() - 1 - rowFromTop) + x * 3;
    return {p[0], p[1], p[2]};
}

constexpr Pixel kBlack{0, 0, 0}, kRed{0, 0, 200}, kBlue{200, 0, 0};

// Flat eyes of several shapes through both rows: each eye fills exactly the
// block its aspect gives inside its area, black bars around, the band black;
// swap exchanges the areas and D moves both eyes apart, cut to their areas.
struct Case {
    PresentationId id;
    int eyeWidth, eyeHeight;
    bool swap;
    int dist;
    // The eye's block in its area: columns [x0, x1), rows from the area's top [y0, y1).
    int x0, x1, y0, y1;
};

class FramePackingRows : public testing::TestWithParam<Case> {};

TEST_P(FramePackingRows, EachEyeFillsItsAspectsBlockInItsArea)
{
    const Case c = GetParam();
    const Presentation& row = PresentationOf(c.id);
    ASSERT_TRUE(row.packing && row.oneToOne);
    const FramePacking& packing = *row.packing;
    const PixelSize natural = NaturalSize(row, c.eyeWidth, c.eyeHeight);
    ASSERT_EQ(natural.width, packing.eyeWidth);
    ASSERT_EQ(natural.height, 2 * packing.eyeHeight + packing.blank);
    const auto first = Flat(c.eyeWidth, c.eyeHeight, kRed), second = Flat(c.eyeWidth, c.eyeHeight, kBlue);
    EyePair pair;
    pair.first = {first.data(), c.eyeWidth, c.eyeHeight, 3};
    pair.second = {second.data(), c.eyeWidth, c.eyeHeight, 3};
    FrameBuffer frame;
    const ComposeContext context{{.swap = c.swap, .dist = c.dist, .vertical = 0},
                                 {0, 0, int32_t(natural.width), int32_t(natural.height)}};
    ASSERT_TRUE(ComposeFrame(&pair, context, row, frame));
    const Pixel top = c.swap ? kBlue : kRed, bottom = c.swap ? kRed : kBlue;
    const int first_shift = FirstShift(c.dist), second_shift = SecondShift(c.dist);
    const int h = packing.eyeHeight, w = packing.eyeWidth;
    int wrong = 0;
    for (int y = 0; y < int(natural.height); ++y)
        for (int x = 0; x < w; ++x) {
            const bool upper = y < h, lower = y >= h + packing.blank;
            const int ay = upper ? y : y - h - packing.blank;
            const int shift = upper ? first_shift : second_shift;
            const bool inside = (upper || lower) && ay >= c.y0 && ay < c.y1 && x >= c.x0 + shift && x < c.x1 + shift;
            wrong += At(frame, x, y) != (inside ? (upper ? top : bottom) : kBlack);
        }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, FramePackingRows,
    testing::Values(Case{PresentationId::FramePacking1080, 1920, 1080, false, 0, 0, 1920, 0, 1080},
                    Case{PresentationId::FramePacking1080, 640, 480, true, 0, 240, 1680, 0, 1080},
                    Case{PresentationId::FramePacking1080, 2390, 1000, false, 0, 0, 1920, 139, 942},
                    Case{PresentationId::FramePacking720, 1920, 1080, false, 10, 0, 1280, 0, 720},
                    Case{PresentationId::FramePacking720, 100, 100, false, -4, 280, 1000, 0, 720}));

// A gradient halved or enlarged keeps its mean and stays within its range.
TEST(EyeScale, ResamplingKeepsTheLevels)
{
    std::vector<uint8_t> ramp(64 * 8 * 3);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = uint8_t(i / 3 % 64 * 4);
    const Picture picture(ramp.data(), 64, 8, 3);
    for (const int scaled : {32, 100}) {
        FrameBuffer frame;
        ASSERT_TRUE(frame.Prepare(scaled, 8));
        ScaleColourBlock(picture, scaled, 8, {0, 0, 8}, {0, 0, scaled}, frame.view());
        int64_t sum = 0;
        for (int x = 0; x < scaled; ++x) {
            sum += frame.view().row(3)[x * 3];
            if (x > 0) {
                EXPECT_GE(frame.view().row(3)[x * 3], frame.view().row(3)[(x - 1) * 3]) << scaled;
            }
        }
        EXPECT_NEAR(double(sum) / scaled, 126.0, 1.0) << scaled;
    }
}

// Ready only on a mode of the frame's size; else the listed mode to choose,
// else the xrandr lines with the HDMI 1.4a timings.
TEST(PackedMode, ReadyOnlyOnItsSizeElseSaysHowToGetThere)
{
    using platform::DisplayMode;
    const DisplayMode hd{32, 1920, 1080, 60}, packed{32, 1920, 2205, 24};
    EXPECT_TRUE(CheckPackedMode(kFramePacking1080, {hd, packed}, packed, "HDMI-1").ready);
    const PackingCheck listed = CheckPackedMode(kFramePacking1080, {hd, packed}, hd, "HDMI-1");
    EXPECT_FALSE(listed.ready);
    EXPECT_NE(listed.advice.find("\"32 bits 1920 by 2205 pixels 24 Hz\" in the Screen dialog"), std::string::npos);
    const PackingCheck missing = CheckPackedMode(kFramePacking720, {hd, packed}, hd, "HDMI-1");
    EXPECT_FALSE(missing.ready);
    EXPECT_NE(missing.advice.find("xrandr --newmode 1280x1470_60 148.50 1280 1390 1430 1650 1470 1475 1480 1500 "
                                  "+hsync +vsync\nxrandr --addmode HDMI-1 1280x1470_60"),
              std::string::npos)
        << missing.advice;
}

}  // namespace
}  // namespace plexo
