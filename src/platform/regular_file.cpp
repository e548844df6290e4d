#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace plexo::platform {

std::string FileText::reason() const
{
    switch (result) {
    case Result::Read:
        return "read";
    case Result::Missing:
        return "no such file";
    case Result::NotRegular:
        return "not a regular file";
    case Result::TooLarge:
        return "too large";
    case Result::Unreadable:
        break;
    }
    return std::strerror(error);
}

FileText ReadRegularFile(const std::string& path, size_t limit)
{
    FileText file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        file.error = errno;
        file.result = errno == ENOENT ? FileText::Result::Missing : FileText::Result::Unreadable;
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        file.error = errno;
        file.result = FileText::Result::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        file.result = FileText::Result::NotRegular;
    } else if (uint64_t(st.st_size) > limit) {
        file.result = FileText::Result::TooLarge;
    } else {
        file.result = FileText::Result::Read;
        char block[65536];
        for (;;) {
            const ssize_t n = ::read(fd, block, sizeof block);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                file.error = errno;
                file.result = FileText::Result::Unreadable;
                file.text.clear();
                break;
            }
            if (n == 0)
                break;
            // A file that grows past the limit while it is read is refused too.
            if (file.text.size() + size_t(n) > limit) {
                file.result = FileText::Result::TooLarge;
                file.text.clear();
                break;
            }
            file.text.append(block, size_t(n));
        }
    }
    ::close(fd);
    return file;
}

}  // namespace plexo::platform
