#pragma once
// A stereo video as the frame source of a two-view film: each frame's two
// eyes as its source converted them on its worker, split and, for a half
// layout, stretched; the film takes them as views. While the film plays the
// source never waits for the decoder: a frame not decoded yet is given as
// the last one decoded; the player asks ReadyAt first.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "film/frame_source.h"
#include "film/two_view_film.h"
#include "video/video_source.h"
#include "video/video_timing.h"

namespace plexo::video {

class VideoFrameSource : public FrameSource {
public:
    VideoFrameSource(std::string path, std::unique_ptr<VideoSource> source);

    int32_t Count() const override;
    bool Decode(int32_t index, SourceFrame& frame) override;
    double FrameRate() const override { return source_->Facts().frameRate; }
    double Duration() const override { return PlayingTime(Count(), FrameRate()); }
    void Moved(int32_t index) override;

    // While the count is not confirmed, the film does not play and its moves
    // wait, decodes
    // the later of the frames at `index` and `partner`; false when the
    // frames turned out to end before it, and the count fell.
    bool Confirm(int32_t index, int32_t partner);
    void SetMovesWait(bool wait) { movesWait_ = wait; }
    // Playing aims the source forward, the way a video plays.
    void SetPlaying(bool playing);
    // The frame at `index`, as Decode gives it.
    SharedPicture Picked(int32_t index);
    VideoSource& Source() { return *source_; }
    int Direction() const { return direction_; }

private:
    std::string path_;
    std::unique_ptr<VideoSource> source_;
    bool playing_ = false;
    bool movesWait_ = true;
    int32_t at_ = 0;
    int direction_ = 1;
    SharedPicture last_;
};

// The two-view film of a stereo video, which tells its source when it plays.
class TwoViewVideoFilm : public TwoViewFilm, private VideoCursor {
public:
    TwoViewVideoFilm(std::unique_ptr<VideoFrameSource> source, SourceLayout layout);

    // A stated count may promise more than the file holds: a move or a shift
    // lands on frames the file holds, as a single view's video film does.
    bool Seek(int32_t position) override;
    int32_t Skip(int32_t steps) override;
    void SetRules(const StepRules& rules) override;
    FilmFacts Facts() const override;
    TimedSource& Timing() override { return timing_; }
    EyePairPtr Pair(Tone tone) override;

private:
    // Makes `move` from the current position and again from there while the
    // frames it lands on are past the file's end; returns what it returned.
    int32_t Confirmed(const std::function<int32_t()>& move);
    int32_t SettledCount() override;
    int32_t CursorAt() const override { return Position(); }
    int64_t PartnerAt(int32_t position, int32_t count) const override
    {
        return int64_t(cursor_.PartnerOf(size_t(position), size_t(count)));
    }
    void PlayingChanged(bool playing) override;
    void SetMovesWait(bool wait) override { video_.SetMovesWait(wait); }

    VideoFrameSource& video_;
    VideoTiming timing_{video_.Source(), *this, 1};
};

}  // namespace plexo::video
