// A pipeline built again for another presentation or depth takes over what
// the last one opened, and a track that cannot be had is reported once.

#include <gtest/gtest.h>

#include <cstring>

#include "doc/film_alignment.h"
#include "pipeline/pair_pipeline.h"
#include "support/temp_dir.h"

namespace plexo::pipeline {
namespace {

class PairPipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char srt[] = "1\n00:00:00,000 --> 00:00:05,000\nHello\n";
        test::WriteBytes(dir_.file("a.srt"), {std::begin(srt), std::end(srt) - 1});
        test::WriteBytes(dir_.file("b.srt"), {std::begin(srt), std::end(srt) - 1});
        PictureBuffer eye = PictureBuffer::allocate(160, 90, 3);
        std::memset(eye.bytes.get(), 40, eye.byteCount());
        pair_ = CopiedPair(eye.view(), eye.view(), 25, 25, 1'000'000);
    }

    std::shared_ptr<const PairPipeline> Build(const std::string& file, int depth, PresentationId shown,
                                              std::string& why, const PairPipeline* previous = nullptr)
    {
        PipelineChoice choice;
        choice.subtitlesFrom = SubtitlesFrom::Named;
        choice.subtitles = dir_.file(file);
        choice.depth = {subtitle::DepthMode::Fixed, depth};
        choice.presentation = shown;
        return BuildPipeline({dir_.file("film.flm"), 25, {}, {}, LookAheadOn::Caller, nullptr}, choice, why, previous);
    }

    test::TempDir dir_;
    EyePairPtr pair_;
};

TEST_F(PairPipelineTest, ABuildForAnotherTargetKeepsTheTrackOpened)
{
    std::string why;
    const auto first = Build("a.srt", 8, PresentationId::SideBySide, why);
    ASSERT_TRUE(first->Stage()) << why;
    ASSERT_TRUE(first->Stage()(*pair_)) << "the subtitle shows at 1 s";
    EXPECT_EQ(first->SubtitleDisparity(), 8);

    // The stage drawn through is the same: it knows the last disparity.
    const auto retargeted = Build("a.srt", 4, PresentationId::Plain, why, first.get());
    EXPECT_EQ(retargeted->SubtitleDisparity(), 8);
    EXPECT_EQ(Build("b.srt", 4, PresentationId::Plain, why, first.get())->SubtitleDisparity(), 0)
        << "another track is opened afresh";
    EXPECT_EQ(Build("a.srt", 4, PresentationId::Plain, why)->SubtitleDisparity(), 0);
}

TEST_F(PairPipelineTest, ATrackThatCannotBeHadIsLeftOutAndReportedOnce)
{
    std::string why;
    const auto missing = Build("none.srt", 0, PresentationId::SideBySide, why);
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(missing->Stage()) << "no stage is left to apply";
    std::string again;
    Build("none.srt", 0, PresentationId::Plain, again, missing.get());
    EXPECT_EQ(again, "") << "told when first built";
    Build("other.srt", 0, PresentationId::Plain, again, missing.get());
    EXPECT_NE(again, "");
}

// A film is asked for pictures at the size shown only where no stage
// resamples its whole eyes first: a correction or a spherical viewport gets
// them at their own size.
TEST_F(PairPipelineTest, PicturesAreMadeSmallerOnlyWhereNoStageResamplesTheWholeEyes)
{
    const PictureScale half{0.5, 0.5};
    struct Case {
        std::string align;
        ProjectionKind projection;
        PictureScale madeAt;
    };
    const Case cases[] = {
        {"", ProjectionKind::Flat, half},
        {"", ProjectionKind::Equirect, {}},
        {"", ProjectionKind::Fisheye, {}},
        {kAlignEveryFrame, ProjectionKind::Flat, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.align << int(c.projection));
        PipelineChoice choice;
        choice.align = c.align;
        choice.sphere = {ProjectionOfKind(c.projection), {}, 640, 360};
        choice.shownScale = half;
        std::string why;
        const auto built =
            BuildPipeline({dir_.file("film.flm"), 25, {}, {}, LookAheadOn::Caller, nullptr}, choice, why, nullptr);
        EXPECT_EQ(built->MadeAt(), c.madeAt);
    }
}

}  // namespace
}  // namespace plexo::pipeline
