#include "video/video_frame_source.h"

#include <algorithm>

#include "video/video_pair.h"

namespace plexo::video {

VideoFrameSource::VideoFrameSource(std::string path, std::unique_ptr<VideoSource> source)
    : path_(std::move(path)), source_(std::move(source))
{
    source_->Aim(0, 0, 1);
}

int32_t VideoFrameSource::Count() const
{
    return int32_t(std::min<int64_t>(source_->Count(), INT32_MAX));
}

SharedPicture VideoFrameSource::Picked(int32_t index)
{
    source_->TellDamage(path_);
    SharedPicture decoded = playing_ ? source_->Frame(index, false) : source_->Newest(index);
    if (!decoded && playing_ && index < Count())
        return last_;
    if (decoded)
        last_ = decoded;
    return decoded;
}

bool VideoFrameSource::Decode(int32_t index, SourceFrame& frame)
{
    SharedPicture decoded = Picked(index);
    if (!decoded)
        return false;
    frame.picture = decoded->Eye(0, Tone::Colour);
    frame.second = decoded->Eye(1, Tone::Colour);
    frame.owner = std::move(decoded);
    return true;
}

void VideoFrameSource::Moved(int32_t index)
{
    if (index != at_)
        direction_ = index > at_ ? 1 : -1;
    at_ = index;
    source_->Aim(index, index, direction_);
}

void VideoFrameSource::SetPlaying(bool playing)
{
    playing_ = playing;
    if (playing) {
        direction_ = 1;
        source_->Aim(at_, at_, direction_);
    }
}

bool VideoFrameSource::Confirm(int32_t index, int32_t partner)
{
    const int32_t count = Count();
    if (playing_ || !movesWait_ || count == 0 || source_->CountFinal())
        return true;
    source_->Frame(std::max(index, partner), true);
    return Count() >= count;
}

TwoViewVideoFilm::TwoViewVideoFilm(std::unique_ptr<VideoFrameSource> source, SourceLayout layout)
    : TwoViewFilm(std::move(source), layout), video_(static_cast<VideoFrameSource&>(this->source()))
{
}

int32_t TwoViewVideoFilm::Confirmed(const std::function<int32_t()>& move)
{
    const int32_t from = Position();
    int32_t made = move();
    while (FrameCount() > 0 && !video_.Confirm(Position(), int32_t(cursor_.Partner(size_t(FrameCount()))))) {
        TwoViewFilm::Seek(from);
        made = move();
    }
    // The frames stay in the source's bounded cache only: kept here too,
    // each would hold its converted pictures past the cache's budget.
    if (made != 0)
        ReleasePictures();
    return made;
}

bool TwoViewVideoFilm::Seek(int32_t position)
{
    return Confirmed([&] { return TwoViewFilm::Seek(position) ? 1 : 0; }) != 0;
}

int32_t TwoViewVideoFilm::Skip(int32_t steps)
{
    return Confirmed([&] { return TwoViewFilm::Skip(steps); });
}

void TwoViewVideoFilm::SetRules(const StepRules& rules)
{
    const bool shifted = rules.shift != GetShift();
    TwoViewFilm::SetRules(rules);
    if (!shifted)
        return;
    const int32_t at = Position();
    Confirmed([&] { return TwoViewFilm::Seek(at) ? 1 : 0; });
}

FilmFacts TwoViewVideoFilm::Facts() const
{
    FilmFacts facts = TwoViewFilm::Facts();
    facts.cachesItsFrames = true;
    facts.projection = video_.Source().Facts().sphere;
    return facts;
}

EyePairPtr TwoViewVideoFilm::Pair(Tone tone)
{
    if (FrameCount() == 0)
        return nullptr;
    const int32_t at = Position();
    const int32_t partner = PartnerNumber() - 1;
    SharedPicture first = video_.Picked(at);
    SharedPicture second = partner == at ? first : video_.Picked(partner);
    return VideoPair(std::move(first), 0, std::move(second), 1, tone);
}

int32_t TwoViewVideoFilm::SettledCount()
{
    // A move that was not confirmed may lie past the frames found since: the
    // cursor is held on the last, and the decoder goes there.
    const int32_t count = FrameCount();
    if (count > 0 && cursor_.current >= size_t(count))
        TwoViewFilm::Seek(count - 1);
    return count;
}

void TwoViewVideoFilm::PlayingChanged(bool playing)
{
    video_.SetPlaying(playing);
    // A frame not ready was given as the one before it; what playback kept
    // goes with it.
    if (!playing)
        ReleasePictures();
}

}  // namespace plexo::video
