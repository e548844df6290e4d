#include "audio/sound_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "audio/sound_fixtures.h"

namespace plexo::audio {
namespace {

// The whole sound a Restart gives, to the picture's end.
std::vector<float> ReadAll(SoundDecoder& decoder)
{
    std::vector<float> all;
    std::vector<float> chunk(1000 * size_t(decoder.Format().channels));
    std::string why;
    for (long n; (n = decoder.Read(chunk.data(), 1000, why)) > 0;)
        all.insert(all.end(), chunk.begin(), chunk.begin() + n * decoder.Format().channels);
    EXPECT_EQ(why, "");
    return all;
}

struct Timing {
    double soundDelay;
    double from;
    double speed;
    // In seconds of the samples given: where the beep starts, and their end.
    double onset;
    double length;
};

class SoundTiming : public testing::TestWithParam<Timing> {};

// The picture's times rule: the beep, 1 s into a sound that starts
// `soundDelay` after the picture, sounds where the film time says, on from
// any point and at any speed, and the sound ends with the 2 s picture
// though it lasts 3 s.
TEST_P(SoundTiming, BeepLandsAtItsFilmTime)
{
    const Timing t = GetParam();
    test::TempDir dir;
    const std::string film = test::MakeBeepFilm(dir, "beep.mkv", t.soundDelay);
    ASSERT_FALSE(film.empty());
    std::string why;
    const auto decoder = SoundDecoder::Open(film, -1, 2000000, why);
    ASSERT_TRUE(decoder) << why;
    ASSERT_EQ(decoder->Format().rate, 48000);
    ASSERT_TRUE(decoder->Restart(Micros(t.from * 1e6), t.speed, why)) << why;
    const std::vector<float> all = ReadAll(*decoder);
    const int channels = decoder->Format().channels;
    // atempo works in windows of a few milliseconds.
    const double slack = t.speed == 1 ? 0.0005 : 0.02;
    EXPECT_NEAR(test::Onset(all, channels) / 48000.0, t.onset, slack);
    EXPECT_NEAR(double(all.size()) / channels / 48000.0, t.length, slack);
}

INSTANTIATE_TEST_SUITE_P(Decoder, SoundTiming,
                         testing::Values(Timing{0, 0, 0.75, 1.3333, 2.6667}, Timing{0, 0, 1.5, 0.6667, 1.3333}, Timing{0, 0, 1, 1.0, 2.0}, Timing{0, 0.5, 1, 0.5, 1.5},
                                         Timing{0, 0, 2, 0.5, 1.0}, Timing{0, 0.4, 0.5, 1.2, 3.2},
                                         Timing{0.3, 0, 1, 1.3, 2.0}, Timing{0.3, 1.2, 1, 0.1, 0.8},
                                         Timing{0, -0.5, 1, 1.5, 2.5}));

// Sound an hour after the picture's start: the silence before it is made a
// chunk at a time, never held whole, and the sound lands on its time.
TEST(SoundDecoder, HourLongGapIsNeverHeldWhole)
{
    test::TempDir dir;
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=1 -itsoffset 3590 "
                                 "-f lavfi -i aevalsrc=0.5:s=8000:d=1 -c:v libx264 -c:a pcm_s16le '" + dir.file("late.mkv") + "'"));
    std::string why;
    const auto decoder = SoundDecoder::Open(dir.file("late.mkv"), -1, 3591000000, why);
    ASSERT_TRUE(decoder && decoder->Restart(0, 1, why)) << why;
    std::vector<float> chunk(1 << 16);
    long at = 0, onset = -1;
    for (long n; (n = decoder->Read(chunk.data(), chunk.size(), why)) > 0; at += n) {
        ASSERT_LE(decoder->Held(), 8000u);
        const auto loud = std::find_if(chunk.begin(), chunk.begin() + n, [](float v) { return v > 0.1f; });
        if (onset < 0 && loud != chunk.begin() + n)
            onset = at + long(loud - chunk.begin());
    }
    EXPECT_EQ(std::pair(onset, at), std::pair(3590L * 8000, 3591L * 8000));
}

TEST(SoundDecoder, VideoWithoutSoundOpensSilentlyAndAMissingTrackSaysSo)
{
    test::TempDir dir;
    const std::string film = test::MakeBeepFilm(dir, "beep.mkv", 0);
    ASSERT_FALSE(film.empty());
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -i '" + film + "' -an -c copy '" + dir.file("mute.mkv") + "'"));
    std::string why = "unset";
    EXPECT_FALSE(SoundDecoder::Open(dir.file("mute.mkv"), -1, 0, why));
    EXPECT_EQ(why, "");
    EXPECT_FALSE(SoundDecoder::Open(film, 0, 0, why));
    EXPECT_EQ(why, "the film has no sound track 0");
}

}  // namespace
}  // namespace plexo::audio
