#pragma once
// The benchmarks' 1920 x 1080 film: colour frames (twelve unless asked for
// more) with structure in both directions, so that JPEG has real work, kept
// in memory or written once as a JPEG-packed .flm.

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "convert/frame_writers.h"
#include "film/ms_film.h"

namespace plexo::bench {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFrames = 12;

class PatternCadre : public Cadre {
public:
    explicit PatternCadre(int number) : Cadre(number) {}

protected:
    PictureBuffer Build(Tone tone) override
    {
        const int bpp = tone == Tone::Grey ? 1 : 3;
        PictureBuffer picture = PictureBuffer::allocate(kWidth, kHeight, bpp);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = picture.row(y);
            for (int x = 0; x < kWidth * bpp; ++x)
                row[x] = uint8_t((x / bpp + number * 7) ^ (y * 3) ^ ((x * y) >> 9));
        }
        return picture;
    }
};

class PatternFilm : public MSFilm {
public:
    explicit PatternFilm(int frames = kFrames)
    {
        for (int i = 0; i < frames; ++i)
            InsertAfterCurrent(std::make_unique<PatternCadre>(i));
        MakeFirstCurrent();
    }
};

// The pattern film packed as "bench.flm" in the folder, written on the first
// call; later calls give that file.
inline const std::string& PackedFilmFile(const std::filesystem::path& folder)
{
    static const std::string path = [&folder] {
        const std::string file = (folder / "bench.flm").string();
        PatternFilm source;
        ConversionOptions options;
        options.compress = 1;
        options.quality = 90;
        if (!WriteFlmFile(&source, file, options))
            std::abort();
        return file;
    }();
    return path;
}

}  // namespace plexo::bench
