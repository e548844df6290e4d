#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "film/jpeg_codec.h"

namespace plexo {

bool WriteJpgFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    FrameShaper shaper(options);
    return WalkFrames(*film, control, [&] {
        Picture picture = shaper.Shaped(*film);
        if (!picture)
            return false;
        // The JPEG writer takes red first; the film's own bytes are never changed.
        if (options.colour)
            picture = ExchangeRedBlue(picture, shaper.OwnerOrSpare(picture));
        return WriteJpegFile(FrameFileName(base, film->FrameNumber(), ".jpg"), picture.bytesPerPixel,
                             picture.width, picture.height, picture.data, options.quality);
    });
}

}  // namespace plexo
