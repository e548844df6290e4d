#include <gtest/gtest.h>

#include <filesystem>

#include "film/numbered_sequence.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

struct GatherCase {
    const char* name;
    std::vector<std::string> files;  // created in the folder; a name ending in '/' is a folder
    std::string chosen, extension;
    std::vector<int> numbers;
    bool incompatible = false;
};

class SequenceGathering : public testing::TestWithParam<GatherCase> {};
TEST_P(SequenceGathering, FindsExactlyTheNumberedSiblings)
{
    const GatherCase c = GetParam();
    test::TempDir dir;
    for (const auto& f : c.files)
        if (f.ends_with('/'))
            std::filesystem::create_directory(dir.file(f));
        else
            test::WriteBytes(dir.file(f), {1});
    test::MessageCapture capture;
    const auto files = GatherSequence(dir.file(c.chosen), c.extension);
    EXPECT_EQ(capture.messages,
              std::vector<std::string>(c.incompatible, "Filename is incompatible: " + dir.file(c.chosen)));
    ASSERT_EQ(files.has_value(), !c.incompatible);
    std::vector<int> numbers;
    for (const auto& f : files.value_or(std::vector<SequenceFile>{})) {
        numbers.push_back(f.number);
        EXPECT_TRUE(std::filesystem::exists(f.path)) << f.path;
    }
    EXPECT_EQ(numbers, c.numbers);
}
INSTANTIATE_TEST_SUITE_P(
    NumberedSequence, SequenceGathering,
    testing::Values(GatherCase{"FourDigitsSortedWithStrangersLeftOut",
                               {"take0007.bmp", "take0003.bmp", "take0010.bmp", "take07.bmp", "takeA001.bmp",
                                "take0005.jpg", "take00011.bmp", "make0004.bmp", "take0002.bmp/"},
                               "take0007.bmp", ".bmp", {3, 7, 10}},
                    GatherCase{"TwoDigits", {"shot12.bmp", "shot5.bmp", "shot05.bmp", "shot123.bmp"}, "shot12.bmp",
                               ".bmp", {5, 12}},
                    GatherCase{"NoDigits", {"image.bmp"}, "image.bmp", ".bmp", {}, true},
                    GatherCase{"FourLetterExtension", {"take0001.jpeg"}, "take0001.jpeg", ".jpg", {}, true},
                    GatherCase{"CaseIgnored", {"TAKE0001.BMP", "take0002.bmp", "Take0003.Bmp"}, "TAKE0001.BMP", ".bmp",
                               {1, 2, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
