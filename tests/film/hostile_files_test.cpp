#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "film/factories.h"
#include "film/jpeg_codec.h"
#include "film/open_film.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace plexo {
namespace {

using namespace test;

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

std::vector<uint8_t> FlmHeaderBytes(uint32_t flags, uint32_t count, uint32_t side, std::optional<uint32_t> packed)
{
    std::vector<uint8_t> out;
    for (uint32_t v : {flags, count, side, side})
        PutU32(out, v);
    if (packed) {
        PutU32(out, 4);
        PutU32(out, *packed);
    }
    return out;
}

struct ManyRecords {
    const char* name;
    std::vector<uint8_t> header;
    size_t bodyBytes;  // filled with `fill`
    uint8_t fill;
    int32_t frames;     // the film's frame count, 0 for none
    int32_t lastNumber;
};

// Opening a file of N bytes costs at most 4 N + 64 MB, however small its
// records; the sanitizer build counts the bytes held while the film lives.
class ManyRecordFilms : public testing::TestWithParam<ManyRecords> {};
TEST_P(ManyRecordFilms, OpenWithinFourBytesAByte)
{
    const ManyRecords& m = GetParam();
    TempDir dir;
    std::vector<uint8_t> bytes = m.header;
    bytes.resize(bytes.size() + m.bodyBytes, m.fill);
    WriteBytes(dir.file("many.flm"), bytes);
#if defined(__SANITIZE_ADDRESS__)
    const size_t before = __sanitizer_get_current_allocated_bytes();
#endif
    FilmPtr film = OpenFlmFilm(dir.file("many.flm"));
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LE(__sanitizer_get_current_allocated_bytes() - before, 4 * bytes.size() + (64u << 20));
#endif
    ASSERT_EQ(film != nullptr, m.frames > 0);
    if (!film)
        return;
    EXPECT_EQ(film->FrameCount(), m.frames);
    film->SetShift(-1);
    int32_t w = 0, h = 0;
    const uint8_t* partner = film->PartnerGreyPicture(w, h);
    ASSERT_NE(partner, nullptr);
    EXPECT_EQ(partner[0], m.fill);
    EXPECT_EQ(w, 1);
    film->SetRound(true);
    film->Prev();
    EXPECT_EQ(film->FrameNumber(), m.lastNumber);
}
INSTANTIATE_TEST_SUITE_P(
    HostileFiles, ManyRecordFilms,
    testing::Values(ManyRecords{"PackedZeros", FlmHeaderBytes(5, 0x7fffffff, 4, 1), 10 << 20, 0, 0, 0},
                    ManyRecords{"RawGreyPixels", FlmHeaderBytes(0, 0x7fffffff, 1, {}), 3 << 20, 9, 3 << 20,
                                (3 << 20) - 1},
                    ManyRecords{"RawNumberedPixels", FlmHeaderBytes(2, 0x7fffffff, 1, {}), 3 << 20, 5, 1 << 20,
                                0x0505}),
    [](const auto& info) { return info.param.name; });

std::vector<uint8_t> SmallJpeg(int flags = 0)
{
    const auto pixels = PatternPixels(16, 16, 3, 1, true);
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(handle, pixels.data(), 16, 48, 16, TJPF_RGB, &out, &size, TJSAMP_420, 80, flags), 0);
    std::vector<uint8_t> stream(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    return stream;
}

TEST(HostileFiles, PackedStreamsShorterThanAnyJpegAreNoFrames)
{
    TempDir dir;
    const FlmLayout layout{.extension = true, .packed = 1, .width = 16, .height = 16,
                           .frames = {SmallJpeg(), std::vector<uint8_t>(95, 0xFF), {}, SmallJpeg()}};
    WriteBytes(dir.file("gaps.flm"), MakeFlmBytes(layout));
    FilmPtr film = OpenFlmFilm(dir.file("gaps.flm"));
    ASSERT_NE(film, nullptr);
    ASSERT_EQ(film->FrameCount(), 2);
    EXPECT_NE(FilmPicture(*film, Eye::Current, Tone::Colour).data, nullptr);
    ASSERT_TRUE(film->Next());
    EXPECT_EQ(film->FrameNumber(), 3);
    EXPECT_NE(FilmPicture(*film, Eye::Current, Tone::Grey).data, nullptr);
}

// Six hundred copies of a progressive stream's last scan: the decoder only
// warns about the progression, and would spend seconds on them.
TEST(HostileFiles, JpegStreamsOfHundredsOfScansAreRefused)
{
    const std::vector<uint8_t> progressive = SmallJpeg(TJFLAG_PROGRESSIVE);
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
