#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <random>

#include "film/factories.h"
#include "film/open_film.h"
#include "image/jpeg_codec.h"
#include "support/fixtures.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
#endif

namespace plexo {
namespace {

using namespace test;

// The largest single allocation and the sum of all made while `watching`;
// only the sanitizer build can see allocations.
std::atomic<bool> watching{false};
std::atomic<size_t> largest{0}, allocated{0};
bool CanWatchAllocations()
{
#if defined(__SANITIZE_ADDRESS__)
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(
        [](const volatile void*, size_t size) {
            if (watching) {
                largest = std::max(largest.load(), size);
                allocated += size;
            }
        },
        [](const volatile void*) {});
    return installed;
#else
    return false;
#endif
}

// Asks every frame of the film for both kinds and counts the pictures given,
// touching each one's last byte (at its stride: an eye is a view into a
// larger picture) so that the sanitizer sees a short one.
int RequestAll(Film& film)
{
    int pictures = 0;
    do {
        for (const Tone tone : {Tone::Grey, Tone::Colour})
            if (const Picture p = FilmPicture(film, Eye::Current, tone)) {
                EXPECT_TRUE(p.width >= 1 && p.height >= 1 && p.width <= kMaxPictureSide && p.height <= kMaxPictureSide);
                volatile uint8_t last = p.row(p.height - 1)[p.rowBytes() - 1];
                (void)last;
                ++pictures;
            }
    } while (film.Next());
    return pictures;
}

// A 16 x 12 stream, colour as 4:2:0; a baseline one's frame header may claim
// `forgedSide` for both sides.
std::vector<uint8_t> JpegBytes(int channels, int forgedSide = 0, int flags = 0)
{
    const auto pixels = PatternPixels(16, 12, channels, 3, true);
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, pixels.data(), 16, 0, 12, channels == 3 ? TJPF_RGB : TJPF_GRAY, &out, &size,
                          channels == 3 ? TJSAMP_420 : TJSAMP_GRAY, 90, flags), 0);
    std::vector<uint8_t> stream(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    for (size_t i = 0; forgedSide && i + 8 < stream.size(); ++i)
        if (stream[i] == 0xFF && stream[i + 1] == 0xC0) {
            stream[i + 5] = stream[i + 7] = uint8_t(forgedSide >> 8);
            stream[i + 6] = stream[i + 8] = uint8_t(forgedSide);
        }
    return stream;
}

struct Sample {
    const char* name;
    const char* file;  // a sequence member or an .flm name
    std::vector<uint8_t> bytes;
    int pictures;    // whole pictures the intact file gives (frames x 2 kinds); -1: too many frames to ask
    int frames = 1;  // 0: no film
    // An MPO cut inside its second eye is still a single view of its first.
    bool cutsMayKeepPictures = false;
};

FilmPtr OpenSample(const TempDir& dir, const Sample& s, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.file(s.file);
    WriteBytes(path, bytes);
    return OpenFilmByExtension(path);
}

std::vector<Sample> Samples()
{
    const BmpLayout bmp8{.width = 5, .height = 3, .bitCount = 8, .palette = {0x102030, 0x405060, 0xFFFFFF},
                       .clrUsed = 3, .pixels = PatternPixels(5, 3, 1)};
    const BmpLayout core{.width = 2, .height = 2, .bitCount = 8, .headerSize = 12,
                       .palette = std::vector<uint32_t>(256, 0x445566), .pixels = {0, 1, 2, 3}};
    const FlmLayout packed{.colour = true, .numbered = true, .extension = true, .packed = 1, .width = 16, .height = 12,
                         .frames = {JpegBytes(3), JpegBytes(1)}};
    return {
        {"Bmp8", "cut0001.bmp", MakeBmpBytes(bmp8), 2},
        {"Bmp24TopDown", "cut0001.bmp", MakeBmpBytes({.width = 3, .height = 2, .topDown = true,
                                                      .pixels = PatternPixels(3, 2, 3)}), 2},
        {"BmpCore", "cut0001.bmp", MakeBmpBytes(core), 2},
        {"FlmRaw", "cut.flm", MakeFlmBytes({.colour = true, .numbered = true, .width = 3, .height = 2,
                                            .frames = {PatternPixels(3, 2, 3, 1), PatternPixels(3, 2, 3, 2)}}), 4},
        {"FlmPacked", "cut.flm", MakeFlmBytes(packed), 4},
        {"Jpeg", "cut0001.jpg", JpegBytes(3), 2},
        {"Jps", "cut.jps", JpegBytes(3), 2},
        {"Mpo", "cut.mpo", MakeMpoBytes({{JpegBytes(3), 0x020002}, {JpegBytes(1), 0x020002}}), 2, 1, true},
    };
}

// Every cut of the file, the file whole, then 150 seeded rounds of 1 to 4
// flipped bytes.
class DamagedFiles : public testing::TestWithParam<Sample> {};
TEST_P(DamagedFiles, CutsAndFlipsNeverReadOutsideABufferAndCutsLoseTheirPictures)
{
    const Sample& s = GetParam();
    const bool bitmap = std::string(s.file).ends_with(".bmp");
    TempDir dir;
    std::mt19937 random(20240611u + unsigned(s.bytes.size()));
    for (size_t round = 0; round <= s.bytes.size() + 150; ++round) {
        std::vector<uint8_t> bytes = s.bytes;
        const bool cut = round < s.bytes.size();
        bytes.resize(std::min(round, bytes.size()));
        for (int flips = round > s.bytes.size() ? 1 + int(random() % 4) : 0; flips > 0; --flips)
            bytes[random() % bytes.size()] ^= uint8_t(1 + random() % 255);
        MessageCapture capture;
        FilmPtr film = OpenSample(dir, s, bytes);
        const int pictures = film ? RequestAll(*film) : 0;
        // Every file needs every byte: a JPEG stream cut short is no
        // picture either, not one padded with grey.
        if (round == s.bytes.size()) {
            EXPECT_EQ(pictures, s.pictures);
        } else if (cut && !s.cutsMayKeepPictures) {
            EXPECT_LT(pictures, s.pictures) << round;
        }
        // A bitmap that gives no picture says why, once for the frame.
        if (bitmap && film) {
            EXPECT_LE(capture.messages.size(), 1u) << round;
            EXPECT_TRUE(!cut || capture.messages.size() == 1) << round;
        }
    }
}
INSTANTIATE_TEST_SUITE_P(BadInput, DamagedFiles, testing::ValuesIn(Samples()),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<uint8_t> Padded(std::vector<uint8_t> bytes, size_t body, uint8_t fill)
{
    bytes.resize(bytes.size() + body, fill);
    return bytes;
}

std::vector<Sample> Forged()
{
    auto packed = MakeFlmBytes({.extension = true, .packed = 1, .frames = {std::vector<uint8_t>(60, 7)}});
    for (size_t i = 24; i < 28; ++i)
        packed[i] = i < 27 ? 0xFF : 0x7F;  // a stream length of 2^31 - 1
    auto bmp = MakeBmpBytes(BmpLayout{});  // 1 x 1 said to be 5000 x 5000
    bmp[18] = bmp[22] = uint8_t(5000 & 0xFF);
    bmp[19] = bmp[23] = uint8_t(5000 >> 8);
    constexpr int32_t kForgedCount = 0x7fffffff;
    return {
        {"Flm5000x5000ColourOn100Bytes", "bomb.flm",
         MakeFlmBytes({.colour = true, .width = 5000, .height = 5000, .frames = {std::vector<uint8_t>(84, 7)}}), 0},
        {"FlmPackedLength2GiBOn88Bytes", "bomb.flm", packed, 0},
        {"FlmPackedStreamClaiming20000Square", "bomb.flm",
         MakeFlmBytes({.extension = true, .packed = 1, .frames = {JpegBytes(1, 20000)}}), 0},
        {"Bmp5000x5000On58Bytes", "bomb0001.bmp", bmp, 0},
        {"BmpColourTableOfAGigaEntry", "bomb0001.bmp", MakeBmpBytes({.bitCount = 8, .clrUsed = 0x40000000}), 0},
        {"JpegClaiming20000Square", "bomb0001.jpg", JpegBytes(1, 20000), 0},
        {"Honest1500x1000", "honest.flm",
         MakeFlmBytes({.width = 1500, .height = 1000, .frames = {std::vector<uint8_t>(1500 * 1000, 1)}}), 2},
        // Millions of records: a frame costs no object of its own.
        {"PackedZeroLengths", "many.flm",
         Padded(MakeFlmBytes({.extension = true, .packed = 1, .width = 4, .height = 4, .frameCount = kForgedCount}),
                10 << 20, 0), -1, 0},
        {"RawGreyPixels", "many.flm", Padded(MakeFlmBytes({.frameCount = kForgedCount}), 3 << 20, 9), -1, 3 << 20},
        {"RawNumberedPixels", "many.flm",
         Padded(MakeFlmBytes({.numbered = true, .frameCount = kForgedCount}), 3 << 20, 5), -1, 1 << 20},
    };
}

// Forged sizes give no picture and allocate nothing near their size, and a
// file of N bytes costs at most 4 N + 64 MB however small its records; the
// honest row shows the watch sees a picture of the size it claims.
class ForgedSizes : public testing::TestWithParam<Sample> {};
TEST_P(ForgedSizes, AllocateOnlyWhatTheFileHolds)
{
    if (!CanWatchAllocations())
        GTEST_SKIP() << "allocation hooks need the sanitizer build";
    const Sample& s = GetParam();
    TempDir dir;
    MessageCapture capture;
    largest = allocated = 0;
    watching = true;
    FilmPtr film = OpenSample(dir, s, s.bytes);
    const int pictures = film && s.pictures >= 0 ? RequestAll(*film) : -1;
    watching = false;
    ASSERT_EQ(film ? film->FrameCount() : 0, s.frames);
    EXPECT_LE(allocated, 4 * s.bytes.size() + (64u << 20));
    if (s.pictures >= 0) {
        EXPECT_EQ(pictures, s.pictures);
        EXPECT_EQ(largest >= size_t(1) << 20, s.pictures > 0) << largest;
    }
}
INSTANTIATE_TEST_SUITE_P(BadInput, ForgedSizes, testing::ValuesIn(Forged()),
                         [](const auto& info) { return std::string(info.param.name); });

// A reader that blocked on the FIFO is freed by opening its other end, so a
// failure ends the test instead of hanging it.
class FifoFilms : public testing::TestWithParam<const char*> {};
TEST_P(FifoFilms, AreRefusedWithoutWaitingForAWriter)
{
    TempDir dir;
    const std::string path = dir.file(GetParam());
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto opened = std::async(std::launch::async, [&] { return OpenFilmByExtension(path) != nullptr; });
    if (opened.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        opened.wait();
        ::close(writer);
        FAIL() << "opening " << GetParam() << " waited for a writer";
    }
    EXPECT_FALSE(opened.get());
}
INSTANTIATE_TEST_SUITE_P(HostileFiles, FifoFilms, testing::Values("f0001.flm", "f0001.bmp", "f0001.jpg"));

// Records too short for any JPEG are passed over; the frames after them keep
// their places.
TEST(HostileFiles, PackedStreamsShorterThanAnyJpegAreNoFrames)
{
    TempDir dir;
    WriteBytes(dir.file("gaps.flm"), MakeFlmBytes({.extension = true, .packed = 1, .width = 16, .height = 12,
                                                   .frames = {JpegBytes(3), std::vector<uint8_t>(95, 0xFF), {},
                                                              JpegBytes(1)}}));
    FilmPtr film = OpenFlmFilm(dir.file("gaps.flm"));
    ASSERT_TRUE(film && film->FrameCount() == 2);
    ASSERT_TRUE(film->Next());
    EXPECT_EQ(film->FrameNumber(), 3);
    EXPECT_TRUE(FilmPicture(*film, Eye::Current, Tone::Grey));
}

// A run of 2^20 empty records ends the list (a sparse forged file is refused
// at once, not after walking gigabytes); one fewer is still passed over.
class EmptyRecordRuns : public testing::TestWithParam<uint32_t> {};
TEST_P(EmptyRecordRuns, EndTheListOnlyWhenLongEnough)
{
    const uint32_t run = GetParam();
    std::vector<uint8_t> bytes =
        MakeFlmBytes({.extension = true, .packed = 1, .width = 16, .height = 12, .frameCount = int32_t(run) + 1});
    bytes.resize(bytes.size() + 4 * size_t(run), 0);
    const std::vector<uint8_t> frame = MakeFlmBytes({.extension = true, .packed = 1, .frames = {JpegBytes(1)}});
    bytes.insert(bytes.end(), frame.begin() + 24, frame.end());
    TempDir dir;
    WriteBytes(dir.file("runs.flm"), bytes);
    FilmPtr film = OpenFlmFilm(dir.file("runs.flm"));
    EXPECT_EQ(film ? film->FrameCount() : 0, run < (1u << 20) ? 1 : 0);
}
INSTANTIATE_TEST_SUITE_P(HostileFiles, EmptyRecordRuns, testing::Values((1u << 20) - 1, 1u << 20));

// Six hundred copies of a progressive stream's last scan: the decoder only
// warns about the progression, and would spend seconds on them.
TEST(HostileFiles, JpegStreamsOfHundredsOfScansAreRefused)
{
    const std::vector<uint8_t> progressive = JpegBytes(3, 0, TJFLAG_PROGRESSIVE);
    size_t lastScan = 0;
    for (size_t i = 0; i + 1 < progressive.size(); ++i)
        if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA)
            lastScan = i;
    ASSERT_GT(lastScan, 0u);
    ASSERT_TRUE(DecodeJpegColour(progressive.data(), progressive.size()));
    std::vector<uint8_t> stream(progressive.begin(), progressive.begin() + std::ptrdiff_t(lastScan));
    for (int copy = 0; copy < 600; ++copy)
        stream.insert(stream.end(), progressive.begin() + std::ptrdiff_t(lastScan), progressive.end() - 2);
    stream.insert(stream.end(), {0xFF, 0xD9});
    for (JpegRows rows : {JpegRows::AsStored, JpegRows::Picture}) {
        EXPECT_FALSE(DecodeJpegColour(stream.data(), stream.size(), rows));
        EXPECT_FALSE(DecodeJpegGrey(stream.data(), stream.size(), rows));
    }
}

}  // namespace
}  // namespace plexo
