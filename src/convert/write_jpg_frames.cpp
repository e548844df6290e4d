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
        const Picture picture = shaper.Shaped(*film);
        return picture && WriteJpegFile(FrameFileName(base, film->FrameNumber(), ".jpg"), picture, options.quality);
    });
}

}  // namespace plexo
