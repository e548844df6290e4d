#pragma once
// File-name text rules shared by Load, Add, Save As and the converters.

#include <string>

namespace plexo::platform {

// The text after the last dot of the file name (not of a folder), in upper
// case; empty when the name has no dot.
std::string UpperExtension(const std::string& path);

}  // namespace plexo::platform
