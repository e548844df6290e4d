#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "present/compositor.h"
#include "present/placement.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

using test::PatternByte;
using test::PatternFilm;

// One picture as it should land: the frame numbered `number`, its block
// rows × cols, relative rows firstRow, firstRow + rowStep, …; a grey picture
// goes to `channel`, a colour one (channel < 0) to all three.
struct Layer {
    int number;
    Span rows;
    Span cols;
    int channel = -1;
    int firstRow = 0;
    int rowStep = 1;
};

// The frame painted by hand from layers, in order, on black.
std::vector<uint8_t> Expected(int width, int height, const std::vector<Layer>& layers)
{
    std::vector<uint8_t> bytes(size_t(width) * 3 * size_t(height), 0);
    for (const Layer& l : layers)
        for (int64_t r = l.firstRow; r < l.rows.count; r += l.rowStep)
            for (int64_t i = 0; i < l.cols.count; ++i) {
                uint8_t* px = &bytes[size_t((l.rows.dst + r) * width + l.cols.dst + i) * 3];
                const int x = int(l.cols.src + i), y = int(l.rows.src + r);
                if (l.channel >= 0)
                    px[l.channel] = PatternByte(l.number, x, y, 0);
                else
                    for (int c = 0; c < 3; ++c)
                        px[c] = PatternByte(l.number, x, y, c);
            }
    return bytes;
}

void ExpectFrame(const FrameBuffer& frame, int width, int height, const std::vector<Layer>& layers)
{
    ASSERT_EQ(frame.width(), width);
    ASSERT_EQ(frame.height(), height);
    const std::vector<uint8_t> want = Expected(width, height, layers);
    const std::vector<uint8_t> got(frame.bytes(), frame.bytes() + frame.byteCount());
    for (size_t i = 0; i < want.size(); ++i)
        if (got[i] != want[i]) {
            const size_t px = i / 3;
            ADD_FAILURE() << "pixel (" << px % size_t(width) << ", " << px / size_t(width) << ") byte " << i % 3
                          << ": " << int(got[i]) << " instead of " << int(want[i]);
            return;
        }
}

// A film at frame 0 whose partner is frame 1, both of one size.
std::unique_ptr<PatternFilm> PairOfFrames(int width, int height)
{
    auto film = PatternFilm::Uniform(2, width, height);
    film->SetShift(1);
    return film;
}

ViewRect View(int width, int height, int top = 0) { return {10, top, 10 + width, top + height}; }

// ---- Plain

struct PlainCase {
    int pw, ph, w, h;
    int wp;
    Span cols, rows;
};

class Plain : public ::testing::TestWithParam<PlainCase> {};

TEST_P(Plain, CentresAndCropsTheColourPicture)
{
    const PlainCase& c = GetParam();
    auto film = PairOfFrames(c.pw, c.ph);
    FrameBuffer frame;
    // Stereo off, or page flipping with no page flipper at hand.
    ASSERT_TRUE(ComposeFrame(film.get(), 21, View(c.w, c.h), false, kPresentRedBlue, frame));
    ExpectFrame(frame, c.wp, c.h, {{0, c.rows, c.cols}});
    ASSERT_TRUE(ComposeFrame(film.get(), 21, View(c.w, c.h), true, 3, frame));
    ExpectFrame(frame, c.wp, c.h, {{0, c.rows, c.cols}});
}

INSTANTIATE_TEST_SUITE_P(
    Compositors, Plain,
    ::testing::Values(PlainCase{4, 2, 4, 2, 4, {0, 0, 4}, {0, 0, 2}},
                      // A picture as wide as the view fills it; only the
                      // padding beyond the view stays dark.
                      PlainCase{641, 1, 641, 1, 644, {0, 0, 641}, {0, 0, 1}},
                      PlainCase{6, 5, 4, 2, 4, {1, 0, 4}, {1, 0, 2}},
                      PlainCase{3, 3, 5, 2, 8, {0, 1, 3}, {0, 0, 2}},
                      PlainCase{2, 1, 3, 6, 4, {0, 0, 2}, {0, 2, 1}}));

// ---- Red-blue

struct RedBlueCase {
    int pw, ph, w, h, dist;
    int wp;
    Span rows, redCols, blueCols;
};

class RedBlue : public ::testing::TestWithParam<RedBlueCase> {};

TEST_P(RedBlue, FirstGreyInRedAndPartnerInBlue)
{
    const RedBlueCase& c = GetParam();
    auto film = PairOfFrames(c.pw, c.ph);
    FrameBuffer frame;
    ASSERT_TRUE(ComposeFrame(film.get(), c.dist, View(c.w, c.h), true, kPresentRedBlue, frame));
    ExpectFrame(frame, c.wp, c.h, {{0, c.rows, c.redCols, 2}, {1, c.rows, c.blueCols, 0}});
}

INSTANTIATE_TEST_SUITE_P(
    Compositors, RedBlue,
    ::testing::Values(RedBlueCase{4, 2, 8, 2, 0, 8, {0, 0, 2}, {0, 2, 4}, {0, 2, 4}},
                      RedBlueCase{4, 2, 8, 2, 5, 8, {0, 0, 2}, {1, 0, 3}, {0, 7, 1}},
                      // Negative D: the first moves right, the second left.
                      RedBlueCase{4, 2, 8, 2, -3, 8, {0, 0, 2}, {0, 4, 4}, {1, 0, 3}},
                      RedBlueCase{5, 5, 7, 2, 2, 8, {1, 0, 2}, {0, 0, 5}, {0, 3, 5}},
                      RedBlueCase{3, 2, 2, 5, 1, 4, {0, 1, 2}, {1, 0, 2}, {0, 1, 3}},
                      // D beyond the half width: the partner falls outside.
                      RedBlueCase{4, 2, 8, 2, 9, 8, {0, 0, 2}, {3, 0, 1}, {}},
                      RedBlueCase{4, 2, 8, 2, INT_MAX, 8, {0, 0, 2}, {}, {}},
                      RedBlueCase{4, 2, 8, 2, INT_MIN, 8, {0, 0, 2}, {}, {}}));

// ---- Interlaced

struct InterlacedCase {
    int pw, ph, w, h, dist, top;
    int wp;
    int evenNumber;  // the frame on the even relative rows
    Span rows, evenCols, oddCols;
};

class Interlaced : public ::testing::TestWithParam<InterlacedCase> {};

TEST_P(Interlaced, AlternateRowsFollowTheTopEdgeParity)
{
    const InterlacedCase& c = GetParam();
    auto film = PairOfFrames(c.pw, c.ph);
    FrameBuffer frame;
    ASSERT_TRUE(ComposeFrame(film.get(), c.dist, View(c.w, c.h, c.top), true, kPresentInterlaced, frame));
    ExpectFrame(frame, c.wp, c.h,
                {{c.evenNumber, c.rows, c.evenCols, -1, 0, 2}, {1 - c.evenNumber, c.rows, c.oddCols, -1, 1, 2}});
}

INSTANTIATE_TEST_SUITE_P(
    Compositors, Interlaced,
    ::testing::Values(InterlacedCase{4, 4, 8, 4, 0, 0, 8, 1, {0, 0, 4}, {0, 2, 4}, {0, 2, 4}},
                      // One row lower on the screen swaps the eyes.
                      InterlacedCase{4, 4, 8, 4, 0, 1, 8, 0, {0, 0, 4}, {0, 2, 4}, {0, 2, 4}},
                      InterlacedCase{4, 4, 8, 4, 0, -3, 8, 0, {0, 0, 4}, {0, 2, 4}, {0, 2, 4}},
                      // Rows relative to a band that starts on buffer row 1.
                      InterlacedCase{4, 3, 6, 5, 3, 0, 8, 1, {0, 1, 3}, {0, 0, 4}, {0, 5, 3}},
                      InterlacedCase{4, 1, 4, 1, 0, 0, 4, 1, {0, 0, 1}, {0, 0, 4}, {0, 0, 4}},
                      InterlacedCase{4, 2, 8, 2, INT_MIN, 7, 8, 0, {0, 0, 2}, {}, {}}));

// ---- Missing pictures

// Frame 0 and its partner, frame 1, either of which may have no picture.
std::unique_ptr<PatternFilm> PairWithMissing(bool firstMissing, bool partnerMissing)
{
    auto film = std::make_unique<PatternFilm>(
        std::vector<int>{0, 1},
        std::vector<test::FrameSize>{{firstMissing ? 0 : 4, 2}, {partnerMissing ? 0 : 4, 2}});
    film->SetShift(1);
    return film;
}

TEST(MissingPictures, AMissingFirstPictureIsAllBlackAndAMissingSecondLeavesItsShareBlack)
{
    for (const int presentation : {0, kPresentRedBlue, kPresentInterlaced}) {
        auto film = PairWithMissing(true, false);
        FrameBuffer frame;
        // An odd top makes the current frame the first, even-row picture.
        ASSERT_TRUE(ComposeFrame(film.get(), 0, View(8, 2, 1), presentation != 0, presentation, frame));
        ExpectFrame(frame, 8, 2, {});
    }
    auto film = PairWithMissing(false, true);
    FrameBuffer frame;
    ASSERT_TRUE(ComposeFrame(film.get(), 0, View(8, 2), true, kPresentRedBlue, frame));
    ExpectFrame(frame, 8, 2, {{0, {0, 0, 2}, {0, 2, 4}, 2}});
    ASSERT_TRUE(ComposeFrame(film.get(), 0, View(8, 2, 1), true, kPresentInterlaced, frame));
    ExpectFrame(frame, 8, 2, {{0, {0, 0, 2}, {0, 2, 4}, -1, 0, 2}});
}

// ---- Choice, frame sizes and reuse

TEST(ChooseCompositor, FollowsTheStereoFlagThenThePresentation)
{
    EXPECT_EQ(ChooseCompositor(false, kPresentRedBlue, true), Compositor::Plain);
    EXPECT_EQ(ChooseCompositor(true, kPresentRedBlue, true), Compositor::RedBlue);
    EXPECT_EQ(ChooseCompositor(true, kPresentInterlaced, false), Compositor::Interlaced);
    EXPECT_EQ(ChooseCompositor(true, 0, true), Compositor::FlipPair);
    EXPECT_EQ(ChooseCompositor(true, 3, false), Compositor::Plain);
}

TEST(ComposeFrameEntry, EmptyInvertedAndOversizedViews)
{
    auto film = PairOfFrames(4, 2);
    FrameBuffer frame;
    EXPECT_TRUE(ComposeFrame(film.get(), 21, View(0, 5), true, kPresentInterlaced, frame));
    EXPECT_TRUE(ComposeFrame(film.get(), 21, View(5, 0), true, kPresentRedBlue, frame));
    EXPECT_FALSE(frame.picture());
    EXPECT_FALSE(ComposeFrame(film.get(), 21, {10, 10, 9, 20}, false, 0, frame));
    EXPECT_FALSE(ComposeFrame(film.get(), 21, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, false, 0, frame));
    EXPECT_FALSE(ComposeFrame(film.get(), 21, {0, 0, 40000, 40000}, false, 0, frame));
    EXPECT_EQ(frame.width() + frame.height(), 0);
    EXPECT_TRUE(ComposeFrame(nullptr, 21, View(4, 2), true, kPresentRedBlue, frame));
    ExpectFrame(frame, 4, 2, {});
}

TEST(FrameBufferReuse, GrowsNeverShrinksAndClearsOldPixels)
{
    auto film = PairOfFrames(8, 8);
    FrameBuffer frame;
    ASSERT_TRUE(ComposeFrame(film.get(), 0, View(8, 8), false, 0, frame));
    const uint8_t* bytes = frame.bytes();
    ASSERT_TRUE(ComposeFrame(film.get(), 0, View(8, 8), false, 0, frame));
    EXPECT_EQ(frame.bytes(), bytes);
    // A smaller view reuses the storage; what the larger frame left is gone.
    auto small = PairOfFrames(1, 1);
    ASSERT_TRUE(ComposeFrame(small.get(), 0, View(5, 3), false, 0, frame));
    EXPECT_EQ(frame.bytes(), bytes);
    EXPECT_EQ(frame.capacity(), 8u * 8u * 3u);
    ExpectFrame(frame, 8, 3, {{0, {0, 1, 1}, {0, 2, 1}}});
    ASSERT_TRUE(ComposeFrame(film.get(), 0, View(16, 8), false, 0, frame));
    EXPECT_EQ(frame.capacity(), 16u * 8u * 3u);
}

}  // namespace
}  // namespace plexo
