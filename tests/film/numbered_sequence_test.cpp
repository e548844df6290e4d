#include <gtest/gtest.h>

#include <filesystem>

#include "film/bmp_film.h"
#include "film/factories.h"
#include "film/jpeg_codec.h"
#include "film/numbered_sequence.h"
#include "film/open_film.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

std::vector<int> Numbers(const std::optional<std::vector<SequenceFile>>& files)
{
    std::vector<int> out;
    for (const auto& f : files.value_or(std::vector<SequenceFile>{}))
        out.push_back(f.number);
    return out;
}

struct GatherCase {
    const char* name;
    std::vector<std::string> files;  // created empty in the folder
    std::string chosen;
    std::string extension;
    std::vector<int> numbers;
    bool incompatible = false;
};

class SequenceGathering : public testing::TestWithParam<GatherCase> {};
TEST_P(SequenceGathering, FindsExactlyTheNumberedSiblings)
{
    const GatherCase c = GetParam();
    test::TempDir dir;
    // A name ending in '/' is a folder.
    for (const auto& f : c.files)
        if (f.ends_with('/'))
            std::filesystem::create_directory(dir.file(f));
        else
            test::WriteBytes(dir.file(f), {1});
    test::MessageCapture capture;
    const auto files = GatherSequence(dir.file(c.chosen), c.extension);
    if (c.incompatible) {
        EXPECT_FALSE(files);
        EXPECT_EQ(capture.messages, std::vector<std::string>{"Filename is incompatible"});
        return;
    }
    ASSERT_TRUE(files);
    EXPECT_TRUE(capture.messages.empty());
    EXPECT_EQ(Numbers(files), c.numbers);
    for (const auto& f : *files)
        EXPECT_TRUE(std::filesystem::exists(f.path)) << f.path;
}

INSTANTIATE_TEST_SUITE_P(
    NumberedSequence, SequenceGathering,
    testing::Values(
        GatherCase{"FourDigitsSortedWithStrangersLeftOut",
                   {"take0007.bmp", "take0003.bmp", "take0010.bmp", "take07.bmp", "takeA001.bmp", "take0005.jpg",
                    "take00011.bmp", "make0004.bmp"},
                   "take0007.bmp",
                   ".bmp",
                   {3, 7, 10}},
        GatherCase{"TwoDigits", {"shot12.bmp", "shot5.bmp", "shot05.bmp", "shot123.bmp"}, "shot12.bmp", ".bmp", {5, 12}},
        GatherCase{"NoDigits", {"image.bmp"}, "image.bmp", ".bmp", {}, true},
        GatherCase{"FourLetterExtension", {"take0001.jpeg"}, "take0001.jpeg", ".jpg", {}, true},
        GatherCase{"CaseIgnored", {"TAKE0001.BMP", "take0002.bmp", "Take0003.Bmp"}, "TAKE0001.BMP", ".bmp", {1, 2, 3}},
        GatherCase{"LongerRunCountsItsLastFourDigits",
                   {"take00001.bmp", "take00002.bmp", "take10003.bmp"},
                   "take00001.bmp",
                   ".bmp",
                   {1, 2}},
        GatherCase{"ChosenExtensionIsNotUsed", {"clip0001.bmp", "clip0002.jpg", "clip0003.jpg"}, "clip0001.bmp",
                   ".jpg", {2, 3}},
        GatherCase{"NothingMatches", {"take0001.bmp"}, "take0001.bmp", ".jpg", {}},
        GatherCase{"FoldersAreNotFrames", {"take0001.bmp", "take0002.bmp/"}, "take0001.bmp", ".bmp", {1}},
        GatherCase{"NumbersNeedNotStartAtOne", {"f9998.bmp", "f9999.bmp", "f0000.bmp"}, "f9999.bmp", ".bmp",
                   {0, 9998, 9999}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberedSequence, NamesDifferingOnlyInCaseGiveOneFrameTheChosenOne)
{
    test::TempDir dir;
    test::WriteBytes(dir.file("take0001.bmp"), {1});
    test::WriteBytes(dir.file("TAKE0001.bmp"), {1});
    test::WriteBytes(dir.file("take0002.bmp"), {1});
    for (const char* chosen : {"take0001.bmp", "TAKE0001.bmp"}) {
        const auto files = GatherSequence(dir.file(chosen), ".bmp");
        ASSERT_EQ(Numbers(files), (std::vector<int>{1, 2}));
        EXPECT_EQ((*files)[0].path, dir.file(chosen));
    }
}

TEST(NumberedSequence, MissingFolderGivesNoFilmAndNoMessage)
{
    test::MessageCapture capture;
    EXPECT_FALSE(OpenBmpFilm("/nonexistent/take0001.bmp"));
    EXPECT_TRUE(capture.messages.empty());
}

// ---- films over the gathered files ----

TEST(BmpFilm, FramesAreTheFilesInNumberOrder)
{
    test::TempDir dir;
    for (int n : {12, 3, 7})
        test::WriteBytes(dir.file((n < 10 ? "take000" : "take00") + std::to_string(n) + ".bmp"),
                         test::MakeBmpBytes({.width = 3, .height = 2, .pixels = test::PatternPixels(3, 2, 3, n)}));
    auto film = OpenBmpFilm(dir.file("take0007.bmp"));
    ASSERT_TRUE(film);
    for (int n : {3, 7, 12}) {
        EXPECT_EQ(film->FrameNumber(), n);
        const Picture p = FilmPicture(*film, Eye::Current, Tone::Colour);
        ASSERT_TRUE(p);
        EXPECT_EQ(std::vector<uint8_t>(p.data, p.data + p.byteCount()), test::PatternPixels(3, 2, 3, n));
        film->Next();
    }
}

TEST(JpgFilm, TheTopLeftPixelComesFirstInTheLastRowInBlueGreenRed)
{
    test::TempDir dir;
    const auto rgb = test::PatternPixels(10, 6, 3, 2);
    const auto stream = EncodeJpeg(rgb.data(), 3, 10, 6, 95);
    test::WriteBytes(dir.file("cam01.jpg"), stream);
    auto film = OpenJpgFilm(dir.file("cam01.jpg"));
    ASSERT_TRUE(film);
    const PictureBuffer decoded = DecodeJpegColour(stream.data(), stream.size(), JpegRows::AsStored);
    const Picture p = FilmPicture(*film, Eye::Current, Tone::Colour);
    ASSERT_TRUE(p.width == 10 && p.height == 6);
    EXPECT_EQ((std::vector<uint8_t>(p.row(5), p.row(5) + 3)),
              (std::vector<uint8_t>{decoded.bytes[2], decoded.bytes[1], decoded.bytes[0]}));
    const PictureBuffer grey = DecodeJpegGrey(stream.data(), stream.size(), JpegRows::AsStored);
    const Picture g = FilmPicture(*film, Eye::Current, Tone::Grey);
    ASSERT_TRUE(g);
    EXPECT_EQ(g.row(5)[0], grey.bytes[0]);
}

// ---- choosing the factory by extension ----

TEST(OpenFilm, ExtensionChoosesTheKindWithoutRegardToCase)
{
    EXPECT_EQ(FilmKindOf("/a/b.BmP"), FilmKind::Bmp);
    EXPECT_EQ(FilmKindOf("/a/b.jpg"), FilmKind::Jpg);
    EXPECT_EQ(FilmKindOf("x.FLM"), FilmKind::Flm);
    EXPECT_FALSE(FilmKindOf("/a.bmp/film"));
    test::MessageCapture capture;
    EXPECT_FALSE(OpenFilmByExtension("/tmp/x.jpeg"));
    EXPECT_EQ(capture.messages, std::vector<std::string>{"File extension is incompatible"});
}

}  // namespace
}  // namespace plexo
