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
    StagedFilm(Film& inner, PairStage stage) : inner_(inner), stage_(std::move(stage)) {}

    Film& inner() { return inner_; }

    const uint8_t* GreyPicture(int32_t& width, int32_t& height) override;
    const uint8_t* PartnerGreyPicture(int32_t& width, int32_t& height) override;
    const uint8_t* ColourPicture(int32_t& width, int32_t& height) override;
    const uint8_t* PartnerColourPicture(int32_t& width, int32_t& height) override;
    void SetShift(int32_t shift) override { inner_.SetShift(shift); }
    void SetRound(bool round) override { inner_.SetRound(round); }
    void SetInvert(bool invert) override { inner_.SetInvert(invert); }
    int32_t GetShift() const override { return inner_.GetShift(); }
    bool GetRound() const override { return inner_.GetRound(); }
    bool GetInvert() const override { return inner_.GetInvert(); }
    int32_t FrameNumber() const override { return inner_.FrameNumber(); }
    int32_t PartnerNumber() const override { return inner_.PartnerNumber(); }
    int32_t FrameCount() const override { return inner_.FrameCount(); }
    bool Next() override { return inner_.Next(); }
    bool Prev() override { return inner_.Prev(); }
    // The staged pairs are this film's own and stay; the inner film's go.
    void ReleasePictures() override { inner_.ReleasePictures(); }
    int32_t Position() const override { return inner_.Position(); }
    bool Seek(int32_t position) override { return inner_.Seek(position); }
    int32_t Skip(int32_t steps) override { return inner_.Skip(steps); }
    double FrameRate() const override { return inner_.FrameRate(); }
    double Duration() const override { return inner_.Duration(); }
    Picture PictureView(Eye eye, Tone tone) override;
    EyePairPtr Pair(Tone tone) override;
    int32_t Eyes() const override { return inner_.Eyes(); }
    SourceLayout Layout() const override { return inner_.Layout(); }
    void SetPlaying(bool playing) override { inner_.SetPlaying(playing); }
    void PlayingAt(int32_t due) override { inner_.PlayingAt(due); }
    void SetReadAhead(bool on) override { inner_.SetReadAhead(on); }
    void SetMovesWait(bool wait) override { inner_.SetMovesWait(wait); }
    int64_t TimeAt(int32_t position) const override { return inner_.TimeAt(position); }
    bool ReadyAt(int32_t position) override { return inner_.ReadyAt(position); }
    bool CachesItsFrames() const override { return inner_.CachesItsFrames(); }
    std::string SourceFile(Eye eye) override { return inner_.SourceFile(eye); }

private:
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
    const uint8_t* Raw(Eye eye, Tone tone, int32_t& width, int32_t& height);

    Film& inner_;
    PairStage stage_;
    Staged staged_[2];
};

}  // namespace plexo
