#include "doc/save_frame.h"

#include "image/jpeg_codec.h"
#include "image/write_bmp_file.h"
#include "platform/file_name.h"
#include "platform/log.h"

namespace plexo {

namespace {
constexpr int kJpegQuality = 95;

Picture CurrentColourPicture(Film& film)
{
    const Picture picture = FilmPicture(film, Eye::Current, Tone::Colour);
    if (!picture || picture.bytesPerPixel != 3 || picture.width < 1 || picture.height < 1)
        return {};
    return picture;
}
}  // namespace

bool SaveFrameBmp(Film& film, const std::string& path)
{
    std::vector<uint8_t> store;
    const Picture picture = PackedRows(CurrentColourPicture(film), store);
    if (!picture)
        return false;
    const std::vector<uint8_t> header = BitmapHeaderFor(picture);
    return WriteBmpFile(path, header.data(), picture.data);
}

bool SaveFrameJpg(Film& film, const std::string& path)
{
    const Picture picture = CurrentColourPicture(film);
    if (!picture)
        return false;
    return WriteJpegFile(path, picture, kJpegQuality);
}

bool SaveFrame(Film& film, const std::string& path)
{
    const std::string ext = platform::UpperExtension(path);
    const bool saved = ext == "BMP" ? SaveFrameBmp(film, path) : ext == "JPG" && SaveFrameJpg(film, path);
    if (!saved)
        LogMessage("Save error");
    return saved;
}

}  // namespace plexo
