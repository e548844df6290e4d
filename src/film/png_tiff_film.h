#pragma once
// Films of a PNG or TIFF file (a camera pair's loose eye, a test set's
// im0.png): one frame, the file's picture, or a TIFF's first page.

#include <climits>
#include <cstdint>
#include <string>

#include "film/numbered_sequence.h"
#include "image/picture.h"

namespace plexo {

// The decoder takes the file's length as an int.
inline constexpr int64_t kMaxPngTiffFileBytes = INT_MAX;

// The picture of a PNG or TIFF file, whatever its extension says; null when
// the file is not a regular file, does not decode, or its header states a
// picture past the decoded picture limit (logged with the file's name).
PictureBuffer ReadPngTiffFile(const std::string& path, Tone tone);

class PngTiffCadre : public FileCadre {
public:
    using FileCadre::FileCadre;

protected:
    PictureBuffer Build(Tone tone) override;
};

}  // namespace plexo
