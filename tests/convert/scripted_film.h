#pragma once
// An in-memory film whose frames each have their own number and size, and
// may give no picture. Frame k's grey byte at column x, row y (from the
// bottom) is (number + x + 3y) mod 256; its colour pixel is that value v as
// (blue v, green v/2, red 255 - v), so that every channel tells where a byte
// came from.

#include <vector>

#include "film/ms_film.h"

namespace plexo::test {

struct ScriptedFrame {
    int number;
    int width;
    int height;
    bool gives = true;  // false: the frame gives no picture
};

inline uint8_t ScriptedValue(int number, int x, int y)
{
    return uint8_t((number + x + 3 * y) & 0xFF);
}

class ScriptedFilm : public MSFilm {
public:
    explicit ScriptedFilm(const std::vector<ScriptedFrame>& frames)
    {
        for (const ScriptedFrame& f : frames)
            InsertAfterCurrent(std::make_unique<Frame>(f));
        MakeFirstCurrent();
    }

    // Frames 0..count-1, all of one size.
    static std::vector<ScriptedFrame> Uniform(int count, int width, int height)
    {
        std::vector<ScriptedFrame> frames;
        for (int i = 0; i < count; ++i)
            frames.push_back({i, width, height});
        return frames;
    }

private:
    class Frame : public Cadre {
    public:
        explicit Frame(const ScriptedFrame& f) : Cadre(f.number), f_(f) {}

    protected:
        PictureBuffer Build(Tone tone) override
        {
            if (!f_.gives)
                return {};
            PictureBuffer p = PictureBuffer::allocate(f_.width, f_.height, tone == Tone::Colour ? 3 : 1);
            for (int y = 0; y < f_.height; ++y) {
                uint8_t* out = p.row(y);
                for (int x = 0; x < f_.width; ++x) {
                    const uint8_t v = ScriptedValue(number, x, y);
                    if (tone == Tone::Colour) {
                        *out++ = v;
                        *out++ = uint8_t(v / 2);
                        *out++ = uint8_t(255 - v);
                    } else {
                        *out++ = v;
                    }
                }
            }
            return p;
        }

    private:
        ScriptedFrame f_;
    };
};

}  // namespace plexo::test
