#include <gtest/gtest.h>

#include "convert/output_names.h"

namespace plexo {
namespace {

struct NameCase {
    const char* chosen;
    const char* sequenceBase;
    const char* flmOutput;
};

class ChosenPathNames : public testing::TestWithParam<NameCase> {};

TEST_P(ChosenPathNames, GiveTheSequenceBaseAndTheFlmName)
{
    EXPECT_EQ(SequenceBase(GetParam().chosen), GetParam().sequenceBase);
    EXPECT_EQ(FlmOutputName(GetParam().chosen), GetParam().flmOutput);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ChosenPathNames,
    testing::Values(NameCase{"/clips/walk0012.bmp", "/clips/walk", "/clips/walk0.flm"},
                    NameCase{"/clips/walk12345.jpg", "/clips/walk1", "/clips/walk12.flm"},
                    NameCase{"/clips/still.bmp", "/clips/still", "/clips/st.flm"},
                    // A cut of 7 would reach into the folder: the stem stays.
                    NameCase{"/clips/x1.bmp", "/clips/x", "/clips/x1.flm"}));

}  // namespace
}  // namespace plexo
