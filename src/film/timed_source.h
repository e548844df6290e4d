#pragma once
// What a player plays: the times of a film's frames, the pairs ready to show
// without waiting, and the decoder ahead of them. A video decodes ahead on
// another thread and keeps its frames' times; a film of frames has neither,
// and plays at the Frames/sec period through the adapter below.

#include <cstdint>
#include <functional>

#include "film/eye_pair.h"
#include "film/picture_scale.h"

namespace plexo {

class TimedSource {
public:
    virtual ~TimedSource() = default;

    // The time of the frame at `position` from the first frame's, in
    // microseconds; -1 for a film whose frames keep no times.
    virtual int64_t TimeAt(int32_t position) const = 0;
    // Whether the pair at `position` (its frame and its partner) can be had
    // now without waiting for a decoder.
    virtual bool ReadyAt(int32_t position) = 0;
    // The newest position from `from` to `to` whose pair is ready, or -1:
    // the one question a player asks when it looks for what to show next,
    // however far the decoder lies behind. A decoder answers it at once;
    // by default each position is asked in turn.
    virtual int32_t NewestReady(int32_t from, int32_t to)
    {
        for (int32_t at = to; at >= from; --at)
            if (ReadyAt(at))
                return at;
        return -1;
    }
    // Called whenever a pair may have become ready (on the decoder's thread,
    // which it must not hold up: it only posts), so that a player waiting
    // for one is woken instead of asking again and again. Empty: none.
    virtual void SetWake(std::function<void()>) {}
    // The pair at `position` as the film's Pair would give it there, when
    // ReadyAt says it is ready, without moving the cursor or waiting: for a
    // player that stages pairs ahead of showing them. Null when it is not
    // ready, and always from a film that decodes nothing ahead.
    virtual EyePairPtr ReadyPair(int32_t /*position*/, Tone /*tone*/) { return nullptr; }
    // While the pair at the cursor is not ready: a picture of the same scene
    // to show meanwhile (a video's keyframe before the frame), or null.
    virtual EyePairPtr StandIn(Tone /*tone*/) { return nullptr; }
    // Playback runs between these calls. A film decoded ahead never waits
    // for its frames while it plays: its moves only aim the decoder, and the
    // player shows a frame once it is ready.
    virtual void SetPlaying(bool /*playing*/) {}
    // While it plays, the position its clock has reached: the frames behind
    // it need not be made ready, for they would be shown late.
    virtual void PlayingAt(int32_t /*due*/) {}
    // Whether the frames after the ones asked for are made ready too, as
    // they are unless told otherwise. A reader that asks for frames far
    // apart turns it off: then only the frames asked for are converted,
    // those between them only decoded.
    virtual void SetReadAhead(bool /*on*/) {}
    // Whether a move onto a frame the film only expects to hold (a video's
    // stated count) waits for it to decode, so that a walk over the frames
    // never lands past their end; as it does unless told otherwise. Off, the
    // move is taken at once and a count found shorter moves the cursor back
    // later: for the window, which never waits for a decoder.
    virtual void SetMovesWait(bool /*wait*/) {}
    // The scale the pictures are made at for showing from now on; a film
    // that makes them at their own size only ignores it.
    virtual void SetPictureScale(PictureScale /*scale*/) {}
    // The pair at the cursor at its own size, waited for, for what writes or
    // copies the picture shown; null from a film whose Pair always gives
    // its own size.
    virtual EyePairPtr OwnSizePair(Tone /*tone*/) { return nullptr; }
};

// The timed source of a film of frames: no times, every pair ready at once
// through the film's cursor, nothing decoded ahead.
class FramesTiming final : public TimedSource {
public:
    int64_t TimeAt(int32_t) const override { return -1; }
    bool ReadyAt(int32_t) override { return true; }
};

}  // namespace plexo
