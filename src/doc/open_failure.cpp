#include "doc/open_failure.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "film/flm_film.h"
#include "image/input_file.h"

namespace plexo {

namespace {

std::string Unreadable(int error)
{
    return std::string("The file cannot be read: ") + std::strerror(error) + ".";
}

}  // namespace

std::string WhyNoFilm(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "The file does not exist." : Unreadable(errno);
    if (S_ISDIR(status.st_mode))
        return "It is a folder, not a film.";
    // Pipes and devices are refused unopened.
    const std::optional<InputFile> file = InputFile::Open(path);
    if (!file)
        return S_ISREG(status.st_mode) ? Unreadable(errno) : "The file is not a film.";
    if (!ReadFlmHeader(*file))
        return "The file is not a film.";
    // The header is sound, so no frame record could be read: the first one
    // breaks off or holds no picture.
    return "The film is damaged at frame 1: its record breaks off or holds no picture.";
}

std::string OpenFailureMessage(const std::string& path)
{
    return path + "\nFailed to open document.\n" + WhyNoFilm(path);
}

}  // namespace plexo
