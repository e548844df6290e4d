#pragma once
// The stage that looks into a spherical film: both eyes of each pair seen
// through one virtual camera, as rectilinear pictures of the view's size,
// which every presentation then takes as it takes a flat film's eyes.

#include "film/staged_film.h"
#include "image/projection.h"
#include "image/sphere_camera.h"

namespace plexo::pipeline {

// The stage for a film in `projection` (spherical), seen by `camera` in a
// view of `viewWidth` x `viewHeight` pixels. It takes each eye at the size
// the film stores it: a spherical film's pictures must come whole, never
// scaled to the view first. The maps are made at the first pair and again
// only for an eye of another size. A pair whose eyes cannot be resampled
// goes on as it is.
PairStage ViewportStage(const Projection& projection, const SphereCamera& camera, int viewWidth, int viewHeight);

}  // namespace plexo::pipeline
