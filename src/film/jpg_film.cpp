#include "film/jpg_film.h"

#include "film/factories.h"
#include "film/vr_photo_film.h"
#include "image/input_file.h"
#include "image/jpeg_codec.h"
#include "image/picture_limit.h"

namespace plexo {

PictureBuffer ReadJpegFile(const std::string& path, Tone tone)
{
    size_t length = 0;
    const std::unique_ptr<uint8_t[]> stream = ReadWholeFile(path, kMaxJpegFileBytes, length);
    if (!stream)
        return {};
    int width = 0, height = 0;
    if (ReadJpegSize(stream.get(), length, width, height))
        if (const auto refusal = DecodedSizeRefusal({{width, height}}, tone == Tone::Grey ? 1 : 3)) {
            LogRefusedPicture(path, *refusal);
            return {};
        }
    // Decoded straight into the system's rows, bottom first in blue, green,
    // red.
    return tone == Tone::Grey ? DecodeJpegGrey(stream.get(), length, JpegRows::Picture)
                              : DecodeJpegColour(stream.get(), length, JpegRows::Picture);
}

StillDecoder JpegDecoder()
{
    return [](const std::string& path, SourceFrame& frame) {
        return WholeFrame(ReadJpegFile(path, Tone::Colour), frame);
    };
}

PictureBuffer JpgCadre::Build(Tone tone)
{
    return ReadJpegFile(path(), tone);
}

FilmPtr OpenJpgFilm(const std::string& chosenFile, const LayoutChoice& choice)
{
    // A VR180 photo carries its right eye within; a layout chosen reads it
    // as the picture it also is.
    if (!choice)
        if (FilmPtr photo = OpenVrPhotoFilm(chosenFile))
            return photo;
    return StillFilm<JpgCadre>(GatherRunOrFile(chosenFile, ".jpg"), JpegDecoder(), ChosenOrNamed(choice, chosenFile));
}

}  // namespace plexo
