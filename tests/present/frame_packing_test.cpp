#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "present/compositor.h"

namespace plexo {
namespace {

using Pixel = std::array<uint8_t, 3>;  // blue, green, red
constexpr Pixel kBlack{0, 0, 0}, kRed{0, 0, 200}, kBlue{200, 0, 0};

// Flat eyes of several shapes: each eye fills exactly the block its aspect
// gives inside its area (columns [x0, x1), rows [y0, y1) from the area's
// top), black bars around it and in the band; swap exchanges the areas and
// D moves the eyes, cut to their areas.
struct Case {
    PresentationId id;
    int eyeWidth, eyeHeight;
    bool swap;
    int dist, x0, x1, y0, y1;
};

class FramePackingRows : public testing::TestWithParam<Case> {};

TEST_P(FramePackingRows, EachEyeFillsItsAspectsBlockInItsArea)
{
    const Case c = GetParam();
    const Presentation& row = PresentationOf(c.id);
    ASSERT_TRUE(row.packing && row.oneToOne);
    const FramePacking& packing = *row.packing;
    const PixelSize size = NaturalSize(row, c.eyeWidth, c.eyeHeight);
    ASSERT_TRUE(size.width == packing.eyeWidth && size.height == packing.height());
    std::vector<uint8_t> eyes[2];
    for (int i = 0; i < c.eyeWidth * c.eyeHeight * 6; ++i)
        eyes[i % 2].push_back((i % 2 ? kBlue : kRed)[size_t(i / 2 % 3)]);
    EyePair pair;
    pair.first = {eyes[0].data(), c.eyeWidth, c.eyeHeight, 3};
    pair.second = {eyes[1].data(), c.eyeWidth, c.eyeHeight, 3};
    FrameBuffer frame;
    ASSERT_TRUE(ComposeFrame(&pair, {{c.swap, c.dist, 0}, {0, 0, int32_t(size.width), int32_t(size.height)}}, row,
                             frame));
    const int h = packing.eyeHeight;
    int wrong = 0;  // pixels that are not the eye's colour inside its block, or black outside
    for (int y = 0; y < int(size.height); ++y)
        for (int x = 0; x < packing.eyeWidth; ++x) {
            const bool upper = y < h, lower = y >= h + packing.blank;
            const int ay = upper ? y : y - h - packing.blank;
            const int64_t shift = upper ? FirstShift(c.dist) : SecondShift(c.dist);
            const bool inside = (upper || lower) && ay >= c.y0 && ay < c.y1 && x >= c.x0 + shift && x < c.x1 + shift;
            const uint8_t* p = frame.view().row(frame.height() - 1 - y) + x * 3;
            wrong += Pixel{p[0], p[1], p[2]} != (inside ? (upper != c.swap ? kRed : kBlue) : kBlack);
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

// Ready only on a mode of its size; else the listed mode, else xrandr's lines.
TEST(PackedMode, ReadyOnlyOnItsSizeElseSaysHowToGetThere)
{
    const platform::DisplayMode hd{32, 1920, 1080, 60}, packed{32, 1920, 2205, 24};
    EXPECT_TRUE(CheckPackedMode(kFramePacking1080, {hd, packed}, packed, "HDMI-1").ready);
    const PackingCheck listed = CheckPackedMode(kFramePacking1080, {hd, packed}, hd, "HDMI-1");
    EXPECT_NE(listed.advice.find("\"32 bits 1920 by 2205 pixels 24 Hz\" in the Screen dialog"), std::string::npos);
    const PackingCheck missing = CheckPackedMode(kFramePacking720, {hd, packed}, hd, "HDMI-1");
    EXPECT_FALSE(listed.ready || missing.ready);
    EXPECT_NE(missing.advice.find("xrandr --newmode 1280x1470_60 148.50 1280 1390 1430 1650 1470 1475 1480 1500 "
                                  "+hsync +vsync\nxrandr --addmode HDMI-1 1280x1470_60"),
              std::string::npos);
}

}  // namespace
}  // namespace plexo
