#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "film/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

class ToolInfoPicture : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool())
            GTEST_SKIP() << "PLEXO_TOOL is not set";
        // take0003, take0007, take0012: 5 x 3 24-bit bitmaps.
        for (int n : {12, 3, 7})
            test::WriteBytes(dir.file((n < 10 ? "take000" : "take00") + std::to_string(n) + ".bmp"),
                             test::MakeBmpBytes({.width = 5, .height = 3, .pixels = test::PatternPixels(5, 3, 3, n)}));
        test::WriteBytes(dir.file("film.FLM"), test::MakeFlmBytes(flm));
        // The same film with its second frame cut short by the end of the
        // file: the frame exists, but its picture cannot be read.
        std::vector<uint8_t> cut = test::MakeFlmBytes(flm);
        cut.erase(cut.end() - 5, cut.end());
        test::WriteBytes(dir.file("cut.flm"), cut);
    }

    test::ToolRun Run(const std::string& arguments) { return test::RunTool(dir, arguments); }
    std::string Q(const std::string& name) const { return test::Quoted(dir, name); }

    const test::FlmLayout flm{.colour = true, .numbered = true, .width = 4, .height = 2, .numbers = {100, 65535},
                            .frames = {test::PatternPixels(4, 2, 3, 1), test::PatternPixels(4, 2, 3, 2)}};
    test::TempDir dir;
};

TEST_F(ToolInfoPicture, InfoOfEachKindOfFilm)
{
    const auto rgb = test::PatternPixels(9, 7, 3, 0, true);
    ASSERT_TRUE(WriteJpegFile(dir.file("cam08.jpg"), {rgb.data(), 9, 7, 3}, 90));
    for (const auto& [file, text] :
         {std::pair{"take0007.bmp", "kind: bmp\nframes: 3\nnumbers: 3 7 12\nsize: 5x3\n"},
          {"film.FLM", "kind: flm\nframes: 2\nnumbers: 100 65535\nsize: 4x2\n"},
          {"cam08.jpg", "kind: jpg\nframes: 1\nnumbers: 8\nsize: 9x7\n"}}) {
        const test::ToolRun r = Run("info " + Q(file));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, text);
    }
}

TEST_F(ToolInfoPicture, PictureOfABmpOrRawFlmFrameIsItsBytesOrTheirGrey)
{
    std::vector<uint8_t> grey;
    for (const uint8_t* p = flm.frames[0].data(); grey.size() < 8; p += 3)
        grey.push_back(uint8_t((p[0] + p[1] + p[2] + 1) / 3));
    for (const auto& [arguments, size, bytes] :
         {std::tuple{Q("take0003.bmp") + " --index 2 --colour", "5x3\n", test::PatternPixels(5, 3, 3, 12)},
          {Q("film.FLM") + " --index 1 --colour", "4x2\n", flm.frames[1]},
          {Q("film.FLM") + " --grey", "4x2\n", grey}}) {
        const test::ToolRun r = Run("picture " + arguments + " --raw " + Q("o.raw"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, size);
        EXPECT_EQ(test::ReadBytes(dir.file("o.raw")), bytes) << arguments;
    }
}

struct Refusal {
    const char* arguments;  // {dir} stands for the test's folder
    int status;
    const char* message;  // in stderr exactly once
};

// Each refusal names what was wrong, once, and writes nothing.
class ToolRefusals : public ToolInfoPicture, public testing::WithParamInterface<Refusal> {};
TEST_P(ToolRefusals, NameTheFileOrTheLimitOnce)
{
    const auto inDir = [&](std::string text) {
        for (size_t at; (at = text.find("{dir}")) != std::string::npos;)
            text.replace(at, 5, dir.path().string());
        return text;
    };
    const std::string message = inDir(GetParam().message);
    const test::ToolRun r = Run(inDir(GetParam().arguments));
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    const size_t first = r.err.find(message);
    EXPECT_TRUE(first != std::string::npos && r.err.find(message, first + 1) == std::string::npos) << r.err;
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
