#include "doc/write_bmp_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "doc/open_dialog_filter.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::ReadBytes;

std::vector<uint8_t> Header(int width, int height, int bits, uint32_t size = 40)
{
    std::vector<uint8_t> h;
    for (uint32_t v : {size, uint32_t(width), uint32_t(height), 1u | uint32_t(bits) << 16})
        test::PutU32(h, v);
    h.resize(40, 0);
    return h;
}

TEST(WriteBmpFile, PadsRowsFillsTheFileHeaderAndCarriesThePalette)
{
    test::TempDir dir;
    const std::vector<uint8_t> header = Header(1, 2, 24);
    const uint8_t colour[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(WriteBmpFile(dir.file("c.bmp"), header.data(), colour));
    std::vector<uint8_t> expected{'B', 'M'};
    for (uint32_t v : {14u + 40 + 8, 0u, 54u})
        test::PutU32(expected, v);
    expected.insert(expected.end(), header.begin(), header.end());
    expected.insert(expected.end(), {1, 2, 3, 0, 4, 5, 6, 0});
    EXPECT_EQ(ReadBytes(dir.file("c.bmp")), expected);

    const uint8_t grey[4] = {0, 85, 170, 255};
    const std::vector<uint8_t> greyHeader = BitmapHeaderFor({grey, 4, 1, 1});
    ASSERT_TRUE(WriteBmpFile(dir.file("g.bmp"), greyHeader.data(), grey));
    const std::vector<uint8_t> bytes = ReadBytes(dir.file("g.bmp"));
    ASSERT_EQ(bytes.size(), 14u + 40 + 1024 + 4);
    EXPECT_EQ(bytes[10] | bytes[11] << 8, 14 + 40 + 1024);
    EXPECT_EQ(bytes[54 + 4 * 200 + 1], 200) << "grey ramp palette";
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

INSTANTIATE_TEST_SUITE_P(Headers, WriteBmpFileRefuses,
                         ::testing::Values(Header(0, 5, 24), Header(5, 0, 24), Header(-2, -3, 24),
                                           Header(40000, 1, 24), Header(1, int(0x80000000u), 24),
                                           Header(32768, 32768, 32), Header(1, 1, 24, 108)));

TEST(MakeOpenDialog, AllSupportedEntryComesLastAndIsPreselected)
{
    const OpenDialogFilter d = MakeOpenDialog(FilmFileTypes(), true);
    EXPECT_EQ(d.filter, "BMP files (*.bmp)|*.bmp|Film files (*.flm)|*.flm|JPEG files (*.jpg)|*.jpg|"
                        "All supported Files (*.bmp;*.flm;*.jpg)|*.bmp;*.flm;*.jpg||");
    EXPECT_EQ(d.selected, 4);
    EXPECT_EQ(MakeOpenDialog({{"Film files (*.flm)", "*.flm"}}, false).filter, "Film files (*.flm)|*.flm|");
    EXPECT_EQ(MakeOpenDialog({}, true).selected, 0);
}

}  // namespace
}  // namespace plexo
