#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "doc/write_bmp_file.h"

namespace plexo {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// The 40 header bytes, then for 8 bits the grey table (entry i: i, i, i, 0).
std::vector<uint8_t> HeaderBytes(const BitmapInfoHeader& h)
{
    std::vector<uint8_t> out;
    out.reserve(40 + 1024);
    Put(out, h.size, 4);
    Put(out, uint32_t(h.width), 4);
    Put(out, uint32_t(h.height), 4);
    Put(out, h.planes, 2);
    Put(out, h.bitCount, 2);
    Put(out, h.compression, 4);
    Put(out, h.sizeImage, 4);
    Put(out, uint32_t(h.xPelsPerMeter), 4);
    Put(out, uint32_t(h.yPelsPerMeter), 4);
    Put(out, h.clrUsed, 4);
    Put(out, h.clrImportant, 4);
    if (h.bitCount == 8)
        for (uint32_t i = 0; i < 256; ++i)
            Put(out, i | i << 8 | i << 16, 4);
    return out;
}

}  // namespace

bool WriteBmpFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    FrameShaper shaper(options);
    return WalkFrames(*film, control, [&] {
        BitmapInfoHeader header;
        if (!options.colour) {
            header.clrUsed = 256;
            header.clrImportant = 256;
        }
        const Picture picture = shaper.ShapedBitmap(*film, header);
        if (!picture)
            return false;
        const std::vector<uint8_t> headerBytes = HeaderBytes(header);
        return WriteBmpFile(FrameFileName(base, film->FrameNumber(), ".bmp"), headerBytes.data(), picture.data);
    });
}

}  // namespace plexo
