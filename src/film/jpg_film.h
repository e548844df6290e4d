#pragma once
// A film of JPEG files, a numbered run or one file alone: one frame a file,
// decoded on every picture request.

#include <string>

#include "film/cadre.h"
#include "film/numbered_sequence.h"
#include "film/still_source.h"

namespace plexo {

// No JPEG of the largest picture any reader accepts comes near this; a file
// beyond it is not read into memory.
inline constexpr int64_t kMaxJpegFileBytes = int64_t(1) << 30;

// The picture of a JPEG file in the system's convention; null when the file
// does not read or decode.
PictureBuffer ReadJpegFile(const std::string& path, Tone tone);
// Frames of one whole JPEG picture a file, for still sources.
StillDecoder JpegDecoder();

class JpgCadre : public FileCadre {
public:
    using FileCadre::FileCadre;

protected:
    PictureBuffer Build(Tone tone) override;
};

}  // namespace plexo
