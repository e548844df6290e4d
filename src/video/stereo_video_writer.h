#pragma once
// The writer of a stereo video: each composed frame encoded as H.264 by
// libx264 and muxed into an MP4 or Matroska file whose stream carries the
// layout (MP4's `st3d` box, Matroska's StereoMode), so that players and
// headsets split the eyes by themselves. No sound.

#include <memory>

#include "convert/export_format.h"

namespace plexo::video {

// `muxer` is FFmpeg's name of the container: "mp4" or "matroska". Null after
// one log line naming the file and the reason.
std::unique_ptr<ExportWriter> OpenStereoVideoWriter(const ExportStart& start, const char* muxer);

}  // namespace plexo::video
