#include <gtest/gtest.h>

#include <climits>

#include "support/fake_film.h"

namespace plexo {
namespace {

using test::FakeFilm;

// One step of a film of `count` frames numbered 0, 1, … from frame `start`.
struct StepCase {
    const char* name;
    int count;
    int32_t shift;
    bool round;
    bool invert;
    int start;
    char step;  // 'N' Next, 'P' Prev
    bool moved;
    int frame;
    int partner;
};

class MSFilmStep : public testing::TestWithParam<StepCase> {};
TEST_P(MSFilmStep, MovesAsTheRulesAllowAndFindsThePartner)
{
    const StepCase& c = GetParam();
    auto film = FakeFilm::WithFrames(c.count);
    for (int i = 0; i < c.start; ++i)
        ASSERT_TRUE(film->Next());
    film->SetShift(c.shift);
    film->SetRound(c.round);
    film->SetInvert(c.invert);
    EXPECT_EQ(c.step == 'N' ? film->Next() : film->Prev(), c.moved);
    EXPECT_EQ(film->FrameNumber(), c.frame);
    int32_t w = 0, h = 0;
    const uint8_t* partner = film->PartnerGreyPicture(w, h);
    ASSERT_TRUE(partner);
    EXPECT_EQ(partner[0], c.partner);
}
INSTANTIATE_TEST_SUITE_P(
    MSFilm, MSFilmStep,
    testing::Values(StepCase{"OneFrameNext", 1, 0, false, false, 0, 'N', false, 0, 0},
                    StepCase{"OneFramePrev", 1, 0, false, false, 0, 'P', false, 0, 0},
                    StepCase{"OneFrameRound", 1, 0, true, false, 0, 'P', true, 0, 0},
                    // Towards the partner only while the new frame's partner exists unwrapped.
                    StepCase{"Shift3From5", 10, 3, false, false, 5, 'N', true, 6, 9},
                    StepCase{"Shift3From6", 10, 3, false, false, 6, 'N', false, 6, 9},
                    StepCase{"Shift3BackToHead", 10, 3, false, false, 1, 'P', true, 0, 3},
                    StepCase{"Shift3AtHead", 10, 3, false, false, 0, 'P', false, 0, 3},
                    StepCase{"ShiftMinus4WrapsThePartner", 10, -4, false, false, 0, 'N', true, 1, 7},
                    StepCase{"ShiftMinus4From5", 10, -4, false, false, 5, 'P', true, 4, 0},
                    StepCase{"ShiftMinus4From4", 10, -4, false, false, 4, 'P', false, 4, 0},
                    StepCase{"ShiftMinus4ToTail", 10, -4, false, false, 8, 'N', true, 9, 5},
                    StepCase{"ShiftMinus4AtTail", 10, -4, false, false, 9, 'N', false, 9, 5},
                    StepCase{"Shift25", 10, 25, false, false, 0, 'N', false, 0, 5},
                    StepCase{"ShiftMinus23", 10, -23, false, false, 0, 'N', true, 1, 8},
                    StepCase{"ShiftOfTheLength", 10, 10, false, false, 3, 'P', true, 2, 2},
                    StepCase{"ShiftIntMin", 10, INT32_MIN, false, false, 0, 'N', true, 1, 3},
                    StepCase{"RoundPrevFromHead", 3, 5, true, false, 0, 'P', true, 2, 1},
                    StepCase{"RoundNextFromTail", 3, 5, true, false, 2, 'N', true, 0, 2},
                    StepCase{"InvertNextGoesBack", 10, -4, false, true, 5, 'N', true, 4, 0},
                    StepCase{"InvertNextAtHead", 10, -4, false, true, 0, 'N', false, 0, 6},
                    StepCase{"InvertPrevGoesOn", 10, -4, false, true, 0, 'P', true, 1, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MSFilm, FrameNumbersAreTheStoredNumbersInSortedOrder)
{
    FakeFilm film({5, 3, 9, 1}, 2, 1, /*sort=*/true);
    std::vector<int> seen{film.FrameNumber()};
    while (film.Next())
        seen.push_back(film.FrameNumber());
    EXPECT_EQ(seen, (std::vector<int>{1, 3, 5, 9}));
}

TEST(MSFilm, EachFrameCachesOnePictureOfOneKind)
{
    auto film = FakeFilm::WithFrames(2);
    int32_t w, h;
    // Shift 0: the partner is the current frame, from the same cache.
    EXPECT_EQ(film->GreyPicture(w, h), film->PartnerGreyPicture(w, h));
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
