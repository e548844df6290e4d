#pragma once
// A film whose pairs pass through a stage (alignment) before a compositor
// sees them: the cursor is the inner film's, the pictures the stage's pair.
// The compositors take a film; this lets a stage that turns a pair into a
// new pair sit in front of them until they take pairs themselves.

#include <functional>

#include "film/film.h"

namespace plexo {

// A new pair from the pair, or null to show the pair as it is.
using PairStage = std::function<EyePairPtr(const EyePair&)>;

class StagedFilm final : public Film {
public:
    StagedFilm(Film& inner, PairStage stage) : inner_(inner), stage_(std::move(stage)), timing_(*this) {}

    Film& inner() { return inner_; }

    // The pictures are the staged pair's.
    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) override;
    Picture PictureView(Eye eye, Tone tone) override;
    EyePairPtr Pair(Tone tone) override;
    // The staged pairs are this film's own and stay; the inner film's go.
    void ReleasePictures() override { inner_.ReleasePictures(); }
    // The inner film's timing, its ready pairs and stand-ins staged.
    TimedSource& Timing() override { return timing_; }

    // The cursor is the inner film's.
    StepRules Rules() const override { return inner_.Rules(); }
    void SetRules(const StepRules& rules) override { inner_.SetRules(rules); }
    int32_t FrameNumber() const override { return inner_.FrameNumber(); }
    int32_t PartnerNumber() const override { return inner_.PartnerNumber(); }
    int32_t FrameCount() const override { return inner_.FrameCount(); }
    int32_t Position() const override { return inner_.Position(); }
    bool Seek(int32_t position) override { return inner_.Seek(position); }
    int32_t Skip(int32_t steps) override { return inner_.Skip(steps); }
    FilmFacts Facts() const override { return inner_.Facts(); }
    std::string SourceFile(Eye eye) override { return inner_.SourceFile(eye); }

private:
    class StagedTiming final : public TimedSource {
    public:
        explicit StagedTiming(StagedFilm& film) : film_(film) {}
        int64_t TimeAt(int32_t position) const override { return inner().TimeAt(position); }
        bool ReadyAt(int32_t position) override { return inner().ReadyAt(position); }
        int32_t NewestReady(int32_t from, int32_t to) override { return inner().NewestReady(from, to); }
        void SetWake(std::function<void()> wake) override { inner().SetWake(std::move(wake)); }
        EyePairPtr ReadyPair(int32_t position, Tone tone) override
        {
            return film_.Through(inner().ReadyPair(position, tone));
        }
        EyePairPtr StandIn(Tone tone) override { return film_.Through(inner().StandIn(tone)); }
        void SetPlaying(bool playing) override { inner().SetPlaying(playing); }
        void PlayingAt(int32_t due) override { inner().PlayingAt(due); }
        void SetReadAhead(bool on) override { inner().SetReadAhead(on); }
        void SetMovesWait(bool wait) override { inner().SetMovesWait(wait); }

    private:
        TimedSource& inner() const { return film_.inner_.Timing(); }
        StagedFilm& film_;
    };

    // A tone's staged pair, made again when the inner film's frame, partner
    // or file changes (another film may come to live where this one was).
    struct Staged {
        EyePairPtr pair;
        int32_t frame = -1;
        int32_t partner = -1;
        int32_t position = -1;
        int32_t count = -1;
        std::string source;
    };
    // The pair through the stage; null for null.
    EyePairPtr Through(EyePairPtr pair) const;

    Film& inner_;
    PairStage stage_;
    Staged staged_[2];
    StagedTiming timing_;
};

}  // namespace plexo
