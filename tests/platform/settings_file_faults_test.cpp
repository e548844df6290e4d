#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/log.h"
#include "platform/profile.h"
#include "platform/settings_sandbox.h"

namespace plexo::platform {
namespace {

namespace fs = std::filesystem;

// A folder where the file should be, directly or through a link: the
// defaults, a message naming the path, and nothing written there.
class NotAFile : public testing::TestWithParam<bool> {};
TEST_P(NotAFile, GivesTheDefaultsAndAMessageAndIsNeverWritten)
{
    test::TempDir dir;
    fs::create_directory(dir.path() / "folder");
    std::string path = dir.file("folder");
    if (GetParam()) {
        fs::create_directory_symlink("folder", dir.path() / "link");
        path = dir.file("link");
    }
    SetSettingsFilePath(path);
    ClearLog();
    EXPECT_EQ(ReadProfileInt("Settings", "Dist", 21), 21);
    EXPECT_NE(LogText().find(path), std::string::npos);
    EXPECT_FALSE(WriteProfileString("Settings", "Dist", "3"));
    EXPECT_TRUE(fs::is_empty(dir.path() / "folder"));
    SetSettingsFilePath("");
}
INSTANTIATE_TEST_SUITE_P(SettingsFile, NotAFile, testing::Bool());

TEST(SettingsFile, ConcurrentWritersLoseNoKey)
{
    test::SettingsSandbox ini;
    constexpr int kWriters = 10, kKeys = 15;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool all = true;
            for (int k = 0; k < kKeys; ++k)
                all = WriteProfileString("Settings", "k" + std::to_string(w) + "_" + std::to_string(k), "1") && all;
            ::_exit(all ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SetSettingsFilePath(ini.path());  // forget what this process read
    for (int w = 0; w < kWriters; ++w)
        for (int k = 0; k < kKeys; ++k)
            EXPECT_EQ(ReadProfileInt("Settings", "k" + std::to_string(w) + "_" + std::to_string(k), 0), 1);
}

TEST(SettingsFile, ADanglingLinkIsWrittenThroughAndStaysALink)
{
    test::SettingsSandbox ini;
    fs::create_symlink("real/duvix.ini", ini.path());
    fs::create_directory(ini.dir.path() / "real");
    ASSERT_TRUE(WriteProfileString("I/O", "Current directory", "/x"));
    EXPECT_TRUE(fs::is_symlink(ini.path()));
    EXPECT_EQ(ini.text(), "[I/O]\nCurrent directory=/x\n");
}

TEST(SettingsFile, ReadOnceAndTheCloseWritesOnceWhatKeyByKeyWritesWould)
{
    test::SettingsSandbox ini;
    const std::string start = "; mine\r\n[Settings]\r\nShift=-4\r\n\r\n[Other]\r\nx=1";
    ini.setText(start);
    EXPECT_EQ(ReadProfileInt("Settings", "Shift", 0), -4);
    test::WriteBytes(ini.path(), {'[', 'S', ']', '\n', 'S', 'h', 'i', 'f', 't', '=', '9'});
    EXPECT_EQ(ReadProfileInt("S", "Shift", 0), 0);
    EXPECT_EQ(ReadProfileInt("Settings", "Shift", 0), -4);

    const std::vector<ProfileEntry> close = {{"I/O", "Current directory", "/home"}, {"Settings", "Shift", "2"},
                                             {"Settings", "Dist", "21"}, {"Other", "y", "3"}};
    ini.setText(start);
    for (const ProfileEntry& e : close)
        ASSERT_TRUE(WriteProfileString(e.section, e.key, e.value));
    const std::string keyByKey = ini.text();
    ini.setText(start);
    const auto before = fs::last_write_time(ini.path());
    {
        ProfileWriteBatch batch;
        for (const ProfileEntry& e : close)
            ASSERT_TRUE(WriteProfileString(e.section, e.key, e.value));
        EXPECT_EQ(fs::last_write_time(ini.path()), before);
        EXPECT_EQ(ini.text(), start);
    }
    EXPECT_EQ(ini.text(), keyByKey);
}

TEST(SettingsFile, AReadOnlyFileIsNotReplaced)
{
    test::SettingsSandbox ini;
    ini.setText("[Settings]\nShift=1\n");
    ::chmod(ini.path().c_str(), 0444);
    EXPECT_FALSE(WriteProfileString("Settings", "Shift", "2"));
    EXPECT_EQ(ini.text(), "[Settings]\nShift=1\n");
    EXPECT_FALSE(ReplaceFileWith(ini.path(), "x", 1));
    EXPECT_EQ(ini.text(), "[Settings]\nShift=1\n");
}

// A lock that a stuck holder keeps, or that cannot be made (a folder in its
// place), holds nothing up: the settings are written without it, after two
// seconds at most, and the log says so.
TEST(SettingsFile, ALockNotHadIsDoneWithout)
{
    test::SettingsSandbox ini;
    const std::string lock = ini.path() + ".lock";
    const auto writesWithoutIt = [&](const std::string& value) {
        ClearLog();
        EXPECT_TRUE(WriteProfileString("Settings", "Shift", value));
        EXPECT_EQ(ini.text(), "[Settings]\nShift=" + value + "\n");
        EXPECT_NE(LogText().find("Settings lock " + lock), std::string::npos) << LogText();
    };
    const int holder = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    writesWithoutIt("1");
    ::close(holder);
    fs::remove(lock);
    fs::create_directory(lock);
    writesWithoutIt("2");
}

}  // namespace
}  // namespace plexo::platform
