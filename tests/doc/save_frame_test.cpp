#include "doc/save_frame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "doc/document.h"
#include "platform/log.h"
#include "platform/settings_sandbox.h"

namespace plexo {
namespace {

// A one-frame film whose picture has four blocks of different colours, so
// that a flipped row order or exchanged colour bytes shows.
class QuadrantFilm : public Film {
public:
    static constexpr int kW = 32, kH = 16;
    // Blue, green, red of the bottom-left, bottom-right, top-left, top-right blocks.
    static constexpr uint8_t kColours[4][3] = {{200, 30, 30}, {30, 200, 30}, {30, 30, 200}, {220, 220, 40}};

    explicit QuadrantFilm(bool hasPicture = true) : hasPicture_(hasPicture)
    {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                for (int c = 0; c < 3; ++c)
                    pixels_[(y * kW + x) * 3 + c] = kColours[(y >= kH / 2) * 2 + (x >= kW / 2)][c];
    }
    const uint8_t* ColourPicture(int32_t& w, int32_t& h) override
    {
        w = kW;
        h = kH;
        return hasPicture_ ? pixels_ : nullptr;
    }
    const uint8_t* GreyPicture(int32_t&, int32_t&) override { return nullptr; }
    const uint8_t* PartnerGreyPicture(int32_t&, int32_t&) override { return nullptr; }
    const uint8_t* PartnerColourPicture(int32_t& w, int32_t& h) override { return ColourPicture(w, h); }
    void SetShift(int32_t) override {}
    void SetRound(bool) override {}
    void SetInvert(bool) override {}
    int32_t GetShift() const override { return 0; }
    bool GetRound() const override { return false; }
    bool GetInvert() const override { return false; }
    int32_t FrameNumber() const override { return 0; }
    int32_t FrameCount() const override { return 1; }
    bool Next() override { return false; }
    bool Prev() override { return false; }
    void ReleasePictures() override {}

private:
    bool hasPicture_;
    uint8_t pixels_[kW * kH * 3];
};

// What ImageMagick makes of a file: its "format WxH" and its pixels as red,
// green, blue from the top row.
std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

bool HaveImageMagick() { return std::system("identify -version >/dev/null 2>&1 && convert -version >/dev/null 2>&1") == 0; }

class SaveFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ClearLog();
        doc = std::make_unique<CPlexoDoc>();
        doc->SetFilm(std::make_unique<QuadrantFilm>());
    }
    void TearDown() override { platform::ClearLog(); }

    // The top-right block must be the file's first pixels, in red, green, blue.
    void ExpectQuadrantsReadBack(const std::string& path, const char* format, int tolerance)
    {
        if (!HaveImageMagick())
            GTEST_SKIP() << "ImageMagick is not installed";
        EXPECT_EQ(Output("identify -format '%m %wx%h' '" + path + "'"), std::string(format) + " 32x16");
        const std::string rgb = Output("convert '" + path + "' -depth 8 rgb:-");
        ASSERT_EQ(rgb.size(), size_t(QuadrantFilm::kW * QuadrantFilm::kH * 3));
        for (int block = 0; block < 4; ++block) {
            const int x = (block % 2) * 16 + 8, yFromBottom = (block / 2) * 8 + 4;
            const int top = QuadrantFilm::kH - 1 - yFromBottom;
            for (int c = 0; c < 3; ++c) {
                const int got = uint8_t(rgb[size_t((top * QuadrantFilm::kW + x) * 3 + c)]);
                EXPECT_NEAR(got, QuadrantFilm::kColours[block][2 - c], tolerance) << "block " << block << " byte " << c;
            }
        }
    }

    test::SettingsSandbox ini;
    test::TempDir dir;
    std::unique_ptr<CPlexoDoc> doc;
};

TEST_F(SaveFrame, BmpReadsBackExactly)
{
    ASSERT_TRUE(doc->SaveAs(dir.file("frame.bmp")));
    ExpectQuadrantsReadBack(dir.file("frame.bmp"), "BMP3", 0);
    EXPECT_EQ(platform::LogText(), "") << "success is not reported";
}

TEST_F(SaveFrame, JpgReadsBackClose)
{
    ASSERT_TRUE(doc->SaveAs(dir.file("frame.JPG")));
    ExpectQuadrantsReadBack(dir.file("frame.JPG"), "JPEG", 12);
}

TEST_F(SaveFrame, FailuresLogSaveErrorAndLeaveTheOlderFile)
{
    const std::string old = dir.file("old.bmp");
    test::WriteBytes(old, {1, 2, 3});
    EXPECT_FALSE(doc->SaveAs(dir.file("frame.png")));
    EXPECT_FALSE(doc->SaveAs(dir.file("frame")));
    doc->SetFilm(std::make_unique<QuadrantFilm>(false));
    EXPECT_FALSE(doc->SaveAs(old));
    doc->SetFilm(nullptr);
    EXPECT_FALSE(doc->SaveAs(old));
    EXPECT_EQ(platform::LogText(), "\r\nSave error\r\nSave error\r\nSave error\r\nSave error");
    EXPECT_EQ(test::ReadBytes(old), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace plexo
