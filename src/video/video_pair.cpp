#include "video/video_pair.h"

#include <utility>

namespace plexo::video {

namespace {

struct HeldFrames {
    SharedPicture first;
    SharedPicture second;
};

}  // namespace

EyePairPtr VideoPair(SharedPicture first, int firstEye, SharedPicture second, int secondEye, Tone tone)
{
    if (!first)
        return nullptr;
    auto pair = std::make_shared<EyePair>();
    pair->first = first->Eye(firstEye, tone);
    if (!pair->first)
        return nullptr;
    pair->frameNumber = int32_t(first->Index() + 1);
    pair->timestampUs = first->TimestampUs();
    if (first->OwnWidth() != pair->first.width || first->OwnHeight() != pair->first.height) {
        pair->ownWidth = first->OwnWidth();
        pair->ownHeight = first->OwnHeight();
    }
    if (second) {
        pair->second = second->Eye(secondEye, tone);
        pair->partnerNumber = int32_t(second->Index() + 1);
    }
    pair->owner = std::make_shared<const HeldFrames>(HeldFrames{std::move(first), std::move(second)});
    return pair;
}

}  // namespace plexo::video
