#include <gtest/gtest.h>

#include "support/fake_film.h"

namespace plexo {
namespace {

using test::FakeFilm;

int PartnerNumber(Film& film)
{
    int32_t w = 0, h = 0;
    const uint8_t* p = film.PartnerGreyPicture(w, h);
    return p ? p[0] : -1;
}

void MoveTo(Film& film, int number)
{
    while (film.FrameNumber() < number && film.Next()) {
    }
    ASSERT_EQ(film.FrameNumber(), number);
}

TEST(MSFilm, OneFrameFilmMovesOnlyWithRound)
{
    auto film = FakeFilm::WithFrames(1);
    EXPECT_FALSE(film->Next());
    EXPECT_FALSE(film->Prev());
    film->SetRound(true);
    EXPECT_TRUE(film->Next());
    EXPECT_TRUE(film->Prev());
    EXPECT_EQ(film->FrameNumber(), 0);
}

TEST(MSFilm, ZeroShiftPairsAFrameWithItself)
{
    auto film = FakeFilm::WithFrames(3);
    int32_t w1, h1, w2, h2;
    const uint8_t* a = film->GreyPicture(w1, h1);
    const uint8_t* b = film->PartnerGreyPicture(w2, h2);
    EXPECT_EQ(a, b);
    EXPECT_EQ((*film->builds)[0], 1);
}

TEST(MSFilm, PositiveShiftStopsForwardWhereThePartnerWouldWrap)
{
    auto film = FakeFilm::WithFrames(10);
    film->SetShift(3);
    int moves = 0;
    while (film->Next())
        ++moves;
    EXPECT_EQ(moves, 6);
    EXPECT_EQ(film->FrameNumber(), 6);
    EXPECT_EQ(PartnerNumber(*film), 9);
    // Stepping away from the partner is limited only by the end.
    while (film->Prev()) {
    }
    EXPECT_EQ(film->FrameNumber(), 0);
}

TEST(MSFilm, NegativeShiftWrapsThePartnerAndLimitsBackwardSteps)
{
    auto film = FakeFilm::WithFrames(10);
    film->SetShift(-4);
    EXPECT_EQ(PartnerNumber(*film), 6);
    EXPECT_TRUE(film->Next());
    MoveTo(*film, 5);
    EXPECT_TRUE(film->Prev());
    EXPECT_EQ(film->FrameNumber(), 4);
    EXPECT_FALSE(film->Prev());
    EXPECT_EQ(film->FrameNumber(), 4);
    // Forward is limited only by the end.
    MoveTo(*film, 9);
    EXPECT_FALSE(film->Next());
}

TEST(MSFilm, ShiftLargerThanTheFilmWrapsAsOften)
{
    auto film = FakeFilm::WithFrames(10);
    film->SetShift(25);
    EXPECT_EQ(PartnerNumber(*film), 5);
    EXPECT_FALSE(film->Next());
    film->SetShift(-23);
    EXPECT_EQ(PartnerNumber(*film), 7);
    film->SetShift(10);
    EXPECT_EQ(PartnerNumber(*film), 0);
    film->SetShift(INT32_MIN);
    EXPECT_EQ(PartnerNumber(*film), 2);  // -2147483648 mod 10 == -8 == 2
}

TEST(MSFilm, RoundWrapsAtBothEnds)
{
    auto film = FakeFilm::WithFrames(3);
    film->SetRound(true);
    film->SetShift(5);
    EXPECT_TRUE(film->Prev());
    EXPECT_EQ(film->FrameNumber(), 2);
    EXPECT_TRUE(film->Next());
    EXPECT_EQ(film->FrameNumber(), 0);
}

TEST(MSFilm, InvertExchangesDirectionsButNotThePartner)
{
    auto film = FakeFilm::WithFrames(10);
    film->SetShift(-4);
    film->SetInvert(true);
    EXPECT_TRUE(film->GetInvert());
    EXPECT_FALSE(film->Next());  // backward from frame 0
    EXPECT_TRUE(film->Prev());
    EXPECT_EQ(film->FrameNumber(), 1);
    EXPECT_EQ(PartnerNumber(*film), 7);
}

TEST(MSFilm, FrameNumbersAreTheStoredNumbersInSortedOrder)
{
    FakeFilm film({5, 3, 9, 1}, 2, 1, /*sort=*/true);
    std::vector<int> seen{film.FrameNumber()};
    while (film.Next())
        seen.push_back(film.FrameNumber());
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 5, 9}));
    EXPECT_EQ(film.FrameCount(), 4);
}

TEST(MSFilm, CacheKeepsOneKindAndRebuildsOnChange)
{
    auto film = FakeFilm::WithFrames(2);
    int32_t w, h;
    film->GreyPicture(w, h);
    film->GreyPicture(w, h);
    EXPECT_EQ((*film->builds)[0], 1);
    const uint8_t* c = film->ColourPicture(w, h);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(c[1], 1);
    film->GreyPicture(w, h);
    EXPECT_EQ((*film->builds)[0], 3);
    film->ReleasePictures();
    film->GreyPicture(w, h);
    EXPECT_EQ((*film->builds)[0], 4);
}

}  // namespace
}  // namespace plexo
