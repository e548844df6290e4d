#pragma once
// One decoded frame of a video converted, on the decoder's thread, to the
// form the compositors take: blue-green-red, bottom row first, oriented as
// the stream says, and for a stereo video split into its eyes, a half
// layout's eyes stretched to their shown shape, at their own size or at the
// smaller one they are shown at. Immutable once made but for
// its grey, made once when first asked for; shared by the cache and by
// every pair handed out, on any thread, for as long as any holds it. Its
// buffers go back to the pool they came from when the last holder lets go.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "film/picture_scale.h"
#include "image/picture.h"
#include "video/frame_pool.h"

namespace plexo::video {

class VideoPicture {
public:
    // `eyes` are views into `buffers`: the whole picture alone for a mono
    // video, else the first and the second eye. Made at `scale`, the eyes
    // stand for eyes of `ownWidth` x `ownHeight`; 0: their own size.
    VideoPicture(int64_t index, int64_t timestampUs, Picture first, Picture second,
                 std::vector<PictureBuffer> buffers, std::weak_ptr<FramePool> pool, PictureScale scale = {},
                 int ownWidth = 0, int ownHeight = 0);
    ~VideoPicture();
    VideoPicture(const VideoPicture&) = delete;
    VideoPicture& operator=(const VideoPicture&) = delete;

    int64_t Index() const { return index_; }
    // The frame's time from the film's first frame, in microseconds.
    int64_t TimestampUs() const { return timestampUs_; }
    // Eye 0 (the whole picture of a mono video) or 1 (empty for a mono
    // video), in colour or grey; an empty picture when the grey cannot be
    // had.
    Picture Eye(int which, Tone tone) const;
    // The bytes of its colour pictures.
    size_t Bytes() const;
    // The scale it was asked to be made at: its own size but for a
    // picture made smaller.
    const PictureScale& MadeAt() const { return scale_; }
    // The size of each eye at its own size.
    int OwnWidth() const { return ownWidth_; }
    int OwnHeight() const { return ownHeight_; }

private:
    const int64_t index_;
    const int64_t timestampUs_;
    const Picture colour_[2];
    const PictureScale scale_;
    const int ownWidth_;
    const int ownHeight_;
    std::vector<PictureBuffer> buffers_;
    std::weak_ptr<FramePool> pool_;
    mutable std::once_flag greyOnce_[2];
    mutable PictureBuffer grey_[2];
};

using SharedPicture = std::shared_ptr<const VideoPicture>;

}  // namespace plexo::video
