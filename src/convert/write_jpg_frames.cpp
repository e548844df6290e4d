#include "convert/frame_shaper.h"
#include "convert/frame_walk.h"
#include "convert/frame_writers.h"
#include "convert/output_names.h"
#include "film/jpeg_codec.h"
#include "platform/atomic_file.h"

namespace plexo {

namespace {

class JpgWork : public FrameWork {
public:
    JpgWork(const std::string& base, const ConversionOptions& options, RunOutputNames& names)
        : base_(base), quality_(options.quality), shaper_(options), names_(names)
    {
    }

    // The library reads the picture's rows bottom first and its colour bytes
    // blue first itself, so no turned or swapped copy is made.
    bool Make(const Picture& picture) override
    {
        return encoder_.Encode(shaper_.Shaped(picture), quality_, JpegRows::Picture);
    }

    bool Put(int32_t number) override
    {
        const std::string fileName = FrameFileName(base_, number, ".jpg");
        return names_.Claim(fileName) && platform::ReplaceFileWith(fileName, encoder_.data(), encoder_.size());
    }

private:
    const std::string& base_;
    int quality_;
    FrameShaper shaper_;
    RunOutputNames& names_;
    JpegEncoder encoder_;
};

}  // namespace

bool WriteJpgFrames(Film* film, const std::string& base, const ConversionOptions& options,
                    const ConversionControl& control)
{
    if (!film || options.factor < 1)
        return false;
    RunOutputNames names;
    return WalkFrames(*film, FrameShaper(options).tone(), control,
                      [&] { return std::make_unique<JpgWork>(base, options, names); });
}

}  // namespace plexo
