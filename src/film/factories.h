#pragma once
// The film factories. Each returns an owned film with at least one frame, or
// null.

#include <string>

#include "film/film.h"

namespace plexo {

// A numbered BMP or JPEG sequence gathered from any one of its files, or a
// file whose name has no run's digits alone.
FilmPtr OpenBmpFilm(const std::string& chosenFile, const LayoutChoice& choice = {});
FilmPtr OpenJpgFilm(const std::string& chosenFile, const LayoutChoice& choice = {});
// One .flm file; its frames are single pictures whatever the choice.
FilmPtr OpenFlmFilm(const std::string& fileName, const LayoutChoice& choice = {});
// A lone MPO or JPS file, or a numbered run of them.
FilmPtr OpenMpoFilm(const std::string& chosenFile, const LayoutChoice& choice = {});
FilmPtr OpenJpsFilm(const std::string& chosenFile, const LayoutChoice& choice = {});
// A HEIC or HEIF file alone: its stereo pair, or its primary picture.
FilmPtr OpenHeicFilm(const std::string& chosenFile, const LayoutChoice& choice = {});
// A PNG or TIFF file alone.
FilmPtr OpenPngTiffFilm(const std::string& chosenFile, const LayoutChoice& choice = {});

}  // namespace plexo
