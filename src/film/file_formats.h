#pragma once
// The table of file formats: every kind of file the system opens or writes,
// one row each. Open, Save As, the dialogs' filters, drops, plexo-tool, the
// converters and the generated desktop files ask it; none of them names a
// format by its extension.

#include <span>
#include <string>
#include <string_view>

#include "image/file_format.h"

namespace plexo {

// In the order the open dialogs list them: the film layer's own rows, then
// those added.
std::span<const FileFormat> FileFormats();
// Appends the rows of a layer above this one (the videos), each unless its
// extension has a row already. Called where a program starts, before any
// other thread asks the table. The rows already there may move: a row is
// kept by its name, never by its address.
void AddFileFormats(std::span<const FileFormat> rows);
// The format of the file name's extension, compared without regard to case;
// null for any other extension or none.
const FileFormat* FileFormatOf(const std::string& path);
// Null for a name no format has.
const FileFormat* FileFormatNamed(std::string_view name);

// How a format's files make films: each alone, or as a run when the name is
// numbered and alone otherwise.
enum class FileGrouping { Alone, RunOrAlone };
FileGrouping GroupingOf(const FileFormat& format);

// "*.bmp"
std::string PatternOf(const FileFormat& format);

}  // namespace plexo
