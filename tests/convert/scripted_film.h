#pragma once
// The films the writers are given: frames of their own numbers and sizes, a
// frame of size 0 × 0 giving no picture. The grey byte at column x, row y
// (from the bottom) of the frame numbered n is v = (n + x + 3y) mod 256, a
// smooth ramp that lossy codecs keep within a few steps; its colour pixel is
// (blue v, green v/2, red 255 - v), so that exchanged or misplaced channels
// show.

#include "support/pattern_film.h"

namespace plexo::test {

inline uint8_t ScriptedByte(int number, int x, int y, int channel)
{
    const uint8_t v = uint8_t((number + x + 3 * y) & 0xFF);
    return channel == 0 ? v : channel == 1 ? uint8_t(v / 2) : uint8_t(255 - v);
}

using ScriptedFrame = PatternFrame;

class ScriptedFilm : public PatternFilm {
public:
    explicit ScriptedFilm(const std::vector<ScriptedFrame>& frames) : PatternFilm(frames, ScriptedByte) {}
};

}  // namespace plexo::test
