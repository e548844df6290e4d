#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/log.h"
#include "support/temp_dir.h"

namespace plexo::platform {
namespace {

// Points PLEXO_REGISTRY at a file of the given bytes for one test.
class RegistryFile {
public:
    explicit RegistryFile(const std::string& bytes)
    {
        test::WriteBytes(dir_.file("registry.ini"), {bytes.begin(), bytes.end()});
        setenv("PLEXO_REGISTRY", dir_.file("registry.ini").c_str(), 1);
    }
    ~RegistryFile() { unsetenv("PLEXO_REGISTRY"); }

private:
    test::TempDir dir_;
};

struct ValueCase {
    const char* name;
    std::string file;
    std::optional<std::string> expected;
};

class RegistryValue : public testing::TestWithParam<ValueCase> {};

TEST_P(RegistryValue, ReadsTheFolderOrNothing)
{
    RegistryFile file(GetParam().file);
    const std::optional<Registry> registry = Registry::Read();
    EXPECT_EQ(registry ? registry->Value("SOFTWARE\\K3V", "KORVA") : std::nullopt, GetParam().expected);
}

const std::string kLongName(81, 'k');

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryValue,
    testing::Values(
        ValueCase{"CaseIgnored", "[software\\k3v]\r\nkorva = /opt/k3v \r\n", "/opt/k3v"},
        ValueCase{"OtherKeyNotRead", "[SOFTWARE\\K3V\\X]\nKORVA=/a\n[SOFTWARE\\K3V]\nOther=1\n", std::nullopt},
        ValueCase{"Empty", "", std::nullopt},
        ValueCase{"Binary", std::string("\0\xff[SOFTWARE\\K3V\0]\x01KORVA=\x02", 20), std::nullopt},
        ValueCase{"OverlongNameSkipped", "[SOFTWARE\\K3V]\n" + kLongName + "=/x\nKORVA=/y\n", "/y"},
        ValueCase{"DataFillsTheRoom", "[SOFTWARE\\K3V]\nKORVA=" + std::string(255, 'd') + "\n", std::string(255, 'd')},
        ValueCase{"DataBeyondTheRoom", "[SOFTWARE\\K3V]\nKORVA=" + std::string(256, 'd') + "\n", std::nullopt},
        ValueCase{"LargestFile", "[SOFTWARE\\K3V]\nKORVA=/y\n" + std::string((64 << 10) - 24, '\n'), "/y"},
        ValueCase{"FileBeyondTheLimit", "[SOFTWARE\\K3V]\nKORVA=/y\n" + std::string((64 << 10) - 23, '\n'),
                  std::nullopt},
        ValueCase{"LineBeyondTheLimit", "[SOFTWARE\\K3V]\nKORVA=/y\n;" + std::string(4 << 10, 'c'), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Registry, DeviceGuidTakesDigitsAtTheirPlacesAndGarbageAsZero)
{
    setenv("PLEXO_REGISTRY", "/nonexistent/registry.ini", 1);
    EXPECT_FALSE(Registry::Read());
    RegistryFile file("[SOFTWARE\\K3V\\FLIPPER\\KORVA\\0]\nDDrawKey=67685559-3106-11D0-b9-71-00-AA-00-34-2F-9F-ff\n");
    const std::optional<Registry> registry = Registry::Read();
    ASSERT_TRUE(registry);
    const DeviceGuid expected{0x67685559, 0x3106, 0x11D0, {0xB9, 0x71, 0x00, 0xAA, 0x00, 0x34, 0x2F, 0x9F}};
    EXPECT_EQ(registry->DeviceGuidOf(0), expected);
    EXPECT_EQ(registry->DeviceGuidOf(1), std::nullopt);

    EXPECT_EQ(ParseDeviceGuid("zz345678+9gAz+xyzw_Q1"), (DeviceGuid{0x00345678, 0x90A0, 0, {0x01}}));
    EXPECT_EQ(ParseDeviceGuid(""), DeviceGuid{});
}

// What is not a regular file is refused at once, without waiting for a
// FIFO's writer or reading a device without end, and with one log line.
TEST(Registry, AFifoOrADeviceIsNoRegistry)
{
    test::TempDir dir;
    const std::string fifo = dir.file("r.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        setenv("PLEXO_REGISTRY", path.c_str(), 1);
        ClearLog();
        EXPECT_FALSE(Registry::Read()) << path;
        EXPECT_EQ(LogText(), "\r\nRegistry file " + path + " not read: not a regular file");
    }
    unsetenv("PLEXO_REGISTRY");
}

// Without PLEXO_REGISTRY: the system's file when it exists, else the one of
// the prefix above the program's folder, else the system's, which is missing.
TEST(Registry, FileIsTheSystemsThenThePrefixs)
{
    test::TempDir dir;
    const std::string system = dir.file("etc.ini"), prefixFile = dir.file("usr/etc/plexo/registry.ini");
    EXPECT_EQ(RegistryFileFor(system, dir.file("usr/bin/plexo")), system);
    std::filesystem::create_directories(dir.file("usr/etc/plexo"));
    test::WriteBytes(prefixFile, {});
    EXPECT_EQ(RegistryFileFor(system, dir.file("usr/bin/plexo")), prefixFile);
    test::WriteBytes(system, {});
    EXPECT_EQ(RegistryFileFor(system, dir.file("usr/bin/plexo")), system);
}

}  // namespace
}  // namespace plexo::platform
