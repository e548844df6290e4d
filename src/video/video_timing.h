#pragma once
// The timed source of a video film, one view or two: the frames' times from
// the stream, the pairs ready in the decoder's cache, the keyframe standing
// in while a frame decodes, and the decoder told where playback stands. The
// two video films differ only in how their cursor pairs a frame (the
// partner Shift frames on, or the second eye of the same frame) and settles
// a count the file cut short; they tell it through VideoCursor.

#include <cstdint>

#include "film/timed_source.h"
#include "video/video_source.h"

namespace plexo::video {

class VideoCursor {
public:
    virtual ~VideoCursor() = default;
    // The frames the film holds, after taking in a count the decoder found
    // shorter than the one stated (the cursor held on the last frame).
    virtual int32_t SettledCount() = 0;
    virtual int32_t CursorAt() const = 0;
    // The frame whose second picture pairs the frame at `position` of
    // `count`; it may be called under the decoder's lock, so it asks the
    // decoder nothing.
    virtual int64_t PartnerAt(int32_t position, int32_t count) const = 0;
    // Playback starts or stops: the film aims its decoder forward, or lets
    // go what playing kept.
    virtual void PlayingChanged(bool playing) = 0;
    virtual void SetMovesWait(bool wait) = 0;
};

class VideoTiming final : public TimedSource {
public:
    // `secondEye` is the eye of the partner's picture the pair shows: 0 for
    // a single view's partner frame, 1 for a two-view frame's second eye.
    VideoTiming(VideoSource& source, VideoCursor& cursor, int secondEye)
        : source_(source), cursor_(cursor), secondEye_(secondEye)
    {
    }

    int64_t TimeAt(int32_t position) const override { return source_.TimestampUs(position); }
    bool ReadyAt(int32_t position) override;
    int32_t NewestReady(int32_t from, int32_t to) override;
    void SetWake(std::function<void()> wake) override { source_.SetKeptHook(std::move(wake)); }
    EyePairPtr ReadyPair(int32_t position, Tone tone) override;
    EyePairPtr StandIn(Tone tone) override;
    void SetPlaying(bool playing) override;
    void PlayingAt(int32_t due) override;
    void SetReadAhead(bool on) override { source_.SetReadAhead(on); }
    void SetMovesWait(bool wait) override { cursor_.SetMovesWait(wait); }
    void SetPictureScale(PictureScale scale) override { source_.SetScale(scale); }
    EyePairPtr OwnSizePair(Tone tone) override;

private:
    VideoSource& source_;
    VideoCursor& cursor_;
    const int secondEye_;
};

}  // namespace plexo::video
