#pragma once
// The rows of the table of export formats for stereo videos. The table
// lives in the convert layer, below this one; AddVideoFormats hands it these
// rows with the file formats' at start.

#include <span>

#include "convert/export_format.h"

namespace plexo::video {

// MP4 and Matroska, each H.264 in the layout of the options.
std::span<const ExportFormat> VideoExportFormats();

}  // namespace plexo::video
