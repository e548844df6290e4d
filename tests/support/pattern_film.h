#pragma once
// A single-source film held in memory whose every pixel is known: byte c of
// pixel (x, y) (y counted from the bottom row) of the frame numbered n is
// rule(n, x, y, c), by default PatternByte, never 0, so black stands out.
// Frames may differ in size; a frame of size 0 × 0 has no picture.

#include <cstdint>
#include <memory>
#include <vector>

#include "film/ms_film.h"

namespace plexo::test {

struct FrameSize {
    int width = 0;
    int height = 0;
};

struct PatternFrame {
    int number, width, height;
};

// Grey pictures carry channel 0 only.
inline uint8_t PatternByte(int number, int x, int y, int channel)
{
    return uint8_t(1 + (number * 61 + y * 17 + x * 3 + channel) % 255);
}

using PixelRule = uint8_t (*)(int number, int x, int y, int channel);

class PatternFilm : public MSFilm {
public:
    explicit PatternFilm(const std::vector<PatternFrame>& frames, PixelRule rule = PatternByte);
    // `count` frames numbered first, first + 1, … all of one size.
    PatternFilm(int count, FrameSize size, int first = 0, PixelRule rule = PatternByte);
    static std::unique_ptr<PatternFilm> Uniform(int count, int width, int height, int first = 0);
};

}  // namespace plexo::test
