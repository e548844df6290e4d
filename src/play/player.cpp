#include "play/player.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "doc/play_period.h"
#include "platform/log.h"
#include "play/delay_meter.h"
#include "play/tick_rules.h"

namespace plexo::play {

namespace {

// While the frame due is not ready, how soon the next pass looks again; with
// a wake set, the decoder says when, and a pass looks only now and then.
constexpr Micros kPollUs = 4000;
constexpr Micros kWokenPollUs = 40000;
// A pass with nothing to play waits this long (the shell stops it first).
constexpr Micros kIdleUs = 100000;
// The pairs asked of the stage worker at once: the one it stages and the
// next, so that it never waits for a pass to be given work.
constexpr size_t kStagedAhead = 2;

}  // namespace

Player::Player(const WallClock& wall) : clock_(wall) {}

Player::~Player()
{
    // A decoder may call after this player has gone.
    waker_->Set({});
}

void Player::Watch(Film& film)
{
    film.Timing().SetWake([waker = waker_] { waker->Wake(); });
}

Micros Player::PollWait() const
{
    return waker_->Armed() ? kWokenPollUs : kPollUs;
}

void Player::SetSound(std::unique_ptr<SoundOutput> sound)
{
    clock_.SetMaster(nullptr);
    sound_ = std::move(sound);
}

void Player::SetSoundDelay(Micros delay)
{
    if (delay == soundDelay_)
        return;
    soundDelay_ = delay;
    // Held for a frame, the leg that starts when it shows takes the delay.
    if (!playing_ || !timed_ || !clock_.Running() || !sound_)
        return;
    const Micros now = clock_.Now();
    const bool heard = sound_->Start(now - delay, speed_);
    clock_.SetMaster(heard ? sound_.get() : nullptr, delay);
    clock_.Set(now);
}

std::optional<Micros> Player::FilmTime(double rate) const
{
    if (!film_ || film_->FrameCount() <= 0)
        return std::nullopt;
    if (playing_ && timed_ && clock_.Running())
        return clock_.Now();
    if (const int64_t time = film_->Timing().TimeAt(film_->Position()); time >= 0)
        return time;
    if (rate <= 0)
        return std::nullopt;
    return Micros(std::llround(double(film_->Position()) * 1e6 / rate));
}

const Presentation& Player::Shown() const
{
    return ShownPresentation(stereo_, choice_.presentation);
}

Showing Player::CurrentShowing() const
{
    return {&Shown(), choice_.adjust};
}

bool Player::AddOutput(Output& output)
{
    if (std::find(outputs_.begin(), outputs_.end(), &output) != outputs_.end())
        return true;
    if (!output.Start())
        return false;
    outputs_.push_back(&output);
    output.Show(shown_, CurrentShowing());
    return true;
}

void Player::RemoveOutput(Output& output)
{
    const auto at = std::find(outputs_.begin(), outputs_.end(), &output);
    if (at == outputs_.end())
        return;
    outputs_.erase(at);
    output.Stop();
}

void Player::ShowCurrent()
{
    Film* film = film_;
    waiting_ = false;
    shown_ = film && staging_ ? ahead_.Take(film->Position()) : nullptr;
    if (!shown_ && film && film->FrameCount() > 0) {
        shown_ = film->Pair(Shown().tone);
        if (shown_ && stage_)
            if (EyePairPtr made = stage_(*shown_))
                shown_ = std::move(made);
    }
    if (film && !settings_.keepsShownPictures)
        film->ReleasePictures();
    shownAt_ = film ? film->Position() : -1;
    shownFilm_ = film;
    shownSerial_ = serial_;
    const Showing showing = CurrentShowing();
    for (Output* output : outputs_)
        output->Show(shown_, showing);
}

void Player::SetPictureScale(PictureScale scale)
{
    if (scale == scale_)
        return;
    scale_ = scale;
    Film* film = film_;
    if (!film)
        return;
    film->Timing().SetPictureScale(scale);
    // The picture up stays until its frame is made again; a pass shows it.
    if (!playing_ && film == shownFilm_ && serial_ == shownSerial_ && shown_) {
        waiting_ = true;
        Refresh();
    }
}

EyePairPtr Player::OwnSizePair() const
{
    if (!film_ || !shown_ || !MadeSmaller(*shown_))
        return shown_;
    EyePairPtr own = film_->Timing().OwnSizePair(Shown().tone);
    if (own && stage_)
        if (EyePairPtr made = stage_(*own))
            own = std::move(made);
    return own;
}

void Player::Refresh()
{
    Film* film = film_;
    // A repaint that moved nothing (an adjustment) leaves the clock and the
    // sound alone; a step, a seek or another film starts them again there.
    const bool another = film != shownFilm_ || serial_ != shownSerial_;
    const bool moved = another || (film && film->Position() != shownAt_);
    // The late frames counted are the last film's.
    if (another) {
        late_ = playing_ && timed_ ? 0 : -1;
        // The window never waits for a decoder, not even to confirm a move.
        if (film) {
            film->Timing().SetMovesWait(false);
            film->Timing().SetPictureScale(scale_);
            Watch(*film);
        }
    }
    if (film && !another && (moved || waiting_) && film->FrameCount() > 0 && film->Timing().TimeAt(0) >= 0 &&
        !film->Timing().ReadyAt(film->Position())) {
        if (playing_)
            Hold(*film);
        waiting_ = true;
        return;
    }
    // A step or a seek waits for its frame, playing or not; what was staged
    // ahead may be of another stage or another place.
    ahead_.Clear();
    staging_ = false;
    if (film && playing_)
        film->Timing().SetPlaying(false);
    ShowCurrent();
    if (film && playing_) {
        film->Timing().SetPlaying(true);
        if (timed_ && moved)
            StartLeg();
        else if (timed_)
            RestartAhead();
    }
}

Micros Player::OutputDelay() const
{
    Micros most = 0;
    for (const Output* output : outputs_)
        most = std::max(most, std::clamp<Micros>(output->Delay(), 0, kMostPresentDelay));
    return most;
}

void Player::Hold(Film& film)
{
    ahead_.Clear();
    staging_ = false;
    clock_.Stop();
    if (sound_)
        sound_->Stop();
    // The decoder forgets the frames due before and goes forward from here.
    film.Timing().SetPlaying(false);
    film.Timing().SetPlaying(true);
}

bool Player::ShowStandIn(Film& film)
{
    EyePairPtr pair = film.Timing().StandIn(Shown().tone);
    if (!pair || (shown_ && shown_->frameNumber == pair->frameNumber && shown_->partnerNumber == pair->partnerNumber))
        return false;
    if (stage_)
        if (EyePairPtr made = stage_(*pair))
            pair = std::move(made);
    shown_ = std::move(pair);
    const Showing showing = CurrentShowing();
    for (Output* output : outputs_)
        output->Show(shown_, showing);
    return true;
}

void Player::RestartAhead()
{
    ahead_.Clear();
    Film& film = *film_;
    // The pair just shown is there: a film that cannot hand it out hands
    // out none ahead.
    staging_ = stage_ && film.Timing().ReadyPair(film.Position(), Shown().tone);
}

void Player::Feed(Film& film, int32_t due)
{
    while (staging_ && ahead_.Pending() < kStagedAhead) {
        // After the last asked, or from the frame the film stands on when
        // its pair is not shown yet (after a loop).
        const int32_t standing = film.Position();
        int32_t last = 0;
        const int32_t first = ahead_.LastAsked(last) ? last + 1 : shownAt_ == standing ? standing + 1 : standing;
        const int32_t target = std::min(std::max(due, first), film.FrameCount() - 1);
        // The pair due or the newest decoded before it, never the frame shown
        // or one asked already; far behind, the newest the decoder has made
        // on from there, over the frames it left late.
        const int32_t at = film.Timing().NewestReady(first, target);
        EyePairPtr pair = at >= 0 ? film.Timing().ReadyPair(at, Shown().tone) : nullptr;
        if (!pair)
            return;
        // The stage went off: pairs are shown as decoded again.
        if (!stage_) {
            ahead_.Clear();
            staging_ = false;
            return;
        }
        ahead_.Ask(at, std::move(pair), stage_);
    }
}

void Player::Play(double rate)
{
    Film* film = film_;
    if (!film)
        return;
    timed_ = film->FrameCount() > 0 && film->Timing().TimeAt(0) >= 0 && film->FrameRate() > 0;
    // A video plays forward, as in every player, whichever way it was
    // stepped; a film of frames plays the way it last went.
    forward_ = timed_ || settings_.forward;
    periodMs_ = PlayPeriodMs(rate);
    playing_ = true;
    if (!timed_) {
        film->Timing().SetPlaying(true);
        return;
    }
    speed_ = rate / film->FrameRate() * (settings_.step + 1);
    late_ = 0;
    Watch(*film);
    film->Timing().SetPlaying(true);
    // The clock starts once the first frame is there: a pass looks for it.
    if (!film->Timing().ReadyAt(film->Position())) {
        waiting_ = true;
        return;
    }
    ShowCurrent();
    StartLeg();
}

std::optional<bool> Player::Stop()
{
    if (!playing_)
        return std::nullopt;
    Film* film = film_;
    // Held for a frame, the clock has not started from where the film stands.
    if (timed_ && film && film->FrameCount() > 0 && !waiting_) {
        const int32_t due = PositionAtTime(*film, clock_.Now());
        Count(std::max(0, due - film->Position()));
    }
    playing_ = false;
    ahead_.Clear();
    staging_ = false;
    clock_.Stop();
    if (timed_ && sound_)
        sound_->Stop();
    if (film) {
        film->Timing().SetPlaying(false);
        // The count shows in the frame display and the status bar; the log
        // keeps only a playback that fell behind.
        if (late_ > 0)
            LogNote("Playback stopped: " + std::to_string(late_) + (late_ == 1 ? " late frame" : " late frames"));
    }
    return forward_;
}

void Player::StartLeg()
{
    Film& film = *film_;
    const Micros from = film.Timing().TimeAt(film.Position());
    const bool heard = sound_ && sound_->Start(from - soundDelay_, speed_);
    clock_.SetMaster(heard ? sound_.get() : nullptr, soundDelay_);
    clock_.Start(from, speed_);
    RestartAhead();
}

int32_t Player::MoveBy(int32_t positions)
{
    Film& film = *film_;
    const int32_t from = film.Position();
    // Next moves to later positions unless the film steps inverted.
    film.Skip(film.GetInvert() ? -positions : positions);
    return film.Position() - from;
}

void Player::Count(int32_t late)
{
    if (late > 0)
        late_ += late;
}

Player::Pass Player::Tick()
{
    Film* film = film_;
    if (waiting_ && !playing_) {
        if (!film || film->FrameCount() <= 0 || film->Timing().ReadyAt(film->Position())) {
            ShowCurrent();
            return {kIdleUs, true, std::nullopt};
        }
        return {PollWait(), ShowStandIn(*film), std::nullopt};
    }
    if (!playing_ || !film || film->FrameCount() <= 0)
        return {kIdleUs, false, std::nullopt};
    if (timed_)
        return TimedTick();
    TickFrames(*film, settings_.step, forward_);
    // A film decoded ahead shows its frame once it is there.
    const bool ready = film->Timing().ReadyAt(film->Position());
    if (ready)
        ShowCurrent();
    return {Micros(periodMs_) * 1000, ready, std::nullopt};
}

Player::Pass Player::TimedTick()
{
    Film& film = *film_;
    if (waiting_) {
        if (!film.Timing().ReadyAt(film.Position()))
            return {PollWait(), ShowStandIn(film), std::nullopt};
        ShowCurrent();
        StartLeg();
        return {kPollUs, true, std::nullopt};
    }
    const int32_t count = film.FrameCount();
    // The frame due when the picture reaches the screen, which its outputs
    // take a while to do: then it appears as its sound is heard.
    const Micros t = clock_.Now() + Micros(double(OutputDelay()) * speed_);
    const bool pastEnd = t >= film.Timing().TimeAt(count - 1) + FrameLength(film, count - 1);
    const int32_t due = pastEnd ? count - 1 : PositionAtTime(film, t);
    const int32_t at = film.Position();
    film.Timing().PlayingAt(due);

    Pass pass;
    // The newest frame ready between the one shown and the one due; the
    // frame the film stands on while its pair is not shown yet (after a
    // loop) counts as one.
    int32_t chosen = -1;
    if (staging_) {
        // Staged pairs lie ahead of the one shown, in the order asked: the
        // newest by the frame due, however far behind the clock it is.
        chosen = ahead_.NewestDone(due);
    } else {
        // Far behind, the decoder's newest frame on from the one shown: the
        // picture moves on as fast as frames are made, over those the
        // decoder left late.
        chosen = film.Timing().NewestReady(shownAt_ != at ? at : at + 1, std::max(due, at));
    }
    bool atEnd = false;
    if (chosen >= 0) {
        const int32_t moved = chosen != at ? MoveBy(chosen - at) : 0;
        // Frames skipped for Step are not late; those skipped for time are.
        const int32_t stride = settings_.step + 1;
        if (moved != 0)
            Count((std::abs(moved) + stride - 1) / stride - 1);
        atEnd = moved != chosen - at;
        ShowCurrent();
        pass.shown = true;
    }
    if (pastEnd || atEnd) {
        // Without a loop a video stops on its last frame; Stop counts the
        // frames whose time is over and were not shown.
        if (!film.GetRound()) {
            pass.ended = Stop();
            pass.wait = kIdleUs;
            return pass;
        }
        if (!atEnd)
            Count(due - film.Position());
        MoveBy(1);
        if (film.Timing().ReadyAt(film.Position())) {
            ShowCurrent();
            pass.shown = true;
        }
        StartLeg();
        pass.wait = std::max<Micros>(Micros(double(FrameLength(film, film.Position())) / speed_), 1);
        return pass;
    }
    // Until the frame after the one due begins; sooner while behind.
    const Micros until = (due + 1 < count ? film.Timing().TimeAt(due + 1) : film.Timing().TimeAt(due) + FrameLength(film, due)) - t;
    pass.wait = std::max<Micros>(Micros(double(until) / speed_), 1);
    if (film.Position() != due || shownAt_ != film.Position())
        pass.wait = std::min(pass.wait, PollWait());
    Feed(film, due);
    return pass;
}

}  // namespace plexo::play
