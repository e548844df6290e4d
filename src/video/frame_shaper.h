#pragma once
// Turns a decoded frame into the picture the compositors take (see
// video_picture.h), on the thread that calls it, into buffers of a pool used
// again frame after frame: converted, oriented, split into the eyes of a
// stereo layout and a half layout's eyes stretched, as the two-view film
// would do it on the window's thread otherwise. Shown smaller than their own
// size, the eyes are made at that size instead, each in one pass of the
// scaler straight from the decoder's planes, a half layout's stretch within
// the same pass.

#include <cstdint>
#include <memory>

#include "film/picture_scale.h"
#include "image/stereo_layout.h"
#include "video/frame_converter.h"
#include "video/frame_pool.h"
#include "video/video_picture.h"

namespace plexo::video {

class FrameShaper {
public:
    // `eyes` mono keeps the picture whole.
    FrameShaper(Orientation orientation, StereoLayout eyes);

    // Null when memory or the scaler cannot be had, or the layout cannot
    // split the picture. At a `scale` below 1 the eyes are made smaller,
    // unless the frame is turned or its eyes do not fall on its chroma grid:
    // then at their own size.
    SharedPicture Shape(const AVFrame& frame, int64_t index, int64_t timestampUs, PictureScale scale = {});

private:
    // The eyes made at `scale` straight from the frame; null when they
    // cannot be.
    SharedPicture ShapeScaled(const AVFrame& frame, int64_t index, int64_t timestampUs, PictureScale scale);

    FrameConverter converter_;
    StereoLayout eyes_;
    std::shared_ptr<FramePool> pool_;
};

}  // namespace plexo::video
