#pragma once
// A film of numbered JPEG files: one frame a file, decoded on every picture
// request.

#include <string>

#include "film/cadre.h"
#include "film/ms_film.h"

namespace plexo {

class JpgCadre : public Cadre {
public:
    JpgCadre(int32_t number, std::string path) : Cadre(number), path_(std::move(path)) {}

protected:
    PictureBuffer Build(Tone tone) override;

private:
    std::string path_;
};

class JpgFilm : public MSFilm {
public:
    // Gathers the numbered siblings of `chosenFile` with the extension ".jpg".
    explicit JpgFilm(const std::string& chosenFile);
};

}  // namespace plexo
