#include "film/jpeg_codec.h"

#include <turbojpeg.h>

#include <memory>

#include "film/film.h"
#include "platform/atomic_file.h"

namespace plexo {

namespace {

struct TjCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjCloser>;

// A forged header can claim a picture far larger than its stream could ever
// describe. Every 8 x 8 block of the first component costs at least one bit
// of Huffman code; the allowance of 64 blocks a byte leaves room for
// arithmetic-coded streams, which go lower, and still refuses a few bytes that
// ask for megabytes.
bool StreamCanBack(int width, int height, size_t length)
{
    const int64_t blocks = (int64_t(width) + 7) / 8 * ((int64_t(height) + 7) / 8);
    return blocks <= int64_t(length) * 64;
}

PictureBuffer Decode(const uint8_t* stream, size_t length, JpegRows rows, Tone tone)
{
    if (!stream || length == 0)
        return {};
    TjHandle handle(tjInitDecompress());
    if (!handle)
        return {};
    int width = 0, height = 0, subsamp = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), stream, (unsigned long)length, &width, &height, &subsamp, &colourspace) !=
        0)
        return {};
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        !StreamCanBack(width, height, length))
        return {};
    const int channels = tone == Tone::Grey ? 1 : 3;
    PictureBuffer picture = PictureBuffer::allocate(width, height, channels);
    if (!picture)
        return {};
    int format = TJPF_GRAY;
    if (tone == Tone::Colour)
        format = rows == JpegRows::Picture ? TJPF_BGR : TJPF_RGB;
    // A stream the library reports as corrupt or cut short gives no picture,
    // rather than one padded out with grey that a conversion would write on
    // as good; the first warning ends the decoding. A stream of hundreds of
    // scans takes seconds a picture and is refused.
    const int flags =
        (rows == JpegRows::Picture ? TJFLAG_BOTTOMUP : 0) | TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;
    if (tjDecompress2(handle.get(), stream, (unsigned long)length, picture.bytes.get(), width,
                      int(picture.rowBytes()), height, format, flags) != 0)
        return {};
    return picture;
}

// `colourFormat` is how the three bytes of a colour pixel are ordered.
std::vector<uint8_t> Encode(const uint8_t* pixels, int channels, int width, int height, int quality,
                            int colourFormat, int flags)
{
    if (!pixels || (channels != 1 && channels != 3) || width <= 0 || height <= 0 || width > kMaxPictureSide ||
        height > kMaxPictureSide || quality < 1 || quality > 100)
        return {};
    const int subsamp = channels == 3 ? TJSAMP_420 : TJSAMP_GRAY;
    const int format = channels == 3 ? colourFormat : TJPF_GRAY;
    TjHandle handle(tjInitCompress());
    if (!handle)
        return {};
    // The worst case for these settings, so that the library never has to
    // grow the block, whatever the picture and the quality.
    const unsigned long bound = tjBufSize(width, height, subsamp);
    if (bound == (unsigned long)-1)
        return {};
    std::vector<uint8_t> out(bound);
    unsigned char* block = out.data();
    unsigned long size = bound;
    if (tjCompress2(handle.get(), pixels, width, width * channels, height, format, &block, &size, subsamp, quality,
                    flags | TJFLAG_NOREALLOC) != 0 ||
        block != out.data() || size > bound)
        return {};
    out.resize(size);
    return out;
}

}  // namespace

PictureBuffer DecodeJpegColour(const uint8_t* stream, size_t length, JpegRows rows)
{
    return Decode(stream, length, rows, Tone::Colour);
}

PictureBuffer DecodeJpegGrey(const uint8_t* stream, size_t length, JpegRows rows)
{
    return Decode(stream, length, rows, Tone::Grey);
}

std::vector<uint8_t> EncodeJpeg(const uint8_t* pixels, int channels, int width, int height, int quality)
{
    return Encode(pixels, channels, width, height, quality, TJPF_RGB, 0);
}

bool WriteJpegFile(const std::string& fileName, const Picture& picture, int quality)
{
    const std::vector<uint8_t> stream = Encode(picture.data, picture.bytesPerPixel, picture.width, picture.height,
                                               quality, TJPF_BGR, TJFLAG_BOTTOMUP);
    return !stream.empty() && platform::ReplaceFileWith(fileName, stream.data(), stream.size());
}

}  // namespace plexo
