#include "video/video_timing.h"

#include <algorithm>

#include "video/video_pair.h"

namespace plexo::video {

bool VideoTiming::ReadyAt(int32_t position)
{
    // A move that was not confirmed may lie past the frames found since.
    if (position < 0 || position >= cursor_.SettledCount())
        return false;
    const int64_t partner = cursor_.PartnerAt(position);
    return source_.Frame(position, false) && (partner == position || source_.Frame(partner, false));
}

int32_t VideoTiming::NewestReady(int32_t from, int32_t to)
{
    from = std::max(from, 0);
    to = std::min(to, cursor_.SettledCount() - 1);
    if (from > to)
        return -1;
    return int32_t(source_.NewestKept(from, to, [this](int64_t at) { return cursor_.PartnerAt(int32_t(at)); }));
}

EyePairPtr VideoTiming::ReadyPair(int32_t position, Tone tone)
{
    if (position < 0 || position >= cursor_.SettledCount())
        return nullptr;
    SharedPicture first = source_.Frame(position, false);
    const int64_t partner = cursor_.PartnerAt(position);
    SharedPicture second = partner == position ? first : source_.Frame(partner, false);
    if (!first || !second)
        return nullptr;
    return VideoPair(std::move(first), 0, std::move(second), secondEye_, tone);
}

EyePairPtr VideoTiming::StandIn(Tone tone)
{
    if (cursor_.SettledCount() == 0)
        return nullptr;
    const int32_t at = cursor_.CursorAt();
    const int64_t partner = cursor_.PartnerAt(at);
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
    if (due >= 0 && due < cursor_.SettledCount())
        source_.Due(due, cursor_.PartnerAt(due));
}

}  // namespace plexo::video
