#include "film/vr_photo_film.h"

#include <memory>

#include "film/jpg_film.h"
#include "film/still_source.h"
#include "film/two_view_film.h"
#include "image/input_file.h"
#include "image/jpeg_codec.h"
#include "image/picture_limit.h"
#include "image/vr_photo_xmp.h"
#include "platform/log.h"

namespace plexo {

namespace {

struct Eyes {
    PictureBuffer first;
    PictureBuffer second;
};

// The photo's eyes and what its XMP states; false when it is no VR photo,
// or an eye does not decode (logged).
bool ReadEyes(const std::string& path, SourceFrame& frame, std::optional<Projection>* projection = nullptr)
{
    size_t length = 0;
    const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(path, kMaxJpegFileBytes, length);
    if (!bytes)
        return false;
    const std::optional<VrPhoto> photo = ReadVrPhoto(bytes.get(), length);
    if (!photo)
        return false;
    int w[2] = {}, h[2] = {};
    if (!ReadJpegSize(bytes.get(), length, w[0], h[0]) ||
        !ReadJpegSize(photo->secondJpeg.data(), photo->secondJpeg.size(), w[1], h[1])) {
        LogMessage(path + ": its right eye is not a JPEG picture");
        return false;
    }
    if (const auto refusal = DecodedSizeRefusal({{w[0], h[0]}, {w[1], h[1]}}, 3)) {
        LogRefusedPicture(path, *refusal);
        return false;
    }
    auto eyes = std::make_shared<Eyes>();
    eyes->first = DecodeJpegColour(bytes.get(), length, JpegRows::Picture);
    eyes->second = DecodeJpegColour(photo->secondJpeg.data(), photo->secondJpeg.size(), JpegRows::Picture);
    if (!eyes->first || !eyes->second) {
        LogMessage(path + ": an eye of the VR photo does not decode");
        return false;
    }
    if (projection)
        *projection = photo->projection;
    frame = {eyes, eyes->first.view(), eyes->second.view()};
    return true;
}

class VrPhotoFilm final : public TwoViewFilm {
public:
    VrPhotoFilm(std::unique_ptr<FrameSource> source, const std::optional<Projection>& projection)
        : TwoViewFilm(std::move(source), {{}, LayoutOrigin::Metadata})
    {
        if (projection)
            projection_ = {*projection, ProjectionOrigin::Metadata};
    }

    FilmFacts Facts() const override
    {
        FilmFacts facts = TwoViewFilm::Facts();
        facts.projection = projection_;
        return facts;
    }

private:
    SourceProjection projection_;
};

}  // namespace

FilmPtr OpenVrPhotoFilm(const std::string& path)
{
    SourceFrame first;
    std::optional<Projection> projection;
    if (!ReadEyes(path, first, &projection))
        return nullptr;
    std::vector<SequenceFile> files{{1, path}};
    auto decode = [](const std::string& file, SourceFrame& frame) { return ReadEyes(file, frame); };
    return std::make_unique<VrPhotoFilm>(std::make_unique<StillSource>(std::move(files), decode, first), projection);
}

}  // namespace plexo
