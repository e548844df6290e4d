#pragma once
// Two films shown as one: every picture is a composite of the first film's
// picture and the second's, side by side or one above the other, and the two
// films step together. Pictures of different sizes are cut to the smaller
// one's height (side by side) or width (one above the other); the first such
// cut is logged.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "film/film.h"
#include "film/pictures_by_eye.h"

namespace plexo {

// Where the second film's picture goes relative to the first's.
enum PairSide : int32_t { kAddRight = 0, kAddBottom = 1, kAddLeft = 2, kAddTop = 3 };

class TwoFilms : public PicturesByEye<Film> {
public:
    TwoFilms(FilmPtr first, FilmPtr second, int32_t side);
    ~TwoFilms() override;

    void SetShift(int32_t shift) override;
    void SetRound(bool round) override;
    void SetInvert(bool invert) override;
    int32_t GetShift() const override { return first_->GetShift(); }
    bool GetRound() const override { return first_->GetRound(); }
    bool GetInvert() const override { return first_->GetInvert(); }
    int32_t FrameNumber() const override { return first_->FrameNumber(); }
    int32_t PartnerNumber() const override { return first_->PartnerNumber(); }
    int32_t FrameCount() const override { return first_->FrameCount(); }
    // Both films move; the first film's refusal stops the step, and when only
    // the second refuses the first stays where it moved to.
    bool Next() override { return Skip(1) == 1; }
    bool Prev() override { return Skip(-1) == 1; }
    void ReleasePictures() override;
    // The first film's position; a jump puts both films at the same position.
    int32_t Position() const override { return first_->Position(); }
    bool Seek(int32_t position) override;
    int32_t Skip(int32_t steps) override;
    void SetPlaying(bool playing) override
    {
        first_->SetPlaying(playing);
        second_->SetPlaying(playing);
    }
    void PlayingAt(int32_t due) override
    {
        first_->PlayingAt(due);
        second_->PlayingAt(due);
    }
    void SetReadAhead(bool on) override
    {
        first_->SetReadAhead(on);
        second_->SetReadAhead(on);
    }
    void SetMovesWait(bool wait) override
    {
        first_->SetMovesWait(wait);
        second_->SetMovesWait(wait);
    }
    // Ready when both films' frames are.
    bool ReadyAt(int32_t position) override { return first_->ReadyAt(position) && second_->ReadyAt(position); }
    bool CachesItsFrames() const override { return first_->CachesItsFrames() || second_->CachesItsFrames(); }

    // Two views when the first film has them; its layout.
    int32_t Eyes() const override { return first_->Eyes(); }
    SourceLayout Layout() const override { return first_->Layout(); }
    // The first film's, whose frames give the pair its numbers.
    std::string SourceFile(Eye eye) override { return first_->SourceFile(eye); }

    int32_t side() const { return side_; }
    // The film whose frames give the pair its numbers.
    const Film& first() const { return *first_; }
    // Bytes of the composite buffer, which grows and never shrinks.
    size_t compositeCapacity() const { return capacity_; }

private:
    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) override;

    FilmPtr first_;
    FilmPtr second_;
    int32_t side_;
    std::unique_ptr<uint8_t[]> composite_;
    size_t capacity_ = 0;
    bool cutLogged_ = false;
};

// A pair of the two films; null when either film is null or the side is not
// one of the four, and then both films stay with the caller.
FilmPtr PairFilms(FilmPtr&& first, FilmPtr&& second, int32_t side);

}  // namespace plexo
