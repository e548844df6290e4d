#include "support/tool_run.h"

#include <sys/wait.h>

#include <cstdlib>

namespace plexo::test {

bool HaveTool() { return std::getenv("PLEXO_TOOL") != nullptr; }

ToolRun RunTool(const TempDir& dir, const std::string& arguments)
{
    ToolRun r;
    if (!HaveTool())
        return r;
    const std::string out = dir.file("stdout.txt"), err = dir.file("stderr.txt");
    const int status = std::system(
        (std::string(std::getenv("PLEXO_TOOL")) + " " + arguments + " >'" + out + "' 2>'" + err + "'").c_str());
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto o = ReadBytes(out), e = ReadBytes(err);
    r.out.assign(o.begin(), o.end());
    r.err.assign(e.begin(), e.end());
    return r;
}

std::string Quoted(const TempDir& dir, const std::string& name) { return "'" + dir.file(name) + "'"; }

}  // namespace plexo::test
