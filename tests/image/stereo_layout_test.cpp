#include <gtest/gtest.h>

#include <vector>

#include "image/layout_name_words.h"
#include "image/stereo_layout.h"

namespace plexo {
namespace {

// The name's words, as the video and still-picture factories read them;
// nullptr where the name states no layout. Words are given as --source-layout
// words, so the table also checks that every layout has one.
struct NameCase {
    const char* path;
    const char* word;
};
TEST(LayoutOfFileName, WordsOrderAndHalf)
{
    const NameCase cases[] = {
        {"/films/holiday_SBS.mp4", "sbs"},
        {"a/clip.tb.mkv", "tb"},
        {"clip-OU", "tb"},
        {"clip hsbs.mov", "hsbs"},
        {"clip_half-ou_rl.mkv", "htb-rl"},
        {"clip_HALF_SBS.mp4", "hsbs"},
        {"clip_rl_sbs.mp4", "sbs-rl"},
        {"clip_tb_rl.mp4", "tb-rl"},
        {"clip_hou_lr.mp4", "htb"},
        {"DSC_0001_rl.jpg", "sbs-rl"},
        {"lr.jpg", "sbs"},
        {"sbs_rl_tb.jpg", "sbs-rl"},  // the first layout word wins
        {"half_rl.jpg", "sbs-rl"},    // "half" alone says nothing
        {"half_hsbs.jpg", "hsbs"},
        {"sbs/clip.mp4", nullptr},  // folders say nothing
        {"clip.sbs", nullptr},      // nor the extension
        {"subsbs_clip.mp4", nullptr},
        {"clip__.mp4", nullptr},
        {"", nullptr},
    };
    for (const NameCase& c : cases) {
        const auto layout = LayoutOfFileName(c.path);
        ASSERT_EQ(layout.has_value(), c.word != nullptr) << c.path;
        if (layout) {
            EXPECT_EQ(LayoutWord(*layout), c.word) << c.path;
            EXPECT_EQ(LayoutNamed(c.word), layout) << c.path;
        }
    }
    EXPECT_FALSE(LayoutNamed("ou"));
    EXPECT_EQ(LayoutText({*LayoutNamed("htb-rl"), LayoutOrigin::Name}), "top-bottom half right-first (name)");
    EXPECT_EQ(LayoutText({*LayoutNamed("sbs"), LayoutOrigin::Metadata}), "side-by-side left-first (metadata)");
    EXPECT_EQ(LayoutText({}), "mono (none)");
}

// Each eye is a view into the whole picture at its stride, taken from the
// half the layout names; an odd middle column or row belongs to neither.
TEST(SplitEyes, EyesAreTheStoredHalves)
{
    constexpr int kW = 7, kH = 5;
    std::vector<uint8_t> bytes(kW * kH * 3);
    const Picture whole{bytes.data(), kW, kH, 3};
    struct Case {
        const char* word;
        int firstX, firstY, secondX, secondY, w, h;
    } cases[] = {
        {"sbs", 0, 0, 4, 0, 3, kH},     {"hsbs-rl", 4, 0, 0, 0, 3, kH}, {"tb", 0, 3, 0, 0, kW, 2},
        {"htb-rl", 0, 0, 0, 3, kW, 2},  {"mono", 0, 0, 0, 0, kW, kH},
    };
    for (const Case& c : cases) {
        const EyeViews eyes = SplitEyes(whole, *LayoutNamed(c.word));
        for (const auto& [eye, x, y] : {std::tuple{eyes.first, c.firstX, c.firstY},
                                         std::tuple{eyes.second, c.secondX, c.secondY}}) {
            EXPECT_EQ(eye.data, whole.row(y) + x * 3) << c.word;
            EXPECT_EQ(eye.width, c.w) << c.word;
            EXPECT_EQ(eye.height, c.h) << c.word;
            EXPECT_EQ(eye.rowStride, whole.rowStride) << c.word;
        }
    }
    EXPECT_FALSE(SplitEyes(whole.subview(0, 0, 1, 1), *LayoutNamed("sbs")).first);
}

}  // namespace
}  // namespace plexo
