// The PNG and TIFF header reader over any bytes, then the film of the same
// bytes as a loose picture, decoded only when its header's size fits.
#include "film/factories.h"
#include "fuzz_input.h"
#include "image/picture_limit.h"
#include "image/png_tiff_size.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    // The decoder allocates the stated size before it reads a row.
    static const bool limited = (SetDecodedPictureLimit(size_t(64) << 20), true);
    (void)limited;
    if (const auto stated = PngTiffSize(data, size); stated && (stated->width <= 0 || stated->height <= 0))
        __builtin_trap();
    const std::string path = fuzz::WriteInput("im0.png", data, size);
    if (FilmPtr film = OpenPngTiffFilm(path))
        fuzz::Exercise(*film, 1);
    return 0;
}
