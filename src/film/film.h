#pragma once
// The abstract film: an ordered run of frames with a cursor, giving the picture
// of the current frame and of its partner frame Shift positions away.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "film/eye_pair.h"
#include "film/timed_source.h"
#include "image/picture.h"
#include "image/projection.h"
#include "image/spatial_facts.h"
#include "image/stereo_layout.h"

namespace plexo {

// Which of the two pictures a compositor draws: the current frame's, or its
// partner's. In a two-view film they are the first and the second eye.
enum class Eye { Current, Partner };

// How a film steps: the partner offset, the loop at both ends, and Next and
// Prev exchanged.
struct StepRules {
    int32_t shift = 0;
    bool round = false;
    bool invert = false;
};

// What a film states about itself.
struct FilmFacts {
    // Frames a second and the playing time in seconds; 0 when the source
    // states none.
    double frameRate = 0;
    double duration = 0;
    // 2 for a two-view film, whose current picture and partner picture are
    // the two eyes of one moment; 1 for a film whose partner is another
    // frame of the same view.
    int32_t eyes = 1;
    // How the source stores its eyes, and who said so.
    SourceLayout layout;
    // The spherical projection its metadata states; from nobody when it
    // states none (DecideProjection weighs the user's choice and the name).
    SourceProjection projection{};
    // True for a film that keeps its decoded frames in a bounded cache of
    // its own (a video): the "Memory" reading mode keeps none of its
    // pictures as well, or playing it would hold every frame played.
    bool cachesItsFrames = false;
    // A phone's stereo picture or video: what it says of its cameras, and
    // the D its disparity adjustment makes, which a D the user kept for the
    // film overrides.
    SpatialFacts spatial = {};
    std::optional<int32_t> statedDist = std::nullopt;
};

// The cursor and its pictures; what plays the film in time is its Timing.
class Film {
public:
    virtual ~Film() = default;

    // The picture of the eye in the tone: the pixels (owned by the film,
    // valid until the next picture request to this film) or null; on success
    // the size is written to width and height.
    virtual const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) = 0;
    const uint8_t* GreyPicture(int32_t& width, int32_t& height)
    {
        return EyePicture(Eye::Current, Tone::Grey, width, height);
    }
    const uint8_t* PartnerGreyPicture(int32_t& width, int32_t& height)
    {
        return EyePicture(Eye::Partner, Tone::Grey, width, height);
    }
    const uint8_t* ColourPicture(int32_t& width, int32_t& height)
    {
        return EyePicture(Eye::Current, Tone::Colour, width, height);
    }
    const uint8_t* PartnerColourPicture(int32_t& width, int32_t& height)
    {
        return EyePicture(Eye::Partner, Tone::Colour, width, height);
    }
    // The picture as a view with its stride, valid as EyePicture's pixels
    // are. By default the packed picture; a film whose pictures lie inside
    // larger ones (the eyes of a side-by-side picture) hands out views into
    // them instead of copies.
    virtual Picture PictureView(Eye eye, Tone tone);
    // The current frame and its partner as an owned pair in `tone`; null
    // without a current picture. By default copies of the two views; a film
    // whose frames are shared and immutable (a video's) hands out its own.
    virtual EyePairPtr Pair(Tone tone);

    virtual StepRules Rules() const = 0;
    virtual void SetRules(const StepRules& rules) = 0;
    int32_t GetShift() const { return Rules().shift; }
    bool GetRound() const { return Rules().round; }
    bool GetInvert() const { return Rules().invert; }
    void SetShift(int32_t shift)
    {
        StepRules rules = Rules();
        rules.shift = shift;
        SetRules(rules);
    }
    void SetRound(bool round)
    {
        StepRules rules = Rules();
        rules.round = round;
        SetRules(rules);
    }
    void SetInvert(bool invert)
    {
        StepRules rules = Rules();
        rules.invert = invert;
        SetRules(rules);
    }

    // Number of the current frame, or -1 without one.
    virtual int32_t FrameNumber() const = 0;
    // Number of the partner frame, or -1 when the film cannot tell.
    virtual int32_t PartnerNumber() const = 0;
    virtual int32_t FrameCount() const = 0;
    // Positions: the current frame's place in play order, from 0, or -1
    // without frames.
    virtual int32_t Position() const = 0;
    // Puts the cursor on the frame at `position`, clamped to the first and the
    // last frame, whatever the partner rules; stepping goes on from there by
    // them. False without frames.
    virtual bool Seek(int32_t position) = 0;
    // As many steps forward (steps > 0) or back (steps < 0) as |steps|, made
    // at once: stops where the first of them would refuse. Returns the steps
    // that moved.
    virtual int32_t Skip(int32_t steps) = 0;
    // One step; true when the film moved.
    bool Next() { return Skip(1) == 1; }
    bool Prev() { return Skip(-1) == 1; }
    virtual void ReleasePictures() = 0;

    virtual FilmFacts Facts() const { return {}; }
    double FrameRate() const { return Facts().frameRate; }
    double Duration() const { return Facts().duration; }
    int32_t Eyes() const { return Facts().eyes; }
    SourceLayout Layout() const { return Facts().layout; }
    bool CachesItsFrames() const { return Facts().cachesItsFrames; }

    // The file the eye's picture of the current frame is read from, whose
    // camera metadata the stills written from it keep; empty for a film that
    // reads no file a frame (a .flm file, a video).
    virtual std::string SourceFile(Eye) { return {}; }

    // The film as a player plays it; a film of frames through FramesTiming.
    virtual TimedSource& Timing();
};

using FilmPtr = std::unique_ptr<Film>;

// The film's picture view, for code that works on views.
Picture FilmPicture(Film& film, Eye eye, Tone tone);

// The position of the frame shown at film time `us`: the last whose time is
// at or before it, else the first. Only for a film with times and frames.
int32_t PositionAtTime(Film& film, int64_t us);

}  // namespace plexo
