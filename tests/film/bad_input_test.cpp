#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "film/factories.h"
#include "film/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__)
#define PLEXO_WATCH_ALLOCATIONS 1
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
#endif

namespace plexo {
namespace {

using test::TempDir;

// ---- the largest single allocation made while a watch is on ----

#ifdef PLEXO_WATCH_ALLOCATIONS
std::atomic<bool> watching{false};
std::atomic<size_t> largest{0};
void OnMalloc(const volatile void*, size_t size)
{
    if (watching && size > largest)
        largest = size;
}
void OnFree(const volatile void*) {}
#endif

class AllocationWatch {
public:
    static bool Available()
    {
#ifdef PLEXO_WATCH_ALLOCATIONS
        static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
        return installed;
#else
        return false;
#endif
    }
    AllocationWatch()
    {
#ifdef PLEXO_WATCH_ALLOCATIONS
        largest = 0;
        watching = true;
#endif
    }
    ~AllocationWatch() { Stop(); }
    size_t Stop()
    {
#ifdef PLEXO_WATCH_ALLOCATIONS
        watching = false;
        return largest;
#else
        return 0;
#endif
    }
};

// Asks every frame of the film for both kinds; returns how many pictures came
// back, and checks that each has a size any reader accepts.
int RequestAll(Film& film)
{
    film.SetShift(0);
    int pictures = 0;
    do {
        for (Tone tone : {Tone::Grey, Tone::Colour}) {
            int32_t w = -1, h = -1;
            const uint8_t* p = tone == Tone::Grey ? film.GreyPicture(w, h) : film.ColourPicture(w, h);
            if (p) {
                EXPECT_TRUE(w >= 1 && h >= 1 && w <= kMaxPictureSide && h <= kMaxPictureSide) << w << "x" << h;
                // Touch the first and last byte so that the sanitizer sees a
                // picture smaller than its size.
                volatile uint8_t edge = p[0];
                edge = p[size_t(w) * size_t(h) * (tone == Tone::Grey ? 1 : 3) - 1];
                (void)edge;
                ++pictures;
            }
        }
    } while (film.Next());
    return pictures;
}

// ---- files to cut and damage ----

struct Sample {
    const char* name;
    const char* file;  // a sequence member or an .flm name
    std::vector<uint8_t> bytes;
    // Whole pictures the intact file gives (frames x 2 kinds).
    int pictures;
};

std::vector<uint8_t> JpegBytes(int channels)
{
    const auto pixels = test::PatternPixels(16, 12, channels, 3, true);
    return EncodeJpeg(pixels.data(), channels, 16, 12, 90);
}

std::vector<Sample> Samples()
{
    using test::BmpSpec, test::FlmSpec, test::MakeBmpBytes, test::MakeFlmBytes, test::PatternPixels;
    const BmpSpec bmp8{.width = 5, .height = 3, .bitCount = 8,
                       .palette = {0x000000, 0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0xFFFFFF},
                       .clrUsed = 7, .pixels = PatternPixels(5, 3, 1)};
    const BmpSpec bmp24{.width = 3, .height = 2, .topDown = true, .pixels = PatternPixels(3, 2, 3)};
    const BmpSpec core{.width = 2, .height = 2, .bitCount = 8, .headerSize = 12,
                       .palette = std::vector<uint32_t>(256, 0x445566), .pixels = {0, 1, 2, 3}};
    const FlmSpec raw{.colour = true, .numbered = true, .width = 3, .height = 2,
                      .frames = {PatternPixels(3, 2, 3, 1), PatternPixels(3, 2, 3, 2)}};
    const FlmSpec packed{.colour = true, .numbered = true, .extension = true, .packed = 1, .width = 16, .height = 12,
                         .frames = {JpegBytes(3), JpegBytes(3)}};
    FlmSpec packedGrey = packed;
    packedGrey.colour = false;
    packedGrey.frames = {JpegBytes(1)};
    return {
        {"Bmp8", "cut0001.bmp", MakeBmpBytes(bmp8), 2},
        {"Bmp24TopDown", "cut0001.bmp", MakeBmpBytes(bmp24), 2},
        {"BmpCore", "cut0001.bmp", MakeBmpBytes(core), 2},
        {"FlmRaw", "cut.flm", MakeFlmBytes(raw), 4},
        {"FlmPacked", "cut.flm", MakeFlmBytes(packed), 4},
        {"FlmPackedGrey", "cut.flm", MakeFlmBytes(packedGrey), 2},
        {"Jpeg", "cut0001.jpg", JpegBytes(3), 2},
    };
}

FilmPtr OpenSample(const TempDir& dir, const Sample& s, const std::vector<uint8_t>& bytes)
{
    test::WriteBytes(dir.file(s.file), bytes);
    const std::string path = dir.file(s.file);
    if (path.ends_with(".bmp"))
        return OpenBmpFilm(path);
    if (path.ends_with(".jpg"))
        return OpenJpgFilm(path);
    return OpenFlmFilm(path);
}

class DamagedFiles : public testing::TestWithParam<Sample> {};

TEST_P(DamagedFiles, EveryCutGivesNoPictureForWhatIsMissing)
{
    const Sample& s = GetParam();
    TempDir dir;
    for (size_t size = 0; size <= s.bytes.size(); ++size) {
        SCOPED_TRACE("cut to " + std::to_string(size) + " of " + std::to_string(s.bytes.size()));
        test::MessageCapture capture;
        FilmPtr film = OpenSample(dir, s, std::vector<uint8_t>(s.bytes.begin(), s.bytes.begin() + ptrdiff_t(size)));
        if (!film)
            continue;
        const int pictures = RequestAll(*film);
        if (size == s.bytes.size()) {
            EXPECT_EQ(pictures, s.pictures);
        } else if (std::string(s.name) != "Jpeg" && std::string(s.name).find("FlmPacked") == std::string::npos) {
            // Bitmaps and raw records need every byte; packed and JPEG
            // streams cut inside their scan still decode, as other readers
            // show them.
            EXPECT_LT(pictures, s.pictures);
        }
        if (s.file == std::string("cut0001.bmp") && size < s.bytes.size()) {
            EXPECT_EQ(capture.messages.size(), 2u);
        }
    }
}

TEST_P(DamagedFiles, RandomByteFlipsNeverReadOutsideABuffer)
{
    const Sample& s = GetParam();
    TempDir dir;
    std::mt19937 random(20240611u + unsigned(s.bytes.size()));
    for (int round = 0; round < 150; ++round) {
        std::vector<uint8_t> bytes = s.bytes;
        const int flips = 1 + int(random() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] ^= uint8_t(1 + random() % 255);
        test::MessageCapture capture;
        FilmPtr film = OpenSample(dir, s, bytes);
        if (film) {
            const int pictures = RequestAll(*film);
            // A bitmap that gives no picture says why, once a request.
            if (s.file == std::string("cut0001.bmp")) {
                EXPECT_LE(capture.messages.size(), size_t(2 - pictures));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BadInput, DamagedFiles, testing::ValuesIn(Samples()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- forged sizes: refused before anything of their size is allocated ----

struct Bomb {
    const char* name;
    const char* file;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> ForgedJpeg(int side)
{
    auto stream = JpegBytes(1);
    for (size_t i = 0; i + 8 < stream.size(); ++i)
        if (stream[i] == 0xFF && stream[i + 1] == 0xC0) {
            stream[i + 5] = stream[i + 7] = uint8_t(side >> 8);
            stream[i + 6] = stream[i + 8] = uint8_t(side);
        }
    return stream;
}

std::vector<Bomb> Bombs()
{
    using test::BmpSpec, test::FlmSpec, test::MakeBmpBytes, test::MakeFlmBytes;
    const FlmSpec raw{.colour = true, .width = 5000, .height = 5000, .frames = {std::vector<uint8_t>(84, 7)}};
    auto packedBytes = MakeFlmBytes({.extension = true, .packed = 1, .frames = {std::vector<uint8_t>(60, 7)}});
    packedBytes[24] = packedBytes[25] = packedBytes[26] = 0xFF;
    packedBytes[27] = 0x7F;
    auto bmpBytes = MakeBmpBytes(BmpSpec{});
    bmpBytes[18] = bmpBytes[22] = uint8_t(5000 & 0xFF);
    bmpBytes[19] = bmpBytes[23] = uint8_t(5000 >> 8);
    return {
        {"Flm5000x5000ColourOn100Bytes", "bomb.flm", MakeFlmBytes(raw)},
        {"FlmPackedLength2GiBOn88Bytes", "bomb.flm", packedBytes},
        {"FlmPackedStreamClaiming20000Square", "bomb.flm",
         MakeFlmBytes({.extension = true, .packed = 1, .frames = {ForgedJpeg(20000)}})},
        {"Bmp5000x5000On58Bytes", "bomb0001.bmp", bmpBytes},
        {"BmpColourTableOfAGigaEntry", "bomb0001.bmp", MakeBmpBytes({.bitCount = 8, .clrUsed = 0x40000000})},
        {"JpegClaiming20000Square", "bomb0001.jpg", ForgedJpeg(20000)},
    };
}

class ForgedSizes : public testing::TestWithParam<Bomb> {};
TEST_P(ForgedSizes, GiveNoPictureWithoutAllocatingForThem)
{
    if (!AllocationWatch::Available())
        GTEST_SKIP() << "allocation hooks need the sanitizer build";
    const Bomb& b = GetParam();
    TempDir dir;
    const Sample s{b.name, b.file, b.bytes, 0};
    test::MessageCapture capture;
    AllocationWatch watch;
    FilmPtr film = OpenSample(dir, s, b.bytes);
    ASSERT_TRUE(film);
    EXPECT_EQ(RequestAll(*film), 0);
    EXPECT_LT(watch.Stop(), size_t(1) << 20);
}
// The watch itself: an honest 1500 x 1000 frame is allocated at its size.
TEST(BadInput, AllocationWatchSeesAnHonestPicture)
{
    if (!AllocationWatch::Available())
        GTEST_SKIP() << "allocation hooks need the sanitizer build";
    TempDir dir;
    const Sample s{"Honest", "honest.flm",
                   test::MakeFlmBytes({.width = 1500, .height = 1000, .frames = {std::vector<uint8_t>(1500 * 1000, 1)}}),
                   0};
    FilmPtr film = OpenSample(dir, s, s.bytes);
    ASSERT_TRUE(film);
    AllocationWatch watch;
    EXPECT_EQ(RequestAll(*film), 2);
    EXPECT_GE(watch.Stop(), size_t(1500 * 1000));
}

INSTANTIATE_TEST_SUITE_P(BadInput, ForgedSizes, testing::ValuesIn(Bombs()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
