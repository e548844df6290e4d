#include "film/file_formats.h"

#include <strings.h>

#include "film/factories.h"
#include "image/save_picture.h"
#include "platform/file_name.h"

namespace plexo {

namespace {

// A numbered BMP or JPEG sequence opens from any one of its files; an MPO or
// JPS file opens alone or with its numbered run.
constexpr FileFormat kFormats[] = {
    {"bmp", "BMP files", "bmp", "image/bmp", nullptr, OpenBmpFilm, SaveBmpPicture},
    {"flm", "Film files", "flm", "application/x-plexo-film", "Plexo stereo film", OpenFlmFilm, nullptr},
    {"jpg", "JPEG files", "jpg", "image/jpeg", nullptr, OpenJpgFilm, SaveJpegPicture},
    {"mpo", "MPO files", "mpo", "image/x-mpo", "MPO stereo photo", OpenMpoFilm, nullptr},
    {"jps", "JPS files", "jps", "image/x-jps", "JPS stereo photo", OpenJpsFilm, nullptr},
};

}  // namespace

std::span<const FileFormat> FileFormats()
{
    return kFormats;
}

const FileFormat* FileFormatOf(const std::string& path)
{
    const std::string extension = platform::UpperExtension(path);
    for (const FileFormat& format : kFormats)
        if (strcasecmp(format.extension, extension.c_str()) == 0)
            return &format;
    return nullptr;
}

const FileFormat* FileFormatNamed(std::string_view name)
{
    for (const FileFormat& format : kFormats)
        if (name == format.name)
            return &format;
    return nullptr;
}

std::string PatternOf(const FileFormat& format)
{
    return std::string("*.") + format.extension;
}

std::string FilterEntryOf(const FileFormat& format)
{
    return format.description + (" (" + PatternOf(format) + ")");
}

}  // namespace plexo
