#include "audio/sound_player.h"

#include <gtest/gtest.h>

#include "audio/export_sound.h"
#include "audio/fake_sink.h"
#include "audio/sound_fixtures.h"
#include "platform/log.h"

namespace plexo::audio {
namespace {

class SoundPlayerTest : public testing::Test {
protected:
    void SetUp() override
    {
        film_ = test::MakeBeepFilm(dir_, "beep.mkv", 0);
        ASSERT_FALSE(film_.empty());
        player_.SetFilm(film_, -1, 2000000);
        platform::ClearLog();
    }
    // Feeds until `seconds` of sound went to the last stream.
    void FeedFor(double seconds)
    {
        while (sink_.streams.empty() || sink_.streams.back().size() < size_t(seconds * 48000 * 2))
            ASSERT_TRUE(player_.Feed(0));
    }
    test::TempDir dir_;
    std::string film_;
    test::FakeSinkState sink_;
    SoundPlayer player_{std::make_unique<test::FakeSink>(sink_), SoundPlayer::Feeding::Caller};
};

TEST_F(SoundPlayerTest, PositionIsTheFilmTimeHeard)
{
    ASSERT_TRUE(player_.Play(500000, 2.0));
    // Nothing heard yet: the picture waits where Play put it.
    EXPECT_EQ(player_.Position(), 500000);
    FeedFor(0.1);
    EXPECT_EQ(player_.Position(), 500000);
    sink_.heard = 200000;
    EXPECT_EQ(player_.Position(), 900000);
    player_.Stop();
    EXPECT_EQ(player_.Position(), std::nullopt);
}

// Every Play is a new stream from the exact film time asked: a seek while
// playing is heard from its own point, never from what was queued before.
TEST_F(SoundPlayerTest, PlayAgainRestartsInSync)
{
    ASSERT_TRUE(player_.Play(0, 1.0));
    FeedFor(0.3);
    ASSERT_TRUE(player_.Play(700000, 1.0));
    FeedFor(0.5);
    ASSERT_EQ(sink_.streams.size(), 2u);
    EXPECT_GE(sink_.stops, 1);
    // Matroska times are in milliseconds.
    EXPECT_NEAR(test::Onset(sink_.streams.back(), 2), 0.3 * 48000, 48);
    // At the picture's end the stream ends: 1.3 s of film and the silence
    // that pushes it out.
    while (player_.Feed(0)) {
    }
    EXPECT_LE(sink_.streams.back().size() / 2, size_t(1.3 * 48000 + 48000 / 20 + 1));
    EXPECT_GE(sink_.streams.back().size() / 2, size_t(1.3 * 48000));
}

TEST_F(SoundPlayerTest, SilentOutsideHalfToTwiceWithoutALogLine)
{
    for (const double speed : {0.49, 2.01, -1.0}) {
        EXPECT_FALSE(player_.Play(0, speed));
        EXPECT_FALSE(player_.Feed(0));
    }
    EXPECT_TRUE(sink_.streams.empty());
    EXPECT_EQ(platform::LogText(), "");
}

struct Fault {
    const char* name;
    std::string test::FakeSinkState::*failure;
    const char* reason;
};

class SoundFaults : public SoundPlayerTest, public testing::WithParamInterface<Fault> {};

// A fault leaves the position empty, so the clock runs on the wall clock,
// and is logged once, however many Plays meet it; once gone, the next Play
// has sound again.
TEST_P(SoundFaults, FallBackToTheWallClockWithOneLine)
{
    sink_.*GetParam().failure = GetParam().reason;
    for (int play = 0; play < 2; ++play) {
        ASSERT_TRUE(player_.Play(0, 1.0));
        while (player_.Feed(0)) {
        }
        EXPECT_EQ(player_.Position(), std::nullopt);
    }
    // A Stop that lands while the sink starts is no fault.
    sink_.duringStart = [this] { player_.Stop(); };
    ASSERT_TRUE(player_.Play(0, 1.0));
    EXPECT_FALSE(player_.Feed(0));
    sink_.duringStart = nullptr;
    EXPECT_EQ(platform::LogText(),
              std::string("\r\nNo sound: ") + GetParam().reason + "; the film plays on its own clock");
    sink_.*GetParam().failure = "";
    ASSERT_TRUE(player_.Play(0, 1.0));
    ASSERT_TRUE(player_.Feed(0));
    EXPECT_EQ(player_.Position(), 0);
}

INSTANTIATE_TEST_SUITE_P(Player, SoundFaults,
                         testing::Values(Fault{"NoServer", &test::FakeSinkState::startFailure, "no sound server: Connection refused"},
                                         Fault{"ServerGone", &test::FakeSinkState::writeFailure, "the sound server went away"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Sound whose every packet is garbage, but for a lucky frame or two that the
// decoder takes: a fault, logged once, not a silent film. Where the frames
// the decoder took stand, the silence before them plays out first.
TEST_F(SoundPlayerTest, MostlyGarbageSoundIsAFaultLoggedOnce)
{
    const std::string garbled = test::MakeBeepFilm(dir_, "garbled.mkv", 0, "-c:a mp2 -bsf:a noise=amount=1");
    ASSERT_FALSE(garbled.empty());
    player_.SetFilm(garbled, -1, 2000000);
    for (int play = 0; play < 2; ++play) {
        ASSERT_TRUE(player_.Play(0, 1.0));
        while (player_.Feed(0)) {
        }
        EXPECT_EQ(player_.Position(), std::nullopt);
    }
    EXPECT_EQ(platform::LogText(), "\r\nNo sound: its sound cannot be decoded; the film plays on its own clock");
}

// An export at another rate than the film's own keeps its picture and
// drops the sound with the line that says why; the video is not touched.
TEST_F(SoundPlayerTest, ExportAtAnotherSpeedDropsTheSound)
{
    test::WriteBytes(dir_.file("out.mp4"), {1, 2, 3});
    EXPECT_TRUE(AddExportSound({dir_.file("out.mp4"), film_, -1, 2000000, 25, 50}));
    EXPECT_EQ(platform::LogText(), "\r\nsound dropped: not at the film's own speed");
    EXPECT_EQ(test::ReadBytes(dir_.file("out.mp4")), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace plexo::audio
