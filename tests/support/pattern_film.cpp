#include "support/pattern_film.h"

#include "support/fake_film.h"

namespace plexo::test {

namespace {
struct PatternCadre : Cadre {
    PatternCadre(int number, FrameSize size, PixelRule rule) : Cadre(number), size_(size), rule_(rule) {}

    PictureBuffer Build(Tone tone) override
    {
        const int bpp = tone == Tone::Grey ? 1 : 3;
        PictureBuffer p = PictureBuffer::allocate(size_.width, size_.height, bpp);
        for (int y = 0; p && y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                for (int c = 0; c < bpp; ++c)
                    p.row(y)[x * bpp + c] = rule_(number, x, y, c);
        return p;
    }

    FrameSize size_;
    PixelRule rule_;
};
}  // namespace

PatternFilm::PatternFilm(const std::vector<PatternFrame>& frames, PixelRule rule)
{
    for (const PatternFrame& f : frames)
        InsertAfterCurrent(std::make_unique<PatternCadre>(f.number, FrameSize{f.width, f.height}, rule));
    MakeFirstCurrent();
}

PatternFilm::PatternFilm(int count, FrameSize size, int first, PixelRule rule)
{
    for (int i = 0; i < count; ++i)
        InsertAfterCurrent(std::make_unique<PatternCadre>(first + i, size, rule));
    MakeFirstCurrent();
}

std::unique_ptr<PatternFilm> PatternFilm::Uniform(int count, int width, int height, int first)
{
    return std::make_unique<PatternFilm>(count, FrameSize{width, height}, first);
}

std::unique_ptr<FakeFilm> FakeFilm::WithFrames(int count, int width, int height)
{
    return std::make_unique<FakeFilm>(count, FrameSize{width, height}, 0,
                                      [](int number, int, int, int channel) { return uint8_t(number + channel); });
}

}  // namespace plexo::test
