#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "convert/stereo_export.h"
#include "film/factories.h"
#include "film/open_film.h"
#include "image/jpeg_codec.h"
#include "image/jps_block.h"
#include "image/mpo_index.h"
#include "support/fixtures.h"
#include "support/outside_programs.h"
#include "support/pattern_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

// Smooth, so that JPEG keeps it within a few steps.
uint8_t Smooth(int number, int x, int y, int channel)
{
    return uint8_t(30 + 30 * number + 2 * x + 3 * y + 20 * channel);
}

// The largest difference between a picture and frame `number` of the film.
int Error(const Picture& picture, int number)
{
    if (!picture || picture.width != 32 || picture.height != 16)
        return 255;
    int worst = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width * 3; ++x)
            worst = std::max(worst, std::abs(picture.row(y)[x] - Smooth(number, x / 3, y, x % 3)));
    return worst;
}

int StreamError(const uint8_t* stream, size_t length, int number)
{
    return Error(DecodeJpegColour(stream, length, JpegRows::Picture).view(), number);
}

// Frames 0, 1 and 2 of 32 x 16, paired with the next one.
class StereoExport : public testing::Test {
protected:
    StereoExport() { options.shift = 1; }
    std::string Out(const std::string& name) const { return dir.file(name); }

    test::PatternFilm film{3, {32, 16}, 0, Smooth};
    ExportOptions options;
    test::TempDir dir;
};

// Each MPO holds the frame and its partner (the last frame's wraps round to
// the first) as two disparity pictures, which our index reader, exiftool and
// Pillow all find.
TEST_F(StereoExport, WritesEachPairAsAnMpoOfTwoDisparityPictures)
{
    const std::vector<std::string> names = ExportOutputNames(film, Out("pair.mpo"), options);
    EXPECT_EQ(names, (std::vector{Out("pair0000.mpo"), Out("pair0001.mpo"), Out("pair0002.mpo")}));
    std::vector<std::string> written;
    ASSERT_EQ(Export(film, Out("pair.mpo"), options, {}, &written), ExportResult::Ok);
    EXPECT_EQ(written, names);
    for (int n = 0; n < 3; ++n) {
        const std::vector<uint8_t> file = test::ReadBytes(names[n]);
        const std::vector<MpEntry> entries = ReadMpIndex(file.data(), file.size());
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(ChooseEyePictures(entries, [](const MpEntry&) { return std::nullopt; }), std::pair(0ul, 1ul));
        EXPECT_EQ(entries[0].offset, 0u);
        EXPECT_LE(StreamError(file.data(), entries[0].length, n), 6);
        EXPECT_LE(StreamError(file.data() + entries[1].offset, entries[1].length, (n + 1) % 3), 6);
    }
    if (test::HaveProgram("exiftool")) {
        EXPECT_EQ(test::CommandOutput("exiftool -a -s3 -MPImageType '" + names[0] + "'"),
                  "Multi-frame Disparity\nMulti-frame Disparity\n");
    }
    if (const std::string python = test::PythonWithPillow(); !python.empty()) {
        EXPECT_EQ(test::CommandOutput(python + " -c \"from PIL import Image\nim = Image.open('" + names[1] +
                                      "')\nprint(im.n_frames, *[e['Attribute']['MPType'] for e in im.mpinfo[0xB002]])\""),
                  "2 Multi-Frame Image: (Disparity) Multi-Frame Image: (Disparity)\n");
    }
}

// A JPS states its cross-eyed order, so our own film gives the eyes back in
// the order the view pairs them, swapped or not.
TEST_F(StereoExport, WritesAJpsThatOpensWithTheFirstEyeFirst)
{
    for (const bool swap : {false, true}) {
        options.index = 1;
        options.adjust.swap = swap;
        ASSERT_EQ(Export(film, Out("one.jps"), options), ExportResult::Ok);
        const std::vector<uint8_t> file = test::ReadBytes(Out("one.jps"));
        EXPECT_EQ(ReadJpsLayout(file.data(), file.size()), kJpsDefaultLayout);
        FilmPtr jps = OpenJpsFilm(Out("one.jps"));
        ASSERT_TRUE(jps && jps->Eyes() == 2);
        EXPECT_LE(Error(FilmPicture(*jps, Eye::Current, Tone::Colour), swap ? 2 : 1), 6) << swap;
        EXPECT_LE(Error(FilmPicture(*jps, Eye::Partner, Tone::Colour), swap ? 1 : 2), 6) << swap;
    }
}

// The JPS's exchanged halves hold the pair the MPO holds: the second eye's
// place relative to the first, read off the pattern at the middle, is the
// same in both, with the eyes swapped or not.
TEST_F(StereoExport, JpsKeepsThePairsDisplacementAndVerticalMove)
{
    options.index = 0;
    for (const bool swap : {false, true}) {
        options.adjust = {.swap = swap, .dist = 4, .vertical = 2};
        std::vector<int> apart;
        for (const char* name : {"a.mpo", "a.jps"}) {
            ASSERT_EQ(Export(film, Out(name), options), ExportResult::Ok);
            FilmPtr pair = OpenFilmByExtension(Out(name));
            ASSERT_TRUE(pair);
            const auto middle = [&](Eye eye) { return FilmPicture(*pair, eye, Tone::Colour).row(8)[16 * 3]; };
            apart.push_back(middle(Eye::Partner) - middle(Eye::Current));
        }
        EXPECT_NEAR(apart[0], apart[1], 4) << swap;
    }
}

// Every JPEG still keeps the camera's Exif block of its first eye's file, its
// orientation upright as the pixels are written; the MPO's index, put in
// after it, still finds both pictures.
TEST_F(StereoExport, StillsKeepTheFirstEyesCameraExif)
{
    if (!test::HaveProgram("exiftool"))
        GTEST_SKIP() << "exiftool is not installed";
    test::WriteBytes(Out("cam.jpg"), test::PatternJpeg(32, 16, 1));
    ASSERT_TRUE(test::RunCommand("exiftool -q -overwrite_original -n -Make=Fujifilm -Model=W3 -Orientation=6 "
                                 "'-DateTimeOriginal=2024:05:06 07:08:09' -ExposureTime=0.004 -GPSLatitude=51.5 "
                                 "-GPSLatitudeRef=N '" + Out("cam.jpg") + "'"));
    std::filesystem::rename(Out("cam.jpg"), Out("cam.jps"));
    FilmPtr source = OpenJpsFilm(Out("cam.jps"));
    ASSERT_TRUE(source);
    options.shift = 0;
    for (const char* name : {"x.mpo", "x.jps", "x.jpg"}) {
        ASSERT_EQ(Export(*source, Out(name), options), ExportResult::Ok) << name;
        EXPECT_EQ(test::CommandOutput("exiftool -s3 -n -Make -Model -DateTimeOriginal -ExposureTime -GPSLatitude "
                                      "-Orientation '" + Out(name) + "'"),
                  "Fujifilm\nW3\n2024:05:06 07:08:09\n0.004\n51.5\n1\n") << name;
    }
    const std::vector<uint8_t> mpo = test::ReadBytes(Out("x.mpo"));
    const std::vector<MpEntry> entries = ReadMpIndex(mpo.data(), mpo.size());
    ASSERT_EQ(entries.size(), 2u);
    for (const MpEntry& entry : entries)
        EXPECT_TRUE(DecodeJpegColour(mpo.data() + entry.offset, entry.length)) << entry.offset;
    EXPECT_EQ(test::CommandOutput("exiftool -a -s3 -MPImageType '" + Out("x.mpo") + "'"),
              "Multi-frame Disparity\nMulti-frame Disparity\n");
}

// A stop ends the run like a failure: the frames before it stay, the frame
// being written leaves no file and an older file of its name stays whole.
TEST_F(StereoExport, AStopKeepsTheFramesBeforeItAndTheOlderFile)
{
    options.shift = 0;
    test::WriteBytes(Out("run0001.bmp"), {1, 2, 3});
    std::atomic<bool> stop{false};
    const ConversionControl control{[&](int done, int) { stop = done == 1; }, &stop};
    EXPECT_EQ(Export(film, Out("run.bmp"), options, control), ExportResult::WriteError);
    EXPECT_EQ(test::ReadBytes(Out("run0001.bmp")), (std::vector<uint8_t>{1, 2, 3}));
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"run0000.bmp", "run0001.bmp"}));
}

}  // namespace
}  // namespace plexo
