#include "play/player.h"

#include <algorithm>
#include <cstdlib>

#include "doc/play_period.h"
#include "platform/log.h"
#include "play/tick_rules.h"

namespace plexo::play {

namespace {

// How far back from the frame due a pass looks for the newest one ready.
constexpr int32_t kProbes = 64;
// While the frame due is not ready, how soon the next pass looks again.
constexpr Micros kPollUs = 4000;
// A pass with nothing to play waits this long (the shell stops it first).
constexpr Micros kIdleUs = 100000;
// The pairs asked of the stage worker at once: the one it stages and the
// next, so that it never waits for a pass to be given work.
constexpr size_t kStagedAhead = 2;

}  // namespace

Player::Player(CPlexoDoc& doc, const WallClock& wall) : doc_(doc), clock_(wall) {}

const Presentation& Player::Shown() const
{
    return ShownPresentation(stereo_, doc_.stereo().presentation);
}

Showing Player::CurrentShowing() const
{
    return {&Shown(), doc_.stereo().adjust};
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
    Film* film = doc_.film();
    waiting_ = false;
    shown_ = film && staging_ ? ahead_.Take(film->Position(), legDirection_) : nullptr;
    if (!shown_ && film && film->FrameCount() > 0) {
        shown_ = film->Pair(Shown().tone);
        if (const PairStage staged = StageNow(); shown_ && staged)
            if (EyePairPtr made = staged(*shown_))
                shown_ = std::move(made);
    }
    if (film && !doc_.keepsShownPictures())
        film->ReleasePictures();
    shownAt_ = film ? film->Position() : -1;
    shownFilm_ = film;
    const Showing showing = CurrentShowing();
    for (Output* output : outputs_)
        output->Show(shown_, showing);
}

void Player::Refresh()
{
    Film* film = doc_.film();
    // A repaint that moved nothing (an adjustment) leaves the clock and the
    // sound alone; a step, a seek or another film starts them again there.
    const bool moved = film != shownFilm_ || (film && film->Position() != shownAt_);
    if (!playing_ && film && film == shownFilm_ && moved && film->FrameCount() > 0 && film->TimeAt(0) >= 0 &&
        !film->ReadyAt(film->Position())) {
        waiting_ = true;
        return;
    }
    // A step or a seek waits for its frame, playing or not; what was staged
    // ahead may be of another stage or another place.
    ahead_.Clear();
    staging_ = false;
    if (film && playing_)
        film->SetPlaying(false);
    ShowCurrent();
    if (film && playing_) {
        film->SetPlaying(true);
        if (timed_ && moved)
            StartLeg(legDirection_);
        else if (timed_)
            RestartAhead();
    }
}

PairStage Player::StageNow() const
{
    return stage ? stage(Shown()) : PairStage{};
}

void Player::RestartAhead()
{
    ahead_.Clear();
    Film& film = *doc_.film();
    // The pair just shown is there: a film that cannot hand it out hands
    // out none ahead.
    staging_ = StageNow() && film.ReadyPair(film.Position(), Shown().tone);
}

void Player::Feed(Film& film, int32_t due)
{
    const int32_t count = film.FrameCount();
    while (staging_ && ahead_.Pending() < kStagedAhead) {
        // After the last asked, or from the frame the film stands on when
        // its pair is not shown yet (after a turn).
        const int32_t standing = film.Position();
        int32_t last = 0;
        const int32_t first = ahead_.LastAsked(last) ? last + legDirection_
                              : shownAt_ == standing ? standing + legDirection_
                                                     : standing;
        const int32_t target = (due - first) * legDirection_ > 0 ? due : first;
        const auto inRange = [&](int32_t p) { return p >= 0 && p < count && (p - first) * legDirection_ >= 0; };
        // The pair due or the newest decoded before it, never the frame shown
        // or one asked already; far behind, the newest the decoder has made
        // on from there, over the frames it left late.
        int32_t at = -1;
        EyePairPtr pair;
        for (int32_t back = 0; back < kProbes && !pair && inRange(target - back * legDirection_); ++back) {
            at = target - back * legDirection_;
            pair = film.ReadyPair(at, Shown().tone);
        }
        for (int32_t on = std::min(kProbes - 1, (target - first) * legDirection_); on >= 0 && !pair; --on) {
            at = first + on * legDirection_;
            if (inRange(at) && film.ReadyAt(at))
                pair = film.ReadyPair(at, Shown().tone);
        }
        if (!pair)
            return;
        PairStage staged = StageNow();
        // The stage went off: pairs are shown as decoded again.
        if (!staged) {
            ahead_.Clear();
            staging_ = false;
            return;
        }
        ahead_.Ask(at, std::move(pair), std::move(staged));
    }
}

void Player::Play(double framesPerSecond)
{
    Film* film = doc_.film();
    if (!film)
        return;
    forward_ = doc_.direction == 0;
    timed_ = film->FrameCount() > 0 && film->TimeAt(0) >= 0 && film->FrameRate() > 0;
    periodMs_ = PlayPeriodMs(doc_.playRate(framesPerSecond));
    playing_ = true;
    if (!timed_) {
        film->SetPlaying(true);
        return;
    }
    speed_ = doc_.playRate(framesPerSecond) / film->FrameRate() * (doc_.step() + 1);
    late_ = 0;
    // The clock starts once the first frame is there.
    ShowCurrent();
    film->SetPlaying(true);
    StartLeg((forward_ != film->GetInvert()) ? 1 : -1);
}

void Player::Stop()
{
    if (!playing_)
        return;
    Film* film = doc_.film();
    if (timed_ && film && film->FrameCount() > 0) {
        const Micros t = LegTime();
        const int32_t due = PositionAtTime(*film, t);
        Count(std::max(0, (due - film->Position()) * legDirection_));
    }
    playing_ = false;
    ahead_.Clear();
    staging_ = false;
    clock_.Stop();
    if (timed_ && silence)
        silence();
    if (film) {
        film->SetPlaying(false);
        doc_.direction = forward_ ? 0 : 1;
        // The count shows in the frame display and the status bar; the log
        // keeps only a playback that fell behind.
        if (late_ > 0)
            LogNote("Playback stopped: " + std::to_string(late_) + (late_ == 1 ? " late frame" : " late frames"));
    }
}

void Player::StartLeg(int direction)
{
    Film& film = *doc_.film();
    legDirection_ = direction;
    legStart_ = film.Position();
    // Going back, a frame shows from the end of its time to its start.
    legTime_ = direction > 0 ? film.TimeAt(legStart_) : film.TimeAt(legStart_) + FrameLength(film, legStart_) - 1;
    bool heard = false;
    if (direction > 0)
        heard = !soundFrom || soundFrom(legTime_, speed_);
    else if (silence)
        silence();
    clock_.SetMaster(heard ? master_ : nullptr);
    clock_.Start(direction > 0 ? legTime_ : 0, speed_);
    RestartAhead();
}

Micros Player::LegTime() const
{
    return legDirection_ > 0 ? clock_.Now() : legTime_ - clock_.Now();
}

int32_t Player::MoveBy(int32_t positions)
{
    Film& film = *doc_.film();
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
    Film* film = doc_.film();
    if (waiting_ && !playing_) {
        if (!film || film->FrameCount() <= 0 || film->ReadyAt(film->Position())) {
            ShowCurrent();
            return {kIdleUs, true};
        }
        return {kPollUs, false};
    }
    if (!playing_ || !film || film->FrameCount() <= 0)
        return {kIdleUs, false};
    if (timed_)
        return TimedTick();
    TickFrames(*film, doc_.step(), forward_);
    // A film decoded ahead shows its frame once it is there.
    const bool ready = film->ReadyAt(film->Position());
    if (ready)
        ShowCurrent();
    return {Micros(periodMs_) * 1000, ready};
}

Player::Pass Player::TimedTick()
{
    Film& film = *doc_.film();
    const int32_t count = film.FrameCount();
    const Micros t = LegTime();
    const bool pastEnd = legDirection_ > 0 ? t >= film.TimeAt(count - 1) + FrameLength(film, count - 1)
                                           : t < film.TimeAt(0);
    const int32_t due = pastEnd ? (legDirection_ > 0 ? count - 1 : 0) : PositionAtTime(film, t);
    const int32_t at = film.Position();
    const int32_t ahead = (due - at) * legDirection_;
    film.PlayingAt(due);

    Pass pass;
    // The newest frame ready between the one shown and the one due; the
    // frame the film stands on while its pair is not shown yet (after a
    // turn) counts as one.
    int32_t chosen = -1;
    if (staging_) {
        // Staged pairs lie ahead of the one shown, in the order asked: the
        // newest by the frame due, however far behind the clock it is.
        chosen = ahead_.NewestDone(due, legDirection_);
    } else {
        for (int32_t back = 0; back < std::min(ahead, kProbes) && chosen < 0; ++back) {
            const int32_t p = due - back * legDirection_;
            if (film.ReadyAt(p))
                chosen = p;
        }
        // Far behind, the decoder's newest frame on from the one shown: the
        // picture moves on as fast as frames are made, over those the
        // decoder left late.
        for (int32_t on = std::min(ahead, kProbes); on > 0 && chosen < 0; --on)
            if (film.ReadyAt(at + on * legDirection_))
                chosen = at + on * legDirection_;
        if (chosen < 0 && shownAt_ != at && film.ReadyAt(at))
            chosen = at;
    }
    bool atEnd = false;
    if (chosen >= 0) {
        const int32_t moved = chosen != at ? MoveBy(chosen - at) : 0;
        // Frames skipped for Step are not late; those skipped for time are.
        const int32_t stride = doc_.step() + 1;
        if (moved != 0)
            Count((std::abs(moved) + stride - 1) / stride - 1);
        atEnd = moved != chosen - at;
        ShowCurrent();
        pass.shown = true;
    }
    if (pastEnd || atEnd) {
        // The last frames' time is over: those not shown are late.
        if (!atEnd)
            Count(std::abs(due - film.Position()));
        if (film.GetRound()) {
            MoveBy(legDirection_);
        } else {
            legDirection_ = -legDirection_;
            forward_ = !forward_;
        }
        if (film.ReadyAt(film.Position())) {
            ShowCurrent();
            pass.shown = true;
        }
        StartLeg(legDirection_);
        pass.wait = std::max<Micros>(Micros(double(FrameLength(film, film.Position())) / speed_), 1);
        return pass;
    }
    // Until the frame after the one due begins; sooner while behind.
    const int32_t next = due + legDirection_;
    Micros until;
    if (legDirection_ > 0)
        until = (next < count ? film.TimeAt(next) : film.TimeAt(due) + FrameLength(film, due)) - t;
    else
        until = t - film.TimeAt(due) + 1;
    pass.wait = std::max<Micros>(Micros(double(until) / speed_), 1);
    if (film.Position() != due || shownAt_ != film.Position())
        pass.wait = std::min(pass.wait, kPollUs);
    Feed(film, due);
    return pass;
}

}  // namespace plexo::play
