#include <gtest/gtest.h>

#include "film/two_films.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

using test::PatternByte;
using test::PatternFilm;

constexpr int kFirstNumber = 0;
constexpr int kSecondNumber = 100;

// Where a composite pixel comes from: which film's frame, and where in it.
struct Source {
    int number;
    int x;
    int y;
};

struct SideCase {
    int side;
    int width;
    int height;
    // The source of composite pixel (x, y) for a first picture of 640 × 480
    // and a second of 320 × 240.
    Source (*source)(int x, int y);
};

class TwoFilmsSides : public ::testing::TestWithParam<SideCase> {};

TEST_P(TwoFilmsSides, CompositeCropsTheLargerPicture)
{
    const SideCase& c = GetParam();
    for (const Tone tone : {Tone::Grey, Tone::Colour}) {
        FilmPtr film = PairFilms(PatternFilm::Uniform(1, 640, 480, kFirstNumber),
                                 PatternFilm::Uniform(1, 320, 240, kSecondNumber), c.side);
        ASSERT_TRUE(film);
        const Picture p = FilmPicture(*film, Eye::Current, tone);
        ASSERT_TRUE(p);
        ASSERT_EQ(p.width, c.width);
        ASSERT_EQ(p.height, c.height);
        int wrong = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                for (int ch = 0; ch < p.bytesPerPixel; ++ch) {
                    const Source s = c.source(x, y);
                    wrong += p.row(y)[x * p.bytesPerPixel + ch] != PatternByte(s.number, s.x, s.y, ch);
                }
        EXPECT_EQ(wrong, 0) << "side " << c.side << (tone == Tone::Grey ? " grey" : " colour");
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllSides, TwoFilmsSides,
    ::testing::Values(
        // Right: the first film's top 240 rows are lost.
        SideCase{kAddRight, 960, 240,
                 [](int x, int y) { return x < 640 ? Source{kFirstNumber, x, y} : Source{kSecondNumber, x - 640, y}; }},
        // Bottom: the second film's rows first (below), each row cut to 320 pixels.
        SideCase{kAddBottom, 320, 720,
                 [](int x, int y) { return y < 240 ? Source{kSecondNumber, x, y} : Source{kFirstNumber, x, y - 240}; }},
        SideCase{kAddLeft, 960, 240,
                 [](int x, int y) { return x < 320 ? Source{kSecondNumber, x, y} : Source{kFirstNumber, x - 320, y}; }},
        SideCase{kAddTop, 320, 720,
                 [](int x, int y) { return y < 480 ? Source{kFirstNumber, x, y} : Source{kSecondNumber, x, y - 480}; }}));

TEST(TwoFilms, PartnerCompositeJoinsBothFilmsPartnersAndMissingPicturesGiveNone)
{
    FilmPtr film = PairFilms(PatternFilm::Uniform(3, 2, 1, kFirstNumber), PatternFilm::Uniform(3, 1, 1, kSecondNumber),
                             kAddRight);
    film->SetShift(-1);
    const Picture p = FilmPicture(*film, Eye::Partner, Tone::Grey);
    ASSERT_TRUE(p);
    EXPECT_EQ(p.row(0)[0], PatternByte(kFirstNumber + 2, 0, 0, 0));
    EXPECT_EQ(p.row(0)[2], PatternByte(kSecondNumber + 2, 0, 0, 0));

    for (int missing = 0; missing < 2; ++missing) {
        auto sized = [&](int which) {
            return std::make_unique<PatternFilm>(std::vector<int>{which},
                                                 std::vector<test::FrameSize>{{missing == which ? 0 : 4, 2}});
        };
        FilmPtr pair = PairFilms(sized(0), sized(1), kAddBottom);
        int32_t w, h;
        EXPECT_EQ(pair->ColourPicture(w, h), nullptr);
        EXPECT_EQ(pair->GreyPicture(w, h), nullptr);
    }
}

TEST(TwoFilms, BufferGrowsForColourAndIsReusedAfterwards)
{
    FilmPtr film = PairFilms(PatternFilm::Uniform(1, 4, 2), PatternFilm::Uniform(1, 4, 2), kAddRight);
    auto& pair = static_cast<TwoFilms&>(*film);
    int32_t w, h;
    ASSERT_TRUE(film->GreyPicture(w, h));
    EXPECT_EQ(pair.compositeCapacity(), 16u);
    const uint8_t* colour = film->ColourPicture(w, h);
    EXPECT_EQ(pair.compositeCapacity(), 48u);
    const uint8_t* again = film->GreyPicture(w, h);
    EXPECT_EQ(again, colour);
    EXPECT_EQ(pair.compositeCapacity(), 48u);
    EXPECT_EQ(again[4], PatternByte(0, 0, 0, 0));
}

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
    auto first = PatternFilm::Uniform(10, 1, 1);
    auto second = PatternFilm::Uniform(5, 1, 1, kSecondNumber);
    Film* secondFilm = second.get();
    FilmPtr film = PairFilms(std::move(first), std::move(second), kAddRight);
    film->SetRound(c.round);
    for (size_t i = 0; i + 1 < c.moves.size(); ++i)
        EXPECT_EQ(film->Next(), c.moves[i]) << i;
    EXPECT_EQ(film->Prev(), c.moves.back());
    EXPECT_EQ(film->FrameNumber(), c.first);
    EXPECT_EQ(secondFilm->FrameNumber(), kSecondNumber + c.second);
    EXPECT_EQ(film->FrameCount(), 10);
}
INSTANTIATE_TEST_SUITE_P(TwoFilms, TwoFilmsStep,
                         testing::Values(
                             // The fifth Next moves the first film alone; back, they stay one apart.
                             PairStep{false, {true, true, true, true, false, true}, 4, 3},
                             // Round: each wraps at its own length.
                             PairStep{true, {true, true, true, true, true, true}, 4, 4}));

TEST(TwoFilms, SettingsReachBothFilmsAndQueriesAskTheFirst)
{
    auto first = PatternFilm::Uniform(3, 1, 1, 7);
    auto second = PatternFilm::Uniform(2, 1, 1);
    Film* secondFilm = second.get();
    FilmPtr film = PairFilms(std::move(first), std::move(second), kAddTop);
    film->SetShift(-4);
    film->SetRound(true);
    film->SetInvert(true);
    EXPECT_EQ(secondFilm->GetShift(), -4);
    EXPECT_TRUE(secondFilm->GetRound() && secondFilm->GetInvert());
    EXPECT_EQ(film->GetShift(), -4);
    // Inverted: Next goes backwards, wrapping to the last frame.
    EXPECT_TRUE(film->Next());
    EXPECT_EQ(film->FrameNumber(), 9);
    // A first film that refuses leaves the second where it is.
    film->SetRound(false);
    film->SetInvert(false);
    EXPECT_FALSE(film->Next());
    EXPECT_EQ(secondFilm->FrameNumber(), 1);
}

TEST(PairFilms, RefusesAMissingFilmOrUnknownSideAndLeavesTheFilmsWithTheCaller)
{
    FilmPtr first = PatternFilm::Uniform(1, 1, 1);
    FilmPtr second;
    EXPECT_EQ(PairFilms(std::move(first), std::move(second), kAddRight), nullptr);
    EXPECT_EQ(PairFilms(std::move(second), std::move(first), kAddRight), nullptr);
    second = PatternFilm::Uniform(1, 1, 1);
    EXPECT_EQ(PairFilms(std::move(first), std::move(second), 4), nullptr);
    EXPECT_TRUE(first && second);
    EXPECT_NE(PairFilms(std::move(first), std::move(second), kAddLeft), nullptr);
}

}  // namespace
}  // namespace plexo
