#pragma once
// The abstract film: an ordered run of frames with a cursor, giving the picture
// of the current frame and of its partner frame Shift positions away.

#include <cstdint>
#include <memory>
#include <string>

#include "film/eye_pair.h"
#include "image/picture.h"
#include "image/stereo_layout.h"

namespace plexo {

// Which of the two pictures a compositor draws: the current frame's, or its
// partner's. In a two-view film they are the first and the second eye.
enum class Eye { Current, Partner };

class Film {
public:
    virtual ~Film() = default;

    // Each picture operation returns the pixels (owned by the film, valid until
    // the next picture request to this film) or null; on success the size is
    // written to width and height.
    virtual const uint8_t* GreyPicture(int32_t& width, int32_t& height) = 0;
    virtual const uint8_t* PartnerGreyPicture(int32_t& width, int32_t& height) = 0;
    virtual const uint8_t* ColourPicture(int32_t& width, int32_t& height) = 0;
    virtual const uint8_t* PartnerColourPicture(int32_t& width, int32_t& height) = 0;
    virtual void SetShift(int32_t shift) = 0;
    virtual void SetRound(bool round) = 0;
    virtual void SetInvert(bool invert) = 0;
    virtual int32_t GetShift() const = 0;
    virtual bool GetRound() const = 0;
    virtual bool GetInvert() const = 0;
    // Number of the current frame, or -1 without one.
    virtual int32_t FrameNumber() const = 0;
    // Number of the partner frame, or -1 when the film cannot tell.
    virtual int32_t PartnerNumber() const = 0;
    virtual int32_t FrameCount() const = 0;
    // True when the film moved.
    virtual bool Next() = 0;
    virtual bool Prev() = 0;
    virtual void ReleasePictures() = 0;

    // Positions: the current frame's place in play order, from 0, or -1
    // without frames.
    virtual int32_t Position() const = 0;
    // Puts the cursor on the frame at `position`, clamped to the first and the
    // last frame, whatever the partner rules; stepping goes on from there by
    // them. False without frames.
    virtual bool Seek(int32_t position) = 0;
    // As many Next (steps > 0) or Prev (steps < 0) calls as |steps|, made at
    // once: stops where the first of them would refuse. Returns the calls
    // that moved.
    virtual int32_t Skip(int32_t steps) = 0;
    // Frames a second that the source states; 0 when it states none.
    virtual double FrameRate() const { return 0; }
    // The playing time in seconds that the source states; 0 when it states
    // none.
    virtual double Duration() const { return 0; }

    // The picture as a view with its stride, valid as the four operations'
    // pixels are. By default the packed picture of the matching operation; a
    // film whose pictures lie inside larger ones (the eyes of a side-by-side
    // picture) hands out views into them instead of copies.
    virtual Picture PictureView(Eye eye, Tone tone);
    // The current frame and its partner as an owned pair in `tone`; null
    // without a current picture. By default copies of the two views; a film
    // whose frames are shared and immutable (a video's) hands out its own.
    virtual EyePairPtr Pair(Tone tone);

    // 2 for a two-view film, whose current picture and partner picture are
    // the two eyes of one moment; 1 for a film whose partner is another
    // frame of the same view.
    virtual int32_t Eyes() const { return 1; }
    // How the source stores its eyes, and who said so.
    virtual SourceLayout Layout() const { return {}; }
    // Playback runs between these calls. A film whose frames are decoded
    // ahead on another thread never waits for them while it plays: its moves
    // only aim the decoder, and the player shows a frame once it is ready.
    virtual void SetPlaying(bool) {}
    // While a film with times plays, the position its clock has reached: a
    // film decoded ahead need not make ready the frames behind it, which
    // would be shown late.
    virtual void PlayingAt(int32_t /*due*/) {}
    // Whether a film decoded ahead makes ready the frames after the ones
    // asked for, as it does unless told otherwise. A reader that asks for
    // frames far apart turns it off: then only the frames asked for are
    // converted, those between them only decoded.
    virtual void SetReadAhead(bool) {}
    // Whether a move onto a frame the film only expects to hold (a video's
    // stated count) waits for it to decode, so that a walk over the frames
    // never lands past their end; as it does unless told otherwise. Off, the
    // move is taken at once and a count found shorter moves the cursor back
    // later: for the window, which never waits for a decoder.
    virtual void SetMovesWait(bool) {}
    // While the pair at the cursor is not ready: a picture of the same scene
    // to show meanwhile (a video's keyframe before the frame), or null.
    virtual EyePairPtr StandIn(Tone /*tone*/) { return nullptr; }
    // The time of the frame at `position` from the first frame's, in
    // microseconds; -1 for a film whose frames keep no times, which plays at
    // the Frames/sec period.
    virtual int64_t TimeAt(int32_t /*position*/) const { return -1; }
    // Whether the pair at `position` (its frame and its partner) can be had
    // now without waiting for a decoder.
    virtual bool ReadyAt(int32_t /*position*/) { return true; }
    // The pair at `position` as Pair would give it there, when ReadyAt says
    // it is ready, without moving the cursor or waiting: for a player that
    // stages pairs ahead of showing them. Null when it is not ready, and
    // always from a film that decodes nothing ahead.
    virtual EyePairPtr ReadyPair(int32_t /*position*/, Tone /*tone*/) { return nullptr; }
    // True for a film that keeps its decoded frames in a bounded cache of its
    // own (a video): the "Memory" reading mode keeps none of its pictures as
    // well, or playing it would hold every frame played.
    virtual bool CachesItsFrames() const { return false; }
    // The file the eye's picture of the current frame is read from, whose
    // camera metadata the stills written from it keep; empty for a film that
    // reads no file a frame (a .flm file, a video).
    virtual std::string SourceFile(Eye) { return {}; }
};

using FilmPtr = std::unique_ptr<Film>;

// The film's picture view, for code that works on views.
Picture FilmPicture(Film& film, Eye eye, Tone tone);

}  // namespace plexo
