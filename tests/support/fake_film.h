#pragma once
// A single-source film held in memory: frame k has number numbers[k] and a
// picture whose every byte is that number (grey) or (number, number+1,
// number+2) per pixel (colour). Counts how often each frame built a picture.

#include <memory>
#include <vector>

#include "film/ms_film.h"

namespace plexo::test {

class FakeFilm : public MSFilm {
public:
    explicit FakeFilm(const std::vector<int>& numbers, int width = 2, int height = 1, bool sort = false);
    static std::unique_ptr<FakeFilm> WithFrames(int count, int width = 2, int height = 1);

    std::shared_ptr<std::vector<int>> builds;  // per frame index, in insertion order
};

}  // namespace plexo::test
