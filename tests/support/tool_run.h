#pragma once
// Runs the plexo-tool named by PLEXO_TOOL, as the tool tests do.

#include <string>

#include "support/temp_dir.h"

namespace plexo::test {

struct ToolRun {
    int status = -1;  // the exit code, -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Whether PLEXO_TOOL names a program to run.
bool HaveTool();

// Runs the tool with `arguments` (quoted by the caller); stdout and stderr are
// caught apart through files in `dir`.
ToolRun RunTool(const TempDir& dir, const std::string& arguments);

// A path in `dir`, quoted for the shell.
std::string Quoted(const TempDir& dir, const std::string& name);

}  // namespace plexo::test
