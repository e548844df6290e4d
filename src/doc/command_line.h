#pragma once
// The command line of the viewer: the first plain parameter names the film to
// open (several name a list), flags (after "/" or "-") ask for playing, stereo presentation, inverted
// stepping, looping, a partner offset and a second film. Free of Qt, so the
// rules are tested on their own.

#include <string>
#include <vector>

#include "doc/command_line_options.h"

namespace plexo {

class CPlexoCmdInfo {
public:
    // One parameter as the shell split it, with its "/" or "-" still in front.
    // A parameter that begins with "/" but is an absolute path is a file name.
    void ParseParameter(const std::string& parameter);

    // A flag without its leading "/" or "-"; false when no rule knows it.
    bool ParseFlag(const std::string& flag);

    // The film to open; empty when none was named.
    std::string fileName;
    // Every film named, fileName first: more than one open as a list.
    std::vector<std::string> fileNames;
    CommandLineOptions options;
    // What the user is told of parameters not taken as typed: flags no rule
    // knows ("--fullscreen"), which change nothing, a film named that is not
    // there, an offset out of range.
    std::vector<std::string> notices;
};

// What `plexo --help` and `plexo --version` print; empty for any other
// parameters, which start the viewer.
std::string InformationRequested(const std::vector<std::string>& parameters);

// Parses the parameters after the program's name.
CPlexoCmdInfo ParseCommandLine(const std::vector<std::string>& parameters);

}  // namespace plexo
