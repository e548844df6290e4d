// Pictures that come alone, not in a run: ImageMagick writes the PNG and TIFF
// files from a bitmap of known pixels, which they must give back exactly.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "film/open_film.h"
#include "image/picture_limit.h"
#include "platform/log.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

// Each kind opens alone as one frame numbered 1 through the chooser of the
// viewer and the tool; what does not open or decode says so naming the file;
// a header past the decoded limit or a chunk past the file decodes nothing.
TEST(LooseStills, OpenAloneAsOneFrameAndRefusalsNameTheFile)
{
    if (!test::HaveProgram("convert"))
        GTEST_SKIP() << "needs ImageMagick";
    test::TempDir dir;
    const std::vector<uint8_t> pixels = test::PatternPixels(6, 4, 3, 5);
    test::WriteBytes(dir.file("plain.bmp"), test::MakeBmpBytes({.width = 6, .height = 4, .pixels = pixels}));
    const auto picture = [&](const std::string& name, const std::string& options) {
        const std::string convert = "convert '" + dir.file("plain.bmp") + "' " + options + " '" + dir.file(name) + "'";
        EXPECT_TRUE(options.empty() || test::RunCommand(convert));
        FilmPtr film = OpenFilmByExtension(dir.file(name));
        EXPECT_TRUE(film && film->FrameCount() == 1 && film->FrameNumber() == 1) << name;
        const Picture p = film ? FilmPicture(*film, Eye::Current, Tone::Colour) : Picture{};
        return p ? std::vector<uint8_t>(p.data, p.data + p.byteCount()) : std::vector<uint8_t>{};
    };
    test::MessageCapture capture;
    for (const auto& [name, options] :
         {std::pair{"plain.bmp", ""}, {"im0.png", "-depth 8"}, {"im1.PNG", "-alpha set -depth 16"},
          {"a.tif", "-endian LSB"}, {"b.tiff", "-endian MSB -compress lzw"}, {"c.tif", "-define tiff:format=big"}})
        EXPECT_EQ(picture(name, options), pixels) << name;
    test::WriteBytes(dir.file("bad.bmp"), {'B', 'A'});
    EXPECT_EQ(picture("bad.bmp", ""), std::vector<uint8_t>{});
    EXPECT_FALSE(OpenFilmByExtension(dir.file("x.gif")));
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"Error reading file header: " + dir.file("bad.bmp"),
                                                          "File extension is incompatible: " + dir.file("x.gif")}));
    ASSERT_EQ(::mkfifo(dir.file("pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(OpenFilmByExtension(dir.file("pipe.png")));

    platform::ClearLog();
    SetDecodedPictureLimit(6 * 4 * 3 - 1);
    EXPECT_EQ(picture("a.tif", ""), std::vector<uint8_t>{});
    SetDecodedPictureLimit(QuarterOfMemory());
    EXPECT_EQ(platform::LogText(), "\r\n" + dir.file("a.tif") + ": its picture of 6x4 would take 72 bytes decoded, "
                                                                 "more than the 71 bytes one frame may take");
    std::vector<uint8_t> forged = test::ReadBytes(dir.file("im0.png"));
    forged[33] = 0x69;  // the length of the chunk after IHDR: 1.7 GB
    test::WriteBytes(dir.file("forged.png"), forged);
    EXPECT_EQ(picture("forged.png", ""), std::vector<uint8_t>{});
}

}  // namespace
}  // namespace plexo
