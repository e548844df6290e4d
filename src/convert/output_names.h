#pragma once
// The names a conversion writes, built from the full path of the source file
// the user chose.

#include <string>

namespace plexo {

// The path less its extension and the frame number in front of it (at most 4
// digits): /clips/walk0012.bmp gives /clips/walk.
std::string SequenceBase(const std::string& chosenPath);

// The path less ".flm": /clips/walk.flm gives /clips/walk.
std::string FlmBase(const std::string& chosenPath);

// The .flm written from a numbered sequence: the path less its last 7
// characters, then ".flm" (/clips/walk0012.bmp gives /clips/walk0.flm). The
// cut never reaches into the folder; a name it would empty keeps its stem.
std::string FlmOutputName(const std::string& chosenPath);

// base + the number with at least four digits + extension (".bmp", ".jpg").
std::string FrameFileName(const std::string& base, int number, const char* extension);

}  // namespace plexo
