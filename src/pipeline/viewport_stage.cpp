#include "pipeline/viewport_stage.h"

#include <mutex>

#include "pipeline/viewport_maps.h"

namespace plexo::pipeline {

namespace {

// The maps of one camera, kept for the eyes' size the film gives; pairs
// pass on the player's and the writers' threads alike.
class Viewport {
public:
    Viewport(const Projection& projection, const SphereCamera& camera, int viewWidth, int viewHeight)
        : projection_(projection), camera_(camera), viewWidth_(viewWidth), viewHeight_(viewHeight)
    {
    }

    std::shared_ptr<const ViewportMaps> MapsFor(const Picture& eye)
    {
        const std::lock_guard lock(mutex_);
        for (const auto& maps : maps_)
            if (maps && maps->Reads(eye))
                return maps;
        auto made = ViewportMaps::Make(projection_, camera_, eye.width, eye.height, eye.rowStride < 0, viewWidth_,
                                       viewHeight_);
        // Two eyes of different sizes or row orders at most: one each.
        maps_[next_] = made;
        next_ = 1 - next_;
        return made;
    }

private:
    const Projection projection_;
    const SphereCamera camera_;
    const int viewWidth_;
    const int viewHeight_;
    std::mutex mutex_;
    std::shared_ptr<const ViewportMaps> maps_[2];
    int next_ = 0;
};

struct ViewedEyes {
    PictureBuffer first;
    PictureBuffer second;
};

}  // namespace

PairStage ViewportStage(const Projection& projection, const SphereCamera& camera, int viewWidth, int viewHeight)
{
    auto viewport = std::make_shared<Viewport>(projection, camera, viewWidth, viewHeight);
    return [viewport](const EyePair& pair) -> EyePairPtr {
        if (!pair.first || !pair.second)
            return nullptr;
        auto eyes = std::make_shared<ViewedEyes>();
        const auto view = [&](const Picture& eye, PictureBuffer& out) {
            const auto maps = viewport->MapsFor(eye);
            return maps && maps->Resample(eye, out);
        };
        if (!view(pair.first, eyes->first))
            return nullptr;
        // A mono film's eyes are one picture: seen once.
        const bool same = pair.second.data == pair.first.data && pair.second.width == pair.first.width &&
                          pair.second.height == pair.first.height && pair.second.rowStride == pair.first.rowStride;
        if (!same && !view(pair.second, eyes->second))
            return nullptr;
        auto viewed = std::make_shared<EyePair>();
        viewed->first = eyes->first.view();
        viewed->second = same ? viewed->first : eyes->second.view();
        viewed->frameNumber = pair.frameNumber;
        viewed->partnerNumber = pair.partnerNumber;
        viewed->timestampUs = pair.timestampUs;
        viewed->owner = std::move(eyes);
        return viewed;
    };
}

}  // namespace plexo::pipeline
