#include "video/video_picture.h"

#include "film/grey_pixels.h"

namespace plexo::video {

VideoPicture::VideoPicture(int64_t index, int64_t timestampUs, Picture first, Picture second,
                           std::vector<PictureBuffer> buffers, std::weak_ptr<FramePool> pool, PictureScale scale,
                           int ownWidth, int ownHeight)
    : index_(index),
      timestampUs_(timestampUs),
      colour_{first, second},
      scale_(scale),
      ownWidth_(ownWidth > 0 ? ownWidth : first.width),
      ownHeight_(ownHeight > 0 ? ownHeight : first.height),
      buffers_(std::move(buffers)),
      pool_(std::move(pool))
{
}

VideoPicture::~VideoPicture()
{
    const std::shared_ptr<FramePool> pool = pool_.lock();
    if (!pool)
        return;
    for (PictureBuffer& buffer : buffers_)
        pool->Give(std::move(buffer));
    for (PictureBuffer& grey : grey_)
        pool->Give(std::move(grey));
}

Picture VideoPicture::Eye(int which, Tone tone) const
{
    const Picture& colour = colour_[which == 0 ? 0 : 1];
    if (tone == Tone::Colour || !colour || colour.bytesPerPixel != 3)
        return tone == Tone::Colour ? colour : Picture{};
    const int at = which == 0 ? 0 : 1;
    std::call_once(greyOnce_[at], [&] {
        const std::shared_ptr<FramePool> pool = pool_.lock();
        PictureBuffer grey = pool ? pool->Take(colour.width, colour.height, 1)
                                  : PictureBuffer::allocate(colour.width, colour.height, 1);
        if (!grey)
            return;
        for (int r = 0; r < colour.height; ++r)
            ColourToGrey(colour.row(r), grey.row(r), size_t(colour.width));
        grey_[at] = std::move(grey);
    });
    return grey_[at].view();
}

size_t VideoPicture::Bytes() const
{
    size_t bytes = 0;
    for (const PictureBuffer& buffer : buffers_)
        bytes += buffer.byteCount();
    return bytes;
}

}  // namespace plexo::video
