// A VR180 photo's XMP: any JPEG header gives a right eye and a cropped
// window inside the sphere, or nothing, and never reads outside its bytes.
#include <cstddef>
#include <cstdint>

#include "image/projection_name_words.h"
#include "image/vr_photo_xmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo;
    if (const auto photo = ReadVrPhoto(data, size)) {
        if (photo->secondJpeg.empty())
            __builtin_trap();
        if (const auto& p = photo->projection;
            p && !(p->left >= -180 && p->left < p->right && p->right <= 180 && p->bottom >= -90 &&
                   p->bottom < p->top && p->top <= 90))
            __builtin_trap();
    }
    // The name's projection words, from the same bytes.
    if (const auto named = ProjectionOfFileName({reinterpret_cast<const char*>(data), size});
        named && named->kind == ProjectionKind::Fisheye &&
        !(named->fisheyeDegrees >= kMinFisheyeDegrees && named->fisheyeDegrees <= kMaxFisheyeDegrees))
        __builtin_trap();
    return 0;
}
