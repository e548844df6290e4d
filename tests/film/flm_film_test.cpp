#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "film/factories.h"
#include "film/flm_film.h"
#include "film/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::FlmSpec;
using test::MakeFlmBytes;

std::vector<uint8_t> Bytes(const Picture& p)
{
    return p ? std::vector<uint8_t>(p.data, p.data + p.byteCount()) : std::vector<uint8_t>{};
}
std::vector<uint8_t> Colour(Film& f) { return Bytes(FilmPicture(f, Eye::Current, Tone::Colour)); }
std::vector<uint8_t> Grey(Film& f) { return Bytes(FilmPicture(f, Eye::Current, Tone::Grey)); }

class FlmFile {
public:
    explicit FlmFile(const std::vector<uint8_t>& bytes) { test::WriteBytes(path(), bytes); }
    std::string path() const { return dir_.file("film.flm"); }
    FilmPtr open() const { return OpenFlmFilm(path()); }

private:
    test::TempDir dir_;
};

// ---- raw layouts: every combination of colour, numbers and extension ----

struct RawLayout {
    bool colour, numbered, extension;
};
class FlmRawLayouts : public testing::TestWithParam<RawLayout> {};
TEST_P(FlmRawLayouts, GiveFramesBackByteForByteWithTheirNumbers)
{
    const RawLayout l = GetParam();
    FlmSpec s;
    s.colour = l.colour;
    s.numbered = l.numbered;
    s.extension = l.extension;
    s.width = 3;
    s.height = 2;
    s.numbers = {65535, 7, 0};
    for (int i = 0; i < 3; ++i)
        s.frames.push_back(test::PatternPixels(3, 2, l.colour ? 3 : 1, i));
    FlmFile file(MakeFlmBytes(s));
    auto film = file.open();
    ASSERT_TRUE(film);
    EXPECT_EQ(film->FrameCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(film->FrameNumber(), l.numbered ? s.numbers[size_t(i)] : i);
        EXPECT_EQ(l.colour ? Colour(*film) : Grey(*film), s.frames[size_t(i)]);
        film->Next();
    }
}
INSTANTIATE_TEST_SUITE_P(FlmFilm, FlmRawLayouts,
                         testing::Values(RawLayout{false, false, false}, RawLayout{false, true, false},
                                         RawLayout{false, false, true}, RawLayout{false, true, true},
                                         RawLayout{true, false, false}, RawLayout{true, true, false},
                                         RawLayout{true, false, true}, RawLayout{true, true, true}));

// ---- header limits ----

struct HeaderCase {
    const char* name;
    uint32_t extraFlags;
    int32_t count, width, height;
    uint32_t extensionLength;
    int frames;  // 0: refused
};
class FlmHeaderLimits : public testing::TestWithParam<HeaderCase> {};
TEST_P(FlmHeaderLimits, AcceptOrRefuse)
{
    const HeaderCase c = GetParam();
    FlmSpec s;
    s.extension = true;
    s.extensionLength = c.extensionLength;
    s.extraFlags = c.extraFlags;
    s.frameCount = c.count;
    s.width = c.width;
    s.height = c.height;
    s.frames = {std::vector<uint8_t>(size_t(std::max(c.width, 1)) * size_t(std::max(c.height, 1)), 9)};
    FlmFile file(MakeFlmBytes(s));
    auto film = file.open();
    ASSERT_EQ(film ? film->FrameCount() : 0, c.frames);
    if (film) {
        EXPECT_EQ(Grey(*film).size(), size_t(c.width) * size_t(c.height));
    }
}
INSTANTIATE_TEST_SUITE_P(FlmFilm, FlmHeaderLimits,
                         testing::Values(HeaderCase{"Flags8", 8, 1, 2, 2, 4, 0},
                                         HeaderCase{"CountZero", 0, 0, 2, 2, 4, 0},
                                         HeaderCase{"CountNegative", 0, -1, 2, 2, 4, 0},
                                         HeaderCase{"WidthZero", 0, 1, 0, 2, 4, 0},
                                         HeaderCase{"Width5001", 0, 1, 5001, 1, 4, 0},
                                         HeaderCase{"HeightZero", 0, 1, 2, 0, 4, 0},
                                         HeaderCase{"Height5001", 0, 1, 1, 5001, 4, 0},
                                         HeaderCase{"ExtensionLength3", 0, 1, 2, 2, 3, 0},
                                         HeaderCase{"OneByOne", 0, 1, 1, 1, 4, 1},
                                         HeaderCase{"Width5000", 0, 1, 5000, 1, 4, 1},
                                         HeaderCase{"Height5000", 0, 1, 1, 5000, 4, 1},
                                         // No more frames than records that begin in the file.
                                         HeaderCase{"ForgedCount", 0, 0x7FFFFFFF, 2, 2, 4, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FlmFilm, ShortHeaderOrMissingFileGivesNoFilm)
{
    auto bytes = MakeFlmBytes({.frames = {{1}}});
    bytes.resize(15);
    FlmFile file(bytes);
    EXPECT_FALSE(file.open());
    EXPECT_FALSE(OpenFlmFilm("/nonexistent/film.flm"));
}

// ---- packed frames ----

TEST(FlmFilm, PackedFramesDecodeAsStoredAndFollowOneAnother)
{
    for (const Tone tone : {Tone::Grey, Tone::Colour}) {
        const int bpp = tone == Tone::Colour ? 3 : 1;
        FlmSpec s{.colour = bpp == 3, .numbered = true, .extension = true, .packed = 1, .width = 24, .height = 16};
        s.numbers = {4, 9};
        for (int i = 0; i < 2; ++i) {
            const auto pixels = test::PatternPixels(24 - 8 * i, 16, bpp, i, true);
            s.frames.push_back(EncodeJpeg(pixels.data(), bpp, 24 - 8 * i, 16, 90));
        }
        FlmFile file(MakeFlmBytes(s));
        auto film = file.open();
        ASSERT_TRUE(film);
        for (const auto& stream : s.frames) {
            const PictureBuffer expected = bpp == 3 ? DecodeJpegColour(stream.data(), stream.size())
                                                    : DecodeJpegGrey(stream.data(), stream.size());
            const Picture p = FilmPicture(*film, Eye::Current, tone);
            // The size is the stream's, not the header's.
            EXPECT_EQ(p.width, expected.width);
            EXPECT_EQ(Bytes(p), Bytes(expected.view()));
            EXPECT_EQ(film->FrameNumber(), s.numbers[&stream == &s.frames[0] ? 0 : 1]);
            film->Next();
        }
    }
}

// ---- the cache: rewriting the pixels in place shows when the file is read ----

TEST(FlmFilm, SameKindTwiceReadsOnceOtherKindReadsAgain)
{
    FlmFile colour(MakeFlmBytes({.colour = true, .frames = {{10, 20, 41}}}));
    EXPECT_EQ(Grey(*colour.open()), std::vector<uint8_t>{24});  // (10 + 20 + 41 + 1) / 3

    FlmSpec s;
    s.frames = {{50}};
    FlmFile file(MakeFlmBytes(s));
    auto film = file.open();
    ASSERT_TRUE(film);
    auto poke = [&](uint8_t v) {
        const int fd = ::open(file.path().c_str(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, &v, 1, 16), 1);
        ::close(fd);
    };
    EXPECT_EQ(Grey(*film), std::vector<uint8_t>{50});
    poke(60);
    EXPECT_EQ(Grey(*film), std::vector<uint8_t>{50});
    EXPECT_EQ(Colour(*film), (std::vector<uint8_t>{60, 60, 60}));  // grey repeated
    poke(70);
    EXPECT_EQ(Grey(*film), std::vector<uint8_t>{70});
    film->ReleasePictures();
    poke(80);
    EXPECT_EQ(Grey(*film), std::vector<uint8_t>{80});
}

TEST(FlmFilm, FramesBeyondTwoGibibytesAreRead)
{
    // 5000 x 5000 colour frames, 75 MB each: frame 30 starts at 2.25 GB. The
    // file is sparse, so only the header and one pixel take space.
    test::TempDir dir;
    const std::string path = dir.file("big.flm");
    FlmSpec s;
    s.colour = true;
    s.width = 5000;
    s.height = 5000;
    s.frameCount = 31;
    const auto header = MakeFlmBytes(s);
    const int64_t frameBytes = int64_t(5000) * 5000 * 3;
    const int64_t at = 16 + 30 * frameBytes + 5;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, header.data(), header.size()), ssize_t(header.size()));
    const uint8_t mark = 0xAB;
    const bool written = ::ftruncate(fd, 16 + 31 * frameBytes) == 0 && ::pwrite(fd, &mark, 1, at) == 1;
    ::close(fd);
    if (!written)
        GTEST_SKIP() << "no room for a sparse 2.3 GB file";
    auto film = OpenFlmFilm(path);
    ASSERT_TRUE(film);
    ASSERT_EQ(film->FrameCount(), 31);
    for (int i = 0; i < 30; ++i)
        film->Next();
    int32_t w = 0, h = 0;
    const uint8_t* p = film->ColourPicture(w, h);
    ASSERT_TRUE(p);
    EXPECT_EQ(p[5], 0xAB);
    EXPECT_EQ(p[4], 0);
}

}  // namespace
}  // namespace plexo
