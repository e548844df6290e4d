#include "present/flip_pair.h"

#include <gtest/gtest.h>

#include <tuple>

#include "present/placement.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

struct RectCase {
    int pictureWidth, pictureHeight;
    ViewRect expected;
    int sectionWidth;
};

class FlipPairRect : public testing::TestWithParam<RectCase> {};

TEST_P(FlipPairRect, ShrinksOnlyWhenThePictureIsSmallerBothWays)
{
    const RectCase& c = GetParam();
    test::PatternFilm film(2, {c.pictureWidth, c.pictureHeight});
    film.SetShift(1);
    FlipSections sections;
    ASSERT_TRUE(ComposeFlipSections(*film.Pair(Tone::Colour), {.dist = 21}, {100, 50, 740, 530}, sections));
    const auto corners = [](const ViewRect& r) { return std::tuple{r.left, r.top, r.right, r.bottom}; };
    EXPECT_EQ(corners(sections.rect), corners(c.expected));
    EXPECT_EQ(sections.first.width(), c.sectionWidth);
    EXPECT_EQ(sections.header().width, c.sectionWidth);
    EXPECT_EQ(sections.header().height, c.expected.bottom - c.expected.top);

    // Each eye with its own placement: the first moved by trunc(D/2) − D,
    // the partner (frame 1) by +D, both centred vertically.
    const int h = sections.first.height();
    for (const auto& [section, number, shift] :
         {std::tuple{&sections.first, 0, FirstShift(21)}, {&sections.second, 1, SecondShift(21)}}) {
        const Span cols = DisplacedSpan(c.pictureWidth, section->width(), shift);
        const Span rows = CentredSpan(c.pictureHeight, h);
        const uint8_t* px = section->bytes() + (size_t(rows.dst) * section->stride()) + size_t(cols.dst) * 3;
        EXPECT_EQ(px[0], test::PatternByte(number, int(cols.src), int(rows.src), 0));
        if (cols.dst > 0) {
            EXPECT_EQ(px[-3], 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FlipPairRect,
                         testing::Values(RectCase{300, 200, {270, 190, 570, 390}, 300},
                                         RectCase{301, 201, {269, 189, 571, 391}, 304},
                                         RectCase{640, 200, {100, 50, 740, 530}, 640},
                                         RectCase{300, 480, {100, 50, 740, 530}, 640}));

}  // namespace
}  // namespace plexo
