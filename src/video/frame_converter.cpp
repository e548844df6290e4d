#include "video/frame_converter.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

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

// Sets the stream's matrix and range on a scaler made for it.
void SetColourMatrix(SwsContext* scaler, const AVFrame& frame)
{
    // The matrix named by the stream; an unnamed one is BT.601.
    const int* matrix = sws_getCoefficients(frame.colorspace);
    sws_setColorspaceDetails(scaler, matrix, FullRange(frame) ? 1 : 0, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                             1 << 16, 1 << 16);
}

// Scalers made for other sizes wait at most this many.
constexpr size_t kIdleSized = 4;
// A cut of at least this many pixels is converted in slices, one a core; a
// smaller one (an eye of a 1080p frame) costs less than the threads' hand-offs
// save.
constexpr int64_t kSlicedPixels = 2'000'000;

// Points `eye` (a reference to `frame`) at the cut: false when a plane's
// offset would fall between its samples.
bool CutInto(const AVFrame& frame, const FrameCut& cut, AVFrame& eye)
{
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame.format));
    if (!desc || (desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_PAL)))
        return false;
    if (cut.left < 0 || cut.top < 0 || cut.width < 1 || cut.height < 1 || cut.left + cut.width > frame.width ||
        cut.top + cut.height > frame.height)
        return false;
    bool moved[4] = {};
    for (int c = 0; c < desc->nb_components; ++c) {
        const AVComponentDescriptor& comp = desc->comp[c];
        const bool chroma = (c == 1 || c == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
        const int shiftX = chroma ? desc->log2_chroma_w : 0;
        const int shiftY = chroma ? desc->log2_chroma_h : 0;
        if ((cut.left & ((1 << shiftX) - 1)) || (cut.top & ((1 << shiftY) - 1)))
            return false;
        if (moved[comp.plane])
            continue;
        moved[comp.plane] = true;
        eye.data[comp.plane] += ptrdiff_t(cut.top >> shiftY) * frame.linesize[comp.plane] +
                                ptrdiff_t(cut.left >> shiftX) * comp.step;
    }
    eye.width = cut.width;
    eye.height = cut.height;
    return true;
}

// The 8-bit 4:2:0 formats, whose planes are scaled on their own before the
// colour conversion.
bool PlanesFirst(int format)
{
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
}

// The scaler's same-size conversion to colour writes a row in steps of this
// many pixels: past the end of a row whose width is no multiple of it, into
// the next row or beyond the picture. It is given the widest run of whole
// steps, and the columns after it are made apart.
constexpr int kFastStep = 16;

// Where the columns made apart begin: the fast path's last whole step, less
// one step, so that they start on the chroma grid and are at least a step
// wide; 0 below two steps.
int EdgeLeft(int width)
{
    return std::max(0, (width / kFastStep - 1) * kFastStep);
}

// Converts the rows of `planes` with `scaler`, made for a width of whole
// steps no wider than `into`, straight into the picture's rows from its
// first column; the top row goes last in the buffer.
bool ConvertIntoRows(SwsContext* scaler, const uint8_t* const planes[4], const int linesizes[4],
                     PictureBuffer& into)
{
    const ptrdiff_t rowBytes = ptrdiff_t(into.rowBytes());
    uint8_t* const rows[4] = {into.bytes.get() + (into.height - 1) * rowBytes, nullptr, nullptr, nullptr};
    const int strides[4] = {int(-rowBytes), 0, 0, 0};
    return sws_scale(scaler, planes, linesizes, 0, into.height, rows, strides) == into.height;
}

// Converts the rows of `planes` with `scaler` into `rows`, each with
// room for a further step after it, then copies them into `into` from
// column `left` on: the scaler's overrun lands in the room, never in the
// picture.
bool ConvertThroughPaddedRows(SwsContext* scaler, const uint8_t* const planes[4], const int linesizes[4], int left,
                              std::vector<uint8_t>& rows, PictureBuffer& into)
{
    const int width = into.width - left, height = into.height;
    const size_t stride = size_t(width + kFastStep) * 3;
    rows.resize(stride * size_t(height));
    uint8_t* const out[4] = {rows.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(stride), 0, 0, 0};
    if (sws_scale(scaler, planes, linesizes, 0, height, out, strides) != height)
        return false;
    // The picture's rows go bottom first.
    for (int r = 0; r < height; ++r)
        std::memcpy(into.row(height - 1 - r) + size_t(left) * 3, rows.data() + size_t(r) * stride,
                    size_t(width) * 3);
    return true;
}

// A frame whose pixels are the picture's own bytes, lent to the scaler,
// never freed by it; bottom row first, as the picture keeps them.
FrameHandle LentFrame(PictureBuffer& into)
{
    FrameHandle out(av_frame_alloc());
    const ptrdiff_t rowBytes = ptrdiff_t(into.rowBytes());
    if (!out)
        return nullptr;
    out->buf[0] = av_buffer_create(into.bytes.get(), size_t(rowBytes) * size_t(into.height),
                                   [](void*, uint8_t*) {}, nullptr, 0);
    if (!out->buf[0])
        return nullptr;
    out->width = into.width;
    out->height = into.height;
    out->format = AV_PIX_FMT_BGR24;
    // The top row goes last in the buffer.
    out->data[0] = into.bytes.get() + (into.height - 1) * rowBytes;
    out->linesize[0] = int(-rowBytes);
    return out;
}

}  // namespace

FrameConverter::SizedScaler FrameConverter::TakeSized(const AVFrame& frame, const FrameCut& cut, int toWidth,
                                                      int toHeight)
{
    {
        std::lock_guard lock(mutex_);
        for (auto it = idleSized_.begin(); it != idleSized_.end(); ++it)
            if (it->fromWidth == cut.width && it->fromHeight == cut.height && it->format == frame.format &&
                it->toWidth == toWidth && it->toHeight == toHeight && it->colorspace == frame.colorspace &&
                it->fullRange == FullRange(frame)) {
                SizedScaler found = std::move(*it);
                idleSized_.erase(it);
                return found;
            }
    }
    SizedScaler made{ScalerHandle(sws_alloc_context()), cut.width, cut.height, frame.format, toWidth, toHeight,
                     frame.colorspace, FullRange(frame), FrameHandle(), ScalerHandle(), ScalerHandle(), {}};
    SwsContext* scaler = made.scaler.get();
    if (!scaler)
        return {};
    const bool planesFirst = PlanesFirst(frame.format);
    // Every source pixel counts towards the smaller picture: shrunk by at
    // most half on both axes (a half layout's eyes stretched across, a 4K
    // film in a full screen), the two taps of the scaler's fast bilinear
    // reach each one, at half the cost of area averaging; shrunk more, area
    // averaging, at half the cost of bicubic. Threads 0: one slice a core.
    const int filter = cut.width <= 2 * toWidth && cut.height <= 2 * toHeight ? SWS_FAST_BILINEAR : SWS_AREA;
    const bool sliced = int64_t(cut.width) * cut.height >= kSlicedPixels;
    const int from = planesFirst ? AV_PIX_FMT_YUV420P : frame.format;
    const bool set = av_opt_set_int(scaler, "srcw", cut.width, 0) >= 0 &&
                     av_opt_set_int(scaler, "srch", cut.height, 0) >= 0 &&
                     av_opt_set_int(scaler, "src_format", from, 0) >= 0 &&
                     av_opt_set_int(scaler, "dstw", toWidth, 0) >= 0 &&
                     av_opt_set_int(scaler, "dsth", toHeight, 0) >= 0 &&
                     av_opt_set_int(scaler, "dst_format", planesFirst ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_BGR24, 0) >=
                         0 &&
                     av_opt_set_int(scaler, "sws_flags", filter, 0) >= 0 &&
                     av_opt_set_int(scaler, "threads", sliced ? 0 : 1, 0) >= 0;
    if (!set || sws_init_context(scaler, nullptr, nullptr) < 0)
        return {};
    if (!planesFirst) {
        // The matrix is set once: setting it again on every frame would
        // rebuild the tables of every slice's scaler.
        SetColourMatrix(scaler, frame);
        return made;
    }
    made.scaled.reset(av_frame_alloc());
    if (!made.scaled)
        return {};
    made.scaled->width = toWidth;
    made.scaled->height = toHeight;
    made.scaled->format = AV_PIX_FMT_YUV420P;
    if (av_frame_get_buffer(made.scaled.get(), 0) < 0)
        return {};
    const int left = EdgeLeft(toWidth);
    if (left > 0) {
        made.toColour.reset(sws_getContext(left, toHeight, AV_PIX_FMT_YUV420P, left, toHeight, AV_PIX_FMT_BGR24,
                                           SWS_POINT, nullptr, nullptr, nullptr));
        if (!made.toColour)
            return {};
        SetColourMatrix(made.toColour.get(), frame);
    }
    // The scaler may write past the last column of any pass: the edge is
    // made in rows of its own with room after them, then copied.
    const int edgeWidth = toWidth - left;
    made.edge.reset(sws_getContext(edgeWidth, toHeight, AV_PIX_FMT_YUV420P, edgeWidth, toHeight, AV_PIX_FMT_BGR24,
                                   SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr));
    if (!made.edge)
        return {};
    SetColourMatrix(made.edge.get(), frame);
    return made;
}

bool FrameConverter::ToSize(const AVFrame& frame, const FrameCut& cut, PictureBuffer& into)
{
    if (!into || into.bytesPerPixel != 3 || !frame.buf[0])
        return false;
    FrameHandle eye(av_frame_alloc());
    if (!eye || av_frame_ref(eye.get(), &frame) < 0 || !CutInto(frame, cut, *eye))
        return false;
    SizedScaler sized = TakeSized(frame, cut, into.width, into.height);
    if (!sized.scaler)
        return false;
    bool made = false;
    if (sized.scaled) {
        // The full-range 4:2:0 of old has the same planes: scaled as they
        // are, the range is the colour conversion's business.
        eye->format = AV_PIX_FMT_YUV420P;
        made = sws_scale_frame(sized.scaler.get(), sized.scaled.get(), eye.get()) >= 0 && ScaledToColour(sized, into);
    } else {
        FrameHandle out = LentFrame(into);
        made = out && sws_scale_frame(sized.scaler.get(), out.get(), eye.get()) >= 0;
    }
    std::lock_guard lock(mutex_);
    idleSized_.push_back(std::move(sized));
    if (idleSized_.size() > kIdleSized)
        idleSized_.erase(idleSized_.begin());
    return made;
}

bool FrameConverter::ScaledToColour(SizedScaler& sized, PictureBuffer& into)
{
    const AVFrame& scaled = *sized.scaled;
    const int left = EdgeLeft(into.width);
    // The fast path's whole steps straight into the picture, the rest apart.
    if (left > 0 && !ConvertIntoRows(sized.toColour.get(), scaled.data, scaled.linesize, into))
        return false;
    const uint8_t* const planes[4] = {scaled.data[0] + left, scaled.data[1] + left / 2, scaled.data[2] + left / 2,
                                      nullptr};
    return ConvertThroughPaddedRows(sized.edge.get(), planes, scaled.linesize, left, sized.edgeRows, into);
}

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
    SetColourMatrix(scaler.get(), frame);
    bool made = false;
    if (frame.width % kFastStep == 0) {
        made = ConvertIntoRows(scaler.get(), frame.data, frame.linesize, into);
    } else {
        // The fast path would write up to its next step past each row: over
        // the start of the row converted before it, and past the buffer's
        // end after the top row. The padded rows are kept by the decoder's
        // thread from frame to frame.
        thread_local std::vector<uint8_t> padded;
        made = ConvertThroughPaddedRows(scaler.get(), frame.data, frame.linesize, 0, padded, into);
    }
    {
        std::lock_guard lock(mutex_);
        idle_.push_back(std::move(scaler));
    }
    return made;
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
