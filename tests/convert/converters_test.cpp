#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <set>

#include "convert/converters.h"
#include "convert/existing_outputs.h"
#include "convert/frame_writers.h"
#include "platform/file_name.h"
#include "film/factories.h"
#include "support/outside_programs.h"
#include "platform/log.h"
#include "scripted_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::ScriptedFilm;

constexpr const char* kOkLog = "\r\nstart\r\nOK\r\nfinish";
constexpr const char* kFailLog = "\r\nstart\r\nwrite error\r\nfinish";

// walk0001, walk0002, walk0012 as BMP or JPEG files, or walk.flm.
void MakeSource(ConversionWay way, const test::TempDir& dir)
{
    ScriptedFilm film({{1, 16, 8}, {2, 16, 8}, {12, 16, 8}});
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

TEST_P(Conversion, WritesTheNamedOutputsAndLogsOk)
{
    const WayCase& c = GetParam();
    test::TempDir dir;
    MakeSource(c.way, dir);
    const std::string chosen = dir.file(c.chosen);
    EXPECT_TRUE(FindExistingOutputs(c.way, chosen).value().files.empty());
    platform::ClearLog();
    EXPECT_EQ(Convert(c.way, chosen, {}), ConversionResult::Ok);
    EXPECT_EQ(platform::LogText(), kOkLog);
    // A second run finds every output of the first and replaces each.
    const ExistingOutputs all = FindExistingOutputs(c.way, chosen).value();
    EXPECT_EQ(all.files.size(), c.outputs.front() == std::string("walk0.flm") ? 1u : 3u);
    EXPECT_EQ(Convert(c.way, chosen, {}), ConversionResult::Ok);
    EXPECT_EQ(CountReplaced(all), int(all.files.size()));
    for (const char* name : c.outputs) {
        const std::string path = dir.file(name);
        if (platform::UpperExtension(path) == "FLM") {
            FilmPtr film = OpenFlmFilm(path);
            EXPECT_TRUE(film && film->FrameCount() == 3) << name;
        } else {
            EXPECT_EQ(test::Identify(path, "%w %h"), "16 8") << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Conversion,
    testing::Values(WayCase{ConversionWay::BmpToFlm, "walk0002.bmp", {"walk0.flm"}},
                    WayCase{ConversionWay::BmpToJpg, "walk0001.bmp", {"walk0001.jpg", "walk0002.jpg", "walk0012.jpg"}},
                    WayCase{ConversionWay::FlmToBmp, "walk.flm", {"walk0001.bmp", "walk0002.bmp", "walk0012.bmp"}},
                    WayCase{ConversionWay::FlmToJpg, "walk.flm", {"walk0012.jpg"}},
                    WayCase{ConversionWay::JpgToBmp, "walk0012.JPG", {"walk0001.bmp", "walk0012.bmp"}},
                    WayCase{ConversionWay::JpgToFlm, "walk0001.jpg", {"walk0.flm"}}));

// Every way gives the same bytes on several threads as on one: frames are
// written in order whatever thread made them. Nine frames keep more in flight
// than the three workers have slots for.
TEST_P(Conversion, WritesTheSameBytesOnSeveralThreadsAsOnOne)
{
    const WayCase& c = GetParam();
    const std::vector<ConversionOptions> settings = {
        {}, {.colour = false, .factor = 2, .width = 9, .quality = 60, .compress = 1}};
    for (const ConversionOptions& options : settings) {
        std::map<std::string, std::vector<uint8_t>> outputs[2];
        for (const int workers : {1, 3}) {
            test::TempDir dir;
            ScriptedFilm film({{1, 26, 14}, {2, 26, 14}, {3, 26, 14}, {4, 26, 14}, {5, 26, 14},
                               {6, 26, 14}, {7, 26, 14}, {8, 26, 14}, {12, 26, 14}});
            const char kind = SourceOf(c.way).extension[0];
            const bool source = kind == 'B'   ? WriteBmpFrames(&film, dir.file("walk"), {})
                                : kind == 'J' ? WriteJpgFrames(&film, dir.file("walk"), {})
                                              : WriteFlmFile(&film, dir.file("walk.flm"), {.compress = 1});
            ASSERT_TRUE(source);
            std::set<std::string> sources;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                sources.insert(entry.path().filename().string());
            ConversionControl control;
            control.workers = workers;
            ASSERT_EQ(Convert(c.way, dir.file(c.chosen), options, control), ConversionResult::Ok);
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                if (!sources.count(entry.path().filename().string()))
                    outputs[workers > 1][entry.path().filename().string()] = test::ReadBytes(entry.path().string());
        }
        EXPECT_FALSE(outputs[0].empty());
        EXPECT_TRUE(outputs[0] == outputs[1]) << "grey " << !options.colour;
    }
}

// A run that cannot write, or is stopped, logs a write error; the frames
// already written stay. The wrong-type and missing-film failures are the
// tool tests' own.
class ConversionFailures : public testing::TestWithParam<int> {};

TEST_P(ConversionFailures, WriteErrorsAndStopsLogTheFailure)
{
    test::TempDir dir;
    MakeSource(ConversionWay::FlmToBmp, dir);
    platform::ClearLog();
    EXPECT_EQ(Convert(ConversionWay::FlmToJpg, dir.file("walk.flm"), {.factor = 0}), ConversionResult::WriteError);
    EXPECT_EQ(platform::LogText(), kFailLog);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A stop asked for while the second frame's progress is reported ends the
    // run like a write error, however far the workers have gone; the frames
    // written stay.
    platform::ClearLog();
    std::atomic<bool> stop{false};
    const ConversionControl control{[&](int done, int) { stop = done == 2; }, &stop, GetParam()};
    EXPECT_EQ(Convert(ConversionWay::FlmToBmp, dir.file("walk.flm"), {}, control), ConversionResult::WriteError);
    EXPECT_EQ(platform::LogText(), kFailLog);
    EXPECT_TRUE(std::filesystem::exists(dir.file("walk0002.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("walk0012.bmp")));

    // A frame without a picture ends the run there: the frames before it are
    // written, none after it.
    ScriptedFilm film({{20, 8, 4}, {21, 8, 4}, {22, 0, 0}, {23, 8, 4}, {24, 8, 4}});
    EXPECT_FALSE(WriteBmpFrames(&film, dir.file("cut"), {}, {{}, nullptr, GetParam()}));
    EXPECT_TRUE(std::filesystem::exists(dir.file("cut0021.bmp")));
    for (const char* name : {"cut0022.bmp", "cut0023.bmp", "cut0024.bmp"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
}

INSTANTIATE_TEST_SUITE_P(Workers, ConversionFailures, testing::Values(1, 3));

// Frames of one number would land in one file; the second fails its frame
// and the run, and the log names the file.
class DuplicateNumbers : public testing::TestWithParam<ConversionWay> {};
TEST_P(DuplicateNumbers, NeverOverwriteAFileOfTheSameRun)
{
    test::TempDir dir;
    ScriptedFilm film({{7, 16, 8}, {7, 16, 8}, {7, 16, 8}});
    ASSERT_TRUE(WriteFlmFile(&film, dir.file("dup.flm"), {}));
    platform::ClearLog();
    EXPECT_EQ(Convert(GetParam(), dir.file("dup.flm"), {}), ConversionResult::WriteError);
    const char* written = GetParam() == ConversionWay::FlmToBmp ? "dup0007.bmp" : "dup0007.jpg";
    EXPECT_NE(platform::LogText().find(dir.file(written)), std::string::npos) << platform::LogText();
    EXPECT_TRUE(platform::LogText().ends_with("write error\r\nfinish"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}
INSTANTIATE_TEST_SUITE_P(Ways, DuplicateNumbers, testing::Values(ConversionWay::FlmToBmp, ConversionWay::FlmToJpg));

}  // namespace
}  // namespace plexo
