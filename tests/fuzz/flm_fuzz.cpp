// The .flm reader: any bytes open as a film or not at all, and every frame of
// it gives a whole picture or none.
#include "film/factories.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = plexo::fuzz::WriteInput("film.flm", data, size);
    if (plexo::FilmPtr film = plexo::OpenFlmFilm(path))
        plexo::fuzz::Exercise(*film, 4);
    return 0;
}
