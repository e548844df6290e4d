#include <gtest/gtest.h>

#include "film/grey_pixels.h"
#include "film/two_view_film.h"
#include "support/pattern_film.h"

namespace plexo {
namespace {

using test::PatternByte;

// Side-by-side frames of 8 × 3 whose pixels follow PatternByte by frame
// index; `count` may fall, as a video's does when its frames end early.
struct ScriptedSource : FrameSource {
    int32_t count = 4;
    int decodes = 0;

    int32_t Count() const override { return count; }
    int32_t NumberAt(int32_t index) const override { return 10 + index; }
    bool Decode(int32_t index, SourceFrame& frame) override
    {
        ++decodes;
        auto bytes = std::make_shared<std::vector<uint8_t>>();
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 8 * 3; ++x)
                bytes->push_back(PatternByte(index, x / 3, y, x % 3));
        frame = {bytes, {bytes->data(), 8, 3, 3}, {}};
        return true;
    }
};

// The first eye is the current frame's stored right half (right first), the
// second eye the left half of the frame `shift` on; grey is the mean of the
// colour eye; a frame is decoded once while kept.
TEST(TwoViewFilm, EyesOfTheFrameAndOfTheEyeOffset)
{
    auto owned = std::make_unique<ScriptedSource>();
    ScriptedSource& source = *owned;
    TwoViewFilm film(std::move(owned), {*LayoutNamed("sbs-rl"), LayoutOrigin::User});
    for (const int shift : {0, 1}) {
        film.SetShift(shift);
        ASSERT_TRUE(film.Seek(1));
        const Picture first = FilmPicture(film, Eye::Current, Tone::Colour);
        const Picture second = FilmPicture(film, Eye::Partner, Tone::Colour);
        const Picture grey = FilmPicture(film, Eye::Partner, Tone::Grey);
        ASSERT_TRUE(first && second && grey && first.rowStride == 24);
        EXPECT_EQ(film.PartnerNumber(), 11 + shift);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                uint8_t mean = 0;
                ColourToGreyReference(second.row(y) + x * 3, &mean, 1);
                EXPECT_EQ(grey.row(y)[x], mean);
                for (int c = 0; c < 3; ++c) {
                    EXPECT_EQ(first.row(y)[x * 3 + c], PatternByte(1, x + 4, y, c));
                    EXPECT_EQ(second.row(y)[x * 3 + c], PatternByte(1 + shift, x, y, c));
                }
            }
    }
    EXPECT_EQ(source.decodes, 2);
    film.ReleasePictures();
    FilmPicture(film, Eye::Current, Tone::Grey);
    EXPECT_EQ(source.decodes, 3);

    // Stepping keeps the eye offset's partner inside the film; a source that
    // falls short holds the cursor on its last frame.
    EXPECT_EQ(film.Skip(5), 1);
    EXPECT_EQ(film.FrameNumber(), 12);
    source.count = 2;
    EXPECT_EQ(film.Position(), 1);
    EXPECT_TRUE(FilmPicture(film, Eye::Current, Tone::Colour));
}

}  // namespace
}  // namespace plexo
