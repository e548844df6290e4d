#include "image/png_tiff_codec.h"

#include <climits>
#include <cstring>
#include <exception>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

namespace plexo {

PictureBuffer DecodePngTiff(const uint8_t* bytes, size_t length, Tone tone)
{
    if (length == 0 || length > size_t(INT_MAX))
        return {};
    const int bytesPerPixel = tone == Tone::Grey ? 1 : 3;
    const int flags = (tone == Tone::Grey ? cv::IMREAD_GRAYSCALE : cv::IMREAD_COLOR) | cv::IMREAD_IGNORE_ORIENTATION;
    cv::Mat decoded;
    try {
        // imdecode only reads the bytes it is given.
        const cv::Mat encoded(1, int(length), CV_8UC1, const_cast<uint8_t*>(bytes));
        decoded = cv::imdecode(encoded, flags);
    } catch (const std::exception&) {
        return {};
    }
    if (decoded.empty() || decoded.type() != (bytesPerPixel == 1 ? CV_8UC1 : CV_8UC3))
        return {};
    PictureBuffer picture = PictureBuffer::allocate(decoded.cols, decoded.rows, bytesPerPixel);
    if (!picture)
        return {};
    for (int r = 0; r < decoded.rows; ++r)
        std::memcpy(picture.row(decoded.rows - 1 - r), decoded.ptr(r), picture.rowBytes());
    return picture;
}

}  // namespace plexo
