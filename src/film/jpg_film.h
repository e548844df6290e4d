#pragma once
// A film of numbered JPEG files: one frame a file, decoded on every picture
// request.

#include <string>

#include "film/cadre.h"
#include "film/numbered_sequence.h"

namespace plexo {

class JpgCadre : public FileCadre {
public:
    using FileCadre::FileCadre;

protected:
    PictureBuffer Build(Tone tone) override;
};

// The numbered siblings of the chosen file with the extension ".jpg".
class JpgFilm : public NumberedFilm<JpgCadre> {
public:
    explicit JpgFilm(const std::string& chosenFile) : NumberedFilm(chosenFile, ".jpg") {}
};

}  // namespace plexo
