#include <gtest/gtest.h>

#include <climits>

#include "film/two_films.h"
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

// A jump lands anywhere, clamped; a skip ends where as many single steps
// would, for a film alone and for a pair whose second film is shorter.
TEST(FilmPosition, SeekClampsAndSkipEqualsSingleSteps)
{
    auto film = test::FakeFilm::WithFrames(10);
    EXPECT_TRUE(film->Seek(99));
    EXPECT_EQ(film->Position(), 9);
    EXPECT_TRUE(film->Seek(-5));
    EXPECT_EQ(film->Position(), 0);
    EXPECT_FALSE(test::FakeFilm::WithFrames(0)->Seek(0));

    const auto pair = [] {
        return PairFilms(test::FakeFilm::WithFrames(10), test::FakeFilm::WithFrames(5), kAddRight);
    };
    for (bool paired : {false, true})
        for (int32_t shift : {-4, 0, 3, 25})
            for (int flags = 0; flags < 4; ++flags)
                for (int start : {0, 3, 9})
                    for (int32_t steps : {-12, -2, 2, 12}) {
                        FilmPtr skipped = paired ? pair() : FilmPtr(test::FakeFilm::WithFrames(10));
                        FilmPtr stepped = paired ? pair() : FilmPtr(test::FakeFilm::WithFrames(10));
                        int32_t made = 0;
                        for (Film* f : {skipped.get(), stepped.get()}) {
                            f->Seek(start);
                            f->SetShift(shift);
                            f->SetRound(flags & 1);
                            f->SetInvert(flags & 2);
                        }
                        while (made < std::abs(steps) && (steps > 0 ? stepped->Next() : stepped->Prev()))
                            ++made;
                        const std::string at = std::to_string(paired) + " " + std::to_string(shift) + " " +
                                               std::to_string(flags) + " " + std::to_string(start) + " " +
                                               std::to_string(steps);
                        EXPECT_EQ(skipped->Skip(steps), made) << at;
                        EXPECT_EQ(skipped->Position(), stepped->Position()) << at;
                        EXPECT_EQ(skipped->PartnerNumber(), stepped->PartnerNumber()) << at;
                        skipped->Next();
                        stepped->Next();
                        EXPECT_EQ(skipped->FrameNumber(), stepped->FrameNumber()) << at;
                    }
}

}  // namespace
}  // namespace plexo
