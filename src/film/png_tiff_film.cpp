#include "film/png_tiff_film.h"

#include "film/factories.h"
#include "film/still_source.h"
#include "image/input_file.h"
#include "image/picture_limit.h"
#include "image/png_tiff_codec.h"
#include "image/png_tiff_size.h"

namespace plexo {

PictureBuffer ReadPngTiffFile(const std::string& path, Tone tone)
{
    size_t length = 0;
    const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(path, kMaxPngTiffFileBytes, length);
    if (!bytes)
        return {};
    // Nothing is decoded whose size the header does not state.
    const std::optional<DecodedSize> size = PngTiffSize(bytes.get(), length);
    if (!size || size->width > kMaxPictureSide || size->height > kMaxPictureSide)
        return {};
    if (const auto refusal = DecodedSizeRefusal({*size}, tone == Tone::Grey ? 1 : 3)) {
        LogRefusedPicture(path, *refusal);
        return {};
    }
    return DecodePngTiff(bytes.get(), length, tone);
}

PictureBuffer PngTiffCadre::Build(Tone tone)
{
    return ReadPngTiffFile(path(), tone);
}

FilmPtr OpenPngTiffFilm(const std::string& chosenFile, const LayoutChoice& choice)
{
    const StillDecoder decode = [](const std::string& path, SourceFrame& frame) {
        return WholeFrame(ReadPngTiffFile(path, Tone::Colour), frame);
    };
    return StillFilm<PngTiffCadre>(FileAlone(chosenFile), decode, ChosenOrNamed(choice, chosenFile));
}

}  // namespace plexo
