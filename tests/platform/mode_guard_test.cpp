#include "platform/mode_guard.h"

#include <gtest/gtest.h>

namespace plexo::platform {
namespace {

const OutputMode kFirst{"DUMMY0", {32, 1280, 1024, 60}}, kSecond{"HDMI 2", {32, 800, 600, 75}};

struct TranscriptCase {
    const char* name;
    std::vector<std::string> pieces;  // as read from the pipe
    std::vector<OutputMode> restore;
};

class Transcripts : public testing::TestWithParam<TranscriptCase> {};

TEST_P(Transcripts, RestoreWhatTheViewerToldUnlessItEndedNormally)
{
    GuardTranscript transcript;
    for (const std::string& piece : GetParam().pieces)
        transcript.Take(piece);
    EXPECT_EQ(transcript.ToRestore(), GetParam().restore);
}

const std::string kLines = GuardLine(kFirst) + GuardLine(kSecond);

// 3,000 outputs told in turn, then each again in another mode: the first
// modes are restored, once each.
TranscriptCase ManyOutputs()
{
    TranscriptCase many{"ManyOutputs", {}, {}};
    for (int i = 0; i < 6000; ++i)
        many.pieces.push_back(GuardLine({"OUT-" + std::to_string(i % 3000), {32, 640 + i / 3000, 480, 60}}));
    for (int i = 0; i < 3000; ++i)
        many.restore.push_back({"OUT-" + std::to_string(i), {32, 640, 480, 60}});
    return many;
}

INSTANTIATE_TEST_SUITE_P(
    Pipe, Transcripts,
    testing::Values(
        // Lines split anywhere; an output told again keeps its first mode.
        TranscriptCase{"Split", {kLines.substr(0, 7), kLines.substr(7), GuardLine({"DUMMY0", {32, 640, 480, 60}})},
                       {kFirst, kSecond}},
        TranscriptCase{"NormalExit", {kLines, std::string(kNormalExitLine)}, {}},
        // The viewer died while saying it.
        TranscriptCase{"WordCutShort", {kLines, "normal ex"}, {kFirst, kSecond}},
        TranscriptCase{"Malformed",
                       {"mode 32 1280 1024 60\n", "mode x 1 1 1 A\n", "mod 32 1 1 1 A\n",
                        std::string(5000, ' ') + GuardLine(kSecond), GuardLine(kFirst)},
                       {kFirst}},
        ManyOutputs()),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo::platform
