#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// The same side-by-side frame of two different eyes through compose and
// through FFmpeg's stereo3d=sbsl:hdmi: the left eye on top, the blank band,
// the right eye, within a level on average. Then the video export of the
// same frame packs it at the exact size, which decodes to the same picture.
TEST(FramePacking, ComposeMatchesFfmpegsHdmiPacking)
{
    if (!test::HaveTool() || !test::HaveProgram("ffmpeg"))
        GTEST_SKIP() << "needs PLEXO_TOOL and ffmpeg";
    test::TempDir dir;
    const auto q = [&](const std::string& name) { return test::Quoted(dir, name); };
    const auto raw = [](const std::string& input, const std::string& filter) {
        return test::CommandOutput("ffmpeg -v error -i " + input + " -vf '" + filter +
                                   "' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    };
    for (const auto& [mode, eyeWidth, eyeHeight, frameHeight] :
         {std::tuple{"frame-packing-1080", 1920, 1080, 2205}, {"frame-packing-720", 1280, 720, 1470}}) {
        const std::string size = std::to_string(2 * eyeWidth) + "x" + std::to_string(eyeHeight);
        ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=" + size +
                                     " -frames:v 1 -pix_fmt bgr24 " + q("scene_sbs.bmp")));
        const test::ToolRun run = test::RunTool(
            dir, "compose " + q("scene_sbs.bmp") + " --dist 0 --mode " + mode + " --out " + q("packed.bmp"));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, std::to_string(eyeWidth) + "x" + std::to_string(frameHeight) + "\n");
        const std::string theirs = raw(q("scene_sbs.bmp"), "format=rgb24,stereo3d=sbsl:hdmi");
        const std::string ours = raw(q("packed.bmp"), "format=rgb24");
        ASSERT_EQ(theirs.size(), size_t(eyeWidth) * size_t(frameHeight) * 3) << mode;
        ASSERT_EQ(ours.size(), theirs.size()) << mode;
        double difference = 0;
        for (size_t i = 0; i < ours.size(); ++i)
            difference += std::abs(int(uint8_t(ours[i])) - int(uint8_t(theirs[i])));
        EXPECT_LE(difference / double(ours.size()), 1.0) << mode;

        const test::ToolRun video = test::RunTool(dir, "export " + q("scene_sbs.bmp") + " --layout " + mode +
                                                           " --fps 24 --crf 0 --preset ultrafast --out " + q("packed.mkv"));
        ASSERT_EQ(video.status, 0) << video.err;
        const std::string decoded = raw(q("packed.mkv"), "format=rgb24");
        ASSERT_EQ(decoded.size(), ours.size()) << mode;
        double videoDifference = 0;
        for (size_t i = 0; i < ours.size(); ++i)
            videoDifference += std::abs(int(uint8_t(ours[i])) - int(uint8_t(decoded[i])));
        EXPECT_LE(videoDifference / double(ours.size()), 2.0) << mode;
    }
}

}  // namespace
}  // namespace plexo
