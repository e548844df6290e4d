// Videos whose headers promise more than their frames hold, or place their
// frames unevenly in time: the films, the tool and the conversions go by the
// frames that decode.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

extern "C" {
#include <libavutil/mem.h>
}

#include "convert/converters.h"
#include "film/ms_film.h"
#include "film/open_film.h"
#include "support/outside_programs.h"
#include "support/tool_run.h"
#include "video/video_film.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

using test::MakeVideo;

class VideoTrust : public testing::Test {
protected:
    static void SetUpTestSuite() { AddVideoFormats(); }

    // A copy of `from` whose AVI headers state `count` frames.
    void ForgeAviCount(const std::string& from, const std::string& to, uint32_t count)
    {
        std::vector<uint8_t> avi = test::ReadBytes(dir.file(from));
        const auto strh = std::search(avi.begin(), avi.end(), std::begin("strh"), std::end("strh") - 1) - avi.begin();
        for (const std::ptrdiff_t at : {std::ptrdiff_t(48), strh + 8 + 32})
            for (int i = 0; i < 4; ++i)
                avi[size_t(at + i)] = uint8_t((count >> (8 * i)) & 0xff);
        test::WriteBytes(dir.file(to), avi);
    }

    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }

    test::TempDir dir;
};

// Ten frames whose last keyframe's bytes are noise: the scan lists ten
// packets, fewer decode. A walk holds the frames it has handed to its workers
// while the cursor moves on and the film learns where its frames end.
TEST_F(VideoTrust, AFilmThatShrinksKeepsTheFramesHandedOutAndWritesThoseThatDecode)
{
    ASSERT_TRUE(MakeVideo(dir, "whole.mkv", "-c:v libx264 -g 4 -bf 0"));
    std::vector<uint8_t> bytes = test::ReadBytes(dir.file("whole.mkv"));
    const std::vector<test::PacketPlace> packets = test::PacketPlaces(dir.file("whole.mkv"));
    ASSERT_EQ(packets.size(), 10u);
    const auto last = std::find_if(packets.rbegin(), packets.rend(), [](const auto& p) { return p.key; });
    for (size_t i = last->offset + 8; i < last->offset + last->size; ++i)
        bytes[i] = uint8_t(i * 7);
    test::WriteBytes(dir.file("noisy.mkv"), bytes);

    FilmPtr film = OpenFilmByExtension(dir.file("noisy.mkv"));
    ASSERT_TRUE(film);
    auto& frames = dynamic_cast<MSFilm&>(*film);
    std::vector<Cadre*> handed;
    do
        handed.push_back(frames.CurrentFrame());
    while (film->Next());
    for (Cadre* frame : handed) {
        int32_t width = 0, height = 0;
        frame->ColourPicture(width, height);
        frame->ReleasePicture();
        film->Skip(0);
    }
    const int decoded = film->FrameCount();
    EXPECT_LT(decoded, 10);
    EXPECT_EQ(handed.size(), size_t(decoded));

    ConversionControl control;
    control.workers = 2;
    ASSERT_EQ(Convert(ConversionWay::VideoToBmp, dir.file("noisy.mkv"), {}, control), ConversionResult::Ok);
    EXPECT_TRUE(Exists("noisy" + std::string(decoded < 10 ? "000" : "00") + std::to_string(decoded) + ".bmp"));
    EXPECT_FALSE(Exists("noisy000" + std::to_string(decoded + 1) + ".bmp"));
}

// A variable rate in a file that states its count: a seek far from the
// decoder lands on the Nth frame in play order, as ffmpeg decodes them.
TEST_F(VideoTrust, FramesOfAVariableRateAreFoundByTheirPlaceInPlayOrder)
{
    ASSERT_TRUE(test::RunCommand(
        "ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 120 "
        "-vf \"setpts='(N+if(gt(N,60),N-60,0)+if(gt(N,90),2*(N-90),0))/25/TB'\" -fps_mode passthrough "
        "-c:v libx264 -g 10 '" + dir.file("vfr.mp4") + "'"));
    const std::vector<uint8_t> reference = test::FfmpegFrames(dir.file("vfr.mp4"));
    const size_t frameBytes = 64 * 48 * 3;
    ASSERT_EQ(reference.size(), 120 * frameBytes);
    FilmPtr film = OpenFilmByExtension(dir.file("vfr.mp4"));
    ASSERT_TRUE(film);
    for (const int index : {99, 119, 70, 118, 100}) {
        ASSERT_TRUE(film->Seek(index));
        const Picture picture = film->PictureView(Eye::Current, Tone::Colour);
        ASSERT_TRUE(picture);
        EXPECT_LT(test::MeanDifference(picture, &reference[size_t(index) * frameBytes], 64 * 3), 3) << index;
    }
    EXPECT_EQ(film->FrameCount(), 120);
}

// The tool refuses a frame past the frames a forged count promises, pairs
// with a partner that exists, names the files a cut film's run wrote, checks
// a count of 2^32 frames without holding a name for each, and says why a
// picture too narrow for a BMP frame was not written.
TEST_F(VideoTrust, TheToolGoesByTheFramesThatDecode)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    const auto run = [&](const std::string& arguments) { return test::RunTool(dir, arguments); };
    const auto q = [&](const std::string& name) { return test::Quoted(dir, name); };
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 20 -c:v libx264 "
                                 "-g 4 '" + dir.file("twenty.avi") + "'"));
    ForgeAviCount("twenty.avi", "claims.avi", 100000);
    test::ToolRun r = run("frame " + q("claims.avi") + " --index 99999 --out " + q("past.bmp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("has no frame at index 99999: it has 20"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists("past.bmp"));
    // Frame 3's partner at the default shift of -4 is frame 19.
    r = run("frame " + q("claims.avi") + " --index 3 --eye second --out " + q("second.bmp"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(run("frame " + q("twenty.avi") + " --index 19 --out " + q("19.bmp")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("second.bmp")), test::ReadBytes(dir.file("19.bmp")));

    ASSERT_TRUE(MakeVideo(dir, "whole.mp4", "-c:v libx264 -g 4 -movflags +faststart"));
    const std::vector<uint8_t> mp4 = test::ReadBytes(dir.file("whole.mp4"));
    test::WriteBytes(dir.file("cut.mp4"), {mp4.begin(), mp4.begin() + std::ptrdiff_t(mp4.size() * 2 / 3)});
    r = run("convert video-bmp " + q("cut.mp4"));
    int written = 0;
    while (Exists("cut000" + std::to_string(written + 1) + ".bmp"))
        ++written;
    ASSERT_GT(written, 0);
    ASSERT_LT(written, 10);
    EXPECT_EQ(r.out, "replaced: 0\nwrote " + dir.file("cut0001.bmp") + " to " + dir.file("cut000") +
                         std::to_string(written) + ".bmp: " + std::to_string(written) + " frames\n");

    // Under the address sanitizer an allocation of 256 MB ends the tool, as
    // a name for each of 2^32 frames would.
    ForgeAviCount("twenty.avi", "huge.avi", 0xffffffff);
#if defined(__SANITIZE_ADDRESS__)
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    ::setenv("ASAN_OPTIONS", (asan + ":max_allocation_size_mb=256").c_str(), 1);
#endif
    r = run("convert video-bmp " + q("huge.avi"));
#if defined(__SANITIZE_ADDRESS__)
    ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
#endif
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 400);
    EXPECT_EQ(r.out, "replaced: 0\nwrote " + dir.file("huge0001.bmp") + " to " + dir.file("huge0020.bmp") +
                         ": 20 frames\n");

    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=3x5:rate=25 -frames:v 2 -c:v ffv1 "
                                 "-metadata:s:v stereo_mode=left_right '" + dir.file("narrow.mkv") + "'"));
    r = run("convert video-bmp " + q("narrow.mkv"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("write error\n" + dir.file("narrow0001.bmp") + ": "), std::string::npos) << r.err;
}

// Want of memory gives no frame for the while and cuts nothing; the frame
// decodes once memory is had again. Other threads reach only the facts.
template <class Source>
constexpr bool kHandsOutTheDecoder = requires(const Source& source) { source.File(); };

TEST_F(VideoTrust, AFailureToDecodeIsNeverTheEndOfTheFilm)
{
    EXPECT_FALSE(kHandsOutTheDecoder<VideoSource>);
    ASSERT_TRUE(MakeVideo(dir, "ten.mp4", "-c:v libx264 -g 4"));
    std::string why;
    std::unique_ptr<VideoFile> file = VideoFile::Open(dir.file("ten.mp4"), why);
    ASSERT_TRUE(file) << why;
    std::optional<FrameTimes> times = FrameTimesOf(dir.file("ten.mp4"), *file);
    ASSERT_TRUE(times);
    // Room for one frame: the frames after the first are decoded when asked for.
    VideoSource source(std::move(file), std::move(*times), 1);
    ASSERT_TRUE(source.Frame(0, true));
    av_max_alloc(64);
    const SharedFrame starved = source.Frame(5, true);
    av_max_alloc(INT_MAX);
    EXPECT_FALSE(starved);
    EXPECT_EQ(source.Count(), 10);
    EXPECT_TRUE(source.Frame(5, true));
    EXPECT_EQ(source.Count(), 10);
}

}  // namespace
}  // namespace plexo::video
