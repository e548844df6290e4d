#include "present/flipper_driver.h"

#include <gtest/gtest.h>

#include "flipper_fixture.h"
#include "platform/registry.h"

namespace plexo {
namespace {

struct LoadCase {
    const char* name;
    std::string folder;  // "TEXT" makes a folder whose K3V_DD.so is text
    K3V_Result expected;
    // The device name comes from the extension only when its size reaches the entry.
    const char* device = "";
};

class DriverLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(DriverLoad, ResultAndNothingLeftOnFailure)
{
    test::TempDir scratch;
    std::string folder = GetParam().folder;
    if (folder == "TEXT") {
        test::WriteBytes(scratch.file(kDriverFileName), {'n', 'o', 't', '\n'});
        folder = scratch.path().string();
    }
    test::FlipperFixture fixture(folder);
    FlipperDriver* record = reinterpret_cast<FlipperDriver*>(1);
    EXPECT_EQ(LoadFlipperDriver(&record), GetParam().expected);
    fixture.flipper.Open();
    if (GetParam().expected != K3V_RESULT_OK) {
        EXPECT_EQ(record, nullptr);
        EXPECT_EQ(fixture.flipper.driver(), nullptr);
        EXPECT_EQ(fixture.flipper.directDraw(), nullptr);
        return;
    }
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(fixture.flipper.displayInfo().deviceName, GetParam().device);
    EXPECT_EQ(record->functions->Release, &ReleaseFlipperDriver) << "slot 10 is the system's own";
    int cleanups = 0;
    record->driverData = &cleanups;
    EXPECT_EQ(record->functions->Release(record, 0), K3V_RESULT_OK);
    EXPECT_EQ(cleanups, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, DriverLoad,
    testing::Values(LoadCase{"NotRegistered", "", platform::kRegistryReadFailed},
                    LoadCase{"NoFolder", "/nonexistent/k3v", K3V_RESULT_NO_LIBRARY},
                    LoadCase{"NotALibrary", "TEXT", K3V_RESULT_NO_LIBRARY},
                    LoadCase{"NoEntryPoint", test::FakeDriverFolder("noexport"), K3V_RESULT_NO_LIBRARY},
                    LoadCase{"FillsNothing", test::FakeDriverFolder("fillsnothing"), K3V_RESULT_NO_LIBRARY},
                    LoadCase{"Loads", test::FakeDriverFolder("full") + "/", K3V_RESULT_OK, "FAKE-1"},
                    LoadCase{"ShortExtension", test::FakeDriverFolder("shortext"), K3V_RESULT_OK, "display"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriverRelease, RefusesWhatIsNoRecord)
{
    EXPECT_EQ(ReleaseFlipperDriver(nullptr, 0), K3V_RESULT_NO_RECORD);
    FlipperDriver record{};
    record.size = 11;
    EXPECT_EQ(ReleaseFlipperDriver(&record, 0), K3V_RESULT_BAD_RECORD);
}

}  // namespace
}  // namespace plexo
