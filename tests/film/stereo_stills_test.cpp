#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "film/factories.h"
#include "image/jpeg_codec.h"
#include "image/mpo_index.h"
#include "image/picture_limit.h"
#include "image/unsqueeze.h"
#include "platform/log.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

PictureBuffer Decoded(const std::vector<uint8_t>& jpeg)
{
    return DecodeJpegColour(jpeg.data(), jpeg.size(), JpegRows::Picture);
}

// The mean difference of two pictures of one size, a byte at a time; 255
// when their sizes differ.
double MeanDifference(const Picture& a, const Picture& b)
{
    if (!a || !b || a.width != b.width || a.height != b.height || a.bytesPerPixel != b.bytesPerPixel)
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height; ++y)
        for (size_t i = 0; i < a.rowBytes(); ++i)
            sum += std::abs(a.row(y)[i] - b.row(y)[i]);
    return sum / double(a.byteCount());
}

// What a case does to the file after it is made: its second entry's offset
// counted from the file's start as some cameras count it, or pointing at the
// first picture; the file cut inside the second picture.
enum class Forge { None, WrongBase, AtFirst, Cut };

struct MpoCase {
    const char* what;
    uint32_t secondType;
    int secondWidth;  // the first picture is 16 wide
    bool damagedSecond, bigEndian;
    int eyes;
    Forge forge = Forge::None;
    const char* log = "";  // after the path
};

// What the index makes of a file's pictures, the eyes decoded as TurboJPEG
// decodes each stream, and one log line when the second eye is damaged or
// missing. Where the index does not match the file, the pictures are found
// by their markers.
TEST(MpoFilm, TheIndexsPairIsTheEyesAndAnythingElseASingleView)
{
    const char* damaged = ": the second picture does not decode; shown as a single view";
    const MpoCase cases[] = {
        {"disparity pair", kMpDisparity, 16, false, true, 2},  {"pair of one size", 0, 16, false, false, 2},
        {"gain map", 0, 8, false, true, 1},                     {"thumbnail", kMpLargeThumbnailVga, 16, false, true, 1},
        {"damaged second", kMpDisparity, 16, true, true, 1, Forge::None, damaged},
        {"wrong base", kMpDisparity, 16, false, true, 2, Forge::WrongBase},
        {"wrong base of one size", 0, 16, false, false, 2, Forge::WrongBase},
        {"cut second", kMpDisparity, 16, false, true, 1, Forge::Cut, damaged},
        {"second at the first", kMpDisparity, 16, false, true, 1, Forge::AtFirst,
         ": its index lists 2 pictures, but the file holds one; shown as a single view"},
    };
    test::TempDir dir;
    const std::string path = dir.file("photo.mpo");
    const std::vector<uint8_t> first = test::PatternJpeg(16, 8, 1);
    for (const MpoCase& c : cases) {
        std::vector<uint8_t> second = test::PatternJpeg(c.secondWidth, 8, 2);
        second.resize(c.damagedSecond ? second.size() / 2 : second.size());
        const uint32_t firstType = c.secondType == kMpDisparity ? kMpDisparity : 0x030000;
        std::vector<uint8_t> file = test::MakeMpoBytes({{first, firstType}, {second, c.secondType}}, c.bigEndian);
        // The second entry's offset field: the TIFF header is 10 bytes in,
        // its entries 26 bytes further, 16 bytes each.
        uint8_t* offset = file.data() + 10 + 26 + 16 + 8;
        for (int carry = c.forge == Forge::WrongBase ? 10 : 0, i = 0; i < 4; ++i, carry >>= 8) {
            uint8_t& byte = offset[c.bigEndian ? 3 - i : i];
            carry += byte;
            byte = uint8_t(carry);
        }
        if (c.forge == Forge::AtFirst) {
            std::fill(offset, offset + 4, 0);
            file.resize(file.size() - second.size());
        }
        if (c.forge == Forge::Cut)
            file.resize(file.size() - second.size() / 2);
        test::WriteBytes(path, file);
        platform::ClearLog();
        FilmPtr film = OpenMpoFilm(path);
        ASSERT_TRUE(film) << c.what;
        EXPECT_EQ(film->Eyes(), c.eyes) << c.what;
        EXPECT_EQ(LayoutText(film->Layout()), c.eyes == 2 ? "mono (metadata)" : "mono (none)") << c.what;
        EXPECT_EQ(MeanDifference(FilmPicture(*film, Eye::Current, Tone::Colour), Decoded(first).view()), 0) << c.what;
        const PictureBuffer partner = Decoded(c.eyes == 2 ? second : first);
        EXPECT_EQ(MeanDifference(FilmPicture(*film, Eye::Partner, Tone::Colour), partner.view()), 0) << c.what;
        EXPECT_EQ(platform::LogText(), *c.log ? "\r\n" + path + c.log : "") << c.what;
    }

}

// A frame whose pictures would pass the decoded picture limit is refused
// before anything is allocated, the reason logged once however often the
// picture is asked for: a JPS by its one picture, an MPO by its two eyes
// together, each of which fits alone.
TEST(StillFilms, PicturesBeyondTheDecodedLimitAreRefusedWithTheReason)
{
    test::TempDir dir;
    test::WriteBytes(dir.file("big.jps"), test::PatternJpeg(32, 8, 4));
    test::WriteBytes(dir.file("big.mpo"), test::MakeMpoBytes({{test::PatternJpeg(16, 8, 1), kMpDisparity},
                                                              {test::PatternJpeg(16, 8, 2), kMpDisparity}}));
    platform::ClearLog();
    SetDecodedPictureLimit(32 * 8 * 3 - 1);
    FilmPtr jps = OpenJpsFilm(dir.file("big.jps"));
    ASSERT_TRUE(jps);
    EXPECT_FALSE(FilmPicture(*jps, Eye::Current, Tone::Colour));
    EXPECT_FALSE(FilmPicture(*jps, Eye::Partner, Tone::Colour));
    EXPECT_FALSE(OpenMpoFilm(dir.file("big.mpo")));
    SetDecodedPictureLimit(QuarterOfMemory());
    const std::string passes = " would take 768 bytes decoded, more than the 767 bytes one frame may take";
    EXPECT_EQ(platform::LogText(), "\r\n" + dir.file("big.jps") + ": its picture of 32x8" + passes + "\r\n" +
                                       dir.file("big.mpo") + ": its pictures of 16x8 and 16x8" + passes);
    EXPECT_TRUE(FilmPicture(*jps, Eye::Current, Tone::Colour));
}

struct StillCase {
    const char* name;
    FilmPtr (*open)(const std::string&, const LayoutChoice&);
    const char* chosen;  // a --source-layout word, or null
    std::optional<std::array<uint8_t, 4>> block;
    const char* layout;
    // Where the first eye lies in the 32 x 8 picture: its bottom-left corner
    // and size; the second eye is the other half.
    int x, y, w, h;
};

// The layout of a JPS from the user, its block, its name or the cross-eyed
// default; of a JPEG sequence from the user or its name. The eyes are the
// stored halves of the decoded picture.
TEST(StillFilms, EyesAreTheHalvesTheLayoutNames)
{
    using Block = std::array<uint8_t, 4>;
    const StillCase cases[] = {
        {"pair.jps", OpenJpsFilm, nullptr, std::nullopt, "side-by-side right-first (none)", 16, 0, 16, 8},
        {"pair.jps", OpenJpsFilm, nullptr, Block{0, 6, 2, 1}, "side-by-side half left-first (metadata)", 0, 0, 16, 8},
        {"pair.jps", OpenJpsFilm, nullptr, Block{0, 0, 0, 0}, "mono (metadata)", 0, 0, 32, 8},
        {"pair.jps", OpenJpsFilm, "tb-rl", std::nullopt, "top-bottom right-first (user)", 0, 0, 32, 4},
        {"pair_ou.jps", OpenJpsFilm, nullptr, std::nullopt, "top-bottom left-first (name)", 0, 4, 32, 4},
        {"walk_sbs_0001.jpg", OpenJpgFilm, nullptr, std::nullopt, "side-by-side left-first (name)", 0, 0, 16, 8},
        {"walk0001.jpg", OpenJpgFilm, "hsbs-rl", std::nullopt, "side-by-side half right-first (user)", 16, 0, 16, 8},
        {"walk0001.jpg", OpenJpgFilm, nullptr, std::nullopt, "mono (none)", 0, 0, 32, 8},
    };
    test::TempDir dir;
    const std::vector<uint8_t> jpeg = test::PatternJpeg(32, 8, 4);
    const PictureBuffer whole = Decoded(jpeg);
    for (const StillCase& c : cases) {
        test::WriteBytes(dir.file(c.name), c.block ? test::WithJpsBlock(jpeg, *c.block) : jpeg);
        const LayoutChoice choice = c.chosen ? LayoutNamed(c.chosen) : LayoutChoice{};
        FilmPtr film = c.open(dir.file(c.name), choice);
        ASSERT_TRUE(film) << c.name;
        EXPECT_EQ(LayoutText(film->Layout()), c.layout) << c.name;
        const StereoLayout l = film->Layout().layout;  // a half layout's eye comes at its whole shape
        const auto expect = [&](Eye eye, const Picture& half) {
            const PictureBuffer full = l.half ? Unsqueezed(half, l.kind) : PictureBuffer{};
            EXPECT_EQ(MeanDifference(FilmPicture(*film, eye, Tone::Colour), l.half ? full.view() : half), 0) << c.name;
        };
        expect(Eye::Current, whole.view().subview(c.x, c.y, c.w, c.h));
        if (film->Eyes() == 2)
            expect(Eye::Partner, whole.view().subview(c.w == 32 ? 0 : 16 - c.x, c.h == 8 ? 0 : 4 - c.y, c.w, c.h));
    }
}

}  // namespace
}  // namespace plexo
