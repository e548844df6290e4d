// Videos whose headers promise more frames than decode, or whose frames come
// at a variable rate: films, the tool and conversions go by the frames that
// decode, in play order.

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

extern "C" {
#include <libavutil/mem.h>
}

#include "convert/converters.h"
#include "film/open_film.h"
#include "support/outside_programs.h"
#include "support/tool_run.h"
#include "video/video_film.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

class VideoTrust : public testing::Test {
protected:
    static void SetUpTestSuite() { AddVideoFormats(); }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
    test::TempDir dir;
};

// The last keyframe of ten is noise: the scan lists ten packets, fewer
// decode. The frames a walk handed out stay while the film learns its end.
TEST_F(VideoTrust, AFilmThatShrinksKeepsTheFramesHandedOutAndWritesThoseThatDecode)
{
    ASSERT_TRUE(test::MakeVideo(dir, "noisy.mkv", "-c:v libx264 -g 4 -bf 0"));
    std::vector<uint8_t> bytes = test::ReadBytes(dir.file("noisy.mkv"));
    size_t size = 0, at = 0;
    ASSERT_EQ(std::sscanf(test::CommandOutput("ffprobe -v quiet -show_entries packet=size,pos,flags -of csv=p=0 '" +
                                              dir.file("noisy.mkv") + "' | grep K | tail -1").c_str(),
                          "%zu,%zu", &size, &at), 2);
    for (size_t i = at + 8; i < at + size; ++i)
        bytes[i] = uint8_t(i * 7);
    test::WriteBytes(dir.file("noisy.mkv"), bytes);
    FilmPtr film = OpenFilmByExtension(dir.file("noisy.mkv"));
    ASSERT_TRUE(film);
    std::vector<Cadre*> handed;
    do
        handed.push_back(dynamic_cast<MSFilm&>(*film).CurrentFrame());
    while (film->Next());
    for (Cadre* frame : handed) {
        int32_t width = 0, height = 0;
        frame->ColourPicture(width, height);
        film->Skip(0);
    }
    const int decoded = film->FrameCount();
    EXPECT_LT(decoded, 10);
    EXPECT_EQ(int(handed.size()), decoded);
    ASSERT_EQ(Convert(ConversionWay::VideoToBmp, dir.file("noisy.mkv"), {}), ConversionResult::Ok);
    EXPECT_TRUE(Exists("noisy000" + std::to_string(decoded) + ".bmp"));
    EXPECT_FALSE(Exists("noisy000" + std::to_string(decoded + 1) + ".bmp"));
}

// Seeks far from the decoder in a file that states its count.
TEST_F(VideoTrust, FramesOfAVariableRateAreFoundByTheirPlaceInPlayOrder)
{
    ASSERT_TRUE(test::MakeVideo(dir, "vfr.mp4", "-frames:v 120 -vf \"setpts='(N+if(gt(N,60),N-60,0)+if(gt(N,90),"
                                                "2*(N-90),0))/25/TB'\" -fps_mode passthrough -c:v libx264 -g 10"));
    const std::vector<uint8_t> reference = test::FfmpegFrames(dir.file("vfr.mp4"));
    ASSERT_EQ(reference.size(), 120u * 64 * 48 * 3);
    FilmPtr film = OpenFilmByExtension(dir.file("vfr.mp4"));
    for (const int index : {99, 119, 70, 118}) {
        ASSERT_TRUE(film && film->Seek(index));
        const Picture picture = film->PictureView(Eye::Current, Tone::Colour);
        EXPECT_LT(test::MeanDifference(picture, &reference[size_t(index) * 64 * 48 * 3], 64 * 3), 1) << index;
    }
    EXPECT_EQ(film->FrameCount(), 120);
}

// Counts forged to 100,000 and 2^32 on twenty frames, a cut MP4, and a stereo
// picture too narrow for a BMP frame.
TEST_F(VideoTrust, TheToolGoesByTheFramesThatDecode)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    const auto run = [&](const std::string& arguments) { return test::RunTool(dir, arguments); };
    const auto q = [&](const std::string& name) { return test::Quoted(dir, name); };
    ASSERT_TRUE(test::MakeVideo(dir, "twenty.avi", "-frames:v 20 -c:v libx264 -g 4"));
    const auto forge = [&](const std::string& name, uint32_t count) {
        std::vector<uint8_t> avi = test::ReadBytes(dir.file("twenty.avi"));
        const auto strh = std::search(avi.begin(), avi.end(), std::begin("strh"), std::end("strh") - 1) - avi.begin();
        for (const std::ptrdiff_t at : {std::ptrdiff_t(48), strh + 8 + 32})
            for (int i = 0; i < 4; ++i)
                avi[size_t(at + i)] = uint8_t((count >> (8 * i)) & 0xff);
        test::WriteBytes(dir.file(name), avi);
    };
    forge("claims.avi", 100000);
    for (const char* command : {"frame ", "export "}) {
        const test::ToolRun r = run(command + q("claims.avi") + " --index 99999 --out " + q("past.bmp"));
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("has no frame at index 99999: it has 20"), std::string::npos) << command << r.err;
    }
    // Frame 3's partner at the default shift of -4 is frame 19.
    EXPECT_EQ(run("frame " + q("claims.avi") + " --index 3 --eye second --out " + q("second.bmp")).status, 0);
    EXPECT_EQ(run("frame " + q("twenty.avi") + " --index 19 --out " + q("19.bmp")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("second.bmp")), test::ReadBytes(dir.file("19.bmp")));

    ASSERT_TRUE(test::MakeVideo(dir, "whole.mp4", "-c:v libx264 -g 4 -movflags +faststart"));
    const std::vector<uint8_t> mp4 = test::ReadBytes(dir.file("whole.mp4"));
    test::WriteBytes(dir.file("cut.mp4"), {mp4.begin(), mp4.begin() + std::ptrdiff_t(mp4.size() * 2 / 3)});
    const std::string out = run("convert video-bmp " + q("cut.mp4")).out;
    int written = 0;
    while (Exists("cut000" + std::to_string(written + 1) + ".bmp"))
        ++written;
    EXPECT_EQ(out, "replaced: 0\nwrote " + dir.file("cut0001.bmp") + " to " + dir.file("cut000") +
                       std::to_string(written) + ".bmp: " + std::to_string(written) + " frames\n");
    const std::string again = run("convert video-bmp " + q("cut.mp4")).out;
    EXPECT_TRUE(again.starts_with("replaced: " + std::to_string(written) + "\n")) << again;

    // Under the address sanitizer an allocation of 256 MB ends the tool, as a
    // name for each of 2^32 frames would.
    forge("huge.avi", 0xffffffff);
    const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
    ::setenv("ASAN_OPTIONS", (asan + ":max_allocation_size_mb=256").c_str(), 1);
    test::ToolRun r = run("convert video-bmp " + q("huge.avi"));
    ::setenv("ASAN_OPTIONS", asan.c_str(), 1);
    EXPECT_EQ(r.out, "replaced: 0\nwrote " + dir.file("huge0001.bmp") + " to " + dir.file("huge0020.bmp") +
                         ": 20 frames\n") << r.err.substr(0, 300);

    ASSERT_TRUE(test::MakeVideo(dir, "narrow.mkv",
                                "-vf scale=3:5 -pix_fmt yuv444p -frames:v 2 -c:v ffv1 -metadata:s:v stereo_mode=1"));
    r = run("convert video-bmp " + q("narrow.mkv"));
    EXPECT_NE(r.err.find("write error\n" + dir.file("narrow0001.bmp") + ": "), std::string::npos) << r.err;
}

template <class Source>
constexpr bool kHandsOutTheDecoder = requires(const Source& source) { source.File(); };

// Want of memory gives no frame for the while and cuts nothing; other
// threads reach only the stream's facts.
TEST_F(VideoTrust, AFailureToDecodeIsNeverTheEndOfTheFilm)
{
    EXPECT_FALSE(kHandsOutTheDecoder<VideoSource>);
    ASSERT_TRUE(test::MakeVideo(dir, "ten.mp4", "-c:v libx264 -g 4"));
    std::string why;
    std::unique_ptr<VideoFile> file = VideoFile::Open(dir.file("ten.mp4"), why);
    ASSERT_TRUE(file) << why;
    std::optional<FrameTimes> times = FrameTimesOf(dir.file("ten.mp4"), *file);
    // Room for one frame: the others are decoded when asked for.
    VideoSource source(std::move(file), std::move(*times), StereoLayout{}, 1);
    ASSERT_TRUE(source.Frame(0, true));
    av_max_alloc(64);
    const SharedPicture starved = source.Frame(5, true);
    av_max_alloc(INT_MAX);
    EXPECT_FALSE(starved);
    EXPECT_TRUE(source.Frame(5, true));
    EXPECT_EQ(source.Count(), 10);
}

}  // namespace
}  // namespace plexo::video
