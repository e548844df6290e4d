#include "video/frame_converter.h"

#include <cstring>

#include "film/grey_pixels.h"


namespace plexo::video {

namespace {

// The full-range formats of old, which the scaler knows as full range by
// their name alone.
bool FullRange(const AVFrame& frame)
{
    switch (frame.format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
        return true;
    default:
        return frame.color_range == AVCOL_RANGE_JPEG;
    }
}

}  // namespace

bool FrameConverter::ToColour(const AVFrame& frame, PictureBuffer& into)
{
    ScalerHandle scaler;
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            scaler = std::move(idle_.back());
            idle_.pop_back();
        }
    }
    // Bicubic, as the ffmpeg program's scale filter; a conversion at the same
    // size takes the scaler's direct path whatever the filter.
    scaler.reset(sws_getCachedContext(scaler.release(), frame.width, frame.height, AVPixelFormat(frame.format),
                                      frame.width, frame.height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                                      nullptr));
    if (!scaler)
        return false;
    // The matrix named by the stream; an unnamed one is BT.601.
    const int* matrix = sws_getCoefficients(frame.colorspace);
    sws_setColorspaceDetails(scaler.get(), matrix, FullRange(frame) ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                             1 << 16, 1 << 16);
    // The bottom row first: the top row goes last in the buffer.
    const ptrdiff_t rowBytes = ptrdiff_t(into.rowBytes());
    uint8_t* const rows[4] = {into.bytes.get() + (into.height - 1) * rowBytes, nullptr, nullptr, nullptr};
    const int strides[4] = {int(-rowBytes), 0, 0, 0};
    const int made = sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, rows, strides);
    {
        std::lock_guard lock(mutex_);
        idle_.push_back(std::move(scaler));
    }
    return made == frame.height;
}

PictureBuffer FrameConverter::Convert(const AVFrame& frame, Tone tone)
{
    PictureBuffer colour = PictureBuffer::allocate(frame.width, frame.height, 3);
    if (!colour || !ToColour(frame, colour))
        return {};
    if (orientation_ != Orientation{}) {
        colour = Oriented(colour.view(), orientation_);
        if (!colour)
            return {};
    }
    if (tone == Tone::Colour)
        return colour;
    PictureBuffer grey = PictureBuffer::allocate(colour.width, colour.height, 1);
    if (grey)
        ColourToGrey(colour.bytes.get(), grey.bytes.get(), size_t(colour.width) * size_t(colour.height));
    return grey;
}

PictureBuffer Oriented(const Picture& picture, Orientation orientation)
{
    const int degrees = orientation.degrees;
    const bool across = degrees == 90 || degrees == 270;
    const int width = picture.width, height = picture.height;
    PictureBuffer turned = PictureBuffer::allocate(across ? height : width, across ? width : height,
                                                   picture.bytesPerPixel);
    if (turned)
        OrientInto(picture, orientation, turned);
    return turned;
}

void OrientInto(const Picture& picture, Orientation orientation, PictureBuffer& turned)
{
    const int degrees = orientation.degrees;
    const int width = picture.width, height = picture.height;
    const size_t pixel = size_t(picture.bytesPerPixel);
    for (int r = 0; r < height; ++r) {
        const uint8_t* row = picture.row(r);
        for (int x = 0; x < width; ++x) {
            const uint8_t* from = row + size_t(orientation.mirrored ? width - 1 - x : x) * pixel;
            // Rows counted from the bottom: a clockwise quarter turn takes
            // column x of row r, mirrored or not, to column r of row
            // width - 1 - x.
            uint8_t* to = degrees == 90    ? turned.row(width - 1 - x) + size_t(r) * pixel
                          : degrees == 180 ? turned.row(height - 1 - r) + size_t(width - 1 - x) * pixel
                          : degrees == 270 ? turned.row(x) + size_t(height - 1 - r) * pixel
                                           : turned.row(r) + size_t(x) * pixel;
            std::memcpy(to, from, pixel);
        }
    }
}

}  // namespace plexo::video
