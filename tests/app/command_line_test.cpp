#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/play_period.h"

namespace plexo {
namespace {

struct ShiftCase {
    std::vector<std::string> parameters;
    int shift;
};

class ShiftFlag : public testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftFlag, ReadsLikeScanfAndFallsBackToFourOutsideRange)
{
    EXPECT_EQ(ParseCommandLine(GetParam().parameters).options.shift, GetParam().shift);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftFlag,
    testing::Values(ShiftCase{{}, 4}, ShiftCase{{"/A=100"}, 100}, ShiftCase{{"-A=-100"}, -100},
                    ShiftCase{{"/A=101"}, 4}, ShiftCase{{"/A=-101"}, 4}, ShiftCase{{"/A=x"}, 4},
                    ShiftCase{{"/A=-7", "/A=x"}, -7}, ShiftCase{{"/A= 12abc"}, 12},
                    ShiftCase{{"/A=99999999999999999999"}, 4}, ShiftCase{{"/A="}, 4},
                    // Not at the start of the flag, and not a flag at all.
                    ShiftCase{{"/xA=7"}, 4}, ShiftCase{{"a.flm", "A=7"}, 4}));

struct SideCase {
    std::string flag;
    int side;
};

class SideFlag : public testing::TestWithParam<SideCase> {};

TEST_P(SideFlag, SixthCharacterDecides)
{
    EXPECT_EQ(ParseCommandLine({"/side=b", GetParam().flag}).options.side, GetParam().side);
}

INSTANTIATE_TEST_SUITE_P(Cases, SideFlag,
                         testing::Values(SideCase{"/side=top", 3}, SideCase{"-side=l", 2}, SideCase{"/side=r", 0},
                                         SideCase{"/side=bottom", 1},
                                         // These leave the earlier "b" in place.
                                         SideCase{"/side=", 1}, SideCase{"/side=X", 1}, SideCase{"/Side=t", 1},
                                         SideCase{"/side=T", 1}));

TEST(CommandLine, SwitchFlagsTakeSlashOrDashAndAreCaseSensitive)
{
    const CPlexoCmdInfo on = ParseCommandLine({"/play", "-stereo", "/invert", "-round"});
    EXPECT_TRUE(on.options.play);
    EXPECT_TRUE(on.options.stereo);
    EXPECT_TRUE(on.options.invert);
    EXPECT_TRUE(on.options.round);

    const CPlexoCmdInfo off = ParseCommandLine({"/Play", "-Stereo", "play", "/playing", "/ROUND"});
    EXPECT_FALSE(off.options.play);
    EXPECT_FALSE(off.options.stereo);
    EXPECT_FALSE(off.options.round);
    // "play" without a slash is a plain parameter: the file name.
    EXPECT_EQ(off.fileName, "play");
}

TEST(CommandLine, FirstPlainParameterIsTheFilmAndSecondTakesTheRest)
{
    const CPlexoCmdInfo info = ParseCommandLine({"-second=", "one.flm", "/second=b c.flm", "two.flm"});
    EXPECT_EQ(info.fileName, "one.flm");
    EXPECT_EQ(info.options.secondFilm, "b c.flm");
    EXPECT_EQ(ParseCommandLine({"/second=x.flm", "/second="}).options.secondFilm, "");
    // Parsing alone never decides that options wait; start-up does.
    EXPECT_TRUE(info.options.done);
}

TEST(CommandLine, AbsolutePathsAreFileNamesNotFlags)
{
    EXPECT_EQ(ParseCommandLine({"/play", "/tmp/no/such/film.flm"}).fileName, "/tmp/no/such/film.flm");
    EXPECT_EQ(ParseCommandLine({"/tmp"}).fileName, "/tmp");
    const CPlexoCmdInfo info = ParseCommandLine({"/second=/films/b.flm", "/side=t", "/nothing-here.flm"});
    EXPECT_EQ(info.fileName, "");
    EXPECT_EQ(info.options.secondFilm, "/films/b.flm");
    EXPECT_EQ(info.options.side, 3);
    // An empty parameter is a file name; a lone "/" or "-" an empty flag.
    EXPECT_EQ(ParseCommandLine({"", "/", "-"}).fileName, "");
}

struct PeriodCase {
    double fps;
    int period;
};

class PlayPeriod : public testing::TestWithParam<PeriodCase> {};

TEST_P(PlayPeriod, TruncatesWithFloorOfOneAndIdleForNoRate)
{
    EXPECT_EQ(PlayPeriodMs(GetParam().fps), GetParam().period);
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayPeriod,
                         testing::Values(PeriodCase{15, 66}, PeriodCase{3, 333}, PeriodCase{12.5, 80},
                                         PeriodCase{2000, 1}, PeriodCase{1e9, 1}, PeriodCase{0, 0xFFFFFF},
                                         PeriodCase{-5, 0xFFFFFF}, PeriodCase{std::nan(""), 0xFFFFFF},
                                         PeriodCase{1e-9, 0xFFFFFF}));

}  // namespace
}  // namespace plexo
