#include "doc/write_bmp_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "doc/open_dialog_filter.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::ReadBytes;

std::vector<uint8_t> Header(int width, int height, int bits)
{
    std::vector<uint8_t> h;
    test::PutU32(h, 40);
    test::PutU32(h, uint32_t(width));
    test::PutU32(h, uint32_t(height));
    test::PutU16(h, 1);
    test::PutU16(h, uint32_t(bits));
    h.resize(40, 0);
    return h;
}

TEST(WriteBmpFile, PadsEveryRowAndFillsTheFileHeader)
{
    test::TempDir dir;
    const std::vector<uint8_t> header = Header(1, 2, 24);
    const uint8_t pixels[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(WriteBmpFile(dir.file("a.bmp"), header.data(), pixels));
    std::vector<uint8_t> expected{'B', 'M'};
    test::PutU32(expected, 14 + 40 + 8);
    test::PutU32(expected, 0);
    test::PutU32(expected, 54);
    expected.insert(expected.end(), header.begin(), header.end());
    expected.insert(expected.end(), {1, 2, 3, 0, 4, 5, 6, 0});
    EXPECT_EQ(ReadBytes(dir.file("a.bmp")), expected);
}

TEST(WriteBmpFile, GreyPictureCarriesItsPaletteBeforeThePixels)
{
    test::TempDir dir;
    const uint8_t pixels[4] = {0, 85, 170, 255};
    const std::vector<uint8_t> header = BitmapHeaderFor({pixels, 4, 1, 1});
    ASSERT_EQ(header.size(), 40u + 1024u);
    ASSERT_TRUE(WriteBmpFile(dir.file("g.bmp"), header.data(), pixels));
    const std::vector<uint8_t> bytes = ReadBytes(dir.file("g.bmp"));
    ASSERT_EQ(bytes.size(), 14u + 40 + 1024 + 4);
    EXPECT_EQ(bytes[10] | bytes[11] << 8, 14 + 40 + 1024);
    EXPECT_EQ(bytes[28], 8);
    EXPECT_EQ(bytes[54 + 4 * 200 + 1], 200) << "grey ramp palette";
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), std::vector<uint8_t>(pixels, pixels + 4));
}

class WriteBmpFileRefuses : public ::testing::TestWithParam<std::vector<uint8_t>> {};

TEST_P(WriteBmpFileRefuses, AndLeavesTheOlderFileAndNoTemporary)
{
    test::TempDir dir;
    const std::string path = dir.file("old.bmp");
    test::WriteBytes(path, {7, 7, 7});
    const uint8_t pixels[16] = {};
    EXPECT_FALSE(WriteBmpFile(path, GetParam().data(), pixels));
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{7, 7, 7}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

std::vector<uint8_t> WithSize(uint32_t size)
{
    std::vector<uint8_t> h = Header(1, 1, 24);
    h[0] = uint8_t(size);
    return h;
}

INSTANTIATE_TEST_SUITE_P(Headers, WriteBmpFileRefuses,
                         ::testing::Values(Header(0, 5, 24), Header(5, 0, 24), Header(-2, -3, 24),
                                           Header(40000, 1, 24), Header(1, int(0x80000000u), 24),
                                           Header(32768, 32768, 32), WithSize(108)));

TEST(WriteBmpFile, MissingFolderFails)
{
    test::TempDir dir;
    const std::vector<uint8_t> header = Header(1, 1, 24);
    const uint8_t pixels[3] = {};
    EXPECT_FALSE(WriteBmpFile(dir.file("none/a.bmp"), header.data(), pixels));
}

TEST(MakeOpenDialog, FilmTypesEndWithAllSupportedPreselected)
{
    const OpenDialogFilter d = MakeOpenDialog(FilmFileTypes(), true);
    EXPECT_EQ(d.filter, "BMP files (*.bmp)|*.bmp|Film files (*.flm)|*.flm|JPEG files (*.jpg)|*.jpg|"
                        "All supported Files (*.bmp;*.flm;*.jpg)|*.bmp;*.flm;*.jpg||");
    EXPECT_EQ(d.selected, 4);
    ASSERT_EQ(d.entries.size(), 4u);
    EXPECT_EQ(d.entries[3].pattern, "*.bmp;*.flm;*.jpg");

    const OpenDialogFilter one = MakeOpenDialog({{"Film files (*.flm)", "*.flm"}}, false);
    EXPECT_EQ(one.filter, "Film files (*.flm)|*.flm|");
    EXPECT_EQ(one.selected, 0);

    const OpenDialogFilter none = MakeOpenDialog({}, true);
    EXPECT_EQ(none.filter, "");
    EXPECT_EQ(none.selected, 0);
    EXPECT_TRUE(none.entries.empty());
}

}  // namespace
}  // namespace plexo
