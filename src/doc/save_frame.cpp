#include "doc/save_frame.h"

#include <functional>

#include "film/file_formats.h"
#include "platform/log.h"

namespace plexo {

namespace {

Picture CurrentColourPicture(Film& film)
{
    const Picture picture = FilmPicture(film, Eye::Current, Tone::Colour);
    if (!picture || picture.bytesPerPixel != 3 || picture.width < 1 || picture.height < 1)
        return {};
    return picture;
}

// The picture is asked for only once a format that writes it is chosen, so a
// name no format takes reads nothing from the film.
bool WritePicture(const std::string& path, const std::function<Picture()>& picture)
{
    const FileFormat* format = FileFormatOf(path);
    bool saved = false;
    if (format && format->writePicture) {
        const Picture shown = picture();
        saved = shown && format->writePicture(path, shown);
    }
    if (!saved)
        LogMessage("Save error");
    return saved;
}

}  // namespace

bool SaveFrame(Film& film, const std::string& path)
{
    return WritePicture(path, [&film] { return CurrentColourPicture(film); });
}

bool SavePicture(const Picture& picture, const std::string& path)
{
    return WritePicture(path, [&picture] { return picture; });
}

}  // namespace plexo
