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
    RunOutputNames names;
    return WalkFrames(*film, control, [&] {
        const std::string fileName = FrameFileName(base, film->FrameNumber(), ".jpg");
        if (!names.Claim(fileName))
            return false;
        const Picture picture = shaper.Shaped(*film);
        return picture && WriteJpegFile(fileName, picture, options.quality);
    });
}

}  // namespace plexo
