#include "doc/save_frame.h"

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

}  // namespace

bool SaveFrame(Film& film, const std::string& path)
{
    const FileFormat* format = FileFormatOf(path);
    bool saved = false;
    if (format && format->writePicture) {
        const Picture picture = CurrentColourPicture(film);
        saved = picture && format->writePicture(path, picture);
    }
    if (!saved)
        LogMessage("Save error");
    return saved;
}

}  // namespace plexo
