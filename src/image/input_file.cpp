#include "image/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "platform/failure_note.h"

namespace plexo {

std::optional<InputFile> InputFile::Open(const std::string& path, std::string* why)
{
    // Without O_NONBLOCK a FIFO named like a film would wait for a writer
    // forever; it is refused below like any other file that is not regular.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        // A source frame that vanished during a conversion says so.
        platform::NoteFailure(path, error);
        if (why)
            *why = std::strerror(error);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        platform::NoteFailure(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        if (why)
            *why = "not a regular file";
        ::close(fd);
        return std::nullopt;
    }
    return InputFile(fd, int64_t(st.st_size));
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), length_(other.length_), position_(other.position_)
{
}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        length_ = other.length_;
        position_ = other.position_;
    }
    return *this;
}

InputFile::~InputFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

size_t InputFile::ReadSome(int64_t offset, void* into, size_t size) const
{
    if (offset < 0)
        return 0;
    auto* out = static_cast<uint8_t*>(into);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, out + done, size - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    return done;
}

bool InputFile::ReadAt(int64_t offset, void* into, size_t size) const
{
    return ReadSome(offset, into, size) == size;
}

size_t InputFile::Read(void* into, size_t size)
{
    const size_t n = ReadSome(position_, into, size);
    position_ += int64_t(n);
    return n;
}

std::unique_ptr<uint8_t[]> ReadWholeFile(const std::string& path, int64_t maxBytes, size_t& length)
{
    std::optional<InputFile> file = InputFile::Open(path);
    if (!file || file->Length() <= 0 || file->Length() > maxBytes)
        return nullptr;
    length = size_t(file->Length());
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[length]);
    if (!bytes || !file->ReadAt(0, bytes.get(), length))
        return nullptr;
    return bytes;
}

}  // namespace plexo
