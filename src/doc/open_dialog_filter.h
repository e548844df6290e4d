#pragma once
// What the open-file dialogs of Load, Add and Translate offer, built without
// any toolkit: the filter text in the "description|pattern|...||" form and the
// entry to preselect. The Qt shell turns it into its own dialog.

#include <string>
#include <vector>

namespace plexo {

struct FileType {
    std::string description;  // "BMP files (*.bmp)"
    std::string pattern;      // "*.bmp"
};

struct OpenDialogFilter {
    // Empty when no type was given: the dialog then has no filter at all.
    std::string filter;
    // The entries of the filter in order, the "All supported Files" one last
    // when it was added.
    std::vector<FileType> entries;
    // The entry to preselect, counting from 1; 0 leaves the dialog's default.
    int selected = 0;
};

// With `addAll` and at least one type, an entry of all the patterns together
// is appended and preselected.
OpenDialogFilter MakeOpenDialog(const std::vector<FileType>& types, bool addAll);

// The types Load and Add offer, every format that opens a film in the table's
// order, the rows of one description as one type: BMP, film, JPEG (*.jpg and
// *.jpeg), MPO, JPS, PNG and TIFF files, then those added (the videos).
const std::vector<FileType>& FilmFileTypes();
// The types Save As of a frame offers, every format that writes a picture:
// BMP and JPEG files, the first taken for a name typed without an extension.
const std::vector<FileType>& SaveFrameTypes();

}  // namespace plexo
