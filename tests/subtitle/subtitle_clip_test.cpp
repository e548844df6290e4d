// Subtitles over a made side-by-side clip: a background of noise on the
// screen plane and a textured square 12 pixels in front of it (each eye's
// copy 6 pixels aside) that passes under the subtitle.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "film/open_film.h"
#include "film/staged_film.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"
#include "subtitle/changed_column.h"
#include "subtitle/ahead_worker.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/disparity.h"
#include "subtitle/look_ahead.h"
#include "subtitle/subtitle_file.h"
#include "subtitle/subtitle_stage.h"
#include "subtitle/stream_subtitles.h"
#include "subtitle/subtitled_pair.h"
#include "video/video_formats.h"

namespace plexo::subtitle {
namespace {

constexpr int kObjectDisparity = 12;

class SubtitleClip : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        video::AddVideoFormats();
        dir_ = new test::TempDir;
        // The square crosses x = 20 + 60 t; the subtitle shows from 0.5 s to
        // 3.5 s at the bottom centre.
        clip_ = dir_->file("clip.mkv");
        ASSERT_TRUE(test::RunCommand(
            "ffmpeg -v error -y -f lavfi -i color=c=gray:s=160x90:r=25,noise=alls=100:allf=u,scale=320:180:flags=neighbor "
            "-f lavfi -i testsrc2=s=64x64:rate=25 "
            "-filter_complex \"[0]format=yuv444p,split[a][b];[1]split[o1][o2];"
            "[a][o1]overlay=x='26+t*60':y=128[l];[b][o2]overlay=x='14+t*60':y=128[r];[l][r]hstack\" "
            "-t 4 -c:v libx264 -qp 0 -preset ultrafast -pix_fmt yuv444p " + clip_));
        test::WriteBytes(dir_->file("clip.srt"),
                         {std::begin(kSrt), std::end(kSrt) - 1});
    }
    static void TearDownTestSuite() { delete dir_; }

    FilmPtr Open() { return OpenFilmByExtension(clip_, StereoLayout{LayoutKind::SideBySide, false, false}); }

    // The film with the stage's subtitles drawn, as a pipeline shows it.
    static std::unique_ptr<Film> Subtitled(Film& film, SubtitleStage& stage)
    {
        return std::make_unique<StagedFilm>(film, [&film, &stage](const EyePair& pair) {
            return SubtitledPair(stage, film.FrameRate(), pair, StageOptions{});
        });
    }

    static SubtitleStage Stage()
    {
        std::string why;
        SubtitleSourcePtr source = OpenSubtitleFile(dir_->file("clip.srt"), why);
        EXPECT_TRUE(source) << why;
        return SubtitleStage(std::move(source));
    }

    static constexpr char kSrt[] = "1\r\n00:00:00,500 --> 00:00:03,500\r\nHello <i>depth</i>\r\n";
    static inline test::TempDir* dir_ = nullptr;
    static inline std::string clip_;
};

TEST_F(SubtitleClip, MeasuresTheNearObjectAndTheBackground)
{
    FilmPtr film = Open();
    ASSERT_TRUE(film && film->Eyes() == 2);
    // At 2 s the square spans columns 140 to 210 of the first eye.
    ASSERT_TRUE(film->Seek(50));
    const EyePairPtr pair = film->Pair(Tone::Grey);
    ASSERT_TRUE(pair);
    EXPECT_EQ(NearestDisparity(pair->first, pair->second, {130, 130, 90, 40}, 40), kObjectDisparity);
    EXPECT_EQ(NearestDisparity(pair->first, pair->second, {250, 10, 60, 60}, 40), 0);
}

TEST_F(SubtitleClip, FixedDepthSplitsOddDisparitiesIntoWholePixelShifts)
{
    FilmPtr film = Open();
    ASSERT_TRUE(film && film->Seek(50));
    SubtitleStage stage = Stage();
    auto timed = std::make_shared<EyePair>(*film->Pair(Tone::Colour));
    timed->timestampUs = 2'000'000;
    const EyePairPtr plain = timed;
    int left[2] = {};
    for (const int d : {0, 7}) {
        StageOptions options;
        options.depth = {DepthMode::Fixed, d};
        const EyePairPtr drawn = stage.Apply(plain, options);
        ASSERT_TRUE(drawn && drawn != plain);
        const int first = test::FirstChangedColumn(drawn->first, plain->first);
        const int second = test::FirstChangedColumn(drawn->second, plain->second);
        left[d ? 1 : 0] = first;
        EXPECT_EQ(first - second, d);
        if (d) {
            EXPECT_EQ(first - left[0], 4) << "⌈7/2⌉ to the right in the first eye";
        }
    }
}

// The subtitle delayed shows at its time plus the delay. The on-screen line
// stands at the subtitles' fixed depth, drawn by a stage without a track
// too; an empty text draws nothing.
TEST_F(SubtitleClip, TheDelayMovesTheSubtitleAndTheLineStandsAtItsDepth)
{
    FilmPtr film = Open();
    ASSERT_TRUE(film && film->Seek(50));
    SubtitleStage stage = Stage(), lineOnly(nullptr);
    const auto at = [&](int64_t us) {
        auto timed = std::make_shared<EyePair>(*film->Pair(Tone::Colour));
        timed->timestampUs = us;
        return EyePairPtr(timed);
    };
    StageOptions options;
    options.depth = {DepthMode::Fixed, 7};
    for (const auto& [us, delay, drawn] : {std::tuple{300'000, 0, false}, {300'000, -300'000, true},
                                           {3'600'000, 0, false}, {3'600'000, 300'000, true}}) {
        options.delayUs = delay;
        const EyePairPtr plain = at(us);
        EXPECT_EQ(stage.Apply(plain, options) != plain, drawn) << us << " " << delay;
    }
    std::string why;
    const std::shared_ptr<TextLine> line = MakeTextLine(why);
    for (SubtitleStage* on : {&stage, &lineOnly}) {
        on->SetLine(line, "0:00 / 0:04");
        const EyePairPtr plain = at(300'000), drawn = on->Apply(plain, options);
        ASSERT_TRUE(line && drawn) << why;
        EXPECT_EQ(test::FirstChangedColumn(drawn->first, plain->first) -
                      test::FirstChangedColumn(drawn->second, plain->second), 7);
        on->SetLine(line, "");
        EXPECT_EQ(on->Apply(plain, options), plain);
    }
}

// Shown one to one in a view smaller than the eye, centred and cut, the
// subtitle is laid out within the part on the screen.
TEST_F(SubtitleClip, OneToOneInASmallViewKeepsTheSubtitleOnTheScreen)
{
    FilmPtr film = Open();
    ASSERT_TRUE(film && film->Seek(50));
    SubtitleStage stage = Stage();
    auto timed = std::make_shared<EyePair>(*film->Pair(Tone::Colour));
    timed->timestampUs = 2'000'000;
    const EyePairPtr plain = timed;
    // The rows from the top that the subtitle changed, first and last.
    const auto rows = [&](const StageOptions& options) {
        const EyePairPtr drawn = stage.Apply(plain, options);
        std::pair<int, int> changed{-1, -1};
        for (int top = 0; drawn && top < plain->first.height; ++top) {
            const int r = plain->first.height - 1 - top;
            if (!std::equal(drawn->first.row(r), drawn->first.row(r) + plain->first.rowBytes(), plain->first.row(r)))
                changed = {changed.first < 0 ? top : changed.first, top};
        }
        return changed;
    };
    StageOptions options;
    options.depth = {DepthMode::Fixed, 0};
    EXPECT_GT(rows(options).second, 140) << "over the whole eye, at its bottom";
    options.viewWidth = 200;
    options.viewHeight = 100;
    const auto [top, bottom] = rows(options);
    EXPECT_GE(top, 40);
    EXPECT_LT(bottom, 140) << "within rows 40 to 139, the eye's middle 100";
    EXPECT_GT(bottom, 100);
}

TEST_F(SubtitleClip, AutomaticDepthStaysInFrontOfTheObjectPassingUnder)
{
    FilmPtr film = Open();
    ASSERT_TRUE(film);
    SubtitleStage stage = Stage();
    // The frames of the event, shown one after another as playback does,
    // while the square (first eye's columns 26 + 2.4 n to 90 + 2.4 n) is
    // well under the text.
    for (int n = 13; n < 87; ++n) {
        ASSERT_TRUE(film->Seek(n));
        ASSERT_TRUE(FilmPicture(*Subtitled(*film, stage), Eye::Current, Tone::Colour));
        if (26 + n * 12 / 5 < 176 && 90 + n * 12 / 5 > 144) {
            EXPECT_GE(stage.lastDisparity(), kObjectDisparity + 2) << "frame " << n;
            EXPECT_LE(stage.lastDisparity(), kObjectDisparity + 6) << "frame " << n;
        }
    }
    // Gone from under the text, the square leaves it in front of the
    // background on the screen plane by no more than the bound.
    EXPECT_EQ(stage.lastDisparity(), kDepthMargin + kMaxDepthBeyond);
}

// The player's look-ahead: asked early, before the event shows; until its
// answer is in, the depth is that of what is under the text, and from then
// on in front of what it found.
TEST_F(SubtitleClip, PlayerAsksAheadEarlyAndTakesTheLateAnswer)
{
    FilmPtr film = Open();
    ASSERT_TRUE(film);
    SubtitleStage stage = Stage(), plain = Stage();
    std::vector<std::pair<int64_t, bool>> asked;
    std::optional<int> answer;
    stage.SetAheadAsk([&](const EventSpan& event, const Box&, bool early) {
        asked.emplace_back(event.start, early);
        return AheadAnswer{answer.has_value(), answer};
    });
    const auto draw = [&](SubtitleStage& on, int n) {
        EXPECT_TRUE(film->Seek(n));
        EXPECT_TRUE(FilmPicture(*Subtitled(*film, on), Eye::Current, Tone::Colour));
        return on.lastDisparity();
    };
    draw(stage, 5);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], std::pair(int64_t(500'000), true));
    EXPECT_EQ(draw(stage, 20), draw(plain, 20));
    EXPECT_EQ(asked.back(), std::pair(int64_t(500'000), false));
    answer = 30;
    EXPECT_EQ(draw(stage, 21), 32);
    EXPECT_EQ(draw(stage, 22), 32);
}

// The worker measures on its own thread: an ask while it measures does not
// wait (it would hang here, the measuring held), and the answer is kept.
TEST(AheadWorker, AnswersLaterFromItsOwnThread)
{
    std::promise<void> release, answered;
    std::shared_future<void> held = release.get_future().share();
    std::thread::id measuredOn;
    AheadWorker worker;
    worker.Start(
        [&](const EventSpan&, const Box&) -> std::optional<int> {
            measuredOn = std::this_thread::get_id();
            held.wait();
            return 30;
        },
        [&] { answered.set_value(); });
    const EventSpan event{500'000, 3'500'000};
    EXPECT_FALSE(worker.Ask(event, {}, true).known);
    EXPECT_FALSE(worker.Ask(event, {}).known);
    release.set_value();
    answered.get_future().wait();
    const AheadAnswer answer = worker.Ask(event, {});
    EXPECT_TRUE(answer.known);
    EXPECT_EQ(answer.nearest, 30);
    EXPECT_NE(measuredOn, std::this_thread::get_id());
}

// The measuring the tool waits for, run on the worker over a second opening
// of the clip: the square passes under the text during the event.
TEST_F(SubtitleClip, WorkerMeasuresTheEventOnItsOwnOpeningOfTheFilm)
{
    std::promise<void> answered;
    AheadWorker worker;
    worker.Start(FilmLookAhead(Open(), 40, worker.Stopping()), [&] { answered.set_value(); });
    const EventSpan event{500'000, 3'500'000};
    const Box box{120, 140, 80, 30};
    EXPECT_FALSE(worker.Ask(event, box).known);
    answered.get_future().wait();
    const AheadAnswer answer = worker.Ask(event, box);
    EXPECT_TRUE(answer.known);
    EXPECT_EQ(answer.nearest, kObjectDisparity);
}

TEST_F(SubtitleClip, ReadsTheVideosOwnTextStreams)
{
    const char* const muxes[][2] = {
        {"srt.mkv", "-c:s srt"}, {"ass.mkv", "-c:s ass"}, {"text.mp4", "-c:s mov_text"}, {"vtt.webm", "-c:s webvtt"}};
    for (const auto& [name, codec] : muxes) {
        const std::string out = dir_->file(name);
        // WebM takes VP8 or VP9 only: a short black clip stands in.
        const bool webm = std::string(name).ends_with(".webm");
        const std::string video = webm ? "-f lavfi -i color=s=64x48:d=4" : "-i " + clip_;
        ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y " + video + " -i " + dir_->file("clip.srt") +
                                     " -map 0:v -map 1 -metadata:s:s:0 language=fre " +
                                     (webm ? "-c:v libvpx -b:v 50k " : "-c:v copy ") + codec + " " + out))
            << name;
        const std::vector<SubtitleTrack> tracks = SubtitleStreams(out);
        ASSERT_EQ(tracks.size(), 1u) << name;
        EXPECT_EQ(tracks[0].language, "fre") << name;
        std::string why;
        const SubtitleSourcePtr source = OpenTrack(out, tracks[0], why);
        ASSERT_TRUE(source) << name << ": " << why;
        const auto span = source->EventAt(2'000'000);
        ASSERT_TRUE(span) << name;
        EXPECT_EQ(span->start, 500'000) << name;
        EXPECT_EQ(span->end, 3'500'000) << name;
        EXPECT_FALSE(source->EventAt(3'600'000)) << name;
        EXPECT_FALSE(source->Render(2'000'000, CanvasOf(320, 180)).empty()) << name;
    }
}

TEST_F(SubtitleClip, ToolDrawsTheTrackItIsGivenAndRefusesBadOptions)
{
    ASSERT_TRUE(test::HaveTool());
    const std::string compose = "compose " + clip_ + " --source-layout sbs --index 50 --mode side-by-side ";
    const test::ToolRun plain = test::RunTool(*dir_, compose + "--out " + test::Quoted(*dir_, "plain.bmp"));
    const test::ToolRun drawn = test::RunTool(
        *dir_, compose + "--subtitles 1 --subtitle-depth 9 --out " + test::Quoted(*dir_, "drawn.bmp"));
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    EXPECT_NE(test::ReadBytes(dir_->file("plain.bmp")), test::ReadBytes(dir_->file("drawn.bmp")));
    const std::pair<const char*, const char*> refused[] = {
        {"--subtitle-depth 9", "--subtitle-depth needs --subtitles"},
        {"--subtitles 1 --subtitle-depth near", "--subtitle-depth takes auto, authored or a whole number"},
        {"--subtitles 2", "the film has 1 subtitle track, not 2"},
        {"--subtitles missing.srt", "missing.srt: cannot show its subtitles: no such file"},
    };
    for (const auto& [options, message] : refused) {
        const test::ToolRun run = test::RunTool(*dir_, compose + options + " --out " + test::Quoted(*dir_, "x.bmp"));
        EXPECT_NE(run.status, 0) << options;
        EXPECT_NE(run.err.find(message), std::string::npos) << options << ": " << run.err;
    }
}

}  // namespace
}  // namespace plexo::subtitle
