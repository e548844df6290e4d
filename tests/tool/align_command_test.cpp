// plexo-tool align over a numbered run of side-by-side JPEG pairs that
// ImageMagick makes from one textured scene, each second eye misaligned its
// own way.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>

#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// The scene: ImageMagick's plasma under fine noise.
bool MakeScene(const test::TempDir& dir)
{
    return test::RunCommand("convert -size 640x360 -seed 7 plasma:fractal \\( -size 640x360 -seed 8 xc:gray +noise Random "
                            "-colorspace gray -blur 0x1.5 -auto-level \\) -compose overlay -composite '" +
                            dir.file("scene.png") + "'");
}

// The second eye 20 columns behind the first, then moved down `down` rows,
// turned `roll` degrees clockwise and scaled 1.2 %: side by side in `name`,
// or the eyes apart as `name` and `second`.
bool MakePair(const test::TempDir& dir, const std::string& name, double down, double roll, const std::string& second = "")
{
    const std::string scene = "'" + dir.file("scene.png") + "'";
    const std::string srt = "'300,170 1.012 " + std::to_string(roll) + " 300," + std::to_string(170 + down) + "'";
    const std::string first = scene + " -crop 600x340+50+10 +repage";
    const std::string other = scene + " -crop 600x340+30+10 +repage -virtual-pixel black -distort SRT " + srt;
    const auto out = [&](const std::string& file) { return " -quality 95 '" + dir.file(file) + "'"; };
    if (second.empty())
        return test::RunCommand("convert " + first + " \\( " + other + " \\) +append" + out(name));
    return test::RunCommand("convert " + first + out(name)) && test::RunCommand("convert " + other + out(second));
}

// The tool's settings file for one test, put back as it was after it.
class SettingsFileOfTheTool {
public:
    explicit SettingsFileOfTheTool(const std::string& path)
    {
        if (const char* before = std::getenv("PLEXO_SETTINGS_FILE"))
            before_ = before;
        setenv("PLEXO_SETTINGS_FILE", path.c_str(), 1);
    }
    ~SettingsFileOfTheTool()
    {
        if (before_)
            setenv("PLEXO_SETTINGS_FILE", before_->c_str(), 1);
        else
            unsetenv("PLEXO_SETTINGS_FILE");
    }

private:
    std::optional<std::string> before_;
};

TEST(AlignCommand, BatchKeepsEachFilesCorrectionAndComposeAppliesIt)
{
    if (!test::HaveTool() || !test::HaveProgram("convert"))
        GTEST_SKIP() << "needs PLEXO_TOOL and ImageMagick";
    test::TempDir dir;
    ASSERT_TRUE(MakeScene(dir) && MakePair(dir, "run0001.jpg", 6, 0.8) && MakePair(dir, "run0002.jpg", -3, -0.5));
    ASSERT_TRUE(test::RunCommand("convert -size 400x200 xc:gray '" + dir.file("flat0001.jpg") + "'"));
    const std::string settings = dir.file("settings.ini");
    const SettingsFileOfTheTool sandbox(settings);
    const auto run = [&](const std::string& arguments) { return test::RunTool(dir, arguments + " --source-layout sbs"); };

    const test::ToolRun aligned = run("align " + test::Quoted(dir, "run0001.jpg") + " --all");
    EXPECT_EQ(aligned.status, 0) << aligned.err;
    const double applied[2][2] = {{6, 0.8}, {-3, -0.5}};
    const char* line = aligned.out.c_str();
    for (int frame = 0; frame < 2; ++frame) {
        int number = -1;
        double vertical = 0, roll = 0;
        int read = 0;
        ASSERT_EQ(std::sscanf(line, "frame %d: aligned: vertical %lf px, roll %lf%n", &number, &vertical, &roll, &read), 3)
            << aligned.out;
        EXPECT_EQ(number, frame);
        EXPECT_NEAR(vertical, applied[frame][0], 0.3);
        EXPECT_NEAR(roll, applied[frame][1], 0.1);
        line = std::strchr(line, '\n') + 1;
    }
    const std::string kept = test::CommandOutput("cat '" + settings + "'");
    for (const char* file : {"run0001.jpg=align=", "run0002.jpg=align="})
        EXPECT_NE(kept.find(file), std::string::npos) << kept;

    const auto compose = [&](const std::string& name, const std::string& more) {
        return run("compose " + test::Quoted(dir, "run0001.jpg") + " --mode side-by-side --out " + test::Quoted(dir, name) + more)
            .status;
    };
    ASSERT_EQ(compose("kept.bmp", ""), 0);
    ASSERT_EQ(compose("plain.bmp", " --no-align"), 0);
    EXPECT_FALSE(test::RunCommand("cmp -s '" + dir.file("kept.bmp") + "' '" + dir.file("plain.bmp") + "'"));

    const test::ToolRun flat = run("align " + test::Quoted(dir, "flat0001.jpg"));
    EXPECT_EQ(std::tuple(flat.status, flat.out), std::tuple(1, std::string("frame 0: could not align: 0 matches\n")));

    // The written pairs are named as export names them.
    const test::ToolRun written =
        run("align " + test::Quoted(dir, "run0001.jpg") + " --all --out " + test::Quoted(dir, "a.jps"));
    EXPECT_TRUE(written.out.ends_with("\n" + dir.file("a0001.jps") + "\n" + dir.file("a0002.jps") + "\n"))
        << written.err;
    // Two loose pictures pair, as the README's example pairs them.
    ASSERT_TRUE(MakePair(dir, "left.jpg", 4, 0.3, "right.jpg"));
    const test::ToolRun loose =
        test::RunTool(dir, "align " + test::Quoted(dir, "left.jpg") + " --second " + test::Quoted(dir, "right.jpg"));
    double vertical = 0, roll = 0;
    ASSERT_EQ(std::sscanf(loose.out.c_str(), "frame 0: aligned: vertical %lf px, roll %lf", &vertical, &roll), 2)
        << loose.err;
    EXPECT_NEAR(vertical, 4, 0.3);
}

}  // namespace
}  // namespace plexo
