#pragma once
// Films of MPO files (a 3D camera's two JPEG pictures in one file with their
// index), one frame a file: a lone file, or a numbered run gathered like the
// numbered sequences. The index's pair of eyes makes a two-view film; a file
// without one (a phone photo with its gain map) is a single view of its first
// picture.

#include <string>

#include "film/cadre.h"
#include "film/numbered_sequence.h"

namespace plexo {

struct MpoPictures {
    PictureBuffer first;
    // Null without a pair, or when the pair's second picture does not decode.
    PictureBuffer second;
    // The index names a pair of eyes.
    bool pairNamed = false;
    // Why a file whose index lists more than one picture gives only one:
    // "the second picture does not decode; shown as a single view"; empty
    // otherwise.
    std::string flatReason;
};

// The file's eyes when `pair` asks for them and the index names them, else
// its first picture alone; both null when the file does not read, its first
// picture does not decode or the pictures would pass the decoded picture
// limit (that one logged).
MpoPictures ReadMpoFile(const std::string& path, Tone tone, bool pair);

// A frame of the single view: the file's first picture.
class MpoCadre : public FileCadre {
public:
    using FileCadre::FileCadre;

protected:
    PictureBuffer Build(Tone tone) override { return ReadMpoFile(path(), tone, false).first; }
};

}  // namespace plexo
