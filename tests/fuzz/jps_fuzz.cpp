// The JPS layout block reader over any bytes, then the JPS film of the same
// bytes, split as the block says.
#include "film/factories.h"
#include "fuzz_input.h"
#include "image/jps_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    if (const auto layout = ReadJpsLayout(data, size); layout && LayoutNamed(LayoutWord(*layout)) != layout)
        __builtin_trap();
    const std::string path = fuzz::WriteInput("pair.jps", data, size);
    if (FilmPtr film = OpenJpsFilm(path))
        fuzz::Exercise(*film, 2);
    return 0;
}
