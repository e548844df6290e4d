#pragma once
// The multi-picture index that makes two JPEG streams one MPO file (CIPA
// DC-007) of a stereo pair, as 3D cameras write it: the first stream with an
// APP2 "MPF" block, then the second stream. The streams themselves are not
// copied: the writer puts out the pieces in order.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace plexo {

// The file is the first stream up to `insertAt`, then `index`, then the rest
// of the first stream, then the second stream.
struct MpoPieces {
    size_t insertAt = 0;
    std::vector<uint8_t> index;
};

// The index of a pair whose two entries are both of the type "multi-frame
// disparity", the first the representative picture. Empty when the first
// stream does not start as a JPEG stream or the file would pass the 4 GiB
// that the index's offsets can count.
std::optional<MpoPieces> MpoPairPieces(const uint8_t* first, size_t firstLength, size_t secondLength);

}  // namespace plexo
