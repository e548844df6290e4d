#pragma once
// Stereo export: every frame of a film with its partner, as the viewer pairs
// them, written in a form of the table of export formats. The File > Export
// Stereo dialog and `plexo-tool export` both run it; it reports "start",
// "OK" / "write error", "finish" through LogMessage as the converters do.

#include <optional>
#include <string>
#include <vector>

#include "convert/converters.h"
#include "convert/export_format.h"
#include "film/film.h"

namespace plexo {

// UnknownFormat also stands for options the format cannot take
// (ExportRefusal) and for a video's rate outside 0.01 to 1000 frames a second
// (the film's own, else the options'), which Export shows as a message.
enum class ExportResult { Ok, UnknownFormat, NoFrame, WriteError };

// "OUT: no export format has this extension; the extensions are mpo, jps, …"
std::string UnknownExportFormatMessage(const std::string& out);

// Why the format cannot be written with these options (the page-flip
// presentation shows its eyes in turn on the screen and has no picture to
// write); empty when it can. plexo-tool and the Export Stereo dialog ask
// before they start.
std::optional<std::string> ExportRefusal(const ExportFormat& format, const ExportOptions& options);

// Why the export of the film opened from `filmPath` must not write `outputs`
// (ExportOutputNames): the first of them that is, or links to, a file the
// film is read from. Empty when none is.
std::optional<std::string> ExportSourceRefusal(const std::string& filmPath, const std::vector<std::string>& outputs);

// The files an export of `film` to `out` would write, in the order of
// writing: `out` itself for a video, a single frame or a film of one frame;
// otherwise a numbered name a frame, made from `out` as the converters make
// theirs. Empty when the extension has no row or the film has no such frame.
std::vector<std::string> ExportOutputNames(Film& film, const std::string& out, const ExportOptions& options);

// Writes the export. The film's shift, round and invert are set for the
// walk and its cursor is left where the walk ended. Progress and stop are
// those of a conversion; `written` (when given) receives the names of the
// files made final, in order.
ExportResult Export(Film& film, const std::string& out, const ExportOptions& options,
                    const ConversionControl& control = {}, std::vector<std::string>* written = nullptr);

}  // namespace plexo
