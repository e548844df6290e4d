#include <gtest/gtest.h>

#include "film/two_films.h"
#include "platform/log.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

using test::PatternByte;
using test::PatternFilm;

constexpr int kSecond = 100;  // the second film's first frame number
constexpr const char* kRowsCut = "Pair of 640x480 and 320x240: 240 rows cut from the top of the taller picture";
constexpr const char* kColumnsCut = "Pair of 640x480 and 320x240: 320 columns cut from the right of the wider picture";

// A first picture of 640 × 480 and a second of 320 × 240 placed on `side`:
// the composite's size and where each picture's bottom-left pixel lands; the
// larger picture is cropped to the smaller's height (right, left) or width
// (bottom, top), and the log says so once.
struct SideCase {
    int side, width, height, firstX, firstY, secondX, secondY;
    const char* logged;
};
class TwoFilmsSides : public testing::TestWithParam<SideCase> {};
// The composite buffer grows once for colour and is reused from then on.
TEST_P(TwoFilmsSides, CompositeCropsTheLargerPictureForBothEyesInOneBuffer)
{
    const SideCase& c = GetParam();
    platform::ClearLog();
    FilmPtr film = PairFilms(PatternFilm::Uniform(2, 640, 480), PatternFilm::Uniform(2, 320, 240, kSecond), c.side);
    ASSERT_TRUE(film);
    film->SetShift(1);
    const uint8_t* colourBuffer = nullptr;
    for (const Eye eye : {Eye::Current, Eye::Partner})
        for (const Tone tone : {Tone::Grey, Tone::Colour}) {
            const Picture p = FilmPicture(*film, eye, tone);
            ASSERT_TRUE(p && p.width == c.width && p.height == c.height);
            EXPECT_EQ(static_cast<TwoFilms&>(*film).compositeCapacity(),
                      p.byteCount() * (tone == Tone::Grey && colourBuffer ? 3 : 1));
            EXPECT_EQ(p.data, colourBuffer ? colourBuffer : p.data);
            colourBuffer = tone == Tone::Colour ? p.data : colourBuffer;
            int wrong = 0;
            for (int y = 0; y < p.height; ++y)
                for (int x = 0; x < p.width; ++x) {
                    const bool second = x >= c.secondX && y >= c.secondY && x < c.secondX + 320 && y < c.secondY + 240;
                    const int number = (second ? kSecond : 0) + (eye == Eye::Partner);
                    const int sx = x - (second ? c.secondX : c.firstX), sy = y - (second ? c.secondY : c.firstY);
                    for (int ch = 0; ch < p.bytesPerPixel; ++ch)
                        wrong += p.row(y)[x * p.bytesPerPixel + ch] != PatternByte(number, sx, sy, ch);
                }
            EXPECT_EQ(wrong, 0) << (eye == Eye::Partner ? "partner " : "current ") << p.bytesPerPixel;
        }
    EXPECT_EQ(platform::LogText(), std::string("\r\n") + c.logged);
}
INSTANTIATE_TEST_SUITE_P(AllSides, TwoFilmsSides,
                         testing::Values(SideCase{kAddRight, 960, 240, 0, 0, 640, 0, kRowsCut},
                                         SideCase{kAddBottom, 320, 720, 0, 240, 0, 0, kColumnsCut},
                                         SideCase{kAddLeft, 960, 240, 320, 0, 0, 0, kRowsCut},
                                         SideCase{kAddTop, 320, 720, 0, 0, 0, 480, kColumnsCut}));

// Steps a first film of 10 frames and a second of 5 together.
struct PairStep {
    bool round;
    std::vector<bool> moves;  // Next results, then one Prev
    int first, second;        // frame numbers at the end
};
class TwoFilmsStep : public testing::TestWithParam<PairStep> {};
TEST_P(TwoFilmsStep, FirstFilmLeadsAndKeepsAStepTheSecondRefuses)
{
    const PairStep& c = GetParam();
    auto second = PatternFilm::Uniform(5, 1, 1, kSecond);
    Film* secondFilm = second.get();
    FilmPtr film = PairFilms(PatternFilm::Uniform(10, 1, 1), std::move(second), kAddRight);
    film->SetRound(c.round);
    for (size_t i = 0; i + 1 < c.moves.size(); ++i)
        EXPECT_EQ(film->Next(), c.moves[i]) << i;
    EXPECT_EQ(film->Prev(), c.moves.back());
    EXPECT_EQ(film->FrameNumber(), c.first);
    EXPECT_EQ(secondFilm->FrameNumber(), kSecond + c.second);
}
INSTANTIATE_TEST_SUITE_P(TwoFilms, TwoFilmsStep,
                         testing::Values(
                             // The fifth Next moves the first film alone; back, they stay one apart.
                             PairStep{false, {true, true, true, true, false, true}, 4, 3},
                             // Round: each wraps at its own length.
                             PairStep{true, {true, true, true, true, true, true}, 4, 4}));

TEST(TwoFilms, MissingFilmsSidesAndPicturesGiveNothing)
{
    FilmPtr first = PatternFilm::Uniform(1, 1, 1), second;
    EXPECT_EQ(PairFilms(std::move(first), std::move(second), kAddRight), nullptr);
    EXPECT_EQ(PairFilms(std::move(second), std::move(first), kAddRight), nullptr);
    second = PatternFilm::Uniform(1, 1, 1);
    EXPECT_EQ(PairFilms(std::move(first), std::move(second), 4), nullptr);
    EXPECT_TRUE(first && second);  // refused films stay with the caller
    for (const int missing : {0, 1}) {
        auto sized = [&](int which) { return PatternFilm::Uniform(1, missing == which ? 0 : 4, 2); };
        EXPECT_FALSE(FilmPicture(*PairFilms(sized(0), sized(1), kAddBottom), Eye::Current, Tone::Grey)) << missing;
    }
}

}  // namespace
}  // namespace plexo
