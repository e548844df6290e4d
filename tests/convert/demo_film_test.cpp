#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "convert/demo_film.h"
#include "film/factories.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

std::vector<uint8_t> GreyFrame(Film& film, int index)
{
    while (film.Prev()) {
    }
    for (int i = 0; i < index; ++i)
        film.Next();
    const Picture p = FilmPicture(film, Eye::Current, Tone::Grey);
    return p ? std::vector<uint8_t>(p.data, p.data + p.byteCount()) : std::vector<uint8_t>{};
}

// The horizontal shift d in [from, to] for which the patch of `current`
// centred on (x, y) best matches `partner` at (x + d, y).
int Disparity(const std::vector<uint8_t>& current, const std::vector<uint8_t>& partner, int x, int y, int from,
              int to)
{
    constexpr int kHalf = 8;
    int best = 0;
    long bestCost = LONG_MAX;
    for (int d = from; d <= to; ++d) {
        long cost = 0;
        for (int dy = -kHalf; dy <= kHalf; ++dy)
            for (int dx = -kHalf; dx <= kHalf; ++dx) {
                const size_t at = size_t((y + dy) * kDemoWidth + x + dx);
                cost += std::abs(current[at] - partner[at + size_t(d)]);
            }
        if (cost < bestCost) {
            bestCost = cost;
            best = d;
        }
    }
    return best;
}

TEST(DemoFilm, FourFramesBackIsTheRightEyeNearInFrontFarBehind)
{
    FilmPtr film = MakeDemoFilm();
    ASSERT_EQ(film->FrameCount(), kDemoFrames);
    const std::vector<uint8_t> left = GreyFrame(*film, 10);
    const std::vector<uint8_t> right = GreyFrame(*film, 6);
    ASSERT_EQ(left.size(), size_t(kDemoWidth * kDemoHeight));
    ASSERT_EQ(right.size(), left.size());
    // The near yellow box (depth 3.6) lies in the lower middle, the brick
    // wall (depth 25) fills the top. The right eye sees both further left;
    // the viewer's default displacement adds 32 columns between the eyes,
    // which puts the box in front of the screen and the wall behind it.
    const int nearShift = Disparity(left, right, 189, 62, -50, -30);
    const int farShift = Disparity(left, right, 100, 220, -32, -20);
    EXPECT_GE(nearShift, -45);
    EXPECT_LE(nearShift, -39);
    EXPECT_GE(farShift, -29);
    EXPECT_LE(farShift, -23);
}

TEST(DemoFilm, IsWrittenAsAPackedColourFlmThatTheReaderOpens)
{
    test::TempDir dir;
    ASSERT_TRUE(WriteDemoFilm(dir.file("demo.flm")));
    const std::vector<uint8_t> bytes = test::ReadBytes(dir.file("demo.flm"));
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(bytes[0], 7);
    FilmPtr film = OpenFlmFilm(dir.file("demo.flm"));
    ASSERT_TRUE(film);
    EXPECT_EQ(film->FrameCount(), kDemoFrames);
    const Picture p = FilmPicture(*film, Eye::Current, Tone::Colour);
    EXPECT_EQ(p.width, kDemoWidth);
    EXPECT_EQ(p.height, kDemoHeight);
}

}  // namespace
}  // namespace plexo
