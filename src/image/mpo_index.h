#pragma once
// The multi-picture index of an MPO file (CIPA DC-007): the APP2 "MPF" block
// of the first picture, a TIFF-style directory whose MP entries give each
// picture's type, place and length. 3D cameras store their two eyes as two
// pictures of the type "multi-frame disparity"; phones store a gain map or
// previews beside the photo.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace plexo {

inline constexpr uint32_t kMpLargeThumbnailVga = 0x010001;
inline constexpr uint32_t kMpLargeThumbnailFullHd = 0x010002;
inline constexpr uint32_t kMpDisparity = 0x020002;

struct MpEntry {
    // The MP type code, the low 24 bits of the entry's attributes.
    uint32_t type;
    // Where the picture's JPEG stream lies in the file; always inside it.
    size_t offset;
    size_t length;
};

// The JPEG pictures the index lists, in its order; entries that lie outside
// the file or hold another coding are left out. Empty when the file has no
// index or a damaged one.
std::vector<MpEntry> ReadMpIndex(const uint8_t* file, size_t length);

// The JPEG pictures of an MPO file. The index is trusted when every entry
// lies in the file, starts a JPEG stream there and starts one no other entry
// does; otherwise (offsets counted from the wrong base, as some cameras
// write them; entries that point at one picture) the pictures are the
// streams found by their markers, as other readers find them, each of the
// type of the index's entry at its place. Empty without an index.
struct MpoPictureList {
    std::vector<MpEntry> pictures;
    // The JPEG pictures the index lists.
    size_t listed = 0;
    bool foundByMarkers = false;
};
MpoPictureList FindMpoPictures(const uint8_t* file, size_t length);

struct MpPictureSize {
    int width;
    int height;
    bool operator==(const MpPictureSize&) const = default;
};

// The two entries that are the eyes: the first two of the disparity type;
// failing that, the first two of equal size that are not thumbnails (`sizeOf`
// gives a picture's size, empty when its header does not read). Empty when
// there is no such pair.
std::optional<std::pair<size_t, size_t>> ChooseEyePictures(
    const std::vector<MpEntry>& entries, const std::function<std::optional<MpPictureSize>(const MpEntry&)>& sizeOf);

}  // namespace plexo
