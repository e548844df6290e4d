#pragma once
// Small films written in code for the document's tests.

#include <string>

namespace plexo::test {

// A raw colour .flm film of `frames` frames numbered 10, 11, ... of w x h
// pixels; every byte of frame k is 10 + k.
void WriteFlmFilm(const std::string& path, int frames, int width = 2, int height = 2);
// A numbered 24-bit BMP sequence base0001.bmp ... in `folder`; returns the
// first file's path.
std::string WriteBmpSequence(const std::string& folder, const std::string& base, int frames);

}  // namespace plexo::test
