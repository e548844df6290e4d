#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "doc/write_bmp_file.h"

namespace plexo {

bool WriteBmpFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    FrameShaper shaper(options);
    RunOutputNames names;
    return WalkFrames(*film, control, [&] {
        const std::string fileName = FrameFileName(base, film->FrameNumber(), ".bmp");
        if (!names.Claim(fileName))
            return false;
        const Picture picture = shaper.ShapedBitmap(*film);
        if (!picture)
            return false;
        const std::vector<uint8_t> header = BitmapHeaderFor(picture);
        return WriteBmpFile(fileName, header.data(), picture.data);
    });
}

}  // namespace plexo
