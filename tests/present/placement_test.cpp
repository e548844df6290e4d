#include <gtest/gtest.h>

#include <climits>

#include "present/placement.h"

namespace plexo {
namespace {

struct SpanCase {
    int64_t picture;
    int64_t frame;
    int64_t shift;
    Span expected;
};

void PrintTo(const SpanCase& c, std::ostream* os)
{
    *os << "picture " << c.picture << " frame " << c.frame << " shift " << c.shift;
}

void ExpectSpan(Span got, Span want)
{
    if (want.count <= 0) {
        EXPECT_LE(got.count, 0);
        return;
    }
    EXPECT_EQ(got.src, want.src);
    EXPECT_EQ(got.dst, want.dst);
    EXPECT_EQ(got.count, want.count);
}

class Centred : public ::testing::TestWithParam<SpanCase> {};

TEST_P(Centred, CropsEquallyAndCentres)
{
    ExpectSpan(CentredSpan(GetParam().picture, GetParam().frame), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placement, Centred,
    ::testing::Values(
                      // An odd extra row is lost at the far end (the top).
                      SpanCase{6, 3, 0, {1, 0, 3}},
                      SpanCase{INT_MAX, 4, 0, {1073741821, 0, 4}},
                      SpanCase{0, 5, 0, {}},
                      SpanCase{5, 0, 0, {}},
                      SpanCase{-4, 8, 0, {}}));

class Displaced : public ::testing::TestWithParam<SpanCase> {};

TEST_P(Displaced, PlacesTheCentreShiftColumnsFromTheFrameCentre)
{
    const SpanCase& c = GetParam();
    const Span s = DisplacedSpan(c.picture, c.frame, c.shift);
    ExpectSpan(s, c.expected);
    if (s.count > 0) {
        EXPECT_GE(s.src, 0);
        EXPECT_GE(s.dst, 0);
        EXPECT_LE(s.src + s.count, c.picture);
        EXPECT_LE(s.dst + s.count, c.frame);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Placement, Displaced,
    ::testing::Values(SpanCase{5, 8, 0, {0, 1, 5}},
                      SpanCase{4, 8, 5, {0, 7, 1}},
                      SpanCase{4, 8, -5, {3, 0, 1}},
                      // Just beyond the half width on either side: nothing lands.
                      SpanCase{4, 8, 6, {}},
                      SpanCase{4, 8, -6, {}},
                      SpanCase{10, 8, 0, {1, 0, 8}},
                      SpanCase{INT_MAX, 8, 0, {1073741820, 0, 8}},
                      SpanCase{4, 8, int64_t(INT_MIN), {}},
                      SpanCase{4, 8, int64_t(INT_MAX), {}},
                      SpanCase{0, 8, 0, {}},
                      SpanCase{4, 0, 0, {}}));

TEST(Placement, StereoShiftsAreNotMirrorImages)
{
    EXPECT_EQ(FirstShift(21), -11);
    EXPECT_EQ(SecondShift(21), 21);
    EXPECT_EQ(FirstShift(-3), 2);
    EXPECT_EQ(SecondShift(-3), -3);
    EXPECT_EQ(FirstShift(0), 0);
    EXPECT_EQ(FirstShift(INT_MIN), 1073741824);
    EXPECT_EQ(FirstShift(INT_MAX), -1073741824);
}

}  // namespace
}  // namespace plexo
