#include "platform/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include <filesystem>

#include "support/temp_dir.h"

namespace plexo::platform {
namespace {

using test::ReadBytes;

size_t EntriesIn(const std::filesystem::path& dir)
{
    return size_t(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

std::string HostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

TEST(AtomicFile, TheOldFileStaysUntilAWholeNewOneReplacesIt)
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
        // Its temporary is named for the sweep: tag, host, process, random part.
        const std::string prefix = ".out.bin.plexo-tmp." + HostName() + "." + std::to_string(::getpid()) + ".";
        EXPECT_EQ(std::count_if(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator(),
                                [&](const auto& e) {
                                    const std::string leaf = e.path().filename().string();
                                    return leaf.starts_with(prefix) && leaf.size() == prefix.size() + 16;
                                }),
                  1);
    }
    big.insert(big.begin(), {0, 1, 2});
    EXPECT_EQ(ReadBytes(path), big);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);

}

// A link is replaced itself, unless the writer asks to follow it; then only
// a link that the kernel would follow is (as root, a link of another user's
// in a sticky folder open to all is not).
TEST(AtomicFile, ReplacesALinkItselfOrFollowsOnlyWhatTheKernelWould)
{
    test::TempDir dir;
    const std::string target = dir.file("out.bin"), link = dir.file("link.bin");
    test::WriteBytes(target, {9});
    std::filesystem::create_symlink("out.bin", link);
    {
        AtomicFile file(link, AtomicFile::Links::Follow);
        ASSERT_TRUE(file.write("xy", 2) && file.commit());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'x', 'y'}));
    ASSERT_TRUE(ReplaceFileWith(link, "z", 1));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadBytes(link), (std::vector<uint8_t>{'z'}));
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'x', 'y'}));

    if (::geteuid() != 0)
        GTEST_SKIP() << "planting another user's link needs root";
    ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    std::filesystem::remove(link);
    std::filesystem::create_symlink("out.bin", link);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    AtomicFile file(link, AtomicFile::Links::Follow);
    EXPECT_FALSE(file.write("!", 1) && file.commit());
    EXPECT_EQ(ReadBytes(target), (std::vector<uint8_t>{'x', 'y'}));
}

struct SweepCase {
    const char* name;
    std::string leaf;  // {host} and {gone} are put in
    int minutesOld;
    bool swept;
    bool othersFile = false;  // root only: the file belongs to another user
};

// A process that has ended.
pid_t GonePid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

class Sweep : public testing::TestWithParam<SweepCase> {};

// The first write into a folder removes only the temporaries that a killed
// Plexo writer of this host and user left there, unchanged for ten minutes.
TEST_P(Sweep, RemovesOnlyStaleTemporariesOfItsOwn)
{
    const SweepCase& c = GetParam();
    if (c.othersFile && ::geteuid() != 0)
        GTEST_SKIP() << "another user's file needs root";
    std::string leaf = c.leaf;
    for (const auto& [key, value] : {std::pair{std::string("{host}"), HostName()},
                                     {std::string("{gone}"), std::to_string(GonePid())}}) {
        if (const size_t at = leaf.find(key); at != std::string::npos)
            leaf.replace(at, key.size(), value);
    }
    test::TempDir dir;
    const std::string path = dir.file(leaf);
    test::WriteBytes(path, {1});
    const timespec when[2] = {{::time(nullptr) - 60 * c.minutesOld, 0}, {::time(nullptr) - 60 * c.minutesOld, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), when, 0), 0);
    if (c.othersFile) {
        ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    ASSERT_TRUE(ReplaceFileWith(dir.file("f.bmp"), "b", 1));
    EXPECT_EQ(std::filesystem::exists(path), !c.swept);
}

INSTANTIATE_TEST_SUITE_P(
    AtomicFile, Sweep,
    testing::Values(SweepCase{"Stale", ".clip0001.bmp.plexo-tmp.{host}.{gone}.0123456789abcdef", 11, true},
                    SweepCase{"Recent", ".clip0001.bmp.plexo-tmp.{host}.{gone}.0123456789abcdef", 9, false},
                    SweepCase{"OtherHost", ".clip0001.bmp.plexo-tmp.elsewhere.{gone}.0123456789abcdef", 11, false},
                    SweepCase{"RunningProcess", ".clip0001.bmp.plexo-tmp.{host}.1.0123456789abcdef", 11, false},
                    SweepCase{"ShortRandomPart", ".clip0001.bmp.plexo-tmp.{host}.{gone}.0123456789abcde", 11, false},
                    SweepCase{"OthersFile", ".clip0001.bmp.plexo-tmp.{host}.{gone}.0123456789abcdef", 11, false, true},
                    SweepCase{"DatedNotes", ".notes.tmp-2024-06-01.txt", 11, false},
                    SweepCase{"EditorBackup", ".thesis.tex.tmp-31999-final", 11, false}),
    [](const auto& info) { return std::string(info.param.name); });

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
