#pragma once
// Small videos made by the ffmpeg program for the video tests, and what
// ffmpeg itself decodes from them.

#include <cstdint>
#include <string>
#include <vector>

#include "image/picture.h"
#include "support/temp_dir.h"

namespace plexo::test {

// Ten 64 x 48 frames of a moving test picture at 25 a second, encoded with
// the ffmpeg output options `encode` into dir/name; false when ffmpeg fails.
bool MakeVideo(const TempDir& dir, const std::string& name, const std::string& encode);

// ffmpeg's own decoding of every frame to blue-green-red, top row first,
// turned as it turns them, one frame after another, each frame once
// whatever its time.
std::vector<uint8_t> FfmpegFrames(const std::string& path);

// Mean difference a channel between a picture (bottom row first) and the
// block of the same size of ffmpeg's frame (top row first, `stride` bytes a
// row) whose top-left pixel is at `theirs`.
double MeanDifference(const Picture& ours, const uint8_t* theirs, size_t stride);

}  // namespace plexo::test
