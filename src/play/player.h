#pragma once
// The playback core. It owns the clock and the sound output, moves the film
// it is given by the tick rules, counts the frames that were due and not
// shown, decides once what is shown (the chosen presentation while stereo is
// on, plain otherwise) and hands each pair to its outputs. The shell tells it
// the film, the stereo choice and the playback settings, calls Tick from a
// timer set to the wait it returns, and Refresh when the film moved or
// changed outside playback.
//
// A film of frames keeps the Frames/sec period in whole milliseconds. A film
// whose frames keep times (a video) shows each frame when the clock reaches
// its time, at the film's own rate over the stream's times Step + 1 fold; a
// frame not ready by then is not shown late but skipped, and counted. The
// clock waits for a frame only at a start, a step or a seek. A video plays
// forward, and at its end stops on its last frame, or loops with Round. Each
// frame is shown ahead of its time by the delay its outputs report from Show
// to the screen, so that it appears as its sound is heard.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "doc/stereo_choice.h"
#include "film/film.h"
#include "film/staged_film.h"
#include "play/clock.h"
#include "play/output.h"
#include "play/sound_output.h"
#include "play/stage_ahead.h"
#include "play/waker.h"

namespace plexo::play {

// What the shell chose for playback, read as it is at each pass.
struct PlaySettings {
    // Step: the frames passed over for each one shown.
    int32_t step = 0;
    // The way a film of frames plays from the next Play (a video always
    // plays forward).
    bool forward = true;
    // The "Memory" reading mode: the film keeps the pictures it showed.
    bool keepsShownPictures = false;
};

class Player {
public:
    explicit Player(const WallClock& wall = SteadyWallClock());
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // The film shown, or null; `serial` tells another film that came to
    // live where the last one was. Refresh shows it.
    void SetFilm(Film* film, uint64_t serial)
    {
        film_ = film;
        serial_ = serial;
    }
    void SetChoice(const StereoChoice& choice) { choice_ = choice; }
    void SetSettings(const PlaySettings& settings) { settings_ = settings; }
    void SetStereo(bool on) { stereo_ = on; }
    bool Stereo() const { return stereo_; }
    // The presentation every output shows.
    const Presentation& Shown() const;
    Showing CurrentShowing() const;

    // A started output is shown the current pair at once; false, and left
    // out, when it would not start.
    bool AddOutput(Output& output);
    void RemoveOutput(Output& output);

    // Starts playing the film from where it stands at `rate` frames a
    // second: a film of frames on a period, a film with times at `rate`
    // over its own.
    void Play(double rate);
    // Ends playback; the frames due and not yet shown count as late. The
    // way the film went, forward or not, when it played; nothing otherwise.
    std::optional<bool> Stop();
    bool Playing() const { return playing_; }
    // The Frames/sec period in milliseconds while a film of frames plays,
    // for a repeating timer; 0 while a film with times plays.
    int PeriodMs() const { return playing_ && !timed_ ? periodMs_ : 0; }

    struct Pass {
        // Microseconds until the next pass is due.
        Micros wait = 0;
        // A new pair went to the outputs.
        bool shown = false;
        // The pass ended playback at the film's end: the way it went, as
        // Stop tells it.
        std::optional<bool> ended;
    };
    // One pass of playback: the film moved to what is due now and shown.
    // Out of playback, the pass shows the frame a step is waiting for once
    // it is ready.
    Pass Tick();
    // Shows the film's current pair: after a step, a seek, an open, or a
    // change of what is shown. A step or a seek of a film decoded ahead (a
    // video) never waits for a frame the decoder has not made yet: the
    // picture shown stays up, or the film's stand-in for the frame (the
    // keyframe before it) once there is one, until a pass finds the frame
    // ready, so that a key held down or a drag of the timeline never leaves
    // steps queued behind the decoder, and the last one asked for wins.
    // During playback the clock and the sound are held meanwhile, and go on
    // from the film's new place once its frame shows; so does Play.
    void Refresh();
    // True while a step's frame is awaited: the shell passes again soon.
    bool Waiting() const { return waiting_; }
    // Called, on a decoder's thread, when a pair the player may want has
    // become ready: the shell posts a pass then, rather than passing every
    // few milliseconds while it waits. It must only post.
    void SetWake(std::function<void()> wake) { waker_->Set(std::move(wake)); }
    // Shows the frame awaited now, waiting for it: for what takes the
    // picture shown (Copy).
    void Settle()
    {
        if (waiting_ && !playing_)
            ShowCurrent();
    }

    // The frames due and not shown in the playback under way or last ended;
    // -1 before any playback of a film with times.
    int32_t LateFrames() const { return late_; }
    const EyePairPtr& ShownPair() const { return shown_; }
    PlayClock& Clock() { return clock_; }

    // The sound output, owned from here on: started where each forward leg
    // of a film with times starts and at its speed, the clock following it
    // while it is heard; stopped when playback stops, holds or goes back.
    // Null: the film plays silent on the wall clock.
    void SetSound(std::unique_ptr<SoundOutput> sound);
    SoundOutput* Sound() const { return sound_.get(); }
    // The sound plays `delay` later than the picture (earlier when
    // negative): at film time t the sound of t − delay is heard. A sound
    // being heard starts again from where the picture stands.
    void SetSoundDelay(Micros delay);
    Micros SoundDelay() const { return soundDelay_; }
    // The film time now: the clock's while a film with times plays, else
    // the time of the film's position (the frames of a film without times
    // at `rate` a second); nothing without a film or a time.
    std::optional<Micros> FilmTime(double rate) const;
    // The stage each pair passes through on its way to the outputs: the
    // one a pair pipeline (pipeline/pair_pipeline.h) made for the
    // presentation shown, set again when that or the choice changes; empty:
    // the film's own pairs. It keeps what it needs, for it may run on a
    // worker: while a video plays, its pairs are staged there ahead of their
    // showing. The pairs staged ahead of another stage stay.
    void SetStage(PairStage stage) { stage_ = std::move(stage); }
    // The scale the film's pictures are made at, as the view shows them
    // (the pair pipeline decides it, film/picture_scale.h). Out of playback
    // the pair shown is made again at the new scale, and stays up until it
    // is.
    void SetPictureScale(PictureScale scale);
    const PictureScale& PictureScaleAsked() const { return scale_; }
    // The pair shown at the film's own size, through the stage, for what
    // writes or copies the picture shown (Copy, Save View As): waited for
    // when the pair shown was made smaller, else the pair shown.
    EyePairPtr OwnSizePair() const;

private:
    // Starts the clock (and the sound) from the film's position: at a
    // start, a seek, and each time a loop begins again.
    void StartLeg();
    Pass TimedTick();
    // The longest delay an output reports from Show to the screen, at most
    // kMostPresentDelay.
    Micros OutputDelay() const;
    // Has the film's decoder wake the shell.
    void Watch(Film& film);
    // How soon a pass looks again for a frame not ready yet.
    Micros PollWait() const;
    // Holds playback while the frame a seek landed on is decoded.
    void Hold(Film& film);
    // Shows the film's stand-in for the frame awaited, when it has a new
    // one; true when it did.
    bool ShowStandIn(Film& film);
    // Moves the film by whole positions, the film's stepping rules
    // deciding; returns the positions moved.
    int32_t MoveBy(int32_t positions);
    // Takes the film's current pair (waiting unless the film plays) and
    // hands it to every output.
    void ShowCurrent();
    void Count(int32_t late);
    // Starts staging afresh: for a film that hands out pairs ahead while a
    // stage is set, the worker stages them from the position shown on.
    void RestartAhead();
    // Asks the worker for the pairs to show next: the one `due` or, while
    // it is not decoded, the newest that is, after those already asked.
    void Feed(Film& film, int32_t due);

    Film* film_ = nullptr;
    uint64_t serial_ = 0;
    StereoChoice choice_;
    PlaySettings settings_;
    PlayClock clock_;
    std::shared_ptr<Waker> waker_ = std::make_shared<Waker>();
    std::unique_ptr<SoundOutput> sound_;
    Micros soundDelay_ = 0;
    std::vector<Output*> outputs_;
    PairStage stage_;
    PictureScale scale_;
    StageAhead ahead_{[waker = waker_] { waker->Wake(); }};
    bool staging_ = false;
    EyePairPtr shown_;
    bool stereo_ = false;
    bool playing_ = false;
    bool waiting_ = false;
    bool timed_ = false;
    int periodMs_ = 0;
    // Frames of play: Next (true) or Prev.
    bool forward_ = true;
    double speed_ = 1.0;
    // The film and the position whose pair is shown.
    const Film* shownFilm_ = nullptr;
    uint64_t shownSerial_ = 0;
    int32_t shownAt_ = -1;
    int32_t late_ = -1;
};

}  // namespace plexo::play
