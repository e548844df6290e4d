#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "image/layout_name_words.h"
#include "image/stereo_layout.h"
#include "image/unsqueeze.h"

namespace plexo {
namespace {

// The name's words as the video and still-picture factories read them, given
// as --source-layout words (so every layout found has one); nullptr where the
// name states none.
TEST(LayoutOfFileName, WordsOrderAndHalf)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/films/holiday_SBS.mp4", "sbs"}, {"a/clip.tb.mkv", "tb"},         {"clip-OU", "tb"},
        {"clip hsbs.mov", "hsbs"},         {"clip_half-ou_rl.mkv", "htb-rl"}, {"clip_HALF_SBS.mp4", "hsbs"},
        {"clip_rl_sbs.mp4", "sbs-rl"},     {"clip_tb_rl.mp4", "tb-rl"},      {"clip_hou_lr.mp4", "htb"},
        {"DSC_0001_rl.jpg", "sbs-rl"},     {"lr.jpg", "sbs"},                {"half_hsbs.jpg", "hsbs"},
        {"Film.2010.H-TAB.mkv", "htb"},    {"film.TAB.rl.mkv", "tb-rl"},     {"film_Full-SBS.mkv", "sbs"},
        {"film.FOU.mkv", "tb"},
        {"sbs_rl_tb.jpg", "sbs-rl"},  // the first layout word wins
        {"half_rl.jpg", "sbs-rl"},    // "half" alone says nothing
        {"sbs/clip.mp4", nullptr},    // nor do folders, the extension or parts of words
        {"clip.sbs", nullptr},             {"subsbs_clip.mp4", nullptr},     {"clip__.mp4", nullptr},
        {"", nullptr},
    };
    for (const auto& [path, word] : cases) {
        const auto layout = LayoutOfFileName(path);
        ASSERT_EQ(layout.has_value(), word != nullptr) << path;
        if (layout) {
            EXPECT_EQ(LayoutWord(*layout), word) << path;
            EXPECT_EQ(LayoutNamed(word), layout) << path;
        }
    }
    EXPECT_FALSE(LayoutNamed("ou"));
}

// Metadata that says only side by side or top-bottom: the sample aspect
// where not square, then the name's stated size, then the frame's shape.
TEST(HalfEyes, SampleAspectThenNameThenShape)
{
    constexpr auto sbs = LayoutKind::SideBySide, tb = LayoutKind::TopBottom;
    const std::tuple<LayoutKind, double, const char*, int, int, bool> cases[] = {
        {sbs, 0, "film.mkv", 1920, 1080, true},          {sbs, 1, "film.mkv", 3840, 1080, false},
        {sbs, 0, "film.mkv", 2699, 1080, true},          {sbs, 0, "film.mkv", 2700, 1080, false},
        {tb, 0, "film.mkv", 1920, 1080, true},           {tb, 0, "film.mkv", 1920, 2160, false},
        {tb, 0, "film.mkv", 1296, 1080, false},          {tb, 0, "film.mkv", 1297, 1080, true},
        {sbs, 0, "film.HSBS.mkv", 3840, 1080, true},     {sbs, 0, "film.Full-SBS.mkv", 1920, 1080, false},
        {tb, 0, "film.H-TAB.mkv", 1920, 2160, true},     {sbs, 0, "film.SBS.mkv", 1920, 1080, true},
        {sbs, 2, "film.FSBS.mkv", 1920, 1080, true},     {sbs, 4.0 / 3, "film.HSBS.mkv", 1920, 1080, false},
        {tb, 0.5, "film.mkv", 1920, 2160, true},         {tb, 2, "film.htb.mkv", 1920, 1080, false},
        {LayoutKind::Mono, 2, "film.hsbs.mkv", 1920, 1080, false},
    };
    for (const auto& [kind, aspect, path, width, height, half] : cases)
        EXPECT_EQ(HalfEyes(kind, aspect, path, width, height), half) << path << " " << width << "x" << height;
}

// Each sample becomes two, three parts of it to one of its neighbour on that
// side, the edge samples their own neighbours; a view's stride is followed.
TEST(Unsqueezed, DoublesTheSqueezedSide)
{
    const uint8_t colour[] = {0, 100, 200, 40, 20, 0};
    const PictureBuffer wide = Unsqueezed(Picture{colour, 2, 1, 3}, LayoutKind::SideBySide);
    ASSERT_EQ(std::tuple(wide.width, wide.height), std::tuple(4, 1));
    EXPECT_EQ(std::vector<uint8_t>(wide.bytes.get(), wide.bytes.get() + 12),
              (std::vector<uint8_t>{0, 100, 200, 10, 80, 150, 30, 40, 50, 40, 20, 0}));
    // Colour takes a path of its own: each channel as the grey path makes it.
    for (int width = 1; width < 10; ++width) {
        std::vector<uint8_t> row(size_t(width) * 3);
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = uint8_t(i * 97 % 251);
        const PictureBuffer doubled = Unsqueezed(Picture{row.data(), width, 1, 3}, LayoutKind::SideBySide);
        for (int c = 0; c < 3; ++c) {
            std::vector<uint8_t> channel(static_cast<size_t>(width));
            for (int x = 0; x < width; ++x)
                channel[size_t(x)] = row[size_t(3 * x + c)];
            const PictureBuffer grey = Unsqueezed(Picture{channel.data(), width, 1, 1}, LayoutKind::SideBySide);
            for (int x = 0; x < 2 * width; ++x)
                ASSERT_EQ(doubled.bytes[size_t(3 * x + c)], grey.bytes[size_t(x)]) << width << " " << x;
        }
    }
    const uint8_t column[] = {0, 9, 40, 9, 200, 9};
    const PictureBuffer tall = Unsqueezed(Picture{column, 1, 3, 1, 2}, LayoutKind::TopBottom);
    ASSERT_EQ(std::tuple(tall.width, tall.height), std::tuple(1, 6));
    EXPECT_EQ(std::vector<uint8_t>(tall.bytes.get(), tall.bytes.get() + 6),
              (std::vector<uint8_t>{0, 10, 30, 80, 160, 200}));
}

// Each eye is a view into the whole picture at its stride; of an odd width or
// height the middle column or row belongs to neither.
TEST(SplitEyes, EyesAreTheStoredHalves)
{
    std::vector<uint8_t> bytes(7 * 5 * 3);
    const Picture whole{bytes.data(), 7, 5, 3};
    // The first and second eye's bottom-left corner, and the eyes' size.
    const std::tuple<const char*, int, int, int, int, int, int> cases[] = {
        {"sbs", 0, 0, 4, 0, 3, 5}, {"hsbs-rl", 4, 0, 0, 0, 3, 5}, {"tb", 0, 3, 0, 0, 7, 2},
        {"htb-rl", 0, 0, 0, 3, 7, 2}, {"mono", 0, 0, 0, 0, 7, 5},
    };
    for (const auto& [word, x1, y1, x2, y2, w, h] : cases) {
        const EyeViews eyes = SplitEyes(whole, *LayoutNamed(word));
        EXPECT_EQ(eyes.first.data, whole.row(y1) + x1 * 3) << word;
        EXPECT_EQ(eyes.second.data, whole.row(y2) + x2 * 3) << word;
        for (const Picture& eye : {eyes.first, eyes.second})
            EXPECT_EQ(std::tuple(eye.width, eye.height, eye.rowStride), std::tuple(w, h, whole.rowStride)) << word;
    }
    EXPECT_FALSE(SplitEyes(whole.subview(0, 0, 1, 1), *LayoutNamed("sbs")).first);
}

}  // namespace
}  // namespace plexo
