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

namespace plexo {

// Where the second film's picture goes relative to the first's.
enum PairSide : int32_t { kAddRight = 0, kAddBottom = 1, kAddLeft = 2, kAddTop = 3 };

class TwoFilms : public Film {
public:
    TwoFilms(FilmPtr first, FilmPtr second, int32_t side);
    ~TwoFilms() override;

    void SetRules(const StepRules& rules) override;
    StepRules Rules() const override { return first_->Rules(); }
    int32_t FrameNumber() const override { return first_->FrameNumber(); }
    int32_t PartnerNumber() const override { return first_->PartnerNumber(); }
    int32_t FrameCount() const override { return first_->FrameCount(); }
    void ReleasePictures() override;
    // The first film's position; a jump puts both films at the same position.
    int32_t Position() const override { return first_->Position(); }
    bool Seek(int32_t position) override;
    // Both films move; the first film's refusal stops the step, and when only
    // the second refuses the first stays where it moved to.
    int32_t Skip(int32_t steps) override;
    // The first film's facts; its frames are cached when either film's are.
    FilmFacts Facts() const override;
    // The first film's, whose frames give the pair its numbers.
    std::string SourceFile(Eye eye) override { return first_->SourceFile(eye); }
    // Ready when both films' frames are; both are aimed alike.
    TimedSource& Timing() override { return timing_; }

    int32_t side() const { return side_; }
    // The film whose frames give the pair its numbers.
    const Film& first() const { return *first_; }
    // Bytes of the composite buffer, which grows and never shrinks.
    size_t compositeCapacity() const { return capacity_; }

private:
    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& width, int32_t& height) override;

    // Frames of their own times are not paired by them: the pair plays at the
    // Frames/sec period, each film's decoder told alike.
    class BothTiming final : public TimedSource {
    public:
        explicit BothTiming(TwoFilms& films) : films_(films) {}
        int64_t TimeAt(int32_t) const override { return -1; }
        bool ReadyAt(int32_t position) override
        {
            return first().ReadyAt(position) && second().ReadyAt(position);
        }
        // Either film's decoder wakes a player.
        void SetWake(std::function<void()> wake) override
        {
            first().SetWake(wake);
            second().SetWake(std::move(wake));
        }
        void SetPlaying(bool playing) override
        {
            first().SetPlaying(playing);
            second().SetPlaying(playing);
        }
        void PlayingAt(int32_t due) override
        {
            first().PlayingAt(due);
            second().PlayingAt(due);
        }
        void SetReadAhead(bool on) override
        {
            first().SetReadAhead(on);
            second().SetReadAhead(on);
        }
        void SetMovesWait(bool wait) override
        {
            first().SetMovesWait(wait);
            second().SetMovesWait(wait);
        }

    private:
        TimedSource& first() { return films_.first_->Timing(); }
        TimedSource& second() { return films_.second_->Timing(); }
        TwoFilms& films_;
    };

    FilmPtr first_;
    FilmPtr second_;
    BothTiming timing_{*this};
    int32_t side_;
    std::unique_ptr<uint8_t[]> composite_;
    size_t capacity_ = 0;
    bool cutLogged_ = false;
};

// A pair of the two films; null when either film is null or the side is not
// one of the four, and then both films stay with the caller.
FilmPtr PairFilms(FilmPtr&& first, FilmPtr&& second, int32_t side);

}  // namespace plexo
