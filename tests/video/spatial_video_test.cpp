#include <gtest/gtest.h>

#include <algorithm>

#include "platform/log.h"
#include "support/temp_dir.h"
#include "video/spatial_video.h"
#include "video/video_film.h"
#include "video/video_fixtures.h"

namespace plexo::video {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes U32(uint32_t v) { return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}; }

// A box of the type around the parts; a full box has its version and flags
// (0) first.
Bytes Box(const char* type, std::initializer_list<Bytes> parts, bool full = false)
{
    Bytes box = U32(0);
    box.insert(box.end(), type, type + 4);
    if (full)
        box.insert(box.end(), 4, 0);
    for (const Bytes& part : parts)
        box.insert(box.end(), part.begin(), part.end());
    const Bytes size = U32(uint32_t(box.size()));
    std::copy(size.begin(), size.end(), box.begin());
    return box;
}

// An ordinary one-layer HEVC QuickTime file whose sample entry is given, by
// hand, Apple's boxes of a spatial video: both eyes, the left the hero, a
// 63.5 mm baseline, a 2% disparity adjustment, rectilinear, 65 degrees wide.
// FFmpeg puts the movie box after the media, so nothing it locates moves.
TEST(SpatialVideo, OpensAsItsBaseLayerAndSaysWhy)
{
    test::TempDir dir;
    ASSERT_TRUE(test::MakeVideo(dir, "plain.mov", "-c:v libx265 -x265-params log-level=none -tag:v hvc1"));
    Bytes mov = test::ReadBytes(dir.file("plain.mov"));
    Bytes added = Box("vexu", {Box("eyes", {Box("stri", {{3}}, true), Box("hero", {{1}}, true),
                                            Box("cams", {Box("blin", {U32(63500)}, true)}),
                                            Box("cmfy", {Box("dadj", {U32(200)}, true)})}),
                               Box("proj", {Box("prji", {{'r', 'e', 'c', 't'}}, true)})});
    const Bytes hfov = Box("hfov", {U32(65000)});
    added.insert(added.end(), hfov.begin(), hfov.end());
    const auto at = [&](const char* type) {
        return size_t(std::search(mov.begin(), mov.end(), type, type + 4) - mov.begin()) - 4;
    };
    const size_t entry = at("hvc1");
    const size_t end = entry + (uint32_t(mov[entry + 2]) << 8 | mov[entry + 3]);
    for (const char* parent : {"moov", "trak", "mdia", "minf", "stbl", "stsd", "hvc1"}) {
        const size_t box = at(parent);
        const uint32_t size = uint32_t(mov[box] << 24 | mov[box + 1] << 16 | mov[box + 2] << 8 | mov[box + 3]);
        const Bytes grown = U32(size + uint32_t(added.size()));
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
