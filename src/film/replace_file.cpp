#include "film/replace_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace plexo {

namespace {
bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// A name beside the target that no other writer of this process or another
// one picks at the same time; O_EXCL makes sure of it.
int CreateTemporary(const std::string& path, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        // 0666 so that the finished file gets the permissions the umask gives
        // any new file.
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}
}  // namespace

bool ReplaceFileWith(const std::string& path, const uint8_t* data, size_t size)
{
    std::string tempPath;
    const int fd = CreateTemporary(path, tempPath);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, data, size);
    const bool closed = ::close(fd) == 0;
    if (written && closed && std::rename(tempPath.c_str(), path.c_str()) == 0)
        return true;
    std::remove(tempPath.c_str());
    return false;
}

}  // namespace plexo
