#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "convert/frame_writers.h"
#include "film/factories.h"
#include "scripted_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::ScriptedFilm;
using test::ScriptedFrame;

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
    ScriptedFilm source({{3, w, h}, {70000, w, h}});  // 70000 keeps its low 16 bits
    test::TempDir dir;
    const std::string name = dir.file("walk.flm");
    ASSERT_TRUE(WriteFlmFile(&source, name, {.colour = colour, .quality = 95, .compress = compress}));

    // A packed film's header goes on with the extension's length 4 and its
    // packed flag; a raw one holds two numbered frames and nothing more.
    std::vector<uint8_t> head, bytes = test::ReadBytes(name);
    for (uint32_t v : {flags, 2u, uint32_t(w), uint32_t(h), 4u, 1u})
        test::PutU32(head, v);
    head.resize(compress == 1 ? 24 : 16);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(bytes.size(), head.size())), head);
    EXPECT_TRUE(compress == 1 || bytes.size() == 16 + 2 * (2 + size_t(w * h * b)));

    FilmPtr film = OpenFlmFilm(name);
    ASSERT_TRUE(film);
    ASSERT_EQ(film->FrameCount(), 2);
    for (const int number : {3, 70000}) {
        EXPECT_EQ(film->FrameNumber(), number & 0xFFFF);
        const Picture p = FilmPicture(*film, Eye::Current, colour ? Tone::Colour : Tone::Grey);
        ASSERT_TRUE(p.width == w && p.height == h);
        int worst = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t v = test::ScriptedValue(number, x, y);
                const int expected[3] = {v, colour ? v / 2 : v, colour ? 255 - v : v};
                for (int c = 0; c < b; ++c)
                    worst = std::max(worst, std::abs(p.row(y)[x * b + c] - expected[c]));
            }
        EXPECT_LE(worst, compress == 1 ? 12 : 0) << "frame " << number;
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
    test::WriteBytes(name, {'o', 'l', 'd'});
    ScriptedFilm film(c.frames);
    std::atomic<bool> stop{false};
    const ConversionControl control{[&](int done, int) { stop = done == c.stopAfter; }, &stop};
    EXPECT_FALSE(WriteFlmFile(&film, name, {.colour = false, .factor = c.factor}, control)) << c.what;
    EXPECT_EQ(test::ReadBytes(name), (std::vector<uint8_t>{'o', 'l', 'd'})) << c.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlmRefusal,
    testing::Values(FlmFailure{"no factor", {{0, 4, 4}}, 0, -1},
                    FlmFailure{"a frame without picture", {{0, 4, 4}, {1, 0, 0}, {2, 4, 4}}, 1, -1},
                    FlmFailure{"frames of different sizes", {{0, 4, 4}, {1, 6, 4}}, 1, -1},
                    FlmFailure{"wider than the reader accepts", {{0, 5001, 1}}, 1, -1},
                    FlmFailure{"taller than the reader accepts", {{0, 1, 5001}}, 1, -1},
                    FlmFailure{"a stop after the first frame", {{0, 4, 4}, {1, 4, 4}, {2, 4, 4}}, 1, 1}));

}  // namespace
}  // namespace plexo
