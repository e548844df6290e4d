#include "play/slideshow.h"

#include <gtest/gtest.h>

namespace plexo::play {
namespace {

class FakeWall : public WallClock {
public:
    Micros Now() const override { return now; }
    Micros now = 7000000;
};

TEST(Slideshow, APictureStaysItsTimeAVideoUntilItsEndAndEachMoveStartsAfresh)
{
    FakeWall wall;
    Slideshow show(wall);
    EXPECT_EQ(show.Wait(), Slideshow::kUntilEnd);
    show.Start(5000000);
    show.Shown(false);
    wall.now += 4999999;
    EXPECT_EQ(show.Wait(), 1);
    wall.now += 1;
    EXPECT_TRUE(show.Due());
    // A video holds the show however long it plays, and ends its turn.
    show.Shown(true);
    wall.now += 3600000000;
    EXPECT_EQ(show.Wait(), Slideshow::kUntilEnd);
    show.VideoEnded();
    EXPECT_TRUE(show.Due());
    // Page Down in the middle of a picture's time gives the next its whole time.
    show.Shown(false);
    wall.now += 3000000;
    show.Shown(false);
    wall.now += 3000000;
    EXPECT_EQ(show.Wait(), 2000000);
    show.Stop();
    wall.now += 9000000;
    EXPECT_FALSE(show.Due());
}

}  // namespace
}  // namespace plexo::play
