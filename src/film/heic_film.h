#pragma once
// Films of HEIC and HEIF stills, one file a film of one frame: a phone's
// spatial photo, whose `ster` group names the left and right pictures, is a
// two-view film with the D its disparity adjustment asks for; any other file
// (an ordinary phone photo) is a single view of its primary picture, split by
// the user's layout or the name's where one is given.

#include "film/numbered_sequence.h"
#include "image/heic_codec.h"

namespace plexo {

// The single view's frame: the file's primary picture in the tone.
class HeicCadre : public FileCadre {
public:
    using FileCadre::FileCadre;

protected:
    PictureBuffer Build(Tone tone) override;
};

}  // namespace plexo
