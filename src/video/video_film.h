#pragma once
// A video as a single-view film: one frame a decoded picture, in
// presentation order, numbered from 1, with the partner Shift frames away as
// in a numbered sequence. Its pictures are the frames the source converted
// on its worker; while the film plays it never waits for the decoder, and the
// player shows a frame once ReadyAt says it is there.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "film/ms_film.h"
#include "video/video_source.h"
#include "video/video_timing.h"

namespace plexo::video {

class VideoFilm;

class VideoCadre : public Cadre {
public:
    VideoCadre(int32_t number, VideoFilm& film) : Cadre(number), film_(film) {}

protected:
    PictureBuffer Build(Tone tone) override;

private:
    VideoFilm& film_;
};

class VideoFilm : public MSFilm, private VideoCursor {
public:
    // `layout` is mono: who said so.
    VideoFilm(std::string path, std::unique_ptr<VideoSource> source, SourceLayout layout);

    bool Seek(int32_t position) override;
    int32_t Skip(int32_t steps) override;
    // The partner a new shift pairs is one the file holds.
    void SetRules(const StepRules& rules) override;
    FilmFacts Facts() const override;
    TimedSource& Timing() override { return timing_; }
    EyePairPtr Pair(Tone tone) override;

    const VideoSource& Source() const { return *source_; }
    // A spatial video's facts, which Facts states.
    void SetSpatial(SpatialFacts spatial) { spatial_ = std::move(spatial); }
    // A copy of the picture of the frame at `index`, for a walk that builds
    // pictures on several threads; any thread. Waits for the decoder unless
    // the film plays.
    PictureBuffer Build(size_t index, Tone tone);

protected:
    size_t Count() const override { return count_; }
    int32_t NumberAt(size_t index) const override { return int32_t(index) + 1; }
    Cadre& CadreAt(size_t index) override;
    void DropPicture(size_t index) override { made_.erase(index); }
    void DropAllPictures() override;

private:
    // Takes in a count the source cut, moving the cursor onto the last frame
    // (and the decoder after it) when it lay past it.
    void Settle();
    // Makes a move from position `from` and returns what it returned,
    // making it again from there when the frames it landed on were past the
    // file's end.
    int32_t Moved(int32_t from, const std::function<int32_t()>& move);
    void Aim(int32_t from);
    int32_t SettledCount() override
    {
        Settle();
        return int32_t(count_);
    }
    int32_t CursorAt() const override { return Position(); }
    int64_t PartnerAt(int32_t position, int32_t count) const override
    {
        return int64_t(cursor_.PartnerOf(size_t(position), size_t(count)));
    }
    void PlayingChanged(bool playing) override;
    void SetMovesWait(bool wait) override { movesWait_ = wait; }
    // The frame shown as the eye at the cursor: waited for unless the film
    // plays; while it plays, the one shown before when it is not ready.
    SharedPicture Picked(Eye eye);
    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) override;
    size_t PartnerIndex() const { return size_t(PartnerNumber() - 1); }

    std::string path_;
    std::unique_ptr<VideoSource> source_;
    SourceLayout layout_;
    SpatialFacts spatial_;
    size_t count_;
    std::unordered_map<size_t, std::unique_ptr<VideoCadre>> made_;
    std::atomic<bool> playing_{false};
    bool movesWait_ = true;
    // The frame last shown as each eye, shown again while the next is not
    // ready.
    SharedPicture shown_[2];
    // The frames whose pixels the picture operations handed out last.
    SharedPicture held_[2];
    int direction_ = 1;
    VideoTiming timing_{*source_, *this, 0};
};

// The film of a video file, or null after a message naming the file and the
// reason: single-view for a mono layout, else two-view. The layout is the
// user's choice, else what the stream states, else what the file's name
// says. A file that states no frame count is scanned on a worker thread,
// watched by the current scan watcher (scan_watch.h).
FilmPtr OpenVideoFilm(const std::string& path, const LayoutChoice& choice);

}  // namespace plexo::video
