// The JPEG decoder, in both row orders and both tones, and the numbered JPEG
// film over the same bytes.
#include "film/factories.h"
#include "fuzz_input.h"
#include "image/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    for (JpegRows rows : {JpegRows::AsStored, JpegRows::Picture}) {
        const PictureBuffer colour = DecodeJpegColour(data, size, rows);
        fuzz::Touch(colour.bytes.get(), colour.width, colour.height, 3);
        const PictureBuffer grey = DecodeJpegGrey(data, size, rows);
        fuzz::Touch(grey.bytes.get(), grey.width, grey.height, 1);
    }
    const std::string path = fuzz::WriteInput("pic0001.jpg", data, size);
    if (FilmPtr film = OpenJpgFilm(path))
        fuzz::Exercise(*film, 1);
    return 0;
}
