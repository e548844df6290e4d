#include "film/jpg_film.h"

#include <new>

#include "film/factories.h"
#include "image/input_file.h"
#include "image/jpeg_codec.h"

namespace plexo {

namespace {
// No JPEG of the largest picture any reader accepts comes near this; a file
// beyond it is not read into memory.
constexpr int64_t kMaxJpegFileBytes = int64_t(1) << 30;
}  // namespace

PictureBuffer JpgCadre::Build(Tone tone)
{
    std::optional<InputFile> file = InputFile::Open(path());
    if (!file || file->Length() <= 0 || file->Length() > kMaxJpegFileBytes)
        return {};
    const size_t length = size_t(file->Length());
    std::unique_ptr<uint8_t[]> stream(new (std::nothrow) uint8_t[length]);
    if (!stream || !file->ReadAt(0, stream.get(), length))
        return {};
    // Decoded straight into the system's rows, bottom first in blue, green,
    // red.
    return tone == Tone::Grey ? DecodeJpegGrey(stream.get(), length, JpegRows::Picture)
                              : DecodeJpegColour(stream.get(), length, JpegRows::Picture);
}

FilmPtr OpenJpgFilm(const std::string& chosenFile, const LayoutChoice&)
{
    return FilmWithFrames<JpgFilm>(chosenFile);
}

}  // namespace plexo
