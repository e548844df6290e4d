#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <random>

#include "film/factories.h"
#include "film/grey_pixels.h"
#include "image/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::FlmLayout;

std::vector<uint8_t> Bytes(const Picture& p)
{
    return p ? std::vector<uint8_t>(p.data, p.data + p.byteCount()) : std::vector<uint8_t>{};
}

// What frame `i` of `s` should give: packed streams as the decoder gives them,
// raw frames as stored, grey from colour as (b + g + r + 1) / 3 and colour
// from grey as the grey byte three times.
std::vector<uint8_t> Expected(const FlmLayout& s, size_t i, Tone tone)
{
    const std::vector<uint8_t>& f = s.frames[i];
    if (s.packed)
        return Bytes((tone == Tone::Grey ? DecodeJpegGrey(f.data(), f.size()) : DecodeJpegColour(f.data(), f.size()))
                         .view());
    if (s.colour == (tone == Tone::Colour))
        return f;
    std::vector<uint8_t> out;
    for (size_t at = 0; at < f.size(); at += s.colour ? 3 : 1)
        if (s.colour)
            out.push_back(uint8_t((f[at] + f[at + 1] + f[at + 2] + 1) / 3));
        else
            out.insert(out.end(), 3, f[at]);
    return out;
}

// Colour or grey, numbered or not, and 0: no extension, 1: extension with raw
// frames, 2: packed frames.
class FlmLayouts : public testing::TestWithParam<std::tuple<bool, bool, int>> {};
TEST_P(FlmLayouts, GiveEveryFrameWithItsNumberInBothKinds)
{
    const auto [colour, numbered, form] = GetParam();
    FlmLayout s{.colour = colour, .numbered = numbered, .extension = form > 0, .packed = uint32_t(form == 2),
              .width = 24, .height = 16, .numbers = {65535, 7, 0}};
    const int bpp = colour ? 3 : 1;
    for (int i = 0; i < 3; ++i) {
        // Packed frames keep their own size, whatever the header says.
        const int width = s.packed ? 24 - 8 * i : 24;
        const auto pixels = test::PatternPixels(width, 16, bpp, i, s.packed);
        s.frames.push_back(s.packed ? EncodeJpeg(pixels.data(), bpp, width, 16, 90) : pixels);
    }
    test::TempDir dir;
    test::WriteBytes(dir.file("film.flm"), test::MakeFlmBytes(s));
    auto film = OpenFlmFilm(dir.file("film.flm"));
    ASSERT_TRUE(film);
    EXPECT_EQ(film->FrameCount(), 3);
    for (size_t i = 0; i < 3; ++i, film->Next()) {
        EXPECT_EQ(film->FrameNumber(), numbered ? s.numbers[i] : int(i));
        for (const Tone tone : {Tone::Grey, Tone::Colour})
            EXPECT_EQ(Bytes(FilmPicture(*film, Eye::Current, tone)), Expected(s, i, tone)) << i;
    }
}
INSTANTIATE_TEST_SUITE_P(Flm, FlmLayouts, testing::Combine(testing::Bool(), testing::Bool(), testing::Values(0, 1, 2)));

// A one-frame header, refused or giving its frames.
struct HeaderCase {
    const char* name;
    test::FlmLayout layout;
    int frames;  // 0: refused
};
class FlmHeaderLimits : public testing::TestWithParam<HeaderCase> {};
TEST_P(FlmHeaderLimits, AcceptOrRefuse)
{
    FlmLayout s = GetParam().layout;
    s.frames = {std::vector<uint8_t>(size_t(std::max(s.width, 1)) * size_t(std::max(s.height, 1)), 9)};
    test::TempDir dir;
    test::WriteBytes(dir.file("film.flm"), test::MakeFlmBytes(s));
    auto film = OpenFlmFilm(dir.file("film.flm"));
    ASSERT_EQ(film ? film->FrameCount() : 0, GetParam().frames);
    if (film) {
        EXPECT_EQ(Bytes(FilmPicture(*film, Eye::Current, Tone::Grey)), s.frames[0]);
    }
}
INSTANTIATE_TEST_SUITE_P(FlmFilm, FlmHeaderLimits,
                         testing::Values(HeaderCase{"Flags8", {.extraFlags = 8}, 0},
                                         HeaderCase{"CountZero", {.frameCount = 0}, 0},
                                         HeaderCase{"WidthZero", {.width = 0}, 0},
                                         HeaderCase{"Width5001", {.width = 5001}, 0},
                                         HeaderCase{"HeightZero", {.height = 0}, 0},
                                         HeaderCase{"Height5001", {.height = 5001}, 0},
                                         HeaderCase{"ExtensionLength3", {.extension = true, .extensionLength = 3}, 0},
                                         HeaderCase{"Width5000", {.width = 5000}, 1},
                                         HeaderCase{"Height5000", {.height = 5000}, 1},
                                         // No more frames than records that begin in the file.
                                         HeaderCase{"ForgedCount", {.frameCount = 0x7FFFFFFF}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// 90 grey frames of 5000 x 5000: the last starts beyond 2 GiB. The file is
// sparse, so only the header and one marked byte take room on the disk.
TEST(FlmFilm, FramesBeyondTwoGibibytesAreRead)
{
    test::TempDir dir;
    const std::string path = dir.file("big.flm");
    const auto header = test::MakeFlmBytes({.width = 5000, .height = 5000, .frameCount = 90});
    const int64_t frameBytes = int64_t(5000) * 5000;
    const uint8_t mark = 0xAB;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const bool written = ::write(fd, header.data(), header.size()) == ssize_t(header.size()) &&
                         ::ftruncate(fd, off_t(16 + 90 * frameBytes)) == 0 &&
                         ::pwrite(fd, &mark, 1, off_t(16 + 89 * frameBytes + 5)) == 1;
    ::close(fd);
    if (!written)
        GTEST_SKIP() << "no room for a sparse 2.2 GB file";
    auto film = OpenFlmFilm(path);
    ASSERT_TRUE(film);
    ASSERT_EQ(film->FrameCount(), 90);
    film->SetRound(true);
    ASSERT_TRUE(film->Prev());  // round from the first frame to the last
    int32_t w = 0, h = 0;
    const uint8_t* p = film->GreyPicture(w, h);
    ASSERT_TRUE(p);
    EXPECT_EQ(p[5], mark);
    EXPECT_EQ(p[4], 0);
}

// The vectorised grey against the pixel-at-a-time one on noise and on the
// extremes of the sum (all 0, all 255), for every count around the vector
// width, from an odd address so that no load is aligned.
TEST(GreyPixels, VectorisedGreyMatchesTheReferenceToTheByte)
{
    std::mt19937 random(5);
    for (const int fill : {-1, 0, 255})
        for (size_t pixels = 0; pixels <= 100; ++pixels) {
            std::vector<uint8_t> colour(pixels * 3 + 1);
            if (fill < 0)
                std::generate(colour.begin(), colour.end(), std::ref(random));
            else
                std::fill(colour.begin(), colour.end(), uint8_t(fill));
            std::vector<uint8_t> fast(pixels + 1, 7), reference(pixels + 1, 7);
            ColourToGrey(colour.data() + 1, fast.data(), pixels);
            ColourToGreyReference(colour.data() + 1, reference.data(), pixels);
            ASSERT_EQ(fast, reference) << pixels << " pixels, fill " << fill;
        }
}

}  // namespace
}  // namespace plexo
