#include "convert/frame_shaper.h"

namespace plexo {

Picture FrameShaper::Reduced(Film& film)
{
    const Picture picture = FilmPicture(film, Eye::Current, options_.colour ? Tone::Colour : Tone::Grey);
    if (!picture || options_.factor == 1)
        return picture;
    return ReducePicture(picture, options_.factor, reduced_);
}

Picture FrameShaper::Shaped(Film& film)
{
    const Picture picture = Reduced(film);
    if (!picture)
        return {};
    int width = options_.width;
    int height = options_.height;
    return CropPixels(picture, width, height, cut_);
}

Picture FrameShaper::ShapedBitmap(Film& film)
{
    const Picture picture = Reduced(film);
    if (!picture)
        return {};
    BitmapInfoHeader header;
    header.width = picture.width;
    header.height = picture.height;
    header.bitCount = uint16_t(picture.bytesPerPixel * 8);
    int width = options_.width;
    int height = options_.height;
    return CropBitmap(header, picture.data, width, height, cut_);
}

}  // namespace plexo
