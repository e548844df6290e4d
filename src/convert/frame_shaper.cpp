#include "convert/frame_shaper.h"

namespace plexo {

// Every shaped picture has packed rows, as the BMP and raw .flm writers take
// them.
Picture FrameShaper::Reduced(const Picture& picture)
{
    if (!picture || options_.factor == 1)
        return PackedRows(picture, reduced_);
    return ReducePicture(picture, options_.factor, reduced_);
}

Picture FrameShaper::Shaped(const Picture& picture)
{
    const Picture reduced = Reduced(picture);
    if (!reduced)
        return {};
    int width = options_.width;
    int height = options_.height;
    return CropPixels(reduced, width, height, cut_);
}

Picture FrameShaper::ShapedBitmap(const Picture& picture)
{
    const Picture reduced = Reduced(picture);
    if (!reduced)
        return {};
    BitmapInfoHeader header;
    header.width = reduced.width;
    header.height = reduced.height;
    header.bitCount = uint16_t(reduced.bytesPerPixel * 8);
    int width = options_.width;
    int height = options_.height;
    return CropBitmap(header, reduced.data, width, height, cut_);
}

}  // namespace plexo
