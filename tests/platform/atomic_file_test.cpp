#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace plexo::platform {
namespace {

using test::ReadBytes;

size_t EntriesIn(const std::filesystem::path& dir)
{
    return size_t(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

TEST(AtomicFile, TheOldFileStaysUntilAWholeNewOneReplacesItThroughLinksToo)
{
    test::TempDir dir;
    const std::string path = dir.file("out.bin");
    test::WriteBytes(path, {9, 9, 9});
    std::vector<uint8_t> big(100000, 5);  // larger than the write buffer
    {
        AtomicFile file(path);
        const uint8_t head[3] = {0, 0, 0}, patch[2] = {1, 2};
        // Waiting for the disk midway neither loses buffered bytes nor shows the file early.
        EXPECT_TRUE(file.write(head, 3) && file.syncSoFar(1) && file.write(big.data(), big.size()) &&
                    file.syncSoFar(1) && file.writeAt(1, patch, 2));
        EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{9, 9, 9}));
        EXPECT_TRUE(file.commit());
        AtomicFile abandoned(path);
        abandoned.write(head, 3);
    }
    big.insert(big.begin(), {0, 1, 2});
    EXPECT_EQ(ReadBytes(path), big);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

    const std::string link = dir.file("link.bin");
    std::filesystem::create_symlink("out.bin", link);
    ASSERT_TRUE(ReplaceFileWith(link, "xy", 2));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{'x', 'y'}));
}

TEST(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary)
{
    test::TempDir dir;
    const std::string path = dir.file("keep.bin");
    test::WriteBytes(path, {4, 5, 6});
    AtomicFile outOfRange(path);
    // writeAt only overwrites bytes already written.
    EXPECT_FALSE(outOfRange.write("a", 1) && outOfRange.writeAt(1, "b", 1));
    EXPECT_FALSE(outOfRange.commit());
    // A file-size limit makes write() fail with EFBIG, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::vector<uint8_t> data(300000, 1);
    const bool committed = ReplaceFileWith(path, data.data(), data.size());
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(committed);
    EXPECT_EQ(ReadBytes(path), (std::vector<uint8_t>{4, 5, 6}));
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace plexo::platform
