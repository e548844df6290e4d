#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>

namespace plexo::platform {

namespace {
constexpr size_t kBufferSize = 1 << 16;
// Every few megabytes a growing file's bytes are set to the disk while the
// rest is still being made: the sync before the rename then waits only for
// the tail of a long file, not for all of it.
constexpr uint64_t kWritebackStep = 4 << 20;

// Writes all bytes at `offset`, or at the end of what was written when the
// offset is negative.
bool WriteAll(int fd, const uint8_t* data, size_t size, int64_t offset = -1)
{
    while (size > 0) {
        const ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
        if (offset >= 0)
            offset += n;
    }
    return true;
}

// A name that no other writer (thread or process) picks at the same moment;
// O_EXCL settles the rare collision.
std::string TempNameFor(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 random{std::random_device{}()};
    const std::string leaf = "." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                             std::to_string(counter++) + "-" + std::to_string(random() % 100000);
    return (target.parent_path() / leaf).string();
}

// The process that made a temporary file named by TempNameFor, 0 when the
// name is not one of ours.
pid_t TempOwner(const std::string& leaf)
{
    const size_t tmp = leaf.rfind(".tmp-");
    if (leaf.empty() || leaf[0] != '.' || tmp == std::string::npos)
        return 0;
    const char* p = leaf.c_str() + tmp + 5;
    char* end = nullptr;
    const long pid = std::strtol(p, &end, 10);
    return end != p && *end == '-' && pid > 0 ? pid_t(pid) : 0;
}

// A killed writer leaves its temporary file behind. The first write of this
// process into a folder removes those whose process is gone; nothing else is
// ever removed.
void RemoveStaleTemporaries(const std::filesystem::path& folder)
{
    static std::mutex mutex;
    static std::set<std::filesystem::path> swept;
    {
        std::lock_guard lock(mutex);
        if (!swept.insert(folder).second)
            return;
    }
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const pid_t owner = TempOwner(it->path().filename().string());
        if (owner != 0 && owner != ::getpid() && ::kill(owner, 0) != 0 && errno == ESRCH &&
            it->is_regular_file(ec))
            ::unlink(it->path().c_str());
    }
}

// Where a write through `path` lands: the file at the end of its chain of
// links, even when that file does not exist yet.
std::string WriteTarget(std::string path)
{
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, ec); ++hops) {
        const std::filesystem::path link = std::filesystem::read_symlink(path, ec);
        if (ec)
            break;
        path = (link.is_absolute() ? link : std::filesystem::path(path).parent_path() / link).string();
    }
    return path;
}

// A file the user may not write stays as it is, as opening it for writing
// would have refused; a file with no write permission for anyone was locked
// on purpose, and stays even for a user the system lets write anything.
bool MayReplace(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool SyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}
}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(WriteTarget(std::move(path)))
{
    // Through a link the file it names is replaced (or made), as writing in
    // place would; renaming over the link itself would cut it off (a settings
    // file kept in a folder of linked dotfiles, say).
    const std::filesystem::path target(path_);
    if (target.filename().empty() || !MayReplace(path_))
        return;
    RemoveStaleTemporaries(target.parent_path());
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        std::string name = TempNameFor(target);
        // 0666 lets the umask decide, as for a file created in place.
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            tempPath_ = std::move(name);
        else if (errno != EEXIST)
            return;
    }
    if (fd_ < 0)
        return;
    // Replacing a file keeps its permissions, as truncating it in place would.
    struct stat old {};
    if (::stat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd_, old.st_mode & 07777);
    buffer_.reserve(kBufferSize);
}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::write(const void* data, size_t size)
{
    if (!ok())
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (buffer_.size() + size > kBufferSize) {
        if (!flush())
            return false;
        if (size >= kBufferSize) {
            if (!WriteAll(fd_, bytes, size)) {
                failed_ = true;
                return false;
            }
            size_ += size;
            startWriteback(kWritebackStep);
            return true;
        }
    }
    buffer_.insert(buffer_.end(), bytes, bytes + size);
    size_ += size;
    return true;
}

bool AtomicFile::writeAt(uint64_t offset, const void* data, size_t size)
{
    if (!ok())
        return false;
    if (offset > size_ || size > size_ - offset || !flush() ||
        !WriteAll(fd_, static_cast<const uint8_t*>(data), size, int64_t(offset))) {
        failed_ = true;
        return false;
    }
    return true;
}

bool AtomicFile::startSync()
{
    if (!ok() || !flush())
        return false;
    startWriteback(1);
    return true;
}

bool AtomicFile::syncSoFar(uint64_t least)
{
    if (!ok())
        return false;
    if (size_ - syncedTo_ < least)
        return true;
    if (!flush())
        return false;
    syncedTo_ = size_;
    if (::fdatasync(fd_) == 0)
        return true;
    failed_ = true;
    return false;
}

bool AtomicFile::flush()
{
    if (buffer_.empty())
        return true;
    if (!WriteAll(fd_, buffer_.data(), buffer_.size())) {
        failed_ = true;
        return false;
    }
    buffer_.clear();
    startWriteback(kWritebackStep);
    return true;
}

// Sets the disk writing the bytes appended since the last call, once there
// are at least `least` of them. A failure here shows in commit()'s sync.
void AtomicFile::startWriteback(uint64_t least)
{
    if (size_ - writebackFrom_ < least)
        return;
    ::sync_file_range(fd_, off64_t(writebackFrom_), off64_t(size_ - writebackFrom_), SYNC_FILE_RANGE_WRITE);
    writebackFrom_ = size_;
}

bool AtomicFile::commit(Folder folder)
{
    if (!ok() || !flush()) {
        discard();
        return false;
    }
    // The bytes reach the disk before the name does, and the name before
    // success is reported, so a crash leaves the old file or the new one.
    const int fd = fd_;
    fd_ = -1;
    const bool synced = ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced || !MayReplace(path_) || ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        discard();
        return false;
    }
    tempPath_.clear();
    return folder == Folder::LeaveToCaller || SyncFolderOf(path_);
}

bool SyncFolderOf(const std::string& path)
{
    return SyncFolder(std::filesystem::path(path).parent_path());
}

void AtomicFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
    failed_ = true;
    buffer_.clear();
}

bool ReplaceFileWith(const std::string& path, const void* data, size_t size)
{
    AtomicFile file(path);
    return file.write(data, size) && file.commit();
}

}  // namespace plexo::platform
