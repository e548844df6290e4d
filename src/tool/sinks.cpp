#include <cstdio>

#include "platform/log.h"
#include "platform/message_sink.h"
#include "tool/command.h"

namespace plexo::tool {

void InstallStderrSinks()
{
    platform::SetMessageSink([](const std::string& text) { std::fprintf(stderr, "plexo-tool: %s\n", text.c_str()); });
    platform::SetLogSink(
        [](const std::string& message, platform::LogLine) { std::fprintf(stderr, "%s\n", message.c_str()); });
}

}  // namespace plexo::tool
