#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "present/compositor.h"
#include "present/placement.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

using test::PatternByte;

// One picture as it should land: the frame numbered `number`, its block
// rows × cols, relative rows firstRow, firstRow + rowStep, …; a grey picture
// goes to `channel`, a colour one (channel < 0) to all three.
struct Layer {
    int number;
    Span rows, cols;
    int channel = -1, firstRow = 0, rowStep = 1;
};

// Paints the layers by hand on black and reports the first byte that differs.
void ExpectFrame(const FrameBuffer& frame, int width, int height, const std::vector<Layer>& layers)
{
    ASSERT_EQ(frame.width(), width);
    ASSERT_EQ(frame.height(), height);
    std::vector<uint8_t> want(size_t(width) * 3 * size_t(height), 0);
    for (const Layer& l : layers)
        for (int64_t r = l.firstRow; r < l.rows.count; r += l.rowStep)
            for (int64_t i = 0; i < l.cols.count; ++i)
                for (int c = 0; c < 3; ++c)
                    if (l.channel < 0 || l.channel == c)
                        want[size_t((l.rows.dst + r) * width + l.cols.dst + i) * 3 + size_t(c)] = PatternByte(
                            l.number, int(l.cols.src + i), int(l.rows.src + r), l.channel < 0 ? c : 0);
    for (size_t i = 0; i < want.size(); ++i)
        if (frame.bytes()[i] != want[i]) {
            ADD_FAILURE() << "pixel (" << i / 3 % size_t(width) << ", " << i / 3 / size_t(width) << ") byte "
                          << i % 3 << ": " << int(frame.bytes()[i]) << " instead of " << int(want[i]);
            return;
        }
}

// Frame 0 and its partner, frame 1, of one size; `missing` bit 1 takes the
// first's picture away, bit 2 the partner's.
std::unique_ptr<test::PatternFilm> Pair(int width, int height, int missing = 0)
{
    auto film = std::make_unique<test::PatternFilm>(
        std::vector<test::PatternFrame>{{0, missing & 1 ? 0 : width, height}, {1, missing & 2 ? 0 : width, height}});
    film->SetShift(1);
    return film;
}

ViewRect View(int width, int height, int top = 0) { return {10, top, 10 + width, top + height}; }

// Presentation 0 is stereo off; 3 is page flipping, which this entry shows
// plain. `first` is where the picture placed by trunc(D/2) − D lands (the
// current frame's, or in interlaced mode the even rows' picture), `second`
// the one placed by +D.
struct Case {
    int presentation, pw, ph, w, h, dist, top, wp;
    Span rows, first, second;
    int missing = 0;
};

class Compose : public ::testing::TestWithParam<Case> {};

TEST_P(Compose, PlacesThePicturesPixelForPixel)
{
    const Case& c = GetParam();
    auto film = Pair(c.pw, c.ph, c.missing);
    FrameBuffer frame;
    const Presentation& shown =
        c.presentation != 0 ? StoredPresentation(c.presentation) : PresentationOf(PresentationId::Plain);
    ASSERT_TRUE(ComposeFrame(film.get(), {.dist = c.dist}, View(c.w, c.h, c.top), shown, frame));
    // One row lower on the screen swaps the eyes of the interlaced rows.
    const int even = c.top & 1 ? 0 : 1;
    std::vector<Layer> layers;
    if (shown.id == PresentationId::RedBlue)
        layers = {{0, c.rows, c.first, 2}, {1, c.rows, c.second, 0}};
    else if (shown.id == PresentationId::Interlaced)
        layers = {{even, c.rows, c.first, -1, 0, 2}, {1 - even, c.rows, c.second, -1, 1, 2}};
    else
        layers = {{0, c.rows, c.first}};
    // A missing first picture leaves the frame black, a missing partner its share.
    std::erase_if(layers, [&](const Layer& l) { return c.missing == 1 || (c.missing == 2 && l.number == 1); });
    ExpectFrame(frame, c.wp, c.h, layers);
}

// As the settings file keeps them.
constexpr int kRB = 1, kIL = 2;

INSTANTIATE_TEST_SUITE_P(
    Compositors, Compose,
    ::testing::Values(Case{0, 4, 2, 4, 2, 21, 0, 4, {0, 0, 2}, {0, 0, 4}, {}},
                      // As wide as the view: only the padding stays dark.
                      Case{3, 641, 1, 641, 1, 21, 0, 644, {0, 0, 1}, {0, 0, 641}, {}},
                      Case{0, 6, 5, 4, 2, 21, 0, 4, {1, 0, 2}, {1, 0, 4}, {}},
                      Case{3, 3, 3, 5, 2, 21, 0, 8, {0, 0, 2}, {0, 1, 3}, {}},
                      Case{0, 2, 1, 3, 6, 21, 0, 4, {0, 2, 1}, {0, 0, 2}, {}},
                      Case{kRB, 4, 2, 8, 2, 0, 0, 8, {0, 0, 2}, {0, 2, 4}, {0, 2, 4}},
                      Case{kRB, 4, 2, 8, 2, 5, 0, 8, {0, 0, 2}, {1, 0, 3}, {0, 7, 1}},
                      Case{kRB, 4, 2, 8, 2, -3, 0, 8, {0, 0, 2}, {0, 4, 4}, {1, 0, 3}},
                      Case{kRB, 5, 5, 7, 2, 2, 0, 8, {1, 0, 2}, {0, 0, 5}, {0, 3, 5}},
                      Case{kRB, 3, 2, 2, 5, 1, 0, 4, {0, 1, 2}, {1, 0, 2}, {0, 1, 3}},
                      // D beyond the half width: the partner falls outside.
                      Case{kRB, 4, 2, 8, 2, 9, 0, 8, {0, 0, 2}, {3, 0, 1}, {}},
                      Case{kRB, 4, 2, 8, 2, INT_MAX, 0, 8, {0, 0, 2}, {}, {}},
                      Case{kRB, 4, 2, 8, 2, INT_MIN, 0, 8, {0, 0, 2}, {}, {}},
                      Case{kIL, 4, 4, 8, 4, 0, 0, 8, {0, 0, 4}, {0, 2, 4}, {0, 2, 4}},
                      Case{kIL, 4, 4, 8, 4, 0, 1, 8, {0, 0, 4}, {0, 2, 4}, {0, 2, 4}},
                      Case{kIL, 4, 4, 8, 4, 0, -3, 8, {0, 0, 4}, {0, 2, 4}, {0, 2, 4}},
                      // Rows relative to a band that starts on buffer row 1.
                      Case{kIL, 4, 3, 6, 5, 3, 0, 8, {0, 1, 3}, {0, 0, 4}, {0, 5, 3}},
                      Case{kIL, 4, 1, 4, 1, 0, 0, 4, {0, 0, 1}, {0, 0, 4}, {0, 0, 4}},
                      Case{kIL, 4, 2, 8, 2, INT_MIN, 7, 8, {0, 0, 2}, {}, {}},
                      Case{0, 4, 2, 8, 2, 0, 1, 8, {}, {}, {}, 1},
                      Case{kRB, 4, 2, 8, 2, 0, 1, 8, {}, {}, {}, 1},
                      Case{kIL, 4, 2, 8, 2, 0, 1, 8, {}, {}, {}, 1},
                      Case{kRB, 4, 2, 8, 2, 0, 0, 8, {0, 0, 2}, {0, 2, 4}, {}, 2},
                      Case{kIL, 4, 2, 8, 2, 0, 1, 8, {0, 0, 2}, {0, 2, 4}, {}, 2}));

TEST(ComposeFrame, RefusesViewsTooLargeOrInvertedAndReusesItsStorageWithoutOldPixels)
{
    auto film = Pair(8, 8);
    FrameBuffer frame;
    EXPECT_TRUE(ComposeFrame(film.get(), {.dist = 21}, View(0, 5), PresentationOf(PresentationId::Interlaced), frame));
    EXPECT_FALSE(frame.picture());
    for (const ViewRect bad : {ViewRect{10, 10, 9, 20}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 40000, 40000}})
        EXPECT_FALSE(ComposeFrame(film.get(), {.dist = 21}, bad, PresentationOf(PresentationId::Plain), frame));
    EXPECT_EQ(frame.width() + frame.height(), 0);
    EXPECT_TRUE(ComposeFrame(nullptr, {.dist = 21}, View(4, 2), PresentationOf(PresentationId::RedBlue), frame));
    ExpectFrame(frame, 4, 2, {});

    ASSERT_TRUE(ComposeFrame(film.get(), {.dist = 0}, View(8, 8), PresentationOf(PresentationId::Plain), frame));
    const uint8_t* bytes = frame.bytes();
    auto small = Pair(1, 1);
    ASSERT_TRUE(ComposeFrame(small.get(), {.dist = 0}, View(5, 3), PresentationOf(PresentationId::Plain), frame));
    EXPECT_EQ(frame.bytes(), bytes);
    ExpectFrame(frame, 8, 3, {{0, {0, 1, 1}, {0, 2, 1}}});
}

}  // namespace
}  // namespace plexo
