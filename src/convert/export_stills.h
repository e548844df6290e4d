#pragma once
// The writers of the export table's stills: one file a frame, each written
// under a temporary name and made final whole, so that a run stopped or
// failed leaves the frames before it and no half file.

#include <memory>

#include "convert/export_format.h"

namespace plexo {

// The first eye as the primary picture of an MPO file, the second after it,
// handed over apart (PutEye).
std::unique_ptr<ExportWriter> OpenMpoWriter(const ExportStart& start);
// The frame as it comes, with the JPS block of a side-by-side picture whose
// right eye is on the left.
std::unique_ptr<ExportWriter> OpenJpsWriter(const ExportStart& start);
// The frame as an ordinary JPEG or BMP picture.
std::unique_ptr<ExportWriter> OpenJpgWriter(const ExportStart& start);
std::unique_ptr<ExportWriter> OpenBmpWriter(const ExportStart& start);
// A spatial photo (HEIC) of each frame's eyes, the D as its disparity
// adjustment.
std::unique_ptr<ExportWriter> OpenHeicWriter(const ExportStart& start);

}  // namespace plexo
