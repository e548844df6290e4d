#pragma once
// Turns a decoded frame into the picture the compositors take (see
// video_picture.h), on the thread that calls it, into buffers of a pool used
// again frame after frame: converted, oriented, split into the eyes of a
// stereo layout and a half layout's eyes stretched, as the two-view film
// would do it on the window's thread otherwise.

#include <cstdint>
#include <memory>

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
    // split the picture.
    SharedPicture Shape(const AVFrame& frame, int64_t index, int64_t timestampUs);

private:
    FrameConverter converter_;
    StereoLayout eyes_;
    std::shared_ptr<FramePool> pool_;
};

}  // namespace plexo::video
