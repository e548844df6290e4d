#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

struct Refusal {
    const char* arguments;  // {dir} stands for the test's folder
    int status;
    const char* message;    // in stderr exactly once
};

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Each refusal names what was wrong, once, and writes nothing.
class ToolRefusals : public testing::TestWithParam<Refusal> {};
TEST_P(ToolRefusals, NameTheFileOrTheLimitOnce)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    test::TempDir dir;
    // Two frames of 4 x 2 colour pixels, the second cut short by the end of
    // the file: it exists, but its picture cannot be read.
    std::vector<uint8_t> flm = test::MakeFlmBytes(
        {.colour = true, .width = 4, .height = 2, .frames = {test::PatternPixels(4, 2, 3), test::PatternPixels(4, 2, 3)}});
    flm.resize(flm.size() - 5);
    test::WriteBytes(dir.file("cut.flm"), flm);
    const auto inDir = [&](std::string text) {
        for (size_t at; (at = text.find("{dir}")) != std::string::npos;)
            text.replace(at, 5, dir.path().string());
        return text;
    };
    const std::string message = inDir(GetParam().message);
    const test::ToolRun r = test::RunTool(dir, inDir(GetParam().arguments));
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    EXPECT_EQ(Count(r.err, message), 1u) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.bmp")));
}
INSTANTIATE_TEST_SUITE_P(
    ToolMessages, ToolRefusals,
    testing::Values(
        Refusal{"compose {dir}/cut.flm --index 1 --mode plain --view 8x8 --out {dir}/out.bmp", 1,
                "cannot read the picture"},
        Refusal{"compose {dir}/cut.flm --mode plain --view 40000x1 --out {dir}/out.bmp", 1, "32768"},
        Refusal{"convert flm-bmp {dir}/none.flm", 1, "{dir}/none.flm"},
        Refusal{"info {dir}/film.jpeg", 1, "File extension is incompatible"},
        Refusal{"picture {dir}/film.avi --colour --raw {dir}/out.bmp", 1, "File extension is incompatible"},
        Refusal{"info {dir}/image.bmp", 1, "Filename is incompatible"},
        Refusal{"info {dir}/none.flm", 1, "cannot open the film"},
        Refusal{"picture {dir}/cut.flm --index 2 --colour --raw {dir}/out.bmp", 1, "no frame at index 2"},
        Refusal{"compose {dir}/cut.flm --index -1 --mode plain --out {dir}/out.bmp", 2, "--index takes"},
        Refusal{"picture {dir}/cut.flm --index -1 --grey --raw {dir}/out.bmp", 2, "--index takes"},
        Refusal{"picture {dir}/cut.flm --index x --grey --raw {dir}/out.bmp", 2, "--index takes"},
        Refusal{"picture {dir}/cut.flm --colour", 2, "plexo-tool picture:"},
        Refusal{"picture {dir}/cut.flm --grey --colour --raw {dir}/out.bmp", 2, "plexo-tool picture:"},
        Refusal{"frame {dir}/cut.flm --out {dir}/out.png", 2, "plexo-tool frame:"}));

}  // namespace
}  // namespace plexo
