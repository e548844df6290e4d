#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc/command_line.h"

namespace plexo {
namespace {

struct ParseCase {
    std::vector<std::string> parameters;
    std::string fileName;
    int shift, side;
    std::string switches;  // p play, s stereo, i invert, r round
    std::string secondFilm;
};

class CommandLine : public testing::TestWithParam<ParseCase> {};

TEST_P(CommandLine, Parses)
{
    const ParseCase& c = GetParam();
    const CPlexoCmdInfo info = ParseCommandLine(c.parameters);
    const CommandLineOptions& o = info.options;
    const std::string switches =
        std::string(o.play ? "p" : "") + (o.stereo ? "s" : "") + (o.invert ? "i" : "") + (o.round ? "r" : "");
    EXPECT_EQ(info.fileName, c.fileName);
    EXPECT_EQ(o.shift, c.shift);
    EXPECT_EQ(o.side, c.side);
    EXPECT_EQ(switches, c.switches);
    EXPECT_EQ(o.secondFilm, c.secondFilm);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, CommandLine,
    testing::Values(
        // A= reads like scanf; outside -100..100 it falls back to 4, no number keeps the earlier value.
        ParseCase{{}, "", 4, 0, "", ""}, ParseCase{{"/A=100"}, "", 100, 0, "", ""},
        ParseCase{{"-A=-100"}, "", -100, 0, "", ""}, ParseCase{{"/A=101"}, "", 4, 0, "", ""},
        ParseCase{{"/A=-101"}, "", 4, 0, "", ""}, ParseCase{{"/A=-7", "/A=x"}, "", -7, 0, "", ""},
        ParseCase{{"/A= 12abc"}, "", 12, 0, "", ""},
        ParseCase{{"/A=99999999999999999999"}, "", 4, 0, "", ""}, ParseCase{{"a.flm", "A=7"}, "a.flm", 4, 0, "", ""},
        // side= takes its sixth character; anything else leaves the earlier side.
        ParseCase{{"/side=top"}, "", 4, 3, "", ""}, ParseCase{{"-side=l"}, "", 4, 2, "", ""},
        ParseCase{{"/side=b", "/side=", "/side=X", "/Side=t"}, "", 4, 1, "", ""},
        // Switches take "/" or "-" and are case-sensitive; without either they are the film.
        ParseCase{{"/play", "-stereo", "/invert", "-round"}, "", 4, 0, "psir", ""},
        ParseCase{{"/Play", "-Stereo", "/playing", "play"}, "play", 4, 0, "", ""},
        ParseCase{{"-second=", "one.flm", "/second=b c.flm", "two.flm"}, "one.flm", 4, 0, "", "b c.flm"},
        // Absolute paths are file names, not flags, also inside a flag's value.
        ParseCase{{"/play", "/tmp/no/such/film.flm"}, "/tmp/no/such/film.flm", 4, 0, "p", ""},
        ParseCase{{"/second=/films/b.flm", "/side=t", "/nothing-here.flm"}, "", 4, 3, "", "/films/b.flm"},
        ParseCase{{"", "/", "-"}, "", 4, 0, "", ""}));

// The --help and --version texts are the install test's.
TEST(CommandLineExtras, WhatIsNotTakenAsTypedIsToldAndTheKnownFlagsStillRead)
{
    const CPlexoCmdInfo info =
        ParseCommandLine({"film.flm", "--fullscreen", "/Play", "/A=3", "/A=500x", "/A=3", "/nothing-here.mkv"});
    EXPECT_EQ(info.notices, (std::vector<std::string>{"unknown flag '--fullscreen' ignored (see plexo --help)",
                                                      "unknown flag '/Play' ignored (see plexo --help)",
                                                      "A=500 is outside -100..100; the partner offset is 4",
                                                      "no file named '/nothing-here.mkv'"}));
    EXPECT_EQ(info.options.shift, 3);
}

TEST(CommandLineExtras, SeveralFilmsMakeAListAndSlideshowTakesItsSeconds)
{
    // The seconds taken, or 0 (the Settings time) with a notice.
    for (const auto& [flag, seconds] : {std::pair{"--slideshow=12", 12}, {"/slideshow=3600", 3600}, {"--slideshow", 0},
                                        {"-slideshow=0", 0}, {"--slideshow=2.5", 0}, {"--slideshow=", 0}}) {
        const CPlexoCmdInfo info = ParseCommandLine({"a.mkv", flag, "b c.mkv"});
        EXPECT_TRUE(info.options.slideshow && info.options.slideSeconds == seconds) << flag;
        EXPECT_EQ(info.notices.size(), seconds == 0 && flag != std::string("--slideshow")) << flag;
        EXPECT_EQ(info.fileNames, (std::vector<std::string>{"a.mkv", "b c.mkv"}));
    }
}

// FILM is any film the viewer opens, not only a .flm file.
TEST(CommandLineExtras, HelpNamesEveryKindOfFilm)
{
    const std::string help = InformationRequested({"--help"});
    for (const char* kind : {"BMP", "JPEG", ".flm", "MPO", "JPS", "video"})
        EXPECT_NE(help.find(kind), std::string::npos) << kind;
}

}  // namespace
}  // namespace plexo
