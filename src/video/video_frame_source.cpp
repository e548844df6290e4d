#include "video/video_frame_source.h"

#include <algorithm>

namespace plexo::video {

VideoFrameSource::VideoFrameSource(std::string path, std::unique_ptr<VideoSource> source)
    : path_(std::move(path)), source_(std::move(source)), converter_(source_->Facts().orientation)
{
    source_->Aim(0, 0, 1);
}

int32_t VideoFrameSource::Count() const
{
    return int32_t(std::min<int64_t>(source_->Count(), INT32_MAX));
}

bool VideoFrameSource::Decode(int32_t index, SourceFrame& frame)
{
    source_->TellDamage(path_);
    SharedFrame decoded = source_->Frame(index, !playing_);
    if (!decoded && playing_ && index < Count())
        decoded = last_;
    if (!decoded)
        return false;
    last_ = decoded;
    auto picture = std::make_shared<PictureBuffer>(converter_.Convert(*decoded, Tone::Colour));
    if (!*picture)
        return false;
    frame.picture = picture->view();
    frame.second = {};
    frame.owner = std::move(picture);
    return true;
}

void VideoFrameSource::Moved(int32_t index)
{
    if (index != at_)
        direction_ = index > at_ ? 1 : -1;
    at_ = index;
    source_->Aim(index, index, direction_);
}

bool VideoFrameSource::Confirm(int32_t index, int32_t partner)
{
    const int32_t count = Count();
    if (playing_ || count == 0 || source_->CountFinal())
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

void TwoViewVideoFilm::SetShift(int32_t shift)
{
    TwoViewFilm::SetShift(shift);
    const int32_t at = Position();
    Confirmed([&] { return TwoViewFilm::Seek(at) ? 1 : 0; });
}

void TwoViewVideoFilm::SetPlaying(bool playing)
{
    video_.SetPlaying(playing);
    // A frame not ready was given as the one before it; what playback kept
    // goes with it.
    if (!playing)
        ReleasePictures();
}

bool TwoViewVideoFilm::ReadyAt(int32_t position)
{
    const int32_t count = FrameCount();
    if (position < 0 || position >= count)
        return false;
    FrameCursor at = cursor_;
    at.current = size_t(position);
    return video_.Ready(position) && video_.Ready(int32_t(at.Partner(size_t(count))));
}

}  // namespace plexo::video
