#pragma once
// The camera's Exif block (APP1 "Exif\0\0": make, model, time, exposure,
// GPS) of a source JPEG or HEIF file, which the stills written from its pictures
// keep.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plexo {

// The whole APP1 segment, marker first, among the stream's header segments;
// empty without one.
std::vector<uint8_t> ExifSegmentOf(const uint8_t* stream, size_t length);

// Sets the orientation of the segment's first directory (tag 0x0112) to 1,
// upright, where it has one. This system shows a JPEG's rows as stored, so
// the pixels written from it are upright as they are: a reader that turned
// them by the camera's orientation would show them turned from the view.
void SetExifUpright(std::vector<uint8_t>& segment);

// The Exif segment of the file's header (of a HEIF file's primary picture),
// upright; empty when the file does not read or has none.
std::vector<uint8_t> ReadUprightExif(const std::string& path);

}  // namespace plexo
