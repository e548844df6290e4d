#pragma once
// An in-memory film whose frames each have their own number and size, and
// may give no picture. The grey byte at column x, row y (from the bottom) of
// the frame numbered n is v = (n + x + 3y) mod 256, a smooth ramp that lossy
// codecs keep within a few steps; its colour pixel is (blue v, green v/2,
// red 255 - v), so that exchanged or misplaced channels show.

#include <algorithm>
#include <vector>

#include "film/ms_film.h"

namespace plexo::test {

struct ScriptedFrame {
    int number, width, height;
    bool gives = true;  // false: the frame gives no picture
};

inline uint8_t ScriptedValue(int number, int x, int y) { return uint8_t((number + x + 3 * y) & 0xFF); }

class ScriptedFilm : public MSFilm {
public:
    explicit ScriptedFilm(const std::vector<ScriptedFrame>& frames)
    {
        for (const ScriptedFrame& f : frames)
            InsertAfterCurrent(std::make_unique<Frame>(f));
        MakeFirstCurrent();
    }

private:
    class Frame : public Cadre {
    public:
        explicit Frame(const ScriptedFrame& f) : Cadre(f.number), f_(f) {}

    protected:
        PictureBuffer Build(Tone tone) override
        {
            const int b = tone == Tone::Colour ? 3 : 1;
            PictureBuffer p = f_.gives ? PictureBuffer::allocate(f_.width, f_.height, b) : PictureBuffer{};
            for (int y = 0; p && y < f_.height; ++y)
                for (int x = 0; x < f_.width; ++x) {
                    const uint8_t v = ScriptedValue(number, x, y), pixel[3] = {v, uint8_t(v / 2), uint8_t(255 - v)};
                    std::copy(pixel, pixel + b, p.row(y) + x * b);
                }
            return p;
        }

    private:
        ScriptedFrame f_;
    };
};

}  // namespace plexo::test
