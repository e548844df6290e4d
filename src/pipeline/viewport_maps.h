#pragma once
// Where each pixel of a rectilinear view into a spherical eye comes from,
// made once for a camera, an eye's size and the view's size, as fixed-point
// maps that resample an eye with bilinear filtering in a vectorised loop.

#include <memory>

#include "image/picture.h"
#include "image/projection.h"
#include "image/sphere_camera.h"

namespace plexo::pipeline {

class ViewportMaps {
public:
    // The maps from a view of `viewWidth` x `viewHeight` pixels, seen by
    // `camera`, into an eye of `eyeWidth` x `eyeHeight` pixels in
    // `projection`, whose rows lie top row first in memory when `topDown`.
    // Null when a size is out of range or memory cannot be had.
    static std::shared_ptr<const ViewportMaps> Make(const Projection& projection, const SphereCamera& camera,
                                                    int eyeWidth, int eyeHeight, bool topDown, int viewWidth,
                                                    int viewHeight);
    ~ViewportMaps();

    // Whether these maps read an eye of that size and row order.
    bool Reads(const Picture& eye) const;
    // The view of `eye`, which these maps must read, into `out`, a picture
    // of the view's size with the eye's bytes a pixel, bottom row first;
    // directions outside the eye are black. False when memory cannot be had.
    bool Resample(const Picture& eye, PictureBuffer& out) const;

    int viewWidth() const { return viewWidth_; }
    int viewHeight() const { return viewHeight_; }

private:
    struct Maps;
    ViewportMaps() = default;

    std::unique_ptr<Maps> maps_;
    int eyeWidth_ = 0;
    int eyeHeight_ = 0;
    bool topDown_ = false;
    int viewWidth_ = 0;
    int viewHeight_ = 0;
};

}  // namespace plexo::pipeline
