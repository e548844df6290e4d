#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "film/open_film.h"
#include "support/outside_programs.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

// An MP4 whose track header's matrix is patched mirrors and turns its
// pictures as the matrix says, mirrored first: each shown pixel (x, y), top
// row first, is the upright frame's pixel `from(x, y)`.
TEST(VideoOrientation, MirroredMatricesAreMirroredThenTurned)
{
    AddVideoFormats();
    test::TempDir dir;
    ASSERT_TRUE(test::MakeVideo(dir, "upright.mp4", "-c:v libx264"));
    const std::vector<uint8_t> upright = test::FfmpegFrames(dir.file("upright.mp4"));
    const std::vector<uint8_t> mp4 = test::ReadBytes(dir.file("upright.mp4"));
    constexpr int W = 64, H = 48;
    ASSERT_GE(upright.size(), size_t(W * H * 3));
    using From = std::function<std::pair<int, int>(int, int)>;
    struct { const char* name; int a, b, c, d; bool across; From from; } const cases[] = {
        {"mirror", -1, 0, 0, 1, false, [](int x, int y) { return std::pair{W - 1 - x, y}; }},
        {"mirror-180", 1, 0, 0, -1, false, [](int x, int y) { return std::pair{x, H - 1 - y}; }},
        {"mirror-90", 0, 1, 1, 0, true, [](int x, int y) { return std::pair{y, x}; }},
        {"mirror-270", 0, -1, -1, 0, true, [](int x, int y) { return std::pair{W - 1 - y, H - 1 - x}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> patched = mp4;
        const auto box = std::search(patched.begin(), patched.end(), std::begin("tkhd"), std::end("tkhd") - 1);
        const size_t tkhd = size_t(box - patched.begin());
        ASSERT_LT(tkhd, patched.size());
        // The matrix's a, b, c, d in 16.16 after version, times, track,
        // duration, layer, group and volume.
        for (const auto& [at, value] : {std::pair{44, c.a}, {48, c.b}, {56, c.c}, {60, c.d}})
            for (int i = 0; i < 4; ++i)
                patched[tkhd + size_t(at + i)] = uint8_t(uint32_t(value * 65536) >> (24 - 8 * i));
        const std::string path = dir.file(std::string(c.name) + ".mp4");
        test::WriteBytes(path, patched);
        FilmPtr film = OpenFilmByExtension(path);
        ASSERT_TRUE(film);
        const Picture shown = film->PictureView(Eye::Current, Tone::Colour);
        ASSERT_EQ(shown.width, c.across ? H : W);
        ASSERT_EQ(shown.height, c.across ? W : H);
        double difference = 0;
        for (int y = 0; y < shown.height; ++y)
            for (int x = 0; x < shown.width; ++x) {
                const auto [fx, fy] = c.from(x, y);
                const uint8_t* theirs = &upright[size_t(fy * W + fx) * 3];
                for (int k = 0; k < 3; ++k)
                    difference += std::abs(shown.row(shown.height - 1 - y)[x * 3 + k] - theirs[k]);
            }
        EXPECT_LT(difference / double(W * H * 3), 3);
    }
}

}  // namespace
}  // namespace plexo::video
