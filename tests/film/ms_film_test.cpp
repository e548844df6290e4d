#include <gtest/gtest.h>

#include <climits>

#include "support/fake_film.h"

namespace plexo {
namespace {

// One step of a film of `count` frames numbered 0, 1, … from frame `start`;
// every grey byte of a frame is its number, so the partner names itself.
struct StepCase {
    const char* name;
    int count, start;
    int32_t shift;
    bool round, invert;
    char step;  // 'N' Next, 'P' Prev
    bool moved;
    int frame, partner;
};

class MSFilmStep : public testing::TestWithParam<StepCase> {};
TEST_P(MSFilmStep, MovesAsTheRulesAllowAndFindsThePartner)
{
    const StepCase& c = GetParam();
    auto film = test::FakeFilm::WithFrames(c.count);
    for (int i = 0; i < c.start; ++i)
        ASSERT_TRUE(film->Next());
    film->SetShift(c.shift);
    film->SetRound(c.round);
    film->SetInvert(c.invert);
    EXPECT_EQ(c.step == 'N' ? film->Next() : film->Prev(), c.moved);
    EXPECT_EQ(film->FrameNumber(), c.frame);
    const Picture partner = FilmPicture(*film, Eye::Partner, Tone::Grey);
    ASSERT_TRUE(partner);
    EXPECT_EQ(partner.data[0], c.partner);
}
INSTANTIATE_TEST_SUITE_P(
    MSFilm, MSFilmStep,
    testing::Values(StepCase{"OneFrameNext", 1, 0, 0, false, false, 'N', false, 0, 0},
                    StepCase{"OneFrameRound", 1, 0, 0, true, false, 'P', true, 0, 0},
                    // Towards the partner only while the new frame's partner exists unwrapped.
                    StepCase{"Shift3From5", 10, 5, 3, false, false, 'N', true, 6, 9},
                    StepCase{"Shift3From6", 10, 6, 3, false, false, 'N', false, 6, 9},
                    StepCase{"Shift3BackToHead", 10, 1, 3, false, false, 'P', true, 0, 3},
                    StepCase{"Shift3AtHead", 10, 0, 3, false, false, 'P', false, 0, 3},
                    StepCase{"ShiftMinus4WrapsThePartner", 10, 0, -4, false, false, 'N', true, 1, 7},
                    StepCase{"ShiftMinus4From5", 10, 5, -4, false, false, 'P', true, 4, 0},
                    StepCase{"ShiftMinus4From4", 10, 4, -4, false, false, 'P', false, 4, 0},
                    StepCase{"ShiftMinus4ToTail", 10, 8, -4, false, false, 'N', true, 9, 5},
                    StepCase{"ShiftMinus4AtTail", 10, 9, -4, false, false, 'N', false, 9, 5},
                    StepCase{"Shift25", 10, 0, 25, false, false, 'N', false, 0, 5},
                    StepCase{"ShiftMinus23", 10, 0, -23, false, false, 'N', true, 1, 8},
                    StepCase{"ShiftOfTheLength", 10, 3, 10, false, false, 'P', true, 2, 2},
                    StepCase{"ShiftIntMin", 10, 0, INT32_MIN, false, false, 'N', true, 1, 3},
                    StepCase{"RoundPrevFromHead", 3, 0, 5, true, false, 'P', true, 2, 1},
                    StepCase{"RoundNextFromTail", 3, 2, 5, true, false, 'N', true, 0, 2},
                    StepCase{"InvertNextGoesBack", 10, 5, -4, false, true, 'N', true, 4, 0},
                    StepCase{"InvertNextAtHead", 10, 0, -4, false, true, 'N', false, 0, 6},
                    StepCase{"InvertPrevGoesOn", 10, 0, -4, false, true, 'P', true, 1, 7}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
