// The BMP reader, through the numbered-sequence film that holds it.
#include "film/factories.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = plexo::fuzz::WriteInput("pic0001.bmp", data, size);
    if (plexo::FilmPtr film = plexo::OpenBmpFilm(path))
        plexo::fuzz::Exercise(*film, 2);
    return 0;
}
