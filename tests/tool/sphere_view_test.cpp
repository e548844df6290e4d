#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// Views into spherical films as plexo-tool renders them, against FFmpeg's
// v360 filter looking into the same eye with the same camera.
class SphereView : public ::testing::Test {
protected:
    std::string Q(const std::string& name) const { return test::Quoted(dir, name); }

    // Two different eyes of `size` (testsrc2 and its mirror image: any
    // picture is an eye in any projection), stacked by `stack`, saved as
    // `name`.
    void MakeEyes(const std::string& size, const std::string& stack, const std::string& name)
    {
        ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=" + size + " -frames:v 1 " +
                                     Q("a.png") + " && ffmpeg -v error -y -i " + Q("a.png") + " -vf hflip " +
                                     Q("b.png") + " && ffmpeg -v error -y -i " + Q("a.png") + " -i " + Q("b.png") +
                                     " -filter_complex " + stack + " " + Q(name)));
    }

    // The mean difference, in levels, between our eye and v360's view of
    // `source` (filtered first by `before`) with `input`'s projection.
    double Difference(const std::string& ours, const std::string& source, const std::string& before,
                      const std::string& input, int yaw, int pitch, int fov)
    {
        // v360 takes the height's field of view apart: the view's shape.
        const double across = std::tan(fov * M_PI / 360);
        const double down = 2 * std::atan(across * kHeight / kWidth) * 180 / M_PI;
        const std::string filter = before + "v360=input=" + input + ":output=flat:yaw=" + std::to_string(yaw) +
                                   ":pitch=" + std::to_string(pitch) + ":h_fov=" + std::to_string(fov) +
                                   ":v_fov=" + std::to_string(down) + ":w=" + std::to_string(kWidth) +
                                   ":h=" + std::to_string(kHeight);
        EXPECT_TRUE(test::RunCommand("ffmpeg -v error -y -i " + Q(source) + " -frames:v 1 -vf " + filter + " " +
                                     Q("theirs.png")));
        const std::string measure =
            test::CommandOutput("compare -metric MAE " + Q(ours) + " " + Q("theirs.png") + " null: 2>&1");
        const size_t open = measure.find('(');
        return open == std::string::npos ? 255 : std::atof(measure.c_str() + open + 1) * 255;
    }

    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;
    test::TempDir dir;
};

struct Camera {
    int yaw, pitch, fov;
};
// Inside the front half, which a VR180 eye holds.
constexpr Camera kCameras[] = {{0, 0, 90}, {35, 20, 60}, {-30, -25, 80}};

TEST_F(SphereView, EyesLookLikeV360)
{
    struct Row {
        const char* file;     // its name states projection and layout, unless `options` do
        const char* size;     // of one eye
        const char* stack;    // how the eyes are stored
        const char* options;  // plexo-tool's own
        const char* input;    // v360's name of the projection
    };
    const Row rows[] = {
        {"clip_360_LR.png", "256x128", "hstack", "", "e"},
        {"clip_180x180_TB.png", "160x160", "vstack", "", "hequirect"},
        {"room-360x180-3dv.png", "256x128", "vstack", "", "e"},
        {"canon_fisheye190_sbs.png", "160x160", "hstack", "", "fisheye:ih_fov=190:iv_fov=190"},
        {"plain.png", "160x160", "vstack", "--projection fisheye:200 --source-layout tb",
         "fisheye:ih_fov=200:iv_fov=200"},
    };
    for (const Row& row : rows) {
        MakeEyes(row.size, row.stack, row.file);
        ASSERT_EQ(test::RunTool(dir, "info " + Q(row.file) + " " + row.options).out.find("projection: flat"),
                  std::string::npos);
        // The cameras look with each eye in turn.
        for (size_t i = 0; i < std::size(kCameras); ++i) {
            const auto& [yaw, pitch, fov] = kCameras[i];
            const bool first = i % 2 == 0;
            const std::string camera = " --yaw " + std::to_string(yaw) + " --pitch " + std::to_string(pitch) +
                                       " --fov " + std::to_string(fov);
            const test::ToolRun run =
                test::RunTool(dir, "frame " + Q(row.file) + " " + row.options + camera + " --eye " +
                                       (first ? "first" : "second") + " --view 160x120 --out " + Q("ours.bmp"));
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_LE(Difference("ours.bmp", first ? "a.png" : "b.png", "", row.input, yaw, pitch, fov), 4)
                << row.file << camera;
        }
    }
}

// A box of `type` around big-endian `words`, then `inner`.
std::vector<uint8_t> Box(const char* type, std::initializer_list<uint32_t> words, std::vector<uint8_t> inner = {})
{
    std::vector<uint8_t> box(4);
    box.insert(box.end(), type, type + 4);
    for (uint32_t w : words)
        box.insert(box.end(), {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w)});
    box.insert(box.end(), inner.begin(), inner.end());
    for (int i = 0; i < 4; ++i)
        box[size_t(i)] = uint8_t(box.size() >> (24 - 8 * i));
    return box;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Spherical Video V2's sv3d box put into the video's sample entry, as a
// VR180 camera writes it: the panorama cut to its front half by the
// equirectangular bounds (0.32 fractions of the whole, here a quarter each
// side).
TEST_F(SphereView, StreamMetadataCropsTheSphere)
{
    MakeEyes("160x160", "hstack", "eyes.png");
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -loop 1 -i " + Q("eyes.png") +
                                 " -frames:v 2 -c:v libx264 -qp 0 -pix_fmt yuv444p " + Q("made.mp4")));
    std::vector<uint8_t> mp4 = test::ReadBytes(dir.file("made.mp4"));
    const std::vector<uint8_t> sv3d =
        Box("sv3d", {},
            Joined(Box("svhd", {0}, {0}), Box("proj", {}, Joined(Box("prhd", {0, 0, 0, 0}),
                                                                  Box("equi", {0, 0, 0, 0x40000000, 0x40000000})))));
    // Every box around the sample entry grows by the new box; the moov
    // comes after the frames, so no chunk moves.
    auto at = mp4.begin();
    for (const char* type : {"moov", "trak", "mdia", "minf", "stbl", "stsd", "avc1"}) {
        at = std::search(at, mp4.end(), type, type + 4);
        ASSERT_NE(at, mp4.end()) << type;
        uint8_t* size = &*(at - 4);
        const uint32_t grown = (uint32_t(size[0]) << 24 | size[1] << 16 | size[2] << 8 | size[3]) + sv3d.size();
        for (int i = 0; i < 4; ++i)
            size[i] = uint8_t(grown >> (24 - 8 * i));
        if (std::string(type) == "avc1") {
            const auto end = at - 4 + (grown - sv3d.size());
            mp4.insert(end, sv3d.begin(), sv3d.end());
        }
    }
    test::WriteBytes(dir.file("vr_LR.mp4"), mp4);
    const test::ToolRun info = test::RunTool(dir, "info " + Q("vr_LR.mp4"));
    EXPECT_NE(info.out.find("\nlayout: side-by-side left-first (name)\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\nprojection: equirectangular -90..90 x 90..-90 (metadata)\n"), std::string::npos)
        << info.out;
    for (const auto& [yaw, pitch, fov] : kCameras) {
        const std::string camera =
            " --yaw " + std::to_string(yaw) + " --pitch " + std::to_string(pitch) + " --fov " + std::to_string(fov);
        ASSERT_EQ(test::RunTool(dir, "frame " + Q("vr_LR.mp4") + camera + " --eye second --view 160x120 --out " +
                                         Q("ours.bmp"))
                      .status,
                  0);
        EXPECT_LE(Difference("ours.bmp", "made.mp4", "crop=160:160:160:0,", "hequirect", yaw, pitch, fov), 4)
            << camera;
    }
}

// An APP1 segment: its marker, length and payload.
std::vector<uint8_t> App1(const std::string& payload)
{
    const size_t length = payload.size() + 2;
    std::vector<uint8_t> segment{0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    return segment;
}

std::string Base64(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const uint32_t n = uint32_t(bytes[i]) << 16 | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
        text += digits[n >> 18 & 63];
        text += digits[n >> 12 & 63];
        text += left > 1 ? digits[n >> 6 & 63] : '=';
        text += left > 2 ? digits[n & 63] : '=';
    }
    return text;
}

// A VR180 photo as Google's camera writes it: the left eye's JPEG, its XMP
// holding the right eye's JPEG in extended XMP segments (here out of order,
// a few hundred bytes each), the GPano tags its 180° window of the sphere.
TEST_F(SphereView, VrPhotoCarriesItsRightEye)
{
    const std::vector<uint8_t> left = test::PatternJpeg(64, 64, 1), right = test::PatternJpeg(64, 64, 2);
    test::WriteBytes(dir.file("right.jpg"), right);
    const std::string guid = "0123456789ABCDEF0123456789ABCDEF";
    const std::string extended = "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF><rdf:Description "
                                 "GImage:Mime='image/jpeg'\n GImage:Data=\"" + Base64(right) +
                                 "\"/></rdf:RDF></x:xmpmeta>";
    const std::string main =
        std::string("http://ns.adobe.com/xap/1.0/", 29) +
        "<x:xmpmeta><rdf:RDF><rdf:Description GPano:CroppedAreaLeftPixels=\"32\" GPano:CroppedAreaTopPixels=\"0\" "
        "GPano:CroppedAreaImageWidthPixels=\"64\" GPano:CroppedAreaImageHeightPixels=\"64\" "
        "GPano:FullPanoWidthPixels=\"128\" GPano:FullPanoHeightPixels=\"64\" xmpNote:HasExtendedXMP=\"" + guid +
        "\"/></rdf:RDF></x:xmpmeta>";
    const auto photo = [&](size_t dropped) {
        std::vector<uint8_t> bytes(left.begin(), left.begin() + 2);
        const std::vector<uint8_t> first = App1(main);
        bytes.insert(bytes.end(), first.begin(), first.end());
        constexpr size_t kPart = 400;
        const size_t parts = (extended.size() + kPart - 1) / kPart;
        for (size_t k = parts; k-- > 0;) {
            if (k == dropped)
                continue;
            const uint32_t offset = uint32_t(k * kPart), full = uint32_t(extended.size());
            std::string payload = std::string("http://ns.adobe.com/xmp/extension/", 35) + guid;
            for (uint32_t word : {full, offset})
                for (int i = 3; i >= 0; --i)
                    payload += char(word >> (8 * i));
            const std::vector<uint8_t> part = App1(payload + extended.substr(offset, kPart));
            bytes.insert(bytes.end(), part.begin(), part.end());
        }
        bytes.insert(bytes.end(), left.begin() + 2, left.end());
        return bytes;
    };
    test::WriteBytes(dir.file("photo.vr.jpg"), photo(size_t(-1)));
    const std::string info = test::RunTool(dir, "info " + Q("photo.vr.jpg")).out;
    EXPECT_NE(info.find("\neyes: 2\n"), std::string::npos) << info;
    EXPECT_NE(info.find("\nprojection: equirectangular -90..90 x 90..-90 (metadata)\n"), std::string::npos);
    ASSERT_EQ(test::RunTool(dir, "frame " + Q("photo.vr.jpg") + " --projection flat --eye second --out " +
                                     Q("second.bmp")).status, 0);
    ASSERT_EQ(test::RunTool(dir, "frame " + Q("right.jpg") + " --out " + Q("right.bmp")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("second.bmp")), test::ReadBytes(dir.file("right.bmp")));
    // A part missing: the photo is the picture it also is.
    test::WriteBytes(dir.file("cut.vr.jpg"), photo(1));
    EXPECT_NE(test::RunTool(dir, "info " + Q("cut.vr.jpg")).out.find("\neyes: 1\n"), std::string::npos);
}

}  // namespace
}  // namespace plexo
