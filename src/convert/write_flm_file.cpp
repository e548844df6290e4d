#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "film/flm_film.h"
#include "film/jpeg_codec.h"
#include "platform/atomic_file.h"

namespace plexo {

namespace {

constexpr uint32_t kColour = 1, kNumbered = 2, kExtension = 4;

void PutLE(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(v >> (8 * i));
}

bool WriteU32(platform::AtomicFile& file, uint32_t v)
{
    uint8_t bytes[4];
    PutLE(bytes, v);
    return file.write(bytes, 4);
}

}  // namespace

bool WriteFlmFile(Film* film, const std::string& fileName, const ConversionOptions& options,
                  const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    const bool packed = options.compress == 1;
    platform::AtomicFile file(fileName);
    const uint8_t placeholder[16] = {};
    if (!file.write(placeholder, sizeof placeholder))
        return false;
    if (packed && !(WriteU32(file, 4) && WriteU32(file, 1)))
        return false;

    FrameShaper shaper(options);
    int width = 0, height = 0;
    uint32_t count = 0;
    const bool whole = WalkFrames(*film, control, [&] {
        const Picture picture = shaper.Shaped(*film);
        if (!picture || picture.width > FlmHeader::kMaxSide || picture.height > FlmHeader::kMaxSide)
            return false;
        if (count > 0 && (picture.width != width || picture.height != height))
            return false;
        width = picture.width;
        height = picture.height;
        const uint16_t number = uint16_t(film->FrameNumber());
        const uint8_t numberBytes[2] = {uint8_t(number), uint8_t(number >> 8)};
        if (!file.write(numberBytes, 2))
            return false;
        if (packed) {
            // The stream holds the picture as it lies in memory; the reader's
            // decoder gives it back the same way.
            const std::vector<uint8_t> stream =
                EncodeJpeg(picture.data, picture.bytesPerPixel, picture.width, picture.height, options.quality);
            if (stream.empty() || !WriteU32(file, uint32_t(stream.size())) ||
                !file.write(stream.data(), stream.size()))
                return false;
        } else if (!file.write(picture.data, picture.byteCount())) {
            return false;
        }
        ++count;
        return true;
    });
    if (!whole)
        return false;

    uint8_t header[16];
    PutLE(header, (options.colour ? kColour : 0u) | kNumbered | (packed ? kExtension : 0u));
    PutLE(header + 4, count);
    PutLE(header + 8, uint32_t(width));
    PutLE(header + 12, uint32_t(height));
    return file.writeAt(0, header, sizeof header) && file.commit();
}

}  // namespace plexo
