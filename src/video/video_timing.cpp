#include "video/video_timing.h"

#include <algorithm>

#include "video/video_pair.h"

namespace plexo::video {

bool VideoTiming::ReadyAt(int32_t position)
{
    // A move that was not confirmed may lie past the frames found since.
    const int32_t count = cursor_.SettledCount();
    if (position < 0 || position >= count)
        return false;
    const int64_t partner = cursor_.PartnerAt(position, count);
    return source_.Frame(position, false) && (partner == position || source_.Frame(partner, false));
}

int32_t VideoTiming::NewestReady(int32_t from, int32_t to)
{
    const int32_t count = cursor_.SettledCount();
    from = std::max(from, 0);
    to = std::min(to, count - 1);
    if (from > to)
        return -1;
    return int32_t(
        source_.NewestKept(from, to, [this, count](int64_t at) { return cursor_.PartnerAt(int32_t(at), count); }));
}

EyePairPtr VideoTiming::ReadyPair(int32_t position, Tone tone)
{
    const int32_t count = cursor_.SettledCount();
    if (position < 0 || position >= count)
        return nullptr;
    SharedPicture first = source_.Frame(position, false);
    const int64_t partner = cursor_.PartnerAt(position, count);
    SharedPicture second = partner == position ? first : source_.Frame(partner, false);
    if (!first || !second)
        return nullptr;
    return VideoPair(std::move(first), 0, std::move(second), secondEye_, tone);
}

EyePairPtr VideoTiming::OwnSizePair(Tone tone)
{
    const int32_t count = cursor_.SettledCount();
    const int32_t at = cursor_.CursorAt();
    if (at < 0 || at >= count)
        return nullptr;
    const int64_t partner = cursor_.PartnerAt(at, count);
    SharedPicture first = source_.OwnSize(at);
    SharedPicture second = partner == at ? first : source_.OwnSize(partner);
    if (!first)
        return nullptr;
    return VideoPair(std::move(first), 0, std::move(second), secondEye_, tone);
}

EyePairPtr VideoTiming::StandIn(Tone tone)
{
    const int32_t count = cursor_.SettledCount();
    if (count == 0)
        return nullptr;
    const int32_t at = cursor_.CursorAt();
    const int64_t partner = cursor_.PartnerAt(at, count);
    SharedPicture first = source_.StandIn(at);
    if (!first)
        return nullptr;
    SharedPicture second = partner == at ? first : source_.Frame(partner, false);
    if (!second)
        second = source_.StandIn(partner);
    // Both eyes of one picture rather than none while the partner is sought.
    if (!second)
        second = first;
    return VideoPair(std::move(first), 0, std::move(second), secondEye_, tone);
}

void VideoTiming::SetPlaying(bool playing)
{
    cursor_.PlayingChanged(playing);
    if (!playing)
        source_.Due(-1, -1);
}

void VideoTiming::PlayingAt(int32_t due)
{
    const int32_t count = cursor_.SettledCount();
    if (due >= 0 && due < count)
        source_.Due(due, cursor_.PartnerAt(due, count));
}

}  // namespace plexo::video
