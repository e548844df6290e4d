#include <gtest/gtest.h>

#include <algorithm>

#include <tuple>
#include <vector>

#include "image/copy_past_caches.h"
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
        {"Film.H-TAB.rl.mkv", "htb-rl"},   {"film_Full-SBS.mkv", "sbs"},     {"film.FOU.mkv", "tb"},
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

// Each sample becomes two, three parts of it to one of its neighbour on that
// side, the edges their own neighbours; colour goes its own way, so by channel.
TEST(Unsqueezed, DoublesTheSqueezedSide)
{
    const uint8_t grey[] = {0, 40, 200}, colour[] = {0, 40, 200, 40, 200, 0, 200, 0, 40};
    const auto bytes = [](const PictureBuffer& b) { return std::vector(b.bytes.get(), b.bytes.get() + b.byteCount()); };
    EXPECT_EQ(bytes(Unsqueezed({grey, 1, 3, 1}, LayoutKind::TopBottom)),
              (std::vector<uint8_t>{0, 10, 30, 80, 160, 200}));
    EXPECT_EQ(bytes(Unsqueezed({colour, 3, 1, 3}, LayoutKind::SideBySide)),
              (std::vector<uint8_t>{0, 40, 200, 10, 80, 150, 30, 160, 50, 80, 150, 10, 160, 50, 30, 200, 0, 40}));
    // A colour row at every width around the vector step, by the rule above.
    for (int width = 1; width <= 40; ++width) {
        std::vector<uint8_t> row(size_t(width) * 3), expected(row.size() * 2);
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = uint8_t(i * 89 + 17);
        for (size_t i = 0; i < expected.size(); ++i) {
            const size_t x = i / 6, c = i % 3, other = i / 3 % 2 ? std::min<size_t>(x + 1, width - 1) : x - (x > 0);
            expected[i] = uint8_t((3 * row[3 * x + c] + row[3 * other + c] + 2) >> 2);
        }
        EXPECT_EQ(bytes(Unsqueezed({row.data(), width, 1, 3}, LayoutKind::SideBySide)), expected) << width;
    }
}

// The copy past the caches from a top-down source with padded rows, its
// middle rows through the caches: rows of every width around the vector step
// start at every alignment.
TEST(CopyPastCaches, CopiesEveryRowWhateverItsAlignment)
{
    for (int width = 1; width <= 40; ++width) {
        std::vector<uint8_t> source(size_t(width * 3 + 5) * 4), to(source.size(), 0xAB), expected;
        for (size_t i = 0; i < source.size(); ++i)
            source[i] = uint8_t(i * 31 + 7);
        const Picture from = Picture::TopDown(source.data(), width, 4, 3, width * 3 + 5);
        for (int r = 0; r < 4; ++r)
            expected.insert(expected.end(), from.row(r), from.row(r) + from.rowBytes());
        expected.resize(to.size(), 0xAB);
        CopyPastCaches(from, to.data(), 1, 3);
        EXPECT_EQ(to, expected) << width;
    }
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
