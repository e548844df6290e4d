#pragma once
// The bundled demo film: a camera sliding sideways past boxes and balls at
// different depths, drawn by ray casting. The camera moves to the left by the
// same step every frame, so a frame and the one four frames before it are the
// left and right eye of one stereo pair: the viewer's default partner offset
// of -4 shows true depth. With the viewer's default displacement the screen
// lies at depth 8: the nearer objects stand in front of it, the back wall
// behind.

#include <string>

#include "film/film.h"

namespace plexo {

inline constexpr int kDemoWidth = 320;
inline constexpr int kDemoHeight = 240;
inline constexpr int kDemoFrames = 24;
// The partner offset A that gives the demo true depth: its camera moves to the
// left, so the right eye's picture is the frame four before.
inline constexpr int kDemoShift = -4;

// The film, frames numbered 0 to 23; pictures are drawn when asked for.
FilmPtr MakeDemoFilm();

// Writes the demo film as a colour .flm with JPEG frames at quality 90.
bool WriteDemoFilm(const std::string& fileName);

}  // namespace plexo
