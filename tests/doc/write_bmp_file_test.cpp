#include "doc/write_bmp_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace plexo {
namespace {

std::vector<uint8_t> Header(int width, int height, int bits, uint32_t size = 40)
{
    std::vector<uint8_t> h;
    for (uint32_t v : {size, uint32_t(width), uint32_t(height), 1u | uint32_t(bits) << 16})
        test::PutU32(h, v);
    h.resize(40, 0);
    return h;
}

class WriteBmpFileRefuses : public ::testing::TestWithParam<std::vector<uint8_t>> {};

TEST_P(WriteBmpFileRefuses, AndLeavesTheOlderFileAndNoTemporary)
{
    test::TempDir dir;
    const std::string path = dir.file("old.bmp");
    test::WriteBytes(path, {7, 7, 7});
    const uint8_t pixels[16] = {};
    EXPECT_FALSE(WriteBmpFile(path, GetParam().data(), pixels));
    EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{7, 7, 7}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(Headers, WriteBmpFileRefuses,
                         ::testing::Values(Header(0, 5, 24), Header(5, 0, 24), Header(-2, -3, 24),
                                           Header(40000, 1, 24), Header(1, int(0x80000000u), 24),
                                           Header(32768, 32768, 32), Header(1, 1, 24, 108)));

}  // namespace
}  // namespace plexo
