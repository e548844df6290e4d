// Two .flm films made from one input, paired on every side and composed by
// every compositor into views of several sizes and offsets, the eyes swapped
// and moved.
#include "film/factories.h"
#include "film/two_films.h"
#include "fuzz_input.h"
#include "present/compositor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    if (size < 8)
        return 0;
    // The leading bytes choose how the rest is split and shown.
    const size_t split = (size_t(data[0]) | size_t(data[1]) << 8) % (size - 7);
    const int32_t side = data[2] % 5;
    const int32_t dist = int8_t(data[3]);
    const int32_t shift = int8_t(data[4]) % 4;
    const ViewRect view{int8_t(data[6]) / 32, int8_t(data[5]), 1 + data[6] % 97, 1 + data[7] % 61};
    const StereoAdjustments adjust{.swap = (data[2] & 0x80) != 0, .dist = dist, .vertical = int8_t(data[7]) / 16};
    data += 8;
    size -= 8;
    const std::string a = fuzz::WriteInput("first.flm", data, split);
    const std::string b = fuzz::WriteInput("second.flm", data + split, size - split);
    FilmPtr first = OpenFlmFilm(a);
    FilmPtr second = OpenFlmFilm(b);
    if (!first || !second)
        return 0;
    FilmPtr pair = PairFilms(std::move(first), std::move(second), side);
    if (!pair)
        return 0;
    pair->SetShift(shift);
    FrameBuffer frame;
    for (int step = 0; step < 2; ++step) {
        for (const Presentation& presentation : Presentations())
            if (ComposeFrame(pair.get(), adjust, view, presentation, frame))
                fuzz::Touch(frame.bytes(), frame.width(), frame.height(), 3);
        pair->Next();
    }
    return 0;
}
