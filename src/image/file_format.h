#pragma once
// The row type of the file-format table: what the system knows of one kind of
// file, from its name and MIME type to how a film of it opens and how a
// picture is written as one. The film layer holds the table
// (film/file_formats.h); the row type sits in the lowest layer so that the
// image layer's writers and, later, layers above the film layer can fill rows.

#include <memory>
#include <string>

#include "image/picture.h"
#include "image/stereo_layout.h"

namespace plexo {

class Film;

struct FileFormat {
    // plexo-tool info's kind: "bmp".
    const char* name;
    // The dialogs' entry before its pattern: "BMP files".
    const char* description;
    // Without the dot, lower case; file names match it without regard to case.
    const char* extension;
    const char* mimeType;
    // The comment of a type the system declares itself (its MIME file lists
    // only these); null for a standard type, which only the desktop entry
    // names.
    const char* ownTypeComment;
    // The film of a file of this format, its stereo layout as the user chose
    // it (or detected when the choice is empty), or null; null where none
    // opens.
    std::unique_ptr<Film> (*openFilm)(const std::string& path, const LayoutChoice& choice);
    // Writes one picture as a file of this format, replacing the file only
    // when whole; null where Save As does not offer the format.
    bool (*writePicture)(const std::string& path, const Picture& picture);
};

}  // namespace plexo
