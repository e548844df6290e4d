#include "present/flipper_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "flipper_fixture.h"
#include "platform/registry.h"

namespace plexo {
namespace {

struct LoadCase {
    const char* name;
    std::string folder;  // "TEXT" makes a folder whose K3V_DD.so is text
    K3V_Result expected;
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
    if (GetParam().expected != K3V_RESULT_OK) {
        EXPECT_EQ(record, nullptr);
        fixture.flipper.Open();
        EXPECT_EQ(fixture.flipper.driver(), nullptr);
        EXPECT_EQ(fixture.flipper.directDraw(), nullptr);
        return;
    }
    ASSERT_NE(record, nullptr);
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
                    LoadCase{"Loads", test::FakeDriverFolder("full") + "/", K3V_RESULT_OK},
                    LoadCase{"ShortExtension", test::FakeDriverFolder("shortext"), K3V_RESULT_OK}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriverRelease, RefusesWhatIsNoRecord)
{
    EXPECT_EQ(ReleaseFlipperDriver(nullptr, 0), K3V_RESULT_NO_RECORD);
    auto* record = static_cast<FlipperDriver*>(std::calloc(1, sizeof(FlipperDriver)));
    record->size = 11;
    EXPECT_EQ(ReleaseFlipperDriver(record, 0), K3V_RESULT_BAD_RECORD);
    std::free(record);
}

// The device name comes from the extension only when its size reaches the entry.
TEST(DriverRelease, DeviceNameOnlyFromAnExtensionThatReachesIt)
{
    for (const auto& [variant, device] : {std::pair{"full", "FAKE-1"}, {"shortext", "display"}}) {
        test::FlipperFixture fixture(test::FakeDriverFolder(variant));
        fixture.flipper.Open();
        ASSERT_NE(fixture.flipper.driver(), nullptr) << variant;
        EXPECT_STREQ(fixture.flipper.displayInfo().deviceName, device);
        EXPECT_EQ(fixture.flipper.displayInfo().width, 64);
        EXPECT_EQ(fixture.flipper.displayInfo().windowRect.right, 330);
    }
}

}  // namespace
}  // namespace plexo
