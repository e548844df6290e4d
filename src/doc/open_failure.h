#pragma once
// What the user is told when a file gives no film: its path, the framework's
// words, and why: missing, unreadable, not a film, or damaged at a frame.

#include <string>

namespace plexo {

// Why the file gives no film, as one sentence: missing, unreadable, a
// folder, not a film, or damaged at its first frame. Asked only after a
// factory gave no film, so the file is looked at again rather than the
// factories made to say why on every open.
std::string WhyNoFilm(const std::string& path);

// "<path>\nFailed to open document.\n<why>"
std::string OpenFailureMessage(const std::string& path);

}  // namespace plexo
