#pragma once
// A stereo video as the frame source of a two-view film: each frame's whole
// colour picture, which the film splits into its eyes as views. While the
// film plays the source never waits for the decoder: a frame not decoded
// yet is given as the last one decoded, and the tick counts as late.

#include <atomic>
#include <memory>
#include <string>

#include "film/frame_source.h"
#include "film/two_view_film.h"
#include "video/frame_converter.h"
#include "video/video_source.h"

namespace plexo::video {

class VideoFrameSource : public FrameSource {
public:
    VideoFrameSource(std::string path, std::unique_ptr<VideoSource> source);

    int32_t Count() const override;
    bool Decode(int32_t index, SourceFrame& frame) override;
    double FrameRate() const override { return source_->File().FrameRate(); }
    double Duration() const override { return PlayingTime(Count(), FrameRate()); }
    void Moved(int32_t index) override;

    void SetPlaying(bool playing);
    int32_t LateTicks() const { return late_; }

private:
    std::string path_;
    std::unique_ptr<VideoSource> source_;
    FrameConverter converter_;
    bool playing_ = false;
    int32_t late_ = 0;
    // The index whose late tick was counted, so that repaints count once.
    int32_t lateAt_ = -1;
    int32_t at_ = 0;
    int direction_ = 1;
    SharedFrame last_;
};

// The two-view film of a stereo video, which tells its source when it plays.
class TwoViewVideoFilm : public TwoViewFilm {
public:
    TwoViewVideoFilm(std::unique_ptr<VideoFrameSource> source, SourceLayout layout);

    void SetPlaying(bool playing) override;
    int32_t LateTicks() const override { return video_.LateTicks(); }

private:
    VideoFrameSource& video_;
};

}  // namespace plexo::video
