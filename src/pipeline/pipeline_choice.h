#pragma once
// What a film's pair pipeline is built from: the film it draws from and the
// user's choice, filled in by whoever reads the document or the command line.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "align/align_model.h"
#include "film/film.h"
#include "film/picture_scale.h"
#include "image/projection.h"
#include "image/sphere_camera.h"
#include "image/stereo_layout.h"
#include "present/presentation.h"
#include "subtitle/subtitle_depth.h"

namespace plexo::subtitle {
class TextLine;
}

namespace plexo::pipeline {

// Where the subtitles come from.
enum class SubtitlesFrom {
    None,
    // The track the viewer shows while the user has chosen none
    // (subtitle::UnaskedTrack); a film without one shows none, unremarked.
    Unasked,
    // The track PipelineChoice::subtitles names, as --subtitles does.
    Named,
};

// How a spherical film is looked into: its projection (a flat one, or one
// not shown, makes no viewport), the camera, and the size of the
// rectilinear picture each eye becomes.
struct SphereChoice {
    Projection projection;
    SphereCamera camera;
    int width = 0;
    int height = 0;

    bool operator==(const SphereChoice&) const = default;
    bool looks() const { return projection.spherical() && width > 0 && height > 0; }
};

struct PipelineChoice {
    // The correction a film's record keeps (align::AlignModelText), or
    // kAlignEveryFrame; empty, or text that cannot be read: not aligned.
    std::string align;
    // Every frame aligned as it is read, whatever the record keeps.
    bool everyFrame = false;
    // Corrections found frame by frame, by frame number: when there are any
    // they replace the record's, and a frame without one is left as it is.
    std::map<int32_t, align::AlignModel> frameModels;

    SubtitlesFrom subtitlesFrom = SubtitlesFrom::None;
    // "default", a track's number from 1, or a subtitle file's path.
    std::string subtitles;
    subtitle::DepthChoice depth;
    // The subtitles shown this much later than their times.
    int64_t subtitleDelayUs = 0;
    // The on-screen line drawn over the subtitles (PipelineFilm::line);
    // empty: none.
    std::string line;

    // The presentation the pairs are shown in.
    PresentationId presentation = PresentationId::Plain;
    // For a presentation shown one to one and cut to the view: the view's
    // size in pixels, which the subtitle is laid out within; 0 x 0 over the
    // whole eye.
    int viewWidth = 0;
    int viewHeight = 0;
    // The scale the view shows the pictures at, where it is smaller than
    // their own: the film is asked to make them at that size. Own size for
    // writers.
    PictureScale shownScale;

    // The viewport, before every other stage.
    SphereChoice sphere;
};

// How automatic depth looks over an event before it shows.
enum class LookAheadOn {
    // Waiting for the answer before drawing: for writers, never in a hurry.
    // Only an automatic depth looks.
    Caller,
    // On a worker of its own, never waited for: for a player. It looks
    // whatever the depth, so that a pipeline re-targeted to automatic depth
    // has it.
    Worker,
};

struct PipelineFilm {
    // The film's file (the first of a pair), whose subtitle tracks are
    // offered; empty: no subtitles.
    std::string path;
    // Pairs that keep no time are timed by the film's stated rate.
    double frameRate = 0;
    // How the film lays out its frame, for subtitles drawn as authored.
    StereoLayout layout;
    // The same film opened again, set up as the one shown (its shift), for
    // the look-ahead to read; empty: none.
    std::function<FilmPtr()> reopen;
    LookAheadOn lookAhead = LookAheadOn::Caller;
    // What draws PipelineChoice::line, kept by the caller from one pipeline
    // to the next; null: no line.
    std::shared_ptr<subtitle::TextLine> line;
};

}  // namespace plexo::pipeline
