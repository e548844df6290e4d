#include "support/pattern_film.h"

namespace plexo::test {

namespace {
class PatternCadre : public Cadre {
public:
    PatternCadre(int number, FrameSize size) : Cadre(number), size_(size) {}

protected:
    PictureBuffer Build(Tone tone) override
    {
        const int bpp = tone == Tone::Grey ? 1 : 3;
        PictureBuffer p = PictureBuffer::allocate(size_.width, size_.height, bpp);
        for (int y = 0; p && y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                for (int c = 0; c < bpp; ++c)
                    p.row(y)[x * bpp + c] = PatternByte(number, x, y, c);
        return p;
    }

private:
    FrameSize size_;
};
}  // namespace

PatternFilm::PatternFilm(const std::vector<int>& numbers, const std::vector<FrameSize>& sizes)
{
    for (size_t i = 0; i < numbers.size(); ++i)
        InsertAfterCurrent(std::make_unique<PatternCadre>(numbers[i], sizes[i]));
    MakeFirstCurrent();
}

std::unique_ptr<PatternFilm> PatternFilm::Uniform(int count, int width, int height, int first)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(first + i);
    return std::make_unique<PatternFilm>(numbers, std::vector<FrameSize>(size_t(count), {width, height}));
}

}  // namespace plexo::test
