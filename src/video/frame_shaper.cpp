#include "video/frame_shaper.h"

#include <array>
#include <vector>

#include "image/unsqueeze.h"

namespace plexo::video {

namespace {

// Spare buffers: enough for the frames the cache lets go between two
// decodes, with their eyes and greys, and few enough to hold little.
constexpr size_t kSpareBuffers = 6;

}  // namespace

FrameShaper::FrameShaper(Orientation orientation, StereoLayout eyes)
    : converter_(orientation), eyes_(eyes), pool_(std::make_shared<FramePool>(kSpareBuffers))
{
}

SharedPicture FrameShaper::ShapeScaled(const AVFrame& frame, int64_t index, int64_t timestampUs,
                                       PictureScale scale)
{
    const std::array<EyePlace, 2> places = EyePlaces(frame.width, frame.height, eyes_);
    int width = places[0].width, height = places[0].height;
    if (eyes_.half && eyes_.kind == LayoutKind::SideBySide)
        width *= 2;
    else if (eyes_.half && eyes_.kind == LayoutKind::TopBottom)
        height *= 2;
    const int eyes = eyes_.mono() ? 1 : 2;
    const int toWidth = ScaledLength(width, scale.across), toHeight = ScaledLength(height, scale.down);
    std::vector<PictureBuffer> buffers;
    for (int eye = 0; eye < eyes; ++eye) {
        PictureBuffer made = pool_->Take(toWidth, toHeight, 3);
        if (!made || !converter_.ToSize(frame, places[size_t(eye)], made)) {
            for (PictureBuffer& buffer : buffers)
                pool_->Give(std::move(buffer));
            if (made)
                pool_->Give(std::move(made));
            return nullptr;
        }
        buffers.push_back(std::move(made));
    }
    const Picture first = buffers[0].view();
    const Picture second = eyes == 2 ? buffers[1].view() : Picture{};
    return std::make_shared<const VideoPicture>(index, timestampUs, first, second, std::move(buffers), pool_, scale,
                                                width, height);
}

SharedPicture FrameShaper::Shape(const AVFrame& frame, int64_t index, int64_t timestampUs, PictureScale scale)
{
    if (!scale.natural() && converter_.Orienting() == Orientation{})
        if (SharedPicture scaled = ShapeScaled(frame, index, timestampUs, scale))
            return scaled;
    PictureBuffer colour = pool_->Take(frame.width, frame.height, 3);
    if (!colour || !converter_.ToColour(frame, colour))
        return nullptr;
    const Orientation orientation = converter_.Orienting();
    if (orientation != Orientation{}) {
        const bool across = orientation.degrees == 90 || orientation.degrees == 270;
        PictureBuffer turned = pool_->Take(across ? colour.height : colour.width,
                                           across ? colour.width : colour.height, 3);
        if (!turned)
            return nullptr;
        OrientInto(colour.view(), orientation, turned);
        pool_->Give(std::move(colour));
        colour = std::move(turned);
    }
    std::vector<PictureBuffer> buffers;
    if (eyes_.mono()) {
        const Picture whole = colour.view();
        buffers.push_back(std::move(colour));
        return std::make_shared<const VideoPicture>(index, timestampUs, whole, Picture{}, std::move(buffers), pool_,
                                                    scale);
    }
    EyeViews views = SplitEyes(colour.view(), eyes_);
    if (!views.first || !views.second)
        return nullptr;
    if (eyes_.half) {
        // The stored picture is not looked at again once its eyes are
        // stretched: it goes back to the pool at once.
        const bool across = eyes_.kind == LayoutKind::SideBySide;
        const int width = across ? 2 * views.first.width : views.first.width;
        const int height = across ? views.first.height : 2 * views.first.height;
        for (const Picture& eye : {views.first, views.second}) {
            PictureBuffer full = pool_->Take(width, height, 3);
            if (!full || !UnsqueezeInto(eye, eyes_.kind, full))
                return nullptr;
            buffers.push_back(std::move(full));
        }
        pool_->Give(std::move(colour));
        views = {buffers[0].view(), buffers[1].view()};
    } else {
        buffers.push_back(std::move(colour));
    }
    return std::make_shared<const VideoPicture>(index, timestampUs, views.first, views.second, std::move(buffers),
                                                pool_, scale);
}

}  // namespace plexo::video
