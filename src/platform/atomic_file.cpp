#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>

namespace plexo::platform {

namespace {
constexpr size_t kBufferSize = 1 << 16;

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
}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path))
{
    // Through a link the file it names is replaced, as truncating in place
    // would; renaming over the link itself would cut it off (a settings file
    // kept in a folder of linked dotfiles, say).
    std::error_code ec;
    if (std::filesystem::is_symlink(path_, ec))
        if (const std::filesystem::path real = std::filesystem::canonical(path_, ec); !ec)
            path_ = real.string();
    const std::filesystem::path target(path_);
    if (target.filename().empty())
        return;
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

bool AtomicFile::flush()
{
    if (buffer_.empty())
        return true;
    if (!WriteAll(fd_, buffer_.data(), buffer_.size())) {
        failed_ = true;
        return false;
    }
    buffer_.clear();
    return true;
}

bool AtomicFile::commit()
{
    if (!ok() || !flush()) {
        discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        discard();
        return false;
    }
    tempPath_.clear();
    return true;
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
