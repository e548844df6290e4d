#include "support/fake_film.h"

#include <cstring>

namespace plexo::test {

namespace {
class FakeCadre : public Cadre {
public:
    FakeCadre(int number, int width, int height, std::shared_ptr<std::vector<int>> builds, size_t slot)
        : Cadre(number), width_(width), height_(height), builds_(std::move(builds)), slot_(slot)
    {
    }

protected:
    PictureBuffer Build(Tone tone) override
    {
        ++(*builds_)[slot_];
        PictureBuffer p = PictureBuffer::allocate(width_, height_, tone == Tone::Grey ? 1 : 3);
        uint8_t* b = p.bytes.get();
        for (size_t i = 0; i < p.byteCount(); ++i)
            b[i] = uint8_t(number + (tone == Tone::Grey ? 0 : int(i % 3)));
        return p;
    }

private:
    int width_, height_;
    std::shared_ptr<std::vector<int>> builds_;
    size_t slot_;
};
}  // namespace

FakeFilm::FakeFilm(const std::vector<int>& numbers, int width, int height, bool sort)
    : builds(std::make_shared<std::vector<int>>(numbers.size(), 0))
{
    for (size_t i = 0; i < numbers.size(); ++i)
        InsertAfterCurrent(std::make_unique<FakeCadre>(numbers[i], width, height, builds, i));
    if (sort)
        SortByNumber();
    MakeFirstCurrent();
}

std::unique_ptr<FakeFilm> FakeFilm::WithFrames(int count, int width, int height)
{
    std::vector<int> numbers;
    for (int i = 0; i < count; ++i)
        numbers.push_back(i);
    return std::make_unique<FakeFilm>(numbers, width, height);
}

}  // namespace plexo::test
