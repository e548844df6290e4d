// The HEIF box reader (entity groups, camera properties, item locations), the
// group writer, the spatial video boxes and the XMP facts over any bytes,
// then the HEIC film of the same bytes through libheif: truncated boxes,
// sizes past the end, groups naming missing items, `iref` loops and pictures
// of 65535 pixels a side all land here.
#include "film/factories.h"
#include "fuzz_input.h"
#include "image/heif_boxes.h"
#include "image/picture_limit.h"
#include "video/spatial_video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    // A frame the size of a phone's pair is enough; a larger one is refused
    // before libheif decodes.
    SetDecodedPictureLimit(size_t(64) << 20);
    const HeifBoxFacts facts = ReadHeifBoxes(data, size);
    if (facts.items.size() >= 2) {
        const HeifStereoPair pair{facts.items[0], facts.items[1]};
        const auto grouped = WithStereoGroup(data, size, pair);
        if (grouped && (grouped->size() <= size || ReadHeifBoxes(grouped->data(), grouped->size()).items.size() !=
                                                        facts.items.size()))
            __builtin_trap();
    }
    const auto video = video::SpatialVideoFactsOfMovie(data, size);
    if (video && video->disparityAdjustment && std::abs(*video->disparityAdjustment) > kMaxDisparityAdjustment)
        __builtin_trap();
    const SpatialFacts xmp = SpatialFactsOfXmp(std::string(reinterpret_cast<const char*>(data), size));
    if (xmp.disparityAdjustment && std::abs(*xmp.disparityAdjustment) > kMaxDisparityAdjustment)
        __builtin_trap();
    const std::string path = fuzz::WriteInput("photo.heic", data, size);
    if (FilmPtr film = OpenHeicFilm(path))
        fuzz::Exercise(*film, 2);
    return 0;
}
