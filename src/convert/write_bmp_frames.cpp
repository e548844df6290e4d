#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "doc/write_bmp_file.h"

namespace plexo {

namespace {

class BmpWork : public FrameWork {
public:
    BmpWork(const std::string& base, const ConversionOptions& options, RunOutputNames& names)
        : base_(base), shaper_(options), names_(names)
    {
    }

    bool Make(const Picture& picture) override
    {
        shaped_ = shaper_.ShapedBitmap(picture);
        if (shaped_)
            header_ = BitmapHeaderFor(shaped_);
        return bool(shaped_);
    }

    bool Put(int32_t number) override
    {
        const std::string fileName = FrameFileName(base_, number, ".bmp");
        return names_.Claim(fileName) && WriteBmpFile(fileName, header_.data(), shaped_.data);
    }

private:
    const std::string& base_;
    FrameShaper shaper_;
    RunOutputNames& names_;
    Picture shaped_;
    std::vector<uint8_t> header_;
};

}  // namespace

bool WriteBmpFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    RunOutputNames names;
    return WalkFrames(*film, FrameShaper(options).tone(), control,
                      [&] { return std::make_unique<BmpWork>(base, options, names); });
}

}  // namespace plexo
