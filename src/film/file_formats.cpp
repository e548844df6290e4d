#include "film/file_formats.h"

#include <strings.h>

#include <vector>

#include "film/factories.h"
#include "image/save_picture.h"
#include "platform/file_name.h"

namespace plexo {

namespace {

// A BMP, JPEG, MPO or JPS file opens with its numbered run when its name has
// the run's digits, alone otherwise; a PNG, TIFF or HEIC file opens alone. A
// ".jpeg" or ".tiff" name never has the digits, which come before a dot and
// three letters. Rows of one description are one entry of the open dialogs.
constexpr FileFormat kFormats[] = {
    {"bmp", "BMP files", "bmp", "image/bmp", nullptr, OpenBmpFilm, SaveBmpPicture},
    {"flm", "Film files", "flm", "application/x-plexo-film", "Plexo stereo film", OpenFlmFilm, nullptr},
    {"jpg", "JPEG files", "jpg", "image/jpeg", nullptr, OpenJpgFilm, SaveJpegPicture},
    {"jpeg", "JPEG files", "jpeg", "image/jpeg", nullptr, OpenJpgFilm, nullptr},
    {"mpo", "MPO files", "mpo", "image/x-mpo", "MPO stereo photo", OpenMpoFilm, nullptr},
    {"jps", "JPS files", "jps", "image/x-jps", "JPS stereo photo", OpenJpsFilm, nullptr},
    {"png", "PNG files", "png", "image/png", nullptr, OpenPngTiffFilm, nullptr},
    {"tiff", "TIFF files", "tif", "image/tiff", nullptr, OpenPngTiffFilm, nullptr},
    {"tiff", "TIFF files", "tiff", "image/tiff", nullptr, OpenPngTiffFilm, nullptr},
    {"heic", "HEIC files", "heic", "image/heic", nullptr, OpenHeicFilm, nullptr},
    {"heic", "HEIC files", "heif", "image/heif", nullptr, OpenHeicFilm, nullptr},
    {"heic", "HEIC files", "hif", "image/heif", nullptr, OpenHeicFilm, nullptr},
};

std::vector<FileFormat>& Table()
{
    static std::vector<FileFormat> rows(std::begin(kFormats), std::end(kFormats));
    return rows;
}

const FileFormat* FormatOfExtension(const char* extension)
{
    for (const FileFormat& format : Table())
        if (strcasecmp(format.extension, extension) == 0)
            return &format;
    return nullptr;
}

}  // namespace

FileGrouping GroupingOf(const FileFormat& format)
{
    if (format.openFilm == OpenBmpFilm || format.openFilm == OpenJpgFilm || format.openFilm == OpenMpoFilm ||
        format.openFilm == OpenJpsFilm)
        return FileGrouping::RunOrAlone;
    return FileGrouping::Alone;
}

std::span<const FileFormat> FileFormats()
{
    return Table();
}

void AddFileFormats(std::span<const FileFormat> rows)
{
    for (const FileFormat& row : rows)
        if (!FormatOfExtension(row.extension))
            Table().push_back(row);
}

const FileFormat* FileFormatOf(const std::string& path)
{
    return FormatOfExtension(platform::UpperExtension(path).c_str());
}

const FileFormat* FileFormatNamed(std::string_view name)
{
    for (const FileFormat& format : Table())
        if (name == format.name)
            return &format;
    return nullptr;
}

std::string PatternOf(const FileFormat& format)
{
    return std::string("*.") + format.extension;
}

}  // namespace plexo
