#include <gtest/gtest.h>

#include "image/layout_name_words.h"
#include "image/projection.h"
#include "image/projection_name_words.h"
#include "image/sphere_camera.h"
#include "image/stereo_layout.h"

namespace plexo {
namespace {

// What a VR player reads from a name: the projection (as a --projection
// word, "eac" for a cubemap, nullptr for none) and the layout (as a
// --source-layout word, nullptr for none).
TEST(ProjectionOfFileName, VrPlayersWords)
{
    struct Case {
        const char* path;
        const char* projection;
        const char* layout;
    };
    const Case cases[] = {
        {"trip_180_LR.mkv", "half-equirect", "sbs"}, {"/v/beach-360-TB.mp4", "equirect", "tb"},
        {"a.360x180.3dv.mp4", "equirect", "tb"}, {"a 180x180 3DH.mp4", "half-equirect", "sbs"},
        {"clip_180_BT.mp4", "half-equirect", "tb-rl"}, {"clip_180_RL.mp4", "half-equirect", "sbs-rl"},
        {"canon_FISHEYE190_sbs.mp4", "fisheye:190", "sbs"}, {"cam_F220_OU.mp4", "fisheye:220", "tb"},
        {"cam_MKX200.mp4", "fisheye:200", nullptr}, {"cam-vrca220-lr.mp4", "fisheye:220", "sbs"},
        {"cam_fisheye.mp4", "fisheye:180", nullptr},
        {"cam_EAC_360_TB.mp4", "eac", "tb"},  // the first projection word wins
        {"cam_f250.mp4", nullptr, nullptr},    // a fisheye past its range
        {"cam_f179_sbs.mp4", nullptr, "sbs"},
        {"360/clip.mp4", nullptr, nullptr},  // nor do folders, the extension or parts of words
        {"clip.180", nullptr, nullptr}, {"clip1800.mp4", nullptr, nullptr},
        {"fisheyes.mp4", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const auto projection = ProjectionOfFileName(c.path);
        ASSERT_EQ(projection.has_value(), c.projection != nullptr) << c.path;
        if (projection) {
            const bool cubemap = projection->kind == ProjectionKind::Cubemap;
            EXPECT_EQ(cubemap ? "eac" : ProjectionWord(*projection), c.projection) << c.path;
            EXPECT_EQ(!cubemap, projection->spherical()) << c.path;
        }
        const auto layout = LayoutOfFileName(c.path);
        ASSERT_EQ(layout.has_value(), c.layout != nullptr) << c.path;
        if (layout) {
            EXPECT_EQ(LayoutWord(*layout), c.layout) << c.path;
        }
    }
}

// The user's word, then the metadata, then the name; and the words and
// texts that carry a choice and a camera read back as written.
TEST(ProjectionOfFileName, OrderWordsAndCamera)
{
    const SourceProjection stated{*CroppedProjection(0.25, 0, 0.25, 0.5), ProjectionOrigin::Metadata};
    EXPECT_EQ(DecideProjection(ProjectionNamed("flat"), stated, "a_360.mp4").origin, ProjectionOrigin::User);
    EXPECT_EQ(DecideProjection({}, stated, "a_360.mp4"), stated);
    EXPECT_EQ(ProjectionText(stated), "equirectangular -90..90 x 90..0 (metadata)");
    EXPECT_EQ(ProjectionText(DecideProjection({}, {}, "a_360.mp4")), "equirectangular (name)");
    EXPECT_EQ(ProjectionText(DecideProjection({}, {}, "a.mp4")), "flat (none)");
    EXPECT_FALSE(CroppedProjection(0.5, 0, 0.5, 0));
    for (const char* word : {"flat", "equirect", "half-equirect", "fisheye:180", "fisheye:220"})
        EXPECT_EQ(ProjectionWord(*ProjectionNamed(word)), word);
    for (const char* word : {"auto", "fisheye:", "fisheye:221", "fisheye:190x", "Flat"})
        EXPECT_FALSE(ProjectionNamed(word)) << word;

    const SphereCamera turned = Turned({170, 80, 100}, 20, 30, 40);
    EXPECT_EQ(turned, (SphereCamera{-170, 90, kMaxSphereFov}));
    EXPECT_EQ(ParseSphereCamera(SphereCameraText({-30.5, 10, 45})), (SphereCamera{-30.5, 10, 45}));
    for (const char* text : {"", "1,2", "1,2,3,4", "1,2,200", "1,x,90", "1,,90", "nan,0,90"})
        EXPECT_FALSE(ParseSphereCamera(text)) << text;
}

}  // namespace
}  // namespace plexo
