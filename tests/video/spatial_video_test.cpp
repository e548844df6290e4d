#include <gtest/gtest.h>

#include <algorithm>

#include "platform/log.h"
#include "support/temp_dir.h"
#include "video/spatial_video.h"
#include "video/video_film.h"
#include "video/video_fixtures.h"

namespace plexo::video {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (24 - 8 * i)));
}

// A box of the type around the body; a full box has its version and flags
// (0) first.
std::vector<uint8_t> Box(const char* type, std::vector<uint8_t> body, bool full = false)
{
    std::vector<uint8_t> box;
    Put32(box, uint32_t(body.size() + (full ? 12 : 8)));
    box.insert(box.end(), type, type + 4);
    if (full)
        Put32(box, 0);
    box.insert(box.end(), body.begin(), body.end());
    return box;
}

std::vector<uint8_t> U32(uint32_t v)
{
    std::vector<uint8_t> out;
    Put32(out, v);
    return out;
}

std::vector<uint8_t> Joined(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// An ordinary one-layer HEVC QuickTime file whose sample entry is given, by
// hand, Apple's boxes of a spatial video: both eyes, the left the hero, a
// 63.5 mm baseline, a 2% disparity adjustment, rectilinear, 65 degrees wide.
// FFmpeg puts the movie box after the media, so nothing it locates moves.
TEST(SpatialVideo, OpensAsItsBaseLayerAndSaysWhy)
{
    test::TempDir dir;
    ASSERT_TRUE(test::MakeVideo(dir, "plain.mov", "-c:v libx265 -x265-params log-level=none -tag:v hvc1"));
    std::vector<uint8_t> mov = test::ReadBytes(dir.file("plain.mov"));
    const std::vector<uint8_t> added = Joined(
        {Box("vexu", Joined({Box("eyes", Joined({Box("stri", {3}, true), Box("hero", {1}, true),
                                                 Box("cams", Box("blin", U32(63500), true)),
                                                 Box("cmfy", Box("dadj", U32(200), true))})),
                             Box("proj", Box("prji", {'r', 'e', 'c', 't'}, true))})),
         Box("hfov", U32(65000))});
    const auto at = [&](const char* type) {
        return size_t(std::search(mov.begin(), mov.end(), type, type + 4) - mov.begin()) - 4;
    };
    const size_t entry = at("hvc1");
    const size_t end = entry + (uint32_t(mov[entry + 2]) << 8 | mov[entry + 3]);
    for (const char* parent : {"moov", "trak", "mdia", "minf", "stbl", "stsd", "hvc1"}) {
        const size_t box = at(parent);
        const uint32_t size = uint32_t(mov[box] << 24 | mov[box + 1] << 16 | mov[box + 2] << 8 | mov[box + 3]);
        const std::vector<uint8_t> grown = U32(size + uint32_t(added.size()));
        std::copy(grown.begin(), grown.end(), mov.begin() + ptrdiff_t(box));
    }
    mov.insert(mov.begin() + ptrdiff_t(end), added.begin(), added.end());
    test::WriteBytes(dir.file("spatial.mov"), mov);

    std::vector<std::string> lines;
    const auto sink = platform::SetLogSink([&](const std::string& line, platform::LogLine) { lines.push_back(line); });
    const FilmPtr film = OpenVideoFilm(dir.file("spatial.mov"), {});
    const FilmPtr plain = OpenVideoFilm(dir.file("plain.mov"), {});
    platform::SetLogSink(sink);
    ASSERT_TRUE(film && plain);
    EXPECT_EQ(lines, std::vector<std::string>{dir.file("spatial.mov") + ": " + kSecondLayerLine});
    EXPECT_EQ(film->Eyes(), 1);
    EXPECT_TRUE(FilmPicture(*film, Eye::Current, Tone::Colour));
    EXPECT_EQ(SpatialLines(film->Facts().spatial),
              (std::vector<std::string>{"spatial eyes: left and right", "hero eye: left", "baseline: 63.5 mm",
                                        "projection: rectilinear", "field of view: 65 degrees",
                                        "disparity adjustment: 200 (2% of the eye's width)",
                                        std::string("note: ") + kSecondLayerLine}));
    EXPECT_TRUE(plain->Facts().spatial.empty());
}

}  // namespace
}  // namespace plexo::video
