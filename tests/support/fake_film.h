#pragma once
// A film of `count` frames numbered 0, 1, … whose picture's every byte is the
// frame's number (grey) or (number, number+1, number+2) per pixel (colour), so
// frame 0 is black in grey.

#include "support/pattern_film.h"

namespace plexo::test {

class FakeFilm : public PatternFilm {
public:
    using PatternFilm::PatternFilm;
    static std::unique_ptr<FakeFilm> WithFrames(int count, int width = 2, int height = 1);
};

}  // namespace plexo::test
