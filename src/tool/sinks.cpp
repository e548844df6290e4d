#include <cstdio>

#include "platform/message_sink.h"
#include "tool/command.h"

namespace plexo::tool {

void InstallStderrSinks()
{
    platform::SetMessageSink([](const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); });
}

}  // namespace plexo::tool
