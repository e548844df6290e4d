#include "present/flipper_driver.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "fake_drivers/fake_driver.h"
#include "flipper_fixture.h"
#include "platform/log.h"
#include "platform/registry.h"

namespace plexo {
namespace {

// A folder named "SCRATCH" is made by the test, with a K3V_DD.so that
// `file` describes ("text", "fifo", "cut": the full fake's first 3000 bytes);
// "sub" is a relative folder beside the registry file holding the full fake.
struct LoadCase {
    const char* name;
    std::string folder;
    K3V_Result expected;
    // The device name comes from the extension only when its size reaches the entry.
    const char* device = "";
    const char* file = "";
    FakeDriverLies lies{};
};

class DriverLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(DriverLoad, ResultAndNothingLeftOnFailure)
{
    const LoadCase& c = GetParam();
    test::TempDir scratch;
    const std::string full = test::FakeDriverFolder("full") + "/" + kDriverFileName;
    const std::string library = scratch.file(kDriverFileName);
    if (c.file == std::string("text"))
        test::WriteBytes(library, {'n', 'o', 't', '\n'});
    if (c.file == std::string("fifo")) {
        ASSERT_EQ(::mkfifo(library.c_str(), 0600), 0);
    }
    if (c.file == std::string("cut")) {
        std::vector<uint8_t> bytes = test::ReadBytes(full);
        bytes.resize(3000);
        test::WriteBytes(library, bytes);
    }
    test::FlipperFixture fixture(c.folder == "SCRATCH" ? scratch.path().string() : c.folder);
    if (c.folder == "sub") {
        std::filesystem::create_directory(fixture.dir.file("sub"));
        std::filesystem::copy_file(full, fixture.dir.file("sub/K3V_DD.so"));
    }
    // Held, so the lies are in place before the driver is filled.
    void* pin = ::dlopen(full.c_str(), RTLD_NOW);
    static_cast<FakeDriverState*>(::dlsym(pin, "fake_driver_state"))->lies = c.lies;
    platform::ClearLog();
    FlipperDriver* record = reinterpret_cast<FlipperDriver*>(1);
    EXPECT_EQ(LoadFlipperDriver(platform::Registry::Read(), &record), c.expected);
    fixture.flipper.Open();
    if (c.expected != K3V_RESULT_OK) {
        EXPECT_EQ(record, nullptr);
        EXPECT_EQ(fixture.flipper.driver(), nullptr);
        EXPECT_EQ(fixture.flipper.directDraw(), nullptr);
        EXPECT_NE(platform::LogText().find("Stereo cannot start: "), std::string::npos);
    } else {
        ASSERT_NE(record, nullptr);
        EXPECT_STREQ(fixture.flipper.displayInfo().deviceName, c.device);
        EXPECT_EQ(record->functions->Release, &ReleaseFlipperDriver) << "slot 10 is the system's own";
        int cleanups = 0;
        record->driverData = &cleanups;
        EXPECT_EQ(record->functions->Release(record, 0), K3V_RESULT_OK);
        EXPECT_EQ(cleanups, 1);
    }
    ::dlclose(pin);
}

const std::string kFull = test::FakeDriverFolder("full");

INSTANTIATE_TEST_SUITE_P(
    Folders, DriverLoad,
    testing::Values(LoadCase{"NotRegistered", "", platform::kRegistryReadFailed},
                    LoadCase{"NoFolder", "/nonexistent/k3v", K3V_RESULT_NO_LIBRARY},
                    LoadCase{"NotALibrary", "SCRATCH", K3V_RESULT_NO_LIBRARY, "", "text"},
                    LoadCase{"Fifo", "SCRATCH", K3V_RESULT_NO_LIBRARY, "", "fifo"},
                    LoadCase{"CutShort", "SCRATCH", K3V_RESULT_NO_LIBRARY, "", "cut"},
                    LoadCase{"RelativeToTheRegistry", "sub", K3V_RESULT_OK, "FAKE-1"},
                    LoadCase{"NoEntryPoint", test::FakeDriverFolder("noexport"), K3V_RESULT_NO_LIBRARY},
                    LoadCase{"FillsNothing", test::FakeDriverFolder("fillsnothing"), K3V_RESULT_NO_LIBRARY},
                    LoadCase{"FillFails", kFull, K3V_RESULT_NO_LIBRARY, "", "", {.fillResult = 1}},
                    LoadCase{"ReplacesItsTable", kFull, K3V_RESULT_NO_LIBRARY, "", "", {.replaceTable = 1}},
                    LoadCase{"Loads", kFull + "/", K3V_RESULT_OK, "FAKE-1"},
                    LoadCase{"ShortExtension", kFull, K3V_RESULT_OK, "display", "", {.extensionSize = 16}},
                    LoadCase{"CleanupBeyondItsSize", kFull, K3V_RESULT_OK, "display", "", {.extensionSize = 4}},
                    LoadCase{"ExtensionSmallerThanItsSize", kFull, K3V_RESULT_OK, "display", "", {.extensionBytes = 16}},
                    LoadCase{"RecordSizeOverwritten", kFull, K3V_RESULT_OK, "FAKE-1", "", {.recordSize = 4}},
                    LoadCase{"CapsWrittenPastTheirSize", kFull, K3V_RESULT_OK, "FAKE-1", "", {.capsBytes = 64}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DriverRelease, RefusesWhatIsNoRecord)
{
    EXPECT_EQ(ReleaseFlipperDriver(nullptr, 0), K3V_RESULT_NO_RECORD);
    FlipperDriver record{};
    record.size = sizeof record;
    EXPECT_EQ(ReleaseFlipperDriver(&record, 0), K3V_RESULT_BAD_RECORD) << "not loaded here";
}

}  // namespace
}  // namespace plexo
