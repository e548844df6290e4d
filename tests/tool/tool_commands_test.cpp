#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "image/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

using test::Identify;

// take0003, take0007, take0012: 5 x 3 24-bit bitmaps; film.FLM of two
// numbered 4 x 2 frames, and cut.flm, the same with its second frame cut
// short by the end of the file; cam08.jpg, one 9 x 7 JPEG frame.
class Tool : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool())
            GTEST_SKIP() << "PLEXO_TOOL is not set";
        for (int n : {12, 3, 7})
            test::WriteBytes(dir.file((n < 10 ? "take000" : "take00") + std::to_string(n) + ".bmp"),
                             test::MakeBmpBytes({.width = 5, .height = 3, .pixels = test::PatternPixels(5, 3, 3, n)}));
        test::WriteBytes(dir.file("film.FLM"), test::MakeFlmBytes(flm));
        std::vector<uint8_t> cut = test::MakeFlmBytes(flm);
        cut.erase(cut.end() - 5, cut.end());
        test::WriteBytes(dir.file("cut.flm"), cut);
        const auto rgb = test::PatternPixels(9, 7, 3, 0, true);
        ASSERT_TRUE(WriteJpegFile(dir.file("cam08.jpg"), {rgb.data(), 9, 7, 3}, 90));
    }

    test::ToolRun Run(const std::string& arguments) { return test::RunTool(dir, arguments); }
    std::string Q(const std::string& name) const { return test::Quoted(dir, name); }
    // The demo film: 24 frames of 320 x 240.
    std::string Demo()
    {
        EXPECT_TRUE(Run("demo " + Q("demo.flm")).out.starts_with("view with A=-4: plexo "));
        return Q("demo.flm");
    }

    const test::FlmLayout flm{.colour = true, .numbered = true, .width = 4, .height = 2, .numbers = {100, 65535},
                            .frames = {test::PatternPixels(4, 2, 3, 1), test::PatternPixels(4, 2, 3, 2)}};
    test::TempDir dir;
};

TEST_F(Tool, InfoOfEachKindOfFilm)
{
    const std::string oneView = "eyes: 1\nlayout: mono (none)\nfps: -\nduration: -\n";
    test::WriteBytes(dir.file("left.bmp"), test::ReadBytes(dir.file("take0003.bmp")));
    for (const auto& [file, text] :
         {std::pair{"take0007.bmp", "kind: bmp\nframes: 3\nnumbers: 3 7 12\nsize: 5x3\n"},
          {"left.bmp", "kind: bmp\nframes: 1\nnumbers: 1\nsize: 5x3\n"},
          {"film.FLM", "kind: flm\nframes: 2\nnumbers: 100 65535\nsize: 4x2\n"},
          {"cam08.jpg", "kind: jpg\nframes: 1\nnumbers: 8\nsize: 9x7\n"}}) {
        const test::ToolRun r = Run("info " + Q(file));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, text + oneView);
        EXPECT_EQ(r.err, "");
    }
    // A two-view film's own lines; a long film's numbers stop at 1000.
    test::WriteBytes(dir.file("photo.mpo"), test::MakeMpoBytes({{test::PatternJpeg(16, 8, 1), 0x020002},
                                                                {test::PatternJpeg(16, 8, 2), 0x020002}}));
    EXPECT_EQ(Run("info " + Q("photo.mpo")).out, "kind: mpo\nframes: 1\nnumbers: 1\nsize: 16x8\neyes: 2\n"
                                                 "layout: mono (metadata)\nfps: -\nduration: -\n");
    const std::string chosen = Run("info " + Q("photo.mpo") + " --source-layout tb").out;
    EXPECT_NE(chosen.find("\nlayout: top-bottom left-first (user)\n"), std::string::npos);
    test::WriteBytes(dir.file("long.flm"),
                     test::MakeFlmBytes({.width = 1, .height = 1, .frames = std::vector(1001, std::vector<uint8_t>{9})}));
    const std::string numbers = Run("info " + Q("long.flm")).out;
    EXPECT_EQ(std::count(numbers.begin(), numbers.end(), ' '), 1009);
    EXPECT_NE(numbers.find(" ...\nsize: 1x1\n"), std::string::npos);
    // A video's frames have times, not numbers of their own.
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -frames:v 3 " + Q("clip.mp4")));
    EXPECT_EQ(Run("info " + Q("clip.mp4")).out, "kind: video\nframes: 3\nsize: 64x48\neyes: 1\n"
                                                "layout: mono (none)\nfps: 25\nduration: 0.12 s\naudio: none\n"
                                                "subtitle: none\n");
    // Its sound and subtitle streams, by their index in the file; a
    // subtitle's title where it has one.
    const std::string cues = "1\n00:00:00,000 --> 00:00:00,100\nHi\n";
    test::WriteBytes(dir.file("cues.srt"), {cues.begin(), cues.end()});
    ASSERT_TRUE(test::RunCommand(
        "ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=25 -f lavfi -i sine=r=48000 -f lavfi -i sine=r=44100 "
        "-i " + Q("cues.srt") + " -frames:v 3 -t 0.12 -map 0:v -map 1:a -map 2:a -map 3 -map 3 -c:a:0 aac -ac:a:0 2 "
        "-c:a:1 mp2 -c:s:0 srt -c:s:1 ass -metadata:s:a:0 language=eng "
        "-metadata:s:a:1 language=fre -disposition:a:0 0 -disposition:a:1 default -metadata:s:s:0 language=ger "
        "-metadata:s:s:0 title=Commentary -disposition:s:0 default -disposition:s:1 0 " + Q("sound.mkv")));
    const std::string streams = Run("info " + Q("sound.mkv")).out;
    EXPECT_TRUE(streams.ends_with("\naudio: 1 aac, 2 channels, 48000 Hz, eng\n"
                                  "audio: 2 mp2, 1 channel, 44100 Hz, fre, default\n"
                                  "subtitle: 3 subrip, ger, Commentary, default\nsubtitle: 4 ass, -\n"))
        << streams;
    // frame --eye: one eye of a two-view film, a half layout's at its whole shape, or a single view's partner.
    EXPECT_EQ(Run("frame " + Q("photo.mpo") + " --eye second --out " + Q("eye.bmp")).out, "16x8\n");
    EXPECT_EQ(Identify(dir.file("eye.bmp"), "%w %h"), "16 8");
    EXPECT_EQ(Run("frame " + Q("film.FLM") + " --eye second --shift 1 --out " + Q("eye.jpg")).out, "4x2\n");
    EXPECT_EQ(Run("frame " + Q("cam08.jpg") + " --source-layout hsbs --eye second --out " + Q("e.bmp")).out, "8x7\n");
    ASSERT_EQ(Run("export " + Q("cam08.jpg") + " --source-layout htb --out " + Q("pair.mpo")).status, 0);
    EXPECT_EQ(Identify(dir.file("pair.mpo"), "%w %h"), "9 6");

    // Loose pictures pair, glued side by side.
    ASSERT_TRUE(test::RunCommand("convert " + Q("take0007.bmp") + " " + Q("im1.png")));
    EXPECT_EQ(Run("compose " + Q("left.bmp") + " --second " + Q("im1.png") + " --mode side-by-side --out " + Q("o.bmp")).out,
              "20x3\n");

    const test::ToolRun cut = Run("info " + Q("cut.flm"));
    EXPECT_EQ(cut.status, 0);
    EXPECT_EQ(cut.err,
              "plexo-tool: warning: " + dir.file("cut.flm") + " ends inside a frame record: the file is cut short\n");
}

// Every command's --help prints its usage and succeeds, never an option's value.
TEST_F(Tool, HelpOfEachCommandIsItsUsage)
{
    std::istringstream list(Run("--help").err);
    std::vector<std::string> runs{"compose " + Q("film.FLM") + " --out --help --index"};
    for (std::string line; std::getline(list, line);)
        if (line.starts_with("  plexo-tool "))
            runs.push_back(line.substr(13, line.find(' ', 13) - 13) + " --help");
    for (const std::string& words : runs) {
        const test::ToolRun r = Run(words);
        EXPECT_EQ(std::tuple(r.status, r.err, r.out.find("usage: plexo-tool " + words.substr(0, words.find(' ')) + " ")),
                  std::tuple(0, std::string(), size_t(0))) << words;
    }
    EXPECT_EQ(runs.size(), 10u);
}

// The picture of a frame as the film gives it: bottom row first, blue, green,
// red; grey from colour as (b + g + r + 1) / 3.
TEST_F(Tool, PictureOfAFrameIsItsBytesOrTheirGrey)
{
    std::vector<uint8_t> grey;
    for (const uint8_t* p = flm.frames[0].data(); grey.size() < 8; p += 3)
        grey.push_back(uint8_t((p[0] + p[1] + p[2] + 1) / 3));
    const std::vector<uint8_t> jpg = test::ReadBytes(dir.file("cam08.jpg"));
    const PictureBuffer decoded = DecodeJpegColour(jpg.data(), jpg.size(), JpegRows::Picture);
    ASSERT_TRUE(decoded);
    for (const auto& [arguments, size, bytes] :
         {std::tuple{Q("take0003.bmp") + " --index 2 --colour", "5x3\n", test::PatternPixels(5, 3, 3, 12)},
          {Q("film.FLM") + " --index 1 --colour", "4x2\n", flm.frames[1]},
          {Q("film.FLM") + " --grey", "4x2\n", grey},
          {Q("cam08.jpg") + " --colour", "9x7\n",
           std::vector<uint8_t>(decoded.bytes.get(), decoded.bytes.get() + decoded.byteCount())}}) {
        const test::ToolRun r = Run("picture " + arguments + " --raw " + Q("o.raw"));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, size);
        EXPECT_EQ(test::ReadBytes(dir.file("o.raw")), bytes) << arguments;
    }
}

struct Refusal {
    const char* arguments;  // {dir} stands for the test's folder
    int status;             // 2: bad usage, 1: failed
    const char* message;    // in stderr exactly once
};

// Each refusal says what was wrong, once, and writes nothing: no new file,
// the older one untouched, no result on stdout.
class ToolRefusals : public Tool, public testing::WithParamInterface<Refusal> {};
TEST_P(ToolRefusals, SayWhyOnceAndWriteNothing)
{
    const auto inDir = [&](std::string text) {
        for (size_t at; (at = text.find("{dir}")) != std::string::npos;)
            text.replace(at, 5, dir.path().string());
        return text;
    };
    test::WriteBytes(dir.file("old.bmp"), {1, 2, 3});
    const std::string message = inDir(GetParam().message);
    const test::ToolRun r = Run(inDir(GetParam().arguments));
    EXPECT_EQ(r.status, GetParam().status) << r.err;
    const size_t first = r.err.find(message);
    EXPECT_TRUE(first != std::string::npos && r.err.find(message, first + 1) == std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.bmp")));
    EXPECT_EQ(test::ReadBytes(dir.file("old.bmp")), (std::vector<uint8_t>{1, 2, 3}));
}
INSTANTIATE_TEST_SUITE_P(
    ToolMessages, ToolRefusals,
    testing::Values(
        Refusal{"convert flm-png {dir}/film.FLM", 2, "plexo-tool: unknown way 'flm-png'\n"},
        Refusal{"info {dir}/film.FLM --source-layout ou", 2, "plexo-tool: --source-layout takes mono, sbs, sbs-rl"},
        Refusal{"frame {dir}/film.FLM --eye left --out {dir}/out.bmp", 2, "plexo-tool: --eye takes first or second"},
        Refusal{"convert flm-bmp {dir}/film.FLM --factor 5", 2, "plexo-tool: --factor takes 1 to 4, not 5\n"},
        Refusal{"convert flm-jpg {dir}/film.FLM --compress zip", 2, "plexo-tool: --compress takes none or jpeg"},
        Refusal{"convert flm-bmp {dir}/film.FLM --size 322x100", 2, "For BMP the width should be multiple 4"},
        Refusal{"convert bmp-flm {dir}/film.FLM", 1, "plexo-tool: {dir}/film.FLM: bmp-flm converts *.bmp files\n"},
        Refusal{"convert jpg-bmp {dir}/none0001.jpg", 1, "plexo-tool: {dir}/none0001.jpg: The file does not exist.\n"},
        Refusal{"convert flm-bmp {dir}/cut.flm", 1, "plexo-tool: {dir}/cut.flm: the conversion stopped after 1 frame"},
        Refusal{"info {dir}/none.flm", 1, "plexo-tool: {dir}/none.flm: The file does not exist.\n"},
        Refusal{"info {dir}/film.FLM {dir}/cut.flm", 2, "plexo-tool: unexpected argument '{dir}/cut.flm'\n"},
        Refusal{"demo {dir}/no/demo.flm", 1, "plexo-tool: cannot write {dir}/no/demo.flm: No such file or directory\n"},
        // An unknown extension is reported once, by the film chooser.
        Refusal{"compose {dir}/x.gif --mode plain --out {dir}/old.bmp", 1,
                "File extension is incompatible: {dir}/x.gif\n"},
        Refusal{"picture {dir}/cut.flm --index 2 --colour --raw {dir}/out.bmp", 1, "no frame at index 2"},
        Refusal{"picture {dir}/cut.flm --index -1 --grey --raw {dir}/out.bmp", 2, "--index takes"},
        Refusal{"picture {dir}/cut.flm --index x --grey --raw {dir}/out.bmp", 2, "--index takes"},
        Refusal{"picture {dir}/cut.flm --colour", 2, "plexo-tool: --raw is required\n"},
        Refusal{"frame {dir}/cut.flm --out {dir}/out.png", 2, "plexo-tool: --out {dir}/out.png: the output must be"},
        Refusal{"frame {dir}/cut.flm --index 1 --out {dir}/old.bmp", 1, "Save error"},
        Refusal{"frame {dir}/cut.flm --out {dir}/no/such/folder.bmp", 1, "Save error"},
        Refusal{"compose {dir}/cut.flm --out {dir}/old.bmp", 2, "plexo-tool: --mode is required\n"},
        Refusal{"compose {dir}/cut.flm --mode sideways --out {dir}/old.bmp", 2, "plexo-tool: --mode takes plain"},
        Refusal{"compose {dir}/cut.flm --mode plain --side top --out {dir}/old.bmp", 2, "plexo-tool: --side needs"},
        Refusal{"compose {dir}/cut.flm --mode page-flip --out {dir}/old.bmp", 2, "plexo-tool: --mode page-flip needs"},
        Refusal{"compose {dir}/cut.flm --index 2 --mode plain --out {dir}/old.bmp", 1, "no frame at index 2"},
        Refusal{"compose {dir}/cut.flm --index 1 --mode plain --view 8x8 --out {dir}/old.bmp", 1,
                "cannot read the picture"},
        Refusal{"compose {dir}/cut.flm --mode plain --view 0x4 --out {dir}/old.bmp", 1, "the view 0x4 is empty"},
        Refusal{"compose {dir}/cut.flm --mode red-blue --view 40000x1 --out {dir}/old.bmp", 1, "32768"},
        Refusal{"compose {dir}/cut.flm --mode columns --vertical up --out {dir}/old.bmp", 2, "--vertical takes a whole"},
        Refusal{"compose {dir}/cut.flm --mode columns --left 2147483647 --out {dir}/old.bmp", 1, "--left 2147483647 puts"},
        Refusal{"export {dir}/film.FLM --out {dir}/out.gif", 1,
                "plexo-tool: {dir}/out.gif: no export format has this extension; the extensions are mpo, jps, jpg, bmp, heic"},
        Refusal{"export {dir}/film.FLM --mode page-flip --out {dir}/out.bmp", 2, "page-flip shows the eyes in turn"},
        Refusal{"export {dir}/film.FLM --layout tb --out {dir}/out.mpo", 2, "plexo-tool: --layout goes with"},
        Refusal{"export {dir}/film.FLM --mode red-blue --out {dir}/out.mpo", 2, "--mode goes with .jpg and .bmp only"},
        Refusal{"export {dir}/film.FLM --index 2 --out {dir}/out.bmp", 1, "film.FLM has no frame at index 2: it has 2"},
        Refusal{"export {dir}/take0003.bmp --shift 0 --mode plain --out {dir}/take.bmp", 1,
                "{dir}/take0003.bmp is a file of the film being exported; it is not written over."},
        Refusal{"export {dir}/film.FLM --fps 0.001 --out {dir}/out.mp4", 2,
                "plexo-tool: --fps takes 0.01 to 1000 frames a second, not '0.001'\n"},
        Refusal{"frame {dir}/take0003.bmp --out {dir}/take0012.bmp", 1,
                "{dir}/take0012.bmp is a file of the film being exported; it is not written over."},
        Refusal{"compose {dir}/film.FLM --second {dir}/take0003.bmp --mode plain --out {dir}/take0007.bmp", 1,
                "{dir}/take0007.bmp is a file of the film being exported; it is not written over."}));

// Without --view the frame has the presentation's natural size for the 5 x 3
// picture (the padded width printed), whatever the adjustments.
TEST_F(Tool, ComposeGivesEachPresentationItsNaturalSize)
{
    for (const auto& [mode, out] : std::vector<std::pair<std::string, std::string>>{
             {"side-by-side --swap", "12x3\n"}, {"top-bottom --vertical -2", "8x6\n"},
             {"side-by-side-half --dist 3 --left 1", "8x3\n"},
             {"page-flip --swap --vertical 1 --second-out " + Q("s.bmp"), "rect: 0 0 5 3\n"}})
        EXPECT_EQ(Run("compose " + Q("take0003.bmp") + " --mode " + mode + " --out " + Q("o.bmp")).out, out) << mode;
}

TEST_F(Tool, ConvertsWithTheOptionsAndExitsAsTheLogSays)
{
    const std::string demo = Demo();
    const test::ToolRun run = Run("convert flm-bmp " + demo + " --grey --factor 2 --size 100x50");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "start\nOK\nfinish\n");  // no progress bar off a terminal
    EXPECT_EQ(run.out, "replaced: 0\nwrote " + dir.file("demo0000.bmp") + " to " + dir.file("demo0023.bmp") +
                           ": 24 frames\n");
    EXPECT_EQ(Identify(dir.file("demo0023.bmp"), "%w %h %[type]"), "100 50 Grayscale");
    EXPECT_TRUE(Run("convert flm-bmp " + demo).out.starts_with("replaced: 24\nwrote "));
    // The dialog's first-use choices but the factor: quality 95, packed
    // frames, the source's size.
    ASSERT_EQ(Run("convert flm-jpg " + demo).status, 0);
    EXPECT_EQ(Identify(dir.file("demo0000.jpg"), "%Q %w %h"), "95 320 240");
    EXPECT_EQ(Run("convert jpg-flm " + Q("demo0000.jpg")).out,
              "replaced: 0\nwrote " + dir.file("demo0.flm") + ": 24 frames\n");
    EXPECT_EQ(test::ReadBytes(dir.file("demo0.flm")).at(0), 7);
}

// Export's pictures are compose's, with the same pairing and adjustments; a
// film of several frames makes a numbered run of every frame, the last one's
// partner wrapping round to the first.
TEST_F(Tool, ExportWritesComposedPicturesAndNumberedRuns)
{
    const std::string demo = Demo(), adjust = " --index 3 --swap --dist 5 --vertical 2 --shift 2 --mode ";
    for (const std::string mode : {"side-by-side", "red-blue", "top-bottom-half", "checkerboard"}) {
        ASSERT_EQ(Run("compose " + demo + adjust + mode + " --out " + Q("c.bmp")).status, 0);
        const test::ToolRun run = Run("export " + demo + adjust + mode + " --out " + Q("e.bmp"));
        EXPECT_EQ(run.out, dir.file("e.bmp") + "\n");
        EXPECT_EQ(run.err, "start\nOK\nfinish\n");
        EXPECT_EQ(test::ReadBytes(dir.file("e.bmp")), test::ReadBytes(dir.file("c.bmp"))) << mode;
    }
    ASSERT_EQ(Run("export " + demo + adjust + "checkerboard --quality 90 --out " + Q("e.jpg")).status, 0);
    EXPECT_EQ(Identify(dir.file("e.jpg"), "%Q %w %h"), "90 320 240");
    EXPECT_EQ(Run("export " + Q("take0003.bmp") + " --shift 1 --out " + Q("run.jps")).out,
              dir.file("run0003.jps") + "\n" + dir.file("run0007.jps") + "\n" + dir.file("run0012.jps") + "\n");
}

// A link planted in a shared sticky folder (by another user, where the test
// may act as one) sends no frame to the file it names: the link itself is
// replaced, as with any other file of that name.
TEST_F(Tool, ConvertReplacesAPlantedLinkNotTheFileItNames)
{
    const std::filesystem::path shared = dir.path() / "sh";
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::vector<uint8_t> precious = {'p', 'r', 'e', 'c', 'i', 'o', 'u', 's'};
    test::WriteBytes(dir.file("v.txt"), precious);
    const std::string link = (shared / "clip0001.bmp").string(), film = "'" + (shared / "clip.flm").string() + "'";
    const bool asNobody = ::geteuid() == 0 && test::HaveProgram("setpriv");
    ASSERT_TRUE(test::RunCommand(std::string(asNobody ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "") +
                                 "ln -s " + Q("v.txt") + " '" + link + "'"));
    ASSERT_EQ(Run("demo " + film).status, 0);
    const test::ToolRun run = Run("convert flm-bmp " + film);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadBytes(dir.file("v.txt")), precious);
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Identify(link, "%w %h"), "320 240");
}

// The frame at the index, as BMP the tool's own raw picture behind the
// 54-byte headers (rows of 960 bytes need no padding), as JPEG by the
// extension.
TEST_F(Tool, FrameSavesThePictureAtTheIndexAsBmpAndJpeg)
{
    const std::string demo = Demo();
    ASSERT_EQ(Run("picture " + demo + " --index 5 --colour --raw " + Q("ref.raw")).status, 0);
    for (const std::string name : {"f.bmp", "f.JPG"}) {
        const test::ToolRun run = Run("frame " + demo + " --index 5 --out " + Q(name));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "320x240\n");
    }
    EXPECT_EQ(Identify(dir.file("f.JPG"), "%m %wx%h"), "JPEG 320x240");
    const std::vector<uint8_t> bmp = test::ReadBytes(dir.file("f.bmp"));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_TRUE(std::vector<uint8_t>(bmp.begin() + 54, bmp.end()) == test::ReadBytes(dir.file("ref.raw")));
}

// The horizontal shift d in [from, to] for which red at (x, y) best matches
// blue at (x + d, y), over a 17 x 17 patch of a bottom-up RGB-as-read image.
int ChannelShift(const std::string& rgb, int width, int x, int y, int from, int to)
{
    int best = 0;
    long bestCost = LONG_MAX;
    for (int d = from; d <= to; ++d) {
        long cost = 0;
        for (int dy = -8; dy <= 8; ++dy)
            for (int dx = -8; dx <= 8; ++dx) {
                const size_t at = (size_t(y + dy) * size_t(width) + size_t(x + dx)) * 3;
                cost += std::abs(int(uint8_t(rgb[at])) - int(uint8_t(rgb[at + size_t(d) * 3 + 2])));
            }
        if (cost < bestCost) {
            bestCost = cost;
            best = d;
        }
    }
    return best;
}

TEST_F(Tool, TheDemoShowsDepthInRedBlue)
{
    const std::string out = dir.file("rb.bmp");
    ASSERT_EQ(Run("compose " + Demo() + " --index 10 --mode red-blue --out '" + out + "'").status, 0);
    // -flip puts the bottom row first, as the demo film's rows are counted.
    const std::string rgb = test::CommandOutput("convert '" + out + "' -flip -depth 8 rgb:-");
    ASSERT_EQ(rgb.size(), size_t(320 * 240 * 3));
    // With the default displacement the near box stands out of the screen
    // (blue left of red), the wall lies behind it (blue right of red).
    EXPECT_LE(ChannelShift(rgb, 320, 178, 62, -14, 0), -8);
    const int farShift = ChannelShift(rgb, 320, 100, 220, 0, 10);
    EXPECT_GE(farShift, 4);
    EXPECT_LE(farShift, 8);
}

}  // namespace
}  // namespace plexo
