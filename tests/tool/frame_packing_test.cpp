#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// One side-by-side frame through compose and FFmpeg's stereo3d=sbsl:hdmi
// (the left eye on top, the band, the right eye): within a level on average.
// The video export of the frame decodes to the same picture at the same size.
TEST(FramePacking, ComposeAndExportMatchFfmpegsHdmiPacking)
{
    if (!test::HaveTool() || !test::HaveProgram("ffmpeg"))
        GTEST_SKIP() << "needs PLEXO_TOOL and ffmpeg";
    test::TempDir dir;
    const auto q = [&](const std::string& name) { return test::Quoted(dir, name); };
    const auto raw = [&](const std::string& in, const std::string& f) {
        return test::CommandOutput("ffmpeg -v error -i " + q(in) + " -vf '" + f + "' -f rawvideo -pix_fmt rgb24 -");
    };
    const auto meanDifference = [&](const std::string& ours, const std::string& filter, const std::string& theirs) {
        const std::string a = raw(ours, "format=rgb24"), b = raw(theirs, filter);
        double sum = a.size() == b.size() && !a.empty() ? 0 : 1e9;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            sum += std::abs(int(uint8_t(a[i])) - int(uint8_t(b[i]))) / double(a.size());
        return sum;
    };
    for (const auto& [mode, size, frame] : {std::tuple{"frame-packing-1080", "3840x1080", "1920x2205\n"},
                                            {"frame-packing-720", "2560x720", "1280x1470\n"}}) {
        ASSERT_TRUE(test::RunCommand(std::string("ffmpeg -v error -y -f lavfi -i testsrc2=size=") + size +
                                     " -frames:v 1 -pix_fmt bgr24 " + q("scene_sbs.bmp")));
        const test::ToolRun run = test::RunTool(
            dir, "compose " + q("scene_sbs.bmp") + " --dist 0 --mode " + mode + " --out " + q("packed.bmp"));
        ASSERT_EQ(std::pair(run.status, run.out), std::pair(0, std::string(frame))) << run.err;
        EXPECT_LE(meanDifference("packed.bmp", "format=rgb24,stereo3d=sbsl:hdmi", "scene_sbs.bmp"), 1.0) << mode;
        ASSERT_EQ(test::RunTool(dir, "export " + q("scene_sbs.bmp") + " --layout " + mode +
                                         " --fps 24 --crf 0 --preset ultrafast --out " + q("packed.mkv"))
                      .status,
                  0);
        EXPECT_LE(meanDifference("packed.bmp", "format=rgb24", "packed.mkv"), 2.0) << mode;
    }
}

}  // namespace
}  // namespace plexo
