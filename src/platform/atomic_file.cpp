#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <set>

#include "platform/failure_note.h"

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
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
        if (offset >= 0)
            offset += n;
    }
    return true;
}

// Temporary files carry a tag no other program uses, the host's name and the
// process's id, so that a later run knows which ones are its own to sweep.
constexpr const char* kTempTag = ".plexo-tmp.";
constexpr size_t kRandomDigits = 16;
// Of the target's name only so much goes into the temporary's, which keeps
// the temporary's name within the file system's limit.
constexpr size_t kLeafKept = 100;
// A temporary file this long unchanged is no live writer's, even one in
// another PID namespace that shares the folder and the host's name.
constexpr auto kStaleAfter = std::chrono::minutes(10);

const std::string& HostName()
{
    static const std::string host = [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0 || !name[0])
            return std::string("localhost");
        std::string text(name);
        std::replace(text.begin(), text.end(), '/', '_');
        return text;
    }();
    return host;
}

// A name that no other writer (thread, process or host) picks at the same
// moment; O_EXCL settles the rare collision.
std::string TempNameFor(const std::filesystem::path& target)
{
    thread_local std::mt19937_64 random{std::random_device{}() ^ (uint64_t(::getpid()) << 32)};
    char digits[kRandomDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(random()));
    const std::string leaf = "." + target.filename().string().substr(0, kLeafKept) + kTempTag + HostName() + "." +
                             std::to_string(::getpid()) + "." + digits;
    return (target.parent_path() / leaf).string();
}

// The process of this host that made a temporary file named by TempNameFor,
// 0 when the name is not exactly one of ours.
pid_t TempOwner(const std::string& leaf)
{
    const std::string middle = kTempTag + HostName() + ".";
    const size_t at = leaf.rfind(middle);
    if (leaf.size() < 2 || leaf[0] != '.' || at == std::string::npos || at == 0)
        return 0;
    const std::string rest = leaf.substr(at + middle.size());
    const size_t dot = rest.find('.');
    if (dot == std::string::npos || dot == 0 || dot > 9 || rest[0] == '0' || rest.size() - dot - 1 != kRandomDigits)
        return 0;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isHex = [&](char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); };
    if (!std::all_of(rest.begin(), rest.begin() + std::ptrdiff_t(dot), isDigit) ||
        !std::all_of(rest.begin() + std::ptrdiff_t(dot) + 1, rest.end(), isHex))
        return 0;
    return pid_t(std::stol(rest.substr(0, dot)));
}

// A temporary file that a killed writer left behind: exactly our name, the
// user's own regular file, unchanged for a while, and its process (on this
// host) gone.
bool IsStaleTemporary(const std::filesystem::path& path)
{
    const pid_t owner = TempOwner(path.filename().string());
    struct stat st {};
    if (owner == 0 || owner == ::getpid() || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
        return false;
    const auto changed = std::chrono::system_clock::from_time_t(st.st_mtime);
    if (std::chrono::system_clock::now() - changed < kStaleAfter)
        return false;
    return ::kill(owner, 0) != 0 && errno == ESRCH;
}

// The first write of this process into a folder removes the temporary files
// that killed writers left there; nothing else is ever removed.
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
         it.increment(ec))
        if (IsStaleTemporary(it->path()))
            ::unlink(it->path().c_str());
}

// The kernel's rule for links (fs.protected_symlinks), which a chain of links
// resolved here would otherwise escape: a link in a sticky folder that anyone
// may write is followed only when it is the user's or the folder owner's.
bool MayFollow(const std::string& link)
{
    struct stat linkStat {}, folderStat {};
    const std::filesystem::path folder = std::filesystem::path(link).parent_path();
    if (::lstat(link.c_str(), &linkStat) != 0 || ::stat(folder.empty() ? "." : folder.c_str(), &folderStat) != 0)
        return false;
    const bool shared = (folderStat.st_mode & S_ISVTX) && (folderStat.st_mode & S_IWOTH);
    return !shared || linkStat.st_uid == ::geteuid() || linkStat.st_uid == folderStat.st_uid;
}

// Where a write through `path` lands when links are followed: the file at the
// end of its chain of links, even when that file does not exist yet; nullopt
// when a link on the way may not be followed.
std::optional<std::string> FollowLinks(std::string path)
{
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(path, ec); ++hops) {
        if (!MayFollow(path))
            return std::nullopt;
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
// A link itself (never followed here) is replaced like a file.
bool MayReplace(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;
        NoteFailure(path, errno);
        return false;
    }
    if (S_ISLNK(st.st_mode))
        return true;
    const bool may = S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
    if (!may)
        NoteFailure(path, S_ISREG(st.st_mode) ? EACCES : EISDIR);
    return may;
}

bool SyncFolder(const std::filesystem::path& folder)
{
    const std::string name = folder.empty() ? "." : folder.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (!synced)
        NoteFailure(name, errno);
    if (fd >= 0)
        ::close(fd);
    return synced;
}
}  // namespace

AtomicFile::AtomicFile(std::string path, Links links) : path_(std::move(path))
{
    if (links == Links::Follow) {
        const std::optional<std::string> target = FollowLinks(path_);
        if (!target) {
            NoteFailure(path_, EACCES);
            return;
        }
        path_ = *target;
    }
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
            break;
    }
    if (fd_ < 0) {
        NoteFailure(path_, errno);
        return;
    }
    // Replacing a file keeps its permissions, as truncating it in place would.
    struct stat old {};
    if (::lstat(path_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
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
            if (!WriteAll(fd_, bytes, size))
                return fail(errno);
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
    if (offset > size_ || size > size_ - offset)
        return fail(EINVAL);
    if (!flush())
        return false;
    if (!WriteAll(fd_, static_cast<const uint8_t*>(data), size, int64_t(offset)))
        return fail(errno);
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
    return fail(errno);
}

bool AtomicFile::flush()
{
    if (buffer_.empty())
        return true;
    if (!WriteAll(fd_, buffer_.data(), buffer_.size()))
        return fail(errno);
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
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    bool replaced = false;
    if (error == 0 && MayReplace(path_)) {
        replaced = ::rename(tempPath_.c_str(), path_.c_str()) == 0;
        if (!replaced)
            error = errno;
    }
    if (!replaced) {
        if (error != 0)
            NoteFailure(path_, error);
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

bool AtomicFile::fail(int error)
{
    NoteFailure(path_, error);
    failed_ = true;
    return false;
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
