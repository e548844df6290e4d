#include "play/player.h"
#include "play/delay_meter.h"
#include "play/time_seek.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "support/fake_film.h"
#include "support/fixtures.h"

namespace plexo::play {
namespace {

using test::FakeFilm;

class FakeWall : public WallClock {
public:
    Micros Now() const override { return now; }
    Micros now = 1000000;
};

// A film of 2x1 frames whose frame p lies at p × `step` microseconds; the
// frames in `late` are not decoded until they are taken out of it.
class TimedFilm : public FakeFilm {
public:
    TimedFilm(int count, double rate) : FakeFilm(count, {2, 1}), rate_(rate) {}
    FilmFacts Facts() const override
    {
        FilmFacts facts = FakeFilm::Facts();
        facts.frameRate = rate_;
        return facts;
    }
    TimedSource& Timing() override { return timing_; }
    EyePairPtr PairAt(int32_t position, Tone tone)
    {
        const int32_t at = Position();
        Seek(position);
        EyePairPtr pair = Pair(tone);
        Seek(at);
        return pair;
    }
    std::set<int32_t> late;
    bool ahead = false;
    int32_t standIn = -1;

private:
    struct Times final : TimedSource {
        explicit Times(TimedFilm& film) : film(film) {}
        int64_t TimeAt(int32_t position) const override { return int64_t(double(position) * 1e6 / film.rate_); }
        bool ReadyAt(int32_t position) override { return !film.late.count(position); }
        // As a video's, with `ahead`: its cursor moved there and back.
        EyePairPtr ReadyPair(int32_t position, Tone tone) override
        {
            return film.ahead && ReadyAt(position) ? film.PairAt(position, tone) : nullptr;
        }
        // While the frame at the cursor is late, the one at `standIn` shows.
        EyePairPtr StandIn(Tone tone) override
        {
            return film.standIn >= 0 ? film.PairAt(film.standIn, tone) : nullptr;
        }
        TimedFilm& film;
    };
    double rate_;
    Times timing_{*this};
};

class Recorder : public Output {
public:
    void Show(const EyePairPtr& pair, const Showing&) override { numbers.push_back(pair ? pair->frameNumber : -1); }
    Micros Delay() const override { return delay; }
    std::vector<int> numbers;
    Micros delay = 0;
};

// The sound output: the film times it was started at, whether it is heard
// then, and the film time it says is heard.
class FakeSound : public SoundOutput {
public:
    bool Start(Micros from, double) override { return legs.push_back(from), heard; }
    void Stop() override {}
    std::optional<Micros> Position() override { return at; }
    void SetVolume(int, bool) override {}
    std::vector<Micros> legs;
    bool heard = true;
    std::optional<Micros> at;
};

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest() { player.AddOutput(out); }
    Film& SetFilm(FilmPtr film)
    {
        film_ = std::move(film);
        player.SetFilm(film_.get(), ++serial_);
        return *film_;
    }
    TimedFilm& Timed(int count, double rate)
    {
        auto film = std::make_unique<TimedFilm>(count, rate);
        TimedFilm& made = *film;
        SetFilm(std::move(film));
        return made;
    }
    // A film with times at its own rate, as the viewer plays a video; a
    // film of frames at 15 a second.
    void Play() { player.Play(film_->FrameRate() > 0 ? film_->FrameRate() : 15.0); }
    // Moves the wall clock to `us` after the start and makes one pass.
    Player::Pass At(Micros us)
    {
        wall.now = start + us;
        return player.Tick();
    }
    int Shown() const { return out.numbers.empty() ? -1 : out.numbers.back(); }
    // Frame numbers shown after each of `ticks` passes of a film of frames.
    std::vector<int> Ticks(int ticks)
    {
        std::vector<int> seen;
        for (int i = 0; i < ticks; ++i) {
            player.Tick();
            seen.push_back(film_->FrameNumber());
        }
        return seen;
    }

    FilmPtr film_;
    uint64_t serial_ = 0;
    FakeWall wall;
    const Micros start = wall.now;
    Player player{wall};
    Recorder out;
};

TEST_F(PlayerTest, AFilmOfFramesStepsEachPeriodBouncingAtTheEndsWithoutRoundAndLoopingWithIt)
{
    Film& film = SetFilm(FakeFilm::WithFrames(5));
    Play();
    EXPECT_EQ(player.PeriodMs(), 66);
    EXPECT_EQ(Ticks(6), (std::vector<int>{1, 2, 3, 4, 3, 2}));
    EXPECT_EQ(player.Stop(), std::optional<bool>(false)) << "it went back when it stopped";
    EXPECT_EQ(player.Stop(), std::nullopt);
    EXPECT_EQ(player.LateFrames(), -1) << "a film of frames is never late";

    player.SetSettings({.step = 2});  // at frame 2 only two forward moves are left
    Play();
    EXPECT_EQ(Ticks(3), (std::vector<int>{3, 0, 1}));
    film.SetRound(true);
    player.SetSettings({.step = 1});
    EXPECT_EQ(Ticks(3), (std::vector<int>{3, 0, 2}));
    EXPECT_EQ(Shown(), 2);
}

// 23.976 frames a second through a millisecond timer played 2.4 % fast; the
// clock goes by the frames' own times.
TEST_F(PlayerTest, AVideoShowsEachFrameAtItsOwnTime)
{
    Timed(100000, 24000.0 / 1001);
    Play();
    EXPECT_EQ(player.PeriodMs(), 0);
    EXPECT_EQ(Shown(), 0) << "the first frame shows at the start";
    EXPECT_FALSE(At(41707).shown);
    const Player::Pass first = At(41708);
    EXPECT_TRUE(first.shown);
    EXPECT_EQ(Shown(), 1);
    EXPECT_EQ(first.wait, 83416 - 41708);
    At(60000);
    player.Refresh();
    At(90000);
    EXPECT_EQ(Shown(), 2) << "a repaint that moved nothing leaves the clock alone";
    At(60'000'000);
    EXPECT_EQ(Shown(), 1438) << "60 s hold 1438.56 frames";
    EXPECT_EQ(player.LateFrames(), 1435) << "frames 3 to 1437, skipped over";
}

// A key held down steps on without waiting for the decoder: the picture
// stays up until the last step's frame is ready, and the frames stepped
// over are never shown.
TEST_F(PlayerTest, AStepOutOfPlaybackShowsOnlyTheLastFrameAskedForOnceReady)
{
    TimedFilm& film = Timed(10, 25);
    player.Refresh();
    const int first = Shown();
    film.late = {2, 3};
    for (const int32_t to : {2, 3}) {
        film_->Seek(to);
        player.Refresh();
    }
    EXPECT_TRUE(player.Waiting());
    EXPECT_EQ(Shown(), first);
    EXPECT_FALSE(player.Tick().shown);
    film.late = {};
    EXPECT_TRUE(player.Tick().shown);
    EXPECT_FALSE(player.Waiting());
    EXPECT_EQ(std::vector<int>(out.numbers.end() - 2, out.numbers.end()), (std::vector<int>{first, first + 3}));
}

// Play and a seek while playing never wait for their frame: the clock and
// the sound hold until a pass finds it, and go on from there.
TEST_F(PlayerTest, PlayAndASeekWhilePlayingHoldTheClockUntilTheirFrameIsReady)
{
    TimedFilm& film = Timed(100, 25);
    auto owned = std::make_unique<FakeSound>();
    FakeSound& sound = *owned;
    sound.heard = false;
    player.SetSound(std::move(owned));
    film.late = {0};
    Play();
    EXPECT_FALSE(At(500000).shown);
    film.late = {};
    EXPECT_TRUE(At(500000).shown);
    At(540000);
    EXPECT_EQ(Shown(), 1) << "the clock started when frame 0 showed";
    film.late = {50};
    film.standIn = 48;
    film_->Seek(50);
    player.Refresh();
    At(2'000'000);
    EXPECT_EQ(Shown(), 48) << "the keyframe before stands in";
    film.late = {};
    At(2'000'000);
    At(2'040'000);
    EXPECT_EQ(Shown(), 51);
    EXPECT_EQ(sound.legs, (std::vector<Micros>{0, 2'000'000}));
}

// An output that takes 30 ms to put a picture on the screen is shown each
// frame 30 ms ahead of its time; a stall is made up for 100 ms at most, and
// the view's measure is the median of its last paints.
TEST_F(PlayerTest, AnOutputsDelayShowsEachFrameThatMuchAhead)
{
    Timed(100, 25);
    Play();
    out.delay = 30000;
    At(9999);
    EXPECT_EQ(Shown(), 0);
    At(10000);
    EXPECT_EQ(Shown(), 1);
    out.delay = 500000;
    At(20000);
    EXPECT_EQ(Shown(), 3);
    DelayMeter meter;
    for (const Micros took : {20000, 90000, 25000, 2'000'000})
        meter.Shown(0), meter.Painted(took);
    meter.Painted(1000);
    EXPECT_EQ(meter.Delay(), 90000) << "of 20, 25, 90 and 100 (held) ms; a paint of nothing new counts not";
}

TEST_F(PlayerTest, AFrameNotReadyByItsTimeIsSkippedAndCounted)
{
    TimedFilm& film = Timed(10, 25);
    film.late = {1, 2};
    Play();
    const Player::Pass waiting = At(40000);
    EXPECT_FALSE(waiting.shown) << "the frame before stays up, not shown late";
    EXPECT_LE(waiting.wait, 4000) << "and the player looks again soon";
    film.late = {2};
    At(80000);
    EXPECT_EQ(Shown(), 1) << "frame 1, ready within its time, shows";
    EXPECT_EQ(player.LateFrames(), 0);
    film.late = {};
    At(160000);
    EXPECT_EQ(Shown(), 4);
    EXPECT_EQ(player.LateFrames(), 2) << "frames 2 and 3 were due and not shown";
    wall.now = start + 250000;
    player.Stop();
    EXPECT_EQ(player.LateFrames(), 4) << "frames 5 and 6 were due when it stopped";
    Timed(10, 25);
    player.Refresh();
    EXPECT_EQ(player.LateFrames(), -1) << "the next film starts with no count";
}

// A decoder far behind the clock still moves the picture on: the newest
// frame it has made is shown, however far the frame due has run ahead,
// whether or not its pairs are staged ahead.
TEST_F(PlayerTest, AFilmFarBehindItsClockShowsTheNewestFrameDecoded)
{
    TimedFilm& film = Timed(1000, 25);
    for (int32_t p = 4; p < 1000; ++p)
        film.late.insert(p);
    Play();
    At(20'000'000);
    EXPECT_EQ(Shown(), 3) << "frame 500 is due, frames 1 to 3 are decoded";
    EXPECT_EQ(player.LateFrames(), 2);

    // So it does with every pair staged ahead on a worker.
    player.Stop();
    film_->Seek(0);
    film.ahead = true;
    player.SetStage([](const EyePair& pair) { return std::make_shared<EyePair>(pair); });
    Play();
    for (int spins = 0; Shown() != 3 && spins < 1'000'000; ++spins) {
        At(40'000'000);
        std::this_thread::yield();
    }
    EXPECT_EQ(Shown(), 3);
}

TEST_F(PlayerTest, TheFilmsRateAndStepScaleItsTimesAndAMasterDrivesTheClock)
{
    Timed(100, 25);
    player.SetSettings({.step = 1});
    player.Play(50);
    At(40000);
    EXPECT_EQ(Shown(), 4) << "twice the rate, two frames a step";
    EXPECT_EQ(player.LateFrames(), 1) << "frame 2 was due, frames 1 and 3 skipped for the step";
    player.Stop();

    auto owned = std::make_unique<FakeSound>();
    FakeSound& sound = *owned;
    player.SetSettings({});
    player.SetSound(std::move(owned));
    Play();
    sound.at = 2'000'000;
    At(10);
    EXPECT_EQ(Shown(), 50) << "the sound heard decides";
    sound.at.reset();
    At(40010);
    EXPECT_EQ(Shown(), 51) << "without it the wall clock goes on from there";
}

// Seeks by time from the clock's time or the frame's, within the film; a
// delayed sound starts earlier in the film and the clock follows it later.
TEST_F(PlayerTest, SeeksByTimeAndDelaysTheSoundOnTheClock)
{
    TimedFilm& video = Timed(250, 25);
    const auto seek = [&](Film& film, Micros by, double rate) {
        const std::optional<TimeSeek> to = SeekByTime(film, player.FilmTime(rate).value_or(-1), by, rate);
        return to ? std::pair{to->position, TimeLineText(*to)} : std::pair{-1, std::string()};
    };
    using Landed = std::pair<int, std::string>;
    EXPECT_EQ(seek(video, 5'000'000, 0), Landed(125, "0:05 / 0:10"));
    FakeSound& sound = *new FakeSound;
    player.SetSound(std::unique_ptr<FakeSound>(&sound));
    player.SetSoundDelay(300'000);
    video.Seek(125);
    Play();
    EXPECT_EQ(sound.legs.back(), 4'700'000);
    sound.at = 7'200'000;
    At(10);
    EXPECT_EQ(std::pair(player.FilmTime(0), Shown()), std::pair(std::optional<Micros>(7'500'000), 187));
    EXPECT_EQ(seek(video, -5'000'000, 0), Landed(62, "0:02 / 0:10"));
    EXPECT_EQ(seek(video, 60'000'000, 0), Landed(249, "0:09 / 0:10"));
    EXPECT_EQ(seek(video, -60'000'000, 0), Landed(0, "0:00 / 0:10"));
    player.SetSoundDelay(-200'000);
    EXPECT_EQ(sound.legs.back(), 7'700'000);
    player.Stop();
    Film& frames = SetFilm(FakeFilm::WithFrames(100));
    frames.Seek(10);
    EXPECT_EQ(seek(frames, 5'000'000, 15), Landed(85, "0:05 / 0:06"));
    EXPECT_EQ(seek(frames, 5'000'000, 0).first, -1) << "no times and no rate";
    EXPECT_EQ(ClockText(3'723'000'000) + " " + DelayText(-200'000), "1:02:03 -200 ms");
}

// A video plays forward whichever way it was stepped, stops on its last
// frame without Round and loops with it.
TEST_F(PlayerTest, AVideoPlaysForwardAndStopsAtItsEndWithoutRoundAndLoopsWithIt)
{
    Timed(3, 25);
    player.SetSettings({.forward = false});
    Play();
    At(50000);
    EXPECT_EQ(Shown(), 1) << "forward after a step back";
    At(100000);
    EXPECT_EQ(Shown(), 2);
    EXPECT_TRUE(player.Playing());
    At(130000);
    EXPECT_FALSE(player.Playing()) << "stopped at the end";
    EXPECT_EQ(Shown(), 2);
    EXPECT_EQ(player.LateFrames(), 0);

    film_->SetRound(true);
    Play();
    At(250000);
    EXPECT_EQ(Shown(), 0) << "looped to the first frame";
    EXPECT_TRUE(player.Playing());
}

// A stage on the way to the screen (alignment of every frame) runs on a
// worker while a video plays, ahead of each frame's showing: a frame the
// decoder made is shown only once staged, and a seek drops what was staged.
TEST_F(PlayerTest, AVideoPlayingThroughAStageIsStagedAheadOnAWorker)
{
    TimedFilm& film = Timed(50, 25);
    film.ahead = true;
    // Shared with the worker, which may outlive this test's locals.
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        int upTo = 0;
        std::vector<std::pair<int, std::thread::id>> staged;
        void Open(int frame)
        {
            {
                const std::lock_guard lock(mutex);
                upTo = frame;
            }
            opened.notify_all();
        }
    };
    const auto gate = std::make_shared<Gate>();
    player.SetStage([gate](const EyePair& pair) {
        std::unique_lock lock(gate->mutex);
        gate->staged.emplace_back(pair.frameNumber, std::this_thread::get_id());
        gate->opened.wait(lock, [&] { return pair.frameNumber <= gate->upTo; });
        auto marked = std::make_shared<EyePair>(pair);
        marked->partnerNumber = -2;
        return EyePairPtr(marked);
    });
    const auto shownStaged = [&] { return player.ShownPair() && player.ShownPair()->partnerNumber == -2; };
    gate->Open(0);
    // The decoder behind: the frames after frame 1 come later.
    film.late = {2, 3};
    Play();
    EXPECT_TRUE(shownStaged()) << "the first frame is staged before the clock starts";
    EXPECT_FALSE(At(40000).shown) << "frame 1 is decoded, not yet staged";
    gate->Open(1);
    while (!At(40000).shown)
        std::this_thread::yield();
    film.late = {};
    EXPECT_EQ(Shown(), 1);
    EXPECT_TRUE(shownStaged());

    gate->Open(30);
    film_->Seek(30);
    player.Refresh();
    EXPECT_EQ(Shown(), 30);
    EXPECT_TRUE(shownStaged());
    gate->Open(50);
    const std::lock_guard lock(gate->mutex);
    const auto here = std::this_thread::get_id();
    std::vector<int> onThisThread, onTheWorker;
    for (const auto& [frame, thread] : gate->staged)
        (thread == here ? onThisThread : onTheWorker).push_back(frame);
    EXPECT_EQ(onThisThread, (std::vector<int>{0, 30})) << "a start and a seek wait for their frame's stage";
    ASSERT_GE(onTheWorker.size(), 1U);
    EXPECT_EQ(onTheWorker[0], 1);
    EXPECT_TRUE(std::adjacent_find(onTheWorker.begin(), onTheWorker.end(), std::greater_equal<>()) == onTheWorker.end())
        << "each frame asked of the worker once, in order";
}

}  // namespace
}  // namespace plexo::play
