#include <gtest/gtest.h>

#include "film/picture_budget.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

// Walks a film of ten 4 x 4 grey frames with its partner one frame on, as
// the view draws them, under a budget of `pictures` pictures.
struct BudgetCase {
    const char* name;
    size_t pictures;
    size_t keptAtTheEnd;
};

class PictureBudgetWalk : public testing::TestWithParam<BudgetCase> {
protected:
    void TearDown() override { SetPictureBudget(DefaultPictureBudget()); }
};

TEST_P(PictureBudgetWalk, KeepsTheMostRecentWithinTheBudgetAndRebuildsTheRest)
{
    constexpr size_t kPicture = 16;
    SetPictureBudget(GetParam().pictures * kPicture);
    const size_t before = KeptPictureBytes();
    {
        auto film = test::PatternFilm::Uniform(10, 4, 4);
        film->SetShift(1);
        const auto check = [&](int number) {
            const Picture current = FilmPicture(*film, Eye::Current, Tone::Grey);
            const Picture partner = FilmPicture(*film, Eye::Partner, Tone::Grey);
            ASSERT_TRUE(current && partner);
            // Both stay valid while the frame is drawn, whatever the budget.
            EXPECT_EQ(current.data[5], test::PatternByte(number, 1, 1, 0));
            EXPECT_EQ(partner.data[5], test::PatternByte(number + 1, 1, 1, 0));
        };
        do {
            check(film->FrameNumber());
            EXPECT_LE(KeptPictureBytes() - before, std::max<size_t>(GetParam().pictures, 2) * kPicture);
        } while (film->Next());
        // Back at the start, frames dropped on the way are built again.
        while (film->Prev()) {
        }
        check(0);
        EXPECT_EQ(KeptPictureBytes() - before, GetParam().keptAtTheEnd * kPicture);
        film->ReleasePictures();
        EXPECT_EQ(KeptPictureBytes(), before);
        check(0);
    }
    // A film that goes gives its bytes back.
    EXPECT_EQ(KeptPictureBytes(), before);
}

INSTANTIATE_TEST_SUITE_P(Budgets, PictureBudgetWalk,
                         testing::Values(BudgetCase{"FilmFits", 10, 10}, BudgetCase{"FourPictures", 4, 4},
                                         BudgetCase{"LessThanAFrameAndItsPartner", 1, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
