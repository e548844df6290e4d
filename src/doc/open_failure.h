#pragma once
// What the user is told when a file gives no film: its path, the framework's
// words, and why: missing, unreadable, not a film, or damaged at a frame.

#include <string>

namespace plexo {

// "<path>\nFailed to open document.\n<why>"
std::string OpenFailureMessage(const std::string& path);

}  // namespace plexo
