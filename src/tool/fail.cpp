#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/command.h"

namespace plexo::tool {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "plexo-tool: %s\n", message.c_str());
    return kFailed;
}

std::string WriteFailure(const std::string& path)
{
    const int error = errno;
    return "cannot write " + path + ": " + (error ? std::strerror(error) : "the write failed");
}

}  // namespace plexo::tool
