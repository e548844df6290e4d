#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace plexo::platform {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

size_t EntriesIn(const std::filesystem::path& dir)
{
    return size_t(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

TEST(AtomicFile, CommitReplacesTheOldFileWithEverythingWritten)
{
    TempDir dir;
    const std::string path = dir.file("out.bin");
    WriteBytes(path, {9, 9, 9, 9, 9, 9, 9, 9});
    {
        AtomicFile file(path);
        ASSERT_TRUE(file.ok());
        const uint8_t head[4] = {0, 0, 0, 0};
        const uint8_t body[2] = {5, 6};
        const uint8_t patch[2] = {1, 2};
        EXPECT_TRUE(file.write(head, 4));
        EXPECT_TRUE(file.write(body, 2));
        EXPECT_TRUE(file.writeAt(1, patch, 2));
        EXPECT_EQ(ReadBytes(path), std::vector<uint8_t>(8, 9)) << "the old file must stay until commit";
        EXPECT_TRUE(file.commit());
    }
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{0, 1, 2, 0, 5, 6}));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, LargeWritesCrossTheBufferIntact)
{
    TempDir dir;
    std::vector<uint8_t> big(200000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i * 7);
    AtomicFile file(dir.file("big"));
    const uint8_t one = 42;
    ASSERT_TRUE(file.write(&one, 1));
    ASSERT_TRUE(file.write(big.data(), big.size()));
    ASSERT_TRUE(file.write(big.data(), 100));
    ASSERT_TRUE(file.commit());
    std::vector<uint8_t> expected{42};
    expected.insert(expected.end(), big.begin(), big.end());
    expected.insert(expected.end(), big.begin(), big.begin() + 100);
    EXPECT_EQ(ReadBytes(dir.file("big")), expected);
}

TEST(AtomicFile, UncommittedOrFailedFileLeavesTheOldOneAndNoTemporary)
{
    TempDir dir;
    const std::string path = dir.file("keep.bin");
    WriteBytes(path, {1, 2, 3});
    {
        AtomicFile file(path);
        const uint8_t b = 7;
        file.write(&b, 1);
        EXPECT_FALSE(file.writeAt(5, &b, 1)) << "writeAt may only overwrite bytes already written";
        EXPECT_FALSE(file.ok());
        EXPECT_FALSE(file.commit());
    }
    {
        AtomicFile abandoned(path);
        const uint8_t b = 7;
        abandoned.write(&b, 1);
    }
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, DiskRefusingBytesMidWayKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("full.bin");
    WriteBytes(path, {4, 5, 6});
    // A file-size limit makes write() fail with EFBIG, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool committed = true;
    {
        AtomicFile file(path);
        std::vector<uint8_t> data(300000, 1);
        file.write(data.data(), data.size());
        committed = file.commit();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(committed);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{4, 5, 6}));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFile, MissingFolderFailsCleanly)
{
    TempDir dir;
    AtomicFile file(dir.file("no/such/folder/x.bin"));
    EXPECT_FALSE(file.ok());
    const uint8_t b = 1;
    EXPECT_FALSE(file.write(&b, 1));
    EXPECT_FALSE(file.commit());
}

TEST(AtomicFile, ReplacingKeepsThePermissionsOfTheOldFile)
{
    TempDir dir;
    const std::string path = dir.file("mode.bin");
    WriteBytes(path, {1});
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    AtomicFile file(path);
    const uint8_t b = 2;
    file.write(&b, 1);
    ASSERT_TRUE(file.commit());
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace plexo::platform
