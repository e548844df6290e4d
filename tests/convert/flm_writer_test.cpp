#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "convert/frame_writers.h"
#include "film/factories.h"
#include "scripted_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::ReadBytes;
using test::ScriptedFilm;
using test::ScriptedFrame;
using test::ScriptedValue;

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

struct FlmCase {
    bool colour;
    int compress;
    uint32_t flags;
};

class FlmLayout : public testing::TestWithParam<FlmCase> {};

TEST_P(FlmLayout, WritesTheHeaderAndNumberedRecordsThatTheReaderReadsBack)
{
    const auto [colour, compress, flags] = GetParam();
    const int w = 24, h = 16, b = colour ? 3 : 1;
    // 70000 keeps its low 16 bits.
    ScriptedFilm source({{3, w, h}, {70000, w, h}});
    test::TempDir dir;
    const std::string name = dir.file("walk.flm");
    ConversionOptions options;
    options.colour = colour;
    options.compress = compress;
    options.quality = 95;
    ASSERT_TRUE(WriteFlmFile(&source, name, options));

    const std::vector<uint8_t> bytes = ReadBytes(name);
    ASSERT_GE(bytes.size(), 24u);
    EXPECT_EQ(U32(bytes, 0), flags);
    EXPECT_EQ(U32(bytes, 4), 2u);
    EXPECT_EQ(U32(bytes, 8), uint32_t(w));
    EXPECT_EQ(U32(bytes, 12), uint32_t(h));
    if (compress == 1) {
        EXPECT_EQ(U32(bytes, 16), 4u);
        EXPECT_EQ(U32(bytes, 20), 1u);
    } else {
        EXPECT_EQ(bytes.size(), 16 + 2 * (2 + size_t(w * h * b)));
    }

    FilmPtr film = OpenFlmFilm(name);
    ASSERT_TRUE(film);
    ASSERT_EQ(film->FrameCount(), 2);
    const int tolerance = compress == 1 ? 12 : 0;
    for (int number : {3, 70000 & 0xFFFF}) {
        EXPECT_EQ(film->FrameNumber(), number);
        const Picture p = FilmPicture(*film, Eye::Current, colour ? Tone::Colour : Tone::Grey);
        ASSERT_TRUE(p);
        ASSERT_EQ(p.width, w);
        ASSERT_EQ(p.height, h);
        int worst = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // The writer's source numbers 70000; its picture used that number.
                const uint8_t v = ScriptedValue(number == 3 ? 3 : 70000, x, y);
                const uint8_t* px = p.row(y) + x * b;
                const int expected[3] = {v, colour ? v / 2 : v, colour ? 255 - v : v};
                for (int c = 0; c < b; ++c)
                    worst = std::max(worst, std::abs(px[c] - expected[c]));
            }
        EXPECT_LE(worst, tolerance) << "frame " << number;
        film->Next();
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FlmLayout,
                         testing::Values(FlmCase{false, 0, 2}, FlmCase{false, 1, 6}, FlmCase{true, 0, 3},
                                         FlmCase{true, 1, 7}));

struct FlmFailure {
    const char* what;
    std::vector<ScriptedFrame> frames;
    int factor;
    int stopAfter;  // frames written before a stop is asked for; -1 never
};

class FlmRefusal : public testing::TestWithParam<FlmFailure> {};

TEST_P(FlmRefusal, LeavesNoFileAndTheOlderOneUntouched)
{
    const FlmFailure& c = GetParam();
    test::TempDir dir;
    const std::string name = dir.file("walk.flm");
    const std::vector<uint8_t> older{'o', 'l', 'd'};
    test::WriteBytes(name, older);

    ScriptedFilm film(c.frames);
    ConversionOptions options;
    options.factor = c.factor;
    options.colour = false;
    std::atomic<bool> stop{false};
    ConversionControl control;
    control.stop = &stop;
    control.onFrame = [&](int done, int) { stop = done == c.stopAfter; };
    EXPECT_FALSE(WriteFlmFile(&film, name, options, control)) << c.what;
    EXPECT_EQ(ReadBytes(name), older) << c.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlmRefusal,
    testing::Values(FlmFailure{"no factor", ScriptedFilm::Uniform(2, 4, 4), 0, -1},
                    FlmFailure{"a frame without picture", {{0, 4, 4}, {1, 4, 4, false}, {2, 4, 4}}, 1, -1},
                    FlmFailure{"frames of different sizes", {{0, 4, 4}, {1, 6, 4}}, 1, -1},
                    FlmFailure{"wider than the reader accepts", {{0, 5001, 1}}, 1, -1},
                    FlmFailure{"taller than the reader accepts", {{0, 1, 5001}}, 1, -1},
                    FlmFailure{"a stop after the first frame", ScriptedFilm::Uniform(3, 4, 4), 1, 1}));

}  // namespace
}  // namespace plexo
