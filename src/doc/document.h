#pragma once
// The viewer's one document: it owns the current film, the stereo
// parameters and how the film is presented (the stereo choice), and carries
// out the film commands. Toolkit-free: the shell runs the file dialogs and
// hands over the chosen path, and learns through `filmMoved` when the film
// moved, changed or is to be shown again: every move of the film, the
// timeline's included, goes through the document.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_tracks.h"
#include "audio/sound_source.h"
#include "doc/command_line_options.h"
#include "doc/film_memory.h"
#include "doc/playlist.h"
#include "doc/stereo_choice.h"
#include "film/film.h"
#include "image/projection.h"
#include "image/sphere_camera.h"

namespace plexo {

class CPlexoDoc {
public:
    // The most frames a playback tick skips: "4 steps" in the Settings dialog.
    static constexpr int32_t kMaxStep = 3;


    // Reads the six parameters from the settings file (Step held to
    // 0..kMaxStep). `commandLine`, when
    // given, must outlive the document; its options reach the first film
    // opened through Serialize while `done` is false.
    explicit CPlexoDoc(CommandLineOptions* commandLine = nullptr);
    // Writes the six parameters ("Alter", "Step", "Dist", "Shift", "Round",
    // "Invert") and destroys the film.
    ~CPlexoDoc();
    CPlexoDoc(const CPlexoDoc&) = delete;
    CPlexoDoc& operator=(const CPlexoDoc&) = delete;

    Film* film() const { return film_.get(); }
    // Changes whenever another film (or none) takes the film's place, which
    // its address alone cannot tell: a new film may be made where the last
    // one was.
    uint64_t filmSerial() const { return filmSerial_; }
    // Replaces the film as it is, without applying the parameters; it has
    // no path, so nothing is kept of it.
    void SetFilm(FilmPtr film);

    // The user's layout choice for a file, asked on every open path; empty
    // (Automatic, the file says) when the shell leaves it unset.
    std::function<LayoutChoice(const std::string& path)> layoutOf;

    // Load and Add after the open dialog (see MakeOpenDialog) ended with OK.
    // The extension picks the factory; any but BMP, FLM and JPG shows
    // "File extension is incompatible". False when no film was built.
    //
    // On every open path a file that gives no film shows
    // OpenFailureMessage (doc/open_failure.h), unless the factory has shown
    // why already, and leaves the film shown before as it was.
    bool LoadFilm(const std::string& chosenPath);
    bool AddFilm(const std::string& chosenPath);
    // The open-from-file path of the command line and the shell's Open: it
    // opens what Load opens, and reads a name of any other extension as a
    // .flm film; the command line's options, its second film too, are
    // applied to the first film built this way.
    bool Serialize(const std::string& path);

    void StepForward();
    void StepBack();
    void ReleaseFilm();

    // Save As of the current frame, by the path's extension (BMP or JPG).
    // Failure is reported as "Save error" in the log.
    bool SaveAs(const std::string& path);

    // The paths the film shown was opened from: one, two for a pair, none
    // for a film handed over by SetFilm.
    const std::vector<std::string>& filmPaths() const { return filmPaths_; }
    // A film of its own for work on another thread (an export): the film
    // shown opened again from its paths, with the same layout choices, pair
    // side, shift and position. Null without paths or when it no longer
    // opens, after saying why as every open path does.
    FilmPtr OpenFilmAgain() const;
    // The enabling rules of Save As and Add.
    bool CanSaveAs() const { return film_ != nullptr; }
    bool CanAddFilm() const { return film_ != nullptr && canAdd; }

    // Where the pictures come from while a film plays: kept in memory, or
    // read from the file again and released after each draw.
    enum class Reading : int32_t { Memory = 0, File = 1 };
    // Where Add puts the second film.
    enum class AddSide : int32_t { Right = 0, Bottom = 1, Left = 2, Top = 3 };

    // The presentation chosen and the adjustments. A film opened gets its
    // own adjustments, kept in the "Films" section (film_memory.h), else
    // swap off, the Settings D (0 for a two-view film) and no vertical move.
    const StereoChoice& stereo() const { return stereo_; }
    // Plain is stereo off, never a choice: it is ignored.
    void ChoosePresentation(PresentationId presentation);
    // Each change is kept as the film's own (a D changed here becomes the
    // film's D, whatever the Settings D), and the views repaint. D and the
    // vertical move stay within ±kMaxAdjustment.
    void SwapEyes();
    void MoveAdjustments(int32_t dist, int32_t vertical);
    // Swap off, the Settings D (0 for a two-view film), no vertical move, no
    // alignment; the film forgets its own.
    void ResetAdjustments();
    // The film's alignment, kept in its record's `align` field
    // (doc/film_alignment.h): a correction's text, "frames", or empty. The
    // window's D is set as the film's D, through MoveAdjustments.
    std::string alignment() const;
    void setAlignment(const std::string& align);

    // A two-view film's shift is its eye offset, the frames its second eye
    // lags the first: kept per film beside the adjustments, 0 unless set,
    // whatever Shift or the command line's /A= say, and never written into
    // Shift. Single-view films take Shift as ever.
    bool twoView() const { return film_ && film_->Eyes() == 2; }
    void setEyeOffset(int32_t offset);

    // A film that states its rate (a video) plays at its own: the one set for
    // it in the Settings dialog, kept in its record, else the stream's; the
    // Frames/sec setting is then left as it is. Any other film plays at
    // `framesPerSecond`, the Frames/sec setting.
    bool ownRate() const { return film_ && film_->FrameRate() > 0; }
    double playRate(double framesPerSecond) const;
    // Kept as the film's own rate; the stream's rate, or one outside 0.01 to
    // 1000, forgets it. Nothing for other films.
    void setFilmRate(double rate);
    // The sound track chosen for the film (the stream's index in its file),
    // kept in its record as "audio-track"; -1 while none is chosen, which
    // plays the file's default.
    int32_t audioTrack() const;
    void setAudioTrack(int32_t track);
    // The sound streams of the film's file, read once a file: none for a
    // film that does not play at its own rate (no video) or has no path; a
    // pair of videos has the first one's.
    const std::vector<audio::AudioTrack>& audioTracks() const;
    // The track marked as playing: the one chosen, else the file's default;
    // -1 without tracks.
    int32_t shownAudioTrack() const;
    // What the film's sound plays: its file (a pair of videos plays the
    // first one's sound, as it shows its frames first), the track chosen
    // (the default where a kept choice is no sound stream of the file; -1,
    // the default the decoder finds, while none is chosen, so the file is
    // not read for it) and where its picture ends. Nothing for a film with
    // no sound to play: only a video at its own rate has one.
    std::optional<audio::SoundSource> soundSource() const;

    // The film's subtitles, kept in its record: the track (nullopt for the
    // film's default, 0 for none, else the Nth of View > Subtitles' tracks)
    // and the depth ("auto", "authored" or a disparity in pixels), which
    // the view reads as the subtitle layer does.
    std::optional<int32_t> subtitleTrack() const;
    void setSubtitleTrack(std::optional<int32_t> track);
    std::string subtitleDepth() const;
    void setSubtitleDepth(const std::string& depth);

    // A video longer than kShortestResumed reopens where it was left: its
    // record keeps the place as `position` (doc/resume_rule.h) whenever the
    // film is closed, unless resuming is off, and the open paths of Load and
    // of the command line put it there again. Section "Playback" keeps the
    // setting.
    bool resume() const { return resume_; }
    void setResume(bool resume) { resume_ = resume; }
    // Where the film just opened was put back, in seconds; nullopt when it
    // starts at its beginning.
    std::optional<double> resumedAt() const { return resumedAt_; }
    // Film > Loop: the film's loop is Round; the list's is kept beside it.
    LoopMode loopMode() const;
    void setLoopMode(LoopMode mode);
    // The seconds each picture of a slideshow stays.
    int32_t slideSeconds() const { return slideSeconds_; }
    void setSlideSeconds(int32_t seconds);

    // A spherical film's camera and the user's View > Projection, kept in
    // its record (the "view" and "projection" fields). While `keep` is
    // false (a drag going on) the camera is shown but not yet written.
    SphereCamera sphereCamera() const;
    void setSphereCamera(const SphereCamera& camera, bool keep = true);
    ProjectionChoice projectionChoice() const;
    void setProjectionChoice(const ProjectionChoice& choice);
    // The film's projection as it is shown: the choice, its metadata, its
    // name; flat without a film.
    SourceProjection projection() const;

    // How much later than the picture the film's sound plays and its
    // subtitles show, in milliseconds (earlier when negative), kept in its
    // record as "audio-delay" and "subtitle-delay" while not 0, within ten
    // minutes either way. A move tells filmMoved.
    static constexpr int32_t kAudioDelayStepMs = 50;
    static constexpr int32_t kSubtitleDelayStepMs = 100;
    int32_t audioDelayMs() const;
    int32_t subtitleDelayMs() const;
    void MoveAudioDelay(int32_t ms);
    void MoveSubtitleDelay(int32_t ms);

    // The parameters as every caller outside the document sees them.
    // The Settings D: the D of single-view films without their own. A new
    // one is the shown film's D too, which then forgets its own; while a
    // two-view film is shown, setDist sets that film's own D instead.
    int32_t dist() const { return Dist; }
    void setDist(int32_t dist);
    int32_t step() const { return Step; }
    void setStep(int32_t step) { Step = step; }
    Reading reading() const { return Reading(Alter); }
    // Whether the pictures drawn stay in memory for replay: in the "Memory"
    // reading mode, unless the film caches its frames itself.
    bool keepsShownPictures() const { return reading() == Reading::Memory && !(film_ && film_->CachesItsFrames()); }
    void setReading(Reading reading) { Alter = int32_t(reading); }
    int32_t shift() const { return Shift; }
    void setShift(int32_t shift) { Shift = shift; }
    bool round() const { return Round != 0; }
    // Round is Film > Loop's The Film, which the list's loop gives way to.
    void setRound(bool round)
    {
        Round = round;
        loopList_ = loopList_ && !round;
    }
    bool invert() const { return Invert != 0; }
    void setInvert(bool invert) { Invert = invert; }
    AddSide addSide() const { return AddSide(side); }
    void setAddSide(AddSide addSide) { side = int32_t(addSide); }

    // The parameters under the names of the settings file's keys, which the
    // document's own code and its tests use.
    int32_t Dist;
    int32_t Step;
    int32_t Alter;   // 0 keep pictures in memory, 1 release them after each draw
    int32_t Shift;
    int32_t Round;   // as boolean
    int32_t Invert;  // as boolean
    int32_t side = 0;       // where Add puts the second film: 0 right, 1 bottom, 2 left, 3 top
    bool canAdd = false;    // the film is a single film that Add may extend
    int32_t direction = 0;  // of the last step: 0 forward, 1 backward

    // Seeks the film to `position` (the timeline), or to its first or last
    // frame by the stepping rules (Home and End); false when it did not move.
    bool SeekTo(int32_t position);
    bool StepToEnd(bool last);
    // The film moved or changed, or is to be shown again: the shell fills it
    // in, and the document and the shell's dialogs call it through
    // TellFilmMoved.
    std::function<void()> filmMoved;
    void TellFilmMoved();

private:
    // The record's delay `field`, `now` as it stands, moved by `ms`.
    void MoveDelay(const char* field, int32_t now, int32_t ms);
    void ApplyParameters(Film& film) const;
    void ApplyCommandLine();
    // After the film changed and filmPaths_ says what it was opened by: its
    // kept adjustments read back.
    void RecallAdjustments();
    // The film's record written back after the keys changed it.
    void KeepAdjustments();
    // Shift for a single view, the kept eye offset for two views.
    int32_t ShiftFor(const Film& film) const;
    // The D of a film without its own: the Settings D, 0 for a two-view film.
    int32_t DefaultDist() const;
    LayoutChoice LayoutOf(const std::string& path) const;
    // Before the film is closed or replaced: its place kept in its record,
    // or forgotten once it is seen to its end.
    void KeepPosition();
    // After an open path read the record: the film put back where it was left.
    void ResumePosition();

    FilmPtr film_;
    uint64_t filmSerial_ = 0;
    CommandLineOptions* commandLine_;
    StereoChoice stereo_;
    // The path of each film shown; none for a film handed over by SetFilm.
    std::vector<std::string> filmPaths_;
    // Where the second film of a pair was put.
    int32_t pairSide_ = 0;
    // Empty while the film has no path.
    std::string filmKey_;
    FilmRecord record_;
    bool resume_ = true;
    bool loopList_ = false;
    int32_t slideSeconds_ = 5;
    std::optional<double> resumedAt_;
    // The file whose sound streams were read last, and its streams.
    mutable std::string tracksPath_;
    mutable std::vector<audio::AudioTrack> tracks_;
};

}  // namespace plexo
