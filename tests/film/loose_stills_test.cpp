// Pictures that come alone, not in a numbered run: a camera pair's left.jpg,
// a test set's im0.png. ImageMagick writes the PNG and TIFF files from a
// bitmap of known pixels, which they must give back exactly.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "film/open_film.h"
#include "image/jpeg_codec.h"
#include "image/picture_limit.h"
#include "platform/log.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

std::vector<uint8_t> Bytes(const Picture& picture)
{
    std::vector<uint8_t> bytes;
    for (int y = 0; picture && y < picture.height; ++y)
        bytes.insert(bytes.end(), picture.row(y), picture.row(y) + picture.rowBytes());
    return bytes;
}

class LooseStills : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveProgram("convert"))
            GTEST_SKIP() << "needs ImageMagick";
        test::WriteBytes(dir.file("plain.bmp"), test::MakeBmpBytes({.width = 6, .height = 4, .pixels = pixels}));
    }
    // ImageMagick's copy of plain.bmp, written with `options`.
    std::string Converted(const std::string& name, const std::string& options)
    {
        EXPECT_TRUE(test::RunCommand("convert '" + dir.file("plain.bmp") + "' " + options + " '" + dir.file(name) + "'"));
        return dir.file(name);
    }

    const std::vector<uint8_t> pixels = test::PatternPixels(6, 4, 3, 5);
    test::TempDir dir;
};

// Every kind opens alone as a film of one frame numbered 1 through the one
// chooser of the viewer and the tool, asking nothing of the user: PNG and TIFF
// of any byte order, depth or alpha give the bitmap's pixels back.
TEST_F(LooseStills, EachKindOpensAloneAsOneFrameOfItsPixels)
{
    const std::vector<uint8_t> jpeg = test::PatternJpeg(6, 4, 1);
    test::WriteBytes(dir.file("left.jpg"), jpeg);
    test::WriteBytes(dir.file("photo.JPEG"), jpeg);
    const PictureBuffer decoded = DecodeJpegColour(jpeg.data(), jpeg.size(), JpegRows::Picture);
    const std::vector<uint8_t> fromJpeg = Bytes(decoded.view());
    const std::pair<std::string, const std::vector<uint8_t>&> cases[] = {
        {dir.file("plain.bmp"), pixels},
        {dir.file("left.jpg"), fromJpeg},
        {dir.file("photo.JPEG"), fromJpeg},
        {Converted("im0.png", ""), pixels},
        {Converted("im1.PNG", "-alpha set -depth 16"), pixels},
        {Converted("view.tif", "-endian LSB"), pixels},
        {Converted("view.tiff", "-endian MSB -compress lzw"), pixels},
    };
    for (const auto& [path, expected] : cases) {
        test::MessageCapture capture;
        FilmPtr film = OpenFilmByExtension(path);
        ASSERT_TRUE(film) << path;
        EXPECT_EQ(std::tuple(film->FrameCount(), film->FrameNumber(), film->Eyes()), std::tuple(1, 1, 1)) << path;
        EXPECT_EQ(Bytes(FilmPicture(*film, Eye::Current, Tone::Colour)), expected) << path;
        const Picture grey = FilmPicture(*film, Eye::Current, Tone::Grey);
        EXPECT_EQ(std::tuple(grey.width, grey.height, grey.bytesPerPixel), std::tuple(6, 4, 1)) << path;
        EXPECT_EQ(capture.messages, std::vector<std::string>{}) << path;
    }
    // A name's layout words split a loose picture as they split a run's.
    FilmPtr pair = OpenFilmByExtension(Converted("pair_sbs.png", ""));
    ASSERT_TRUE(pair);
    EXPECT_EQ(std::tuple(pair->Eyes(), FilmPicture(*pair, Eye::Partner, Tone::Colour).width), std::tuple(2, 3));
}

// What does not open says so with the file's name; a header stating more than
// the decoded limit allows is refused with the reason before decoding, a
// file cut short or forged gives no picture, a pipe is not waited on.
TEST_F(LooseStills, RefusalsNameTheFile)
{
    test::MessageCapture capture;
    EXPECT_FALSE(OpenFilmByExtension(dir.file("x.gif")));
    test::WriteBytes(dir.file("bad.bmp"), {'B', 'A', 0, 0});
    FilmPtr bad = OpenFilmByExtension(dir.file("bad.bmp"));
    ASSERT_TRUE(bad);
    EXPECT_FALSE(FilmPicture(*bad, Eye::Current, Tone::Colour));
    EXPECT_EQ(capture.messages, (std::vector<std::string>{"File extension is incompatible: " + dir.file("x.gif"),
                                                          "Error reading file header: " + dir.file("bad.bmp")}));

    ASSERT_EQ(::mkfifo(dir.file("pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(OpenFilmByExtension(dir.file("pipe.png")));

    const std::string png = Converted("big.png", ""), tiff = Converted("big.tif", "-endian MSB");
    platform::ClearLog();
    SetDecodedPictureLimit(6 * 4 * 3 - 1);
    for (const std::string& path : {png, tiff})
        EXPECT_FALSE(FilmPicture(*OpenFilmByExtension(path), Eye::Current, Tone::Colour)) << path;
    SetDecodedPictureLimit(QuarterOfMemory());
    const std::string passes = ": its picture of 6x4 would take 72 bytes decoded, more than the 71 bytes one frame may take";
    EXPECT_EQ(platform::LogText(), "\r\n" + png + passes + "\r\n" + tiff + passes);

    std::vector<uint8_t> bytes = test::ReadBytes(png);
    bytes[19] = 0x80;  // the width's low byte: 128 wide, more than the rows hold
    test::WriteBytes(dir.file("forged.png"), bytes);
    bytes.resize(bytes.size() / 2);
    test::WriteBytes(dir.file("cut.png"), bytes);
    for (const char* name : {"forged.png", "cut.png"})
        EXPECT_FALSE(FilmPicture(*OpenFilmByExtension(dir.file(name)), Eye::Current, Tone::Colour)) << name;
}

}  // namespace
}  // namespace plexo
