#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

#include "image/write_bmp_file.h"
#include "present/anaglyph.h"
#include "present/compositor.h"
#include "support/outside_programs.h"
#include "support/pattern_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using Id = PresentationId;
using Pixel = std::array<int, 3>;  // blue, green, red

// FFmpeg's layout: red, green, blue out of the left eye's red, green, blue
// and the right's, each coefficient to 2.14 rounded half away from zero.
Pixel AnaglyphOf(const AnaglyphMatrix& m, const Pixel& l, const Pixel& r)
{
    const int v[6] = {l[2], l[1], l[0], r[2], r[1], r[0]};
    Pixel out{};
    for (int o = 0; o < 3; ++o) {
        int sum = 8192;
        for (int i = 0; i < 6; ++i)
            sum += (m.coeff[o][i] >= 0 ? (m.coeff[o][i] + 2) / 4 : -((2 - m.coeff[o][i]) / 4)) * v[i];
        out[2 - o] = std::clamp(sum >> 14, 0, 255);
    }
    return out;
}

// One eye as it should land: frame `number` of width × height (0 × 0: none),
// squeezed (1 columns, 2 rows), in the frame block [x0, x1) × [y0, y1), its
// first column and row at the block's centre less half its own size, moved.
struct EyeShown {
    int number, width, height, squeeze;
    int64_t x0, y0, x1, y1, shift, up;

    std::optional<Pixel> at(int64_t x, int64_t r) const
    {
        const int64_t w = squeeze == 1 ? (width + 1) / 2 : width, h = squeeze == 2 ? (height + 1) / 2 : height;
        const int64_t px = x - x0 - ((x1 - x0) / 2 - (w + 1) / 2 + shift), py = r - y0 - ((y1 - y0 - h) / 2 + up);
        if (w == 0 || x < x0 || x >= x1 || r < y0 || r >= y1 || px < 0 || px >= w || py < 0 || py >= h)
            return {};
        // The pair of a squeeze, counted from the left or the top; alone at an odd end.
        const int64_t s = h - 1 - py;
        const int ax = int(squeeze == 1 ? 2 * px : px), ay = int(squeeze == 2 ? height - 1 - 2 * s : py);
        const int bx = squeeze == 1 && ax + 1 < width ? ax + 1 : ax;
        const int by = squeeze == 2 && 2 * s + 1 < height ? ay - 1 : ay;
        Pixel p;
        for (int c = 0; c < 3; ++c)
            p[size_t(c)] = (test::PatternByte(number, ax, ay, c) + test::PatternByte(number, bx, by, c) + 1) / 2;
        return p;
    }
};

struct Setup {
    test::FrameSize current, partner;
    int left, top, width, height;
    StereoAdjustments adjust;
};

std::vector<uint8_t> Expected(Id id, const Setup& s, int paddedWidth)
{
    const int64_t w = s.width, h = s.height;
    const bool across = id == Id::SideBySide || id == Id::SideBySideHalf, down = id == Id::TopBottom || id == Id::TopBottomHalf;
    const int squeeze = id == Id::SideBySideHalf ? 1 : id == Id::TopBottomHalf ? 2 : 0;
    // The existing stereo compositors centre in the padded width.
    const int64_t areaWidth = id == Id::RedBlue || id == Id::Interlaced ? paddedWidth : w;
    const auto [firstSize, secondSize] = s.adjust.swap ? std::pair{s.partner, s.current} : std::pair{s.current, s.partner};
    const int firstNumber = s.adjust.swap ? 1 : 0;
    const int64_t split = across ? w - w / 2 : down ? h / 2 : 0;
    EyeShown first{firstNumber, firstSize.width, firstSize.height, squeeze, 0, down ? split : 0,
                   across ? split : areaWidth, h, s.adjust.dist / 2 - s.adjust.dist, 0};
    EyeShown second{1 - firstNumber, secondSize.width, secondSize.height, squeeze, across ? split : 0, 0,
                    areaWidth, down ? split : h, s.adjust.dist, s.adjust.vertical};
    const bool odd = s.top % 2 != 0;  // which eye the even rows take
    std::vector<uint8_t> want(size_t(paddedWidth * h * 3), 0);
    for (int64_t r = 0; r < h; ++r)
        for (int64_t x = 0; x < areaWidth; ++x) {
            std::optional<Pixel> a = first.at(x, r), b = second.at(x, r), p;
            const int64_t screenX = s.left + x, screenY = s.top + h - 1 - r;
            if (id == Id::RedBlue)
                p = firstSize.width ? Pixel{b ? (*b)[0] : 0, 0, a ? (*a)[0] : 0} : p;
            else if (id == Id::Interlaced) {
                // The placements follow the rows, the vertical alignment the
                // eye; each eye keeps the rows of its unmoved band.
                EyeShown even = odd ? first : second, other = odd ? second : first;
                std::tie(even.shift, other.shift) = std::pair{first.shift, second.shift};
                const auto band = [&](const EyeShown& e) { return std::max<int64_t>(0, (h - e.height) / 2); };
                const auto rowOf = [&](const EyeShown& e, int64_t parity) {
                    return ((r - band(e)) & 1) == parity ? e.at(x, r) : std::nullopt;
                };
                if (even.width)
                    p = rowOf(other, 1) ? rowOf(other, 1) : rowOf(even, 0);
            } else if (id == Id::MonoSecond || !firstSize.width)
                p = id == Id::MonoSecond ? b : p;
            else if (id <= Id::GreyRedCyan) {
                static constexpr const AnaglyphMatrix* kMatrices[] = {&kDuboisRedCyan, &kDuboisGreenMagenta,
                                                                      &kDuboisAmberBlue, &kColourRedCyan,
                                                                      &kHalfColourRedCyan, &kGreyRedCyan};
                p = AnaglyphOf(*kMatrices[int(id) - int(Id::DuboisRedCyan)], a.value_or(Pixel{}), b.value_or(Pixel{}));
            } else if (id == Id::Columns || id == Id::Checkerboard)
                p = ((screenX + (id == Id::Checkerboard ? screenY : 0)) & 1) == 0 ? a : b;
            else
                p = a ? a : id == Id::MonoFirst ? std::nullopt : b;
            for (int c = 0; c < 3 && p; ++c)
                want[size_t((r * paddedWidth + x) * 3 + c)] = uint8_t((*p)[size_t(c)]);
        }
    return want;
}

class Stereo : public testing::TestWithParam<std::tuple<Id, Setup>> {};

// Every stereo presentation against the pixels worked out one by one above,
// at odd sizes, the eyes exchanged, moved apart and up or down, the view at
// odd and even places on the screen, a picture missing.
TEST_P(Stereo, PlacesAndMixesEachEyePixelForPixel)
{
    const auto& [id, s] = GetParam();
    test::PatternFilm film({{0, s.current.width, s.current.height}, {1, s.partner.width, s.partner.height}});
    film.SetShift(1);
    FrameBuffer frame;
    const ViewRect view{s.left, s.top, s.left + s.width, s.top + s.height};
    ASSERT_TRUE(ComposeFrame(&film, s.adjust, view, PresentationOf(id), frame));
    const std::vector<uint8_t> want = Expected(id, s, frame.width());
    for (size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(int(frame.bytes()[i]), int(want[i]))
            << "pixel (" << i / 3 % size_t(frame.width()) << ", " << i / 3 / size_t(frame.width()) << ") byte " << i % 3;
}

INSTANTIATE_TEST_SUITE_P(
    EveryStereoPresentation, Stereo,
    testing::Combine(testing::Values(Id::RedBlue, Id::Interlaced, Id::DuboisRedCyan, Id::DuboisGreenMagenta,
                                     Id::DuboisAmberBlue, Id::ColourRedCyan, Id::HalfColourRedCyan, Id::GreyRedCyan,
                                     Id::SideBySide, Id::TopBottom, Id::SideBySideHalf, Id::TopBottomHalf,
                                     Id::Columns, Id::Checkerboard, Id::MonoFirst, Id::MonoSecond),
                     testing::Values(Setup{{37, 5}, {33, 6}, 0, 0, 41, 7, {}},
                                     Setup{{37, 5}, {37, 5}, 3, 1, 37, 5, {true, 5, 2}},
                                     Setup{{45, 9}, {40, 8}, -2, -3, 30, 6, {false, -7, -3}},
                                     Setup{{19, 3}, {19, 3}, 1, 2, 38, 6, {false, 0, 1}},
                                     Setup{{37, 5}, {}, 1, 2, 40, 5, {true, 3, 1}})));

// The six anaglyphs against FFmpeg's stereo3d filter on the same pair, the
// left eye the first: within one level, FFmpeg truncating where we round.
TEST(Anaglyphs, MatchFfmpegsStereo3dWithinOneLevel)
{
    if (!test::HaveProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg is not installed";
    constexpr int kWidth = 64, kHeight = 16;
    test::PatternFilm film(2, {kWidth, kHeight});
    film.SetShift(1);
    test::TempDir dir;
    for (const auto& [eye, name] : {std::pair{Eye::Current, "l.bmp"}, {Eye::Partner, "r.bmp"}})
        ASSERT_TRUE(WriteBmpFile(dir.file(name), BitmapHeaderFor(FilmPicture(film, eye, Tone::Colour)).data(),
                                 FilmPicture(film, eye, Tone::Colour).data));
    for (const auto& [id, code] : {std::pair{Id::DuboisRedCyan, "arcd"}, {Id::DuboisGreenMagenta, "agmd"},
                                   {Id::DuboisAmberBlue, "aybd"}, {Id::ColourRedCyan, "arcc"},
                                   {Id::HalfColourRedCyan, "arch"}, {Id::GreyRedCyan, "arcg"}}) {
        const std::string theirs = test::CommandOutput(
            "ffmpeg -v error -i '" + dir.file("l.bmp") + "' -i '" + dir.file("r.bmp") +
            "' -filter_complex '[0][1]hstack,format=rgb24,stereo3d=sbsl:" + code + "' -f rawvideo -pix_fmt rgb24 -");
        ASSERT_EQ(theirs.size(), size_t(kWidth * kHeight * 3)) << code;
        FrameBuffer frame;
        ASSERT_TRUE(ComposeFrame(&film, {}, {0, 0, kWidth, kHeight}, PresentationOf(id), frame));
        int worst = 0;  // theirs: top row first, red, green, blue
        for (size_t i = 0; i < theirs.size(); ++i)
            worst = std::max(worst, std::abs(uint8_t(theirs[i]) - frame.view().row(kHeight - 1 - int(i / 3 / kWidth))
                                                                       [i / 3 % kWidth * 3 + 2 - i % 3]));
        EXPECT_LE(worst, 1) << code;
    }
}

}  // namespace
}  // namespace plexo
