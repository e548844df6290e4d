#pragma once
// Google's VR180 photos (".vr.jpg"): the JPEG picture is the left eye, and
// its XMP carries the right eye, a JPEG stream base64-encoded as
// GImage:Data, spread over extended XMP segments (APP1 blocks of
// "http://ns.adobe.com/xmp/extension/", each a part of the whole at its
// offset, tied to the main XMP by xmpNote:HasExtendedXMP). The main XMP's
// GPano tags say which part of the sphere the eyes cover.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/projection.h"

namespace plexo {

struct VrPhoto {
    // The right eye's JPEG stream.
    std::vector<uint8_t> secondJpeg;
    // The equirectangular window of GPano's cropped area within its full
    // panorama; empty without those tags.
    std::optional<Projection> projection;
};

// The VR180 parts of a JPEG stream's header; empty when it holds no second
// eye, or when its extended XMP is incomplete or does not decode.
std::optional<VrPhoto> ReadVrPhoto(const uint8_t* jpeg, size_t length);

}  // namespace plexo
