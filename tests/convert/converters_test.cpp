#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "convert/converters.h"
#include "convert/existing_outputs.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "film/factories.h"
#include "film/file_formats.h"
#include "platform/file_name.h"
#include "platform/log.h"
#include "scripted_film.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::ScriptedFilm;

constexpr const char* kFailLog = "\r\nstart\r\nwrite error\r\nfinish";

// walk0001, walk0002, walk0012 (or the frames given) as BMP or JPEG files, or
// walk.flm.
void MakeSource(ConversionWay way, const test::TempDir& dir,
                const std::vector<test::ScriptedFrame>& frames = {{1, 16, 8}, {2, 16, 8}, {12, 16, 8}})
{
    ScriptedFilm film(frames);
    switch (SourceOf(way).extension[0]) {
    case 'B': ASSERT_TRUE(WriteBmpFrames(&film, dir.file("walk"), {})); break;
    case 'J': ASSERT_TRUE(WriteJpgFrames(&film, dir.file("walk"), {})); break;
    default: ASSERT_TRUE(WriteFlmFile(&film, dir.file("walk.flm"), {})); break;
    }
}

struct WayCase {
    ConversionWay way;
    const char* chosen;
    std::vector<const char*> outputs;
};

class Conversion : public testing::TestWithParam<WayCase> {};

// A second run, on three workers, finds every output of the first, on one,
// and replaces each with the same bytes: frames are written in order
// whatever thread made them. Nine frames keep more in flight than the
// workers have slots for; grey frames, reduced and cut, have each worker
// shape its own.
TEST_P(Conversion, WritesTheNamedOutputsTheSameOnOneThreadAsOnThree)
{
    const WayCase& c = GetParam();
    test::TempDir dir;
    MakeSource(c.way, dir, {{1, 26, 14}, {2, 26, 14}, {3, 26, 14}, {4, 26, 14}, {5, 26, 14},
                            {6, 26, 14}, {7, 26, 14}, {8, 26, 14}, {12, 26, 14}});
    std::set<std::string> sources;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        sources.insert(entry.path().filename().string());
    std::map<std::string, std::vector<uint8_t>> outputs[2];
    const std::string chosen = dir.file(c.chosen);
    for (const int workers : {1, 3}) {
        platform::ClearLog();
        const ConversionOptions options{.colour = false, .factor = 2, .width = 9, .quality = 60};
        const auto all = FindExistingOutputs(c.way, chosen).value();
        EXPECT_EQ(Convert(c.way, chosen, options, {{}, nullptr, workers}), ConversionResult::Ok);
        EXPECT_EQ(platform::LogText(), "\r\nstart\r\nOK\r\nfinish");
        EXPECT_EQ(CountReplaced(all), workers == 1 ? 0 : c.outputs.front() == std::string("walk0.flm") ? 1 : 9);
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (!sources.count(entry.path().filename().string()))
                outputs[workers > 1][entry.path().filename().string()] = test::ReadBytes(entry.path().string());
    }
    EXPECT_TRUE(outputs[0] == outputs[1]);
    for (const char* name : c.outputs) {
        const std::string path = dir.file(name);
        if (platform::UpperExtension(path) == "FLM") {
            FilmPtr film = OpenFlmFilm(path);
            EXPECT_TRUE(film && film->FrameCount() == 9) << name;
        } else {
            EXPECT_EQ(test::Identify(path, "%w %h %[type]"), "9 7 Grayscale") << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Conversion,
    testing::Values(WayCase{ConversionWay::BmpToFlm, "walk0002.bmp", {"walk0.flm"}},
                    WayCase{ConversionWay::BmpToJpg, "walk0001.bmp", {"walk0001.jpg", "walk0002.jpg", "walk0012.jpg"}},
                    WayCase{ConversionWay::FlmToBmp, "walk.flm", {"walk0001.bmp", "walk0008.bmp", "walk0012.bmp"}},
                    WayCase{ConversionWay::FlmToJpg, "walk.flm", {"walk0012.jpg"}},
                    WayCase{ConversionWay::JpgToBmp, "walk0012.JPG", {"walk0001.bmp", "walk0012.bmp"}},
                    WayCase{ConversionWay::JpgToFlm, "walk0001.jpg", {"walk0.flm"}}));

// A lone stereo photo writes its first eye under its name less the
// extension, and says so; a numbered run its frames under the run's base.
TEST(Conversion, StereoPhotosWriteTheirFirstEye)
{
    test::TempDir dir;
    test::WriteBytes(dir.file("pair.jps"), test::PatternJpeg(32, 8, 1));
    const auto jpeg = test::PatternJpeg(12, 8, 2);
    for (const char* name : {"cam0003.mpo", "cam0004.mpo"})
        test::WriteBytes(dir.file(name), test::MakeMpoBytes({{jpeg, 0x020002}, {jpeg, 0x020002}}));
    for (const auto& [way, chosen, output, size] :
         {std::tuple{ConversionWay::JpsToBmp, "pair.jps", "pair0001.bmp", "16 8"},
          {ConversionWay::JpsToFlm, "pair.jps", "pair.flm", ""},  // a film, no picture to identify
          {ConversionWay::MpoToJpg, "cam0004.mpo", "cam0003.jpg", "12 8"}}) {
        platform::ClearLog();
        EXPECT_EQ(FindExistingOutputs(way, dir.file(chosen)).value().firstOutput, dir.file(output));
        ASSERT_EQ(Convert(way, dir.file(chosen), {}), ConversionResult::Ok) << chosen;
        EXPECT_EQ(platform::LogText(), "\r\n" + dir.file(chosen) + ": a two-view film; its first eye is written" +
                                           "\r\nstart\r\nOK\r\nfinish");
        EXPECT_EQ(test::Identify(dir.file(output), "%w %h"), size) << output;
    }
}

// Rows added to the table of file formats after a conversion was first
// asked about (as the video rows are) leave every way's writer as it was.
TEST(Conversion, WaysKeepTheirWritersWhenRowsAreAdded)
{
    ASSERT_TRUE(WritesBmp(ConversionWay::FlmToBmp));
    // Enough rows to move the table wherever its storage stands; the table
    // keeps their texts for the rest of the run.
    static const std::vector<std::string> extensions = [] {
        std::vector<std::string> made;
        for (int i = 0; i < 64; ++i)
            made.push_back("added" + std::to_string(i));
        return made;
    }();
    std::vector<FileFormat> rows;
    for (const std::string& extension : extensions)
        rows.push_back({"added", "Added files", extension.c_str(), "", nullptr, nullptr, nullptr});
    AddFileFormats(rows);
    for (const ConversionWay way : kConversionWays)
        EXPECT_EQ(WritesBmp(way), std::string_view(TargetFormat(way).name) == "bmp");
    EXPECT_TRUE(WritesFlm(ConversionWay::JpgToFlm));
}

// Unshaped raw records are written from the frames' own pictures, which the
// workers must keep until each record is out.
TEST(Conversion, WritesRawFlmRecordsFromEachFramesOwnPicture)
{
    const std::vector<test::ScriptedFrame> frames{{1, 32, 14}, {2, 32, 14}, {3, 32, 14}, {4, 32, 14}, {5, 32, 14}};
    test::TempDir dir;
    MakeSource(ConversionWay::BmpToFlm, dir, frames);
    ConversionOptions raw;
    raw.compress = 0;
    ASSERT_EQ(Convert(ConversionWay::BmpToFlm, dir.file("walk0001.bmp"), raw, {{}, nullptr, 2}), ConversionResult::Ok);
    FilmPtr flm = OpenFlmFilm(dir.file("walk0.flm"));
    ScriptedFilm source(frames);
    ASSERT_TRUE(flm && flm->FrameCount() == 5);
    do {
        const Picture got = FilmPicture(*flm, Eye::Current, Tone::Colour);
        const Picture want = FilmPicture(source, Eye::Current, Tone::Colour);
        ASSERT_TRUE(got && got.byteCount() == want.byteCount());
        EXPECT_TRUE(std::equal(got.data, got.data + got.byteCount(), want.data)) << flm->FrameNumber();
    } while (flm->Next() && source.Next());
}

// A run that is stopped or cannot write ends like a write error, however far
// the workers have gone: the frames before it stay, none after it is written.
class ConversionFailures : public testing::TestWithParam<int> {};

TEST_P(ConversionFailures, EndTheRunKeepingOnlyTheFramesBeforeThem)
{
    const int workers = GetParam();
    test::TempDir dir;
    MakeSource(ConversionWay::FlmToBmp, dir);
    // A stop asked for while the second frame's progress is reported.
    platform::ClearLog();
    std::atomic<bool> stop{false};
    const ConversionControl control{[&](int done, int) { stop = done == 2; }, &stop, workers};
    EXPECT_EQ(Convert(ConversionWay::FlmToBmp, dir.file("walk.flm"), {}, control), ConversionResult::WriteError);
    EXPECT_EQ(platform::LogText(), kFailLog);
    EXPECT_TRUE(std::filesystem::exists(dir.file("walk0002.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("walk0012.bmp")));

    ScriptedFilm film({{20, 8, 4}, {21, 8, 4}, {22, 0, 0}, {23, 8, 4}, {24, 8, 4}});
    EXPECT_FALSE(WriteBmpFrames(&film, dir.file("cut"), {}, {{}, nullptr, workers}));
    EXPECT_TRUE(std::filesystem::exists(dir.file("cut0021.bmp")));
    for (const char* name : {"cut0022.bmp", "cut0023.bmp", "cut0024.bmp"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;

    // Frames of one number would land in one file: a run never overwrites a
    // file it wrote itself, and the log names the file.
    ScriptedFilm same({{7, 16, 8}, {7, 16, 8}, {7, 16, 8}});
    ASSERT_TRUE(WriteFlmFile(&same, dir.file("dup.flm"), {}));
    for (const auto& [way, written] : {std::pair{ConversionWay::FlmToBmp, "dup0007.bmp"},
                                       std::pair{ConversionWay::FlmToJpg, "dup0007.jpg"}}) {
        platform::ClearLog();
        EXPECT_EQ(Convert(way, dir.file("dup.flm"), {}, {{}, nullptr, workers}), ConversionResult::WriteError);
        EXPECT_NE(platform::LogText().find(dir.file(written)), std::string::npos) << platform::LogText();
        EXPECT_TRUE(platform::LogText().ends_with("write error\r\nfinish"));
    }
}

INSTANTIATE_TEST_SUITE_P(Workers, ConversionFailures, testing::Values(1, 3));

// The "write error" line is followed by the file that failed and the
// system's reason: a source frame gone during the run, an output that may
// not be replaced.
TEST(ConversionFailures, SayWhichFileFailedAndWhy)
{
    test::TempDir dir;
    MakeSource(ConversionWay::BmpToJpg, dir);
    ConversionControl control{{}, nullptr, 1};
    control.onFrame = [&](int done, int) {
        if (done == 1)
            std::filesystem::remove(dir.file("walk0002.bmp"));
    };
    platform::ClearLog();
    EXPECT_EQ(Convert(ConversionWay::BmpToJpg, dir.file("walk0001.bmp"), {}, control), ConversionResult::WriteError);
    EXPECT_EQ(platform::LogText(),
              "\r\nstart\r\nwrite error\r\n" + dir.file("walk0002.bmp") + ": No such file or directory\r\nfinish");

    MakeSource(ConversionWay::FlmToBmp, dir);
    test::WriteBytes(dir.file("walk0001.bmp"), {1});
    ::chmod(dir.file("walk0001.bmp").c_str(), 0444);
    platform::ClearLog();
    EXPECT_EQ(Convert(ConversionWay::FlmToBmp, dir.file("walk.flm"), {}, {{}, nullptr, 1}),
              ConversionResult::WriteError);
    EXPECT_EQ(platform::LogText(),
              "\r\nstart\r\nwrite error\r\n" + dir.file("walk0001.bmp") + ": Permission denied\r\nfinish");
}

// Frames fail where the BMP reader refuses them. On several workers the first
// damaged frame waits until the last has been made, so that the reports of
// frames after the walk's end always exist before it ends.
struct Gate {
    const std::set<int>& damaged;
    bool hold, lastMade = false;
    std::mutex mutex;
    std::condition_variable made;
};

struct HoldingWork : FrameWork {
    explicit HoldingWork(Gate& g) : gate(g) {}
    bool Make(const Picture& picture, int32_t number) override
    {
        std::unique_lock lock(gate.mutex);
        gate.lastMade = gate.lastMade || number == *gate.damaged.rbegin();
        gate.made.notify_all();
        gate.made.wait(lock, [&] { return !gate.hold || number != *gate.damaged.begin() || gate.lastMade; });
        return bool(picture);
    }
    bool Put(int32_t) override { return true; }
    Gate& gate;
};

// The messages shown and the log of a walk of the sequence of `chosen`.
auto Walk(const std::string& chosen, const std::set<int>& damaged, int workers)
{
    Gate gate{damaged, workers > 1, false, {}, {}};
    const test::MessageCapture capture;
    platform::ClearLog();
    EXPECT_FALSE(WalkFrames(*OpenBmpFilm(chosen), Tone::Colour, {{}, nullptr, workers},
                            [&] { return std::make_unique<HoldingWork>(gate); }));
    return std::pair(capture.messages, platform::LogText());
}

// Damaged frames first, in the middle, together and last: the messages and
// log lines are those of one thread, which ends at the first damaged frame.
TEST(ParallelWalk, ReportsWhatOneThreadReports)
{
    for (const std::set<int>& damaged : {std::set{0, 1}, {5, 7}, {10, 11, 12}, {14, 15}}) {
        test::TempDir dir;
        test::PatternFilm source(16, {4, 2});
        ASSERT_TRUE(WriteBmpFrames(&source, dir.file("walk"), {}));
        for (const int number : damaged)
            test::WriteBytes(FrameFileName(dir.file("walk"), number, ".bmp"), {'B', 'M', 1});
        const auto one = Walk(dir.file("walk0000.bmp"), damaged, 1);
        ASSERT_EQ(one.first.size(), 1u);
        for (const int workers : {2, 3, 4})
            for (int run = 0; run < 3; ++run)
                EXPECT_EQ(Walk(dir.file("walk0000.bmp"), damaged, workers), one) << *damaged.begin() << workers;
    }
}

}  // namespace
}  // namespace plexo
