#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/picture_memory.h"
#include "tool/command.h"
#include "video/video_formats.h"

namespace plexo::tool {

namespace {
std::map<std::string, Command>& Commands()
{
    static std::map<std::string, Command> commands;
    return commands;
}

void PrintUsage()
{
    std::fprintf(stderr, "usage: plexo-tool COMMAND ...\n");
    for (const auto& [name, command] : Commands())
        std::fprintf(stderr, "  plexo-tool %s %s\n", name.c_str(), command.usage);
    std::fprintf(stderr, "  --source-layout L, the View > Layout choice, takes mono, sbs, sbs-rl, tb, tb-rl, hsbs, "
                         "hsbs-rl, htb or htb-rl\n");
}
}  // namespace

bool RegisterCommand(Command command)
{
    std::string name = command.name;
    return Commands().emplace(std::move(name), std::move(command)).second;
}

}  // namespace plexo::tool

int main(int argc, char** argv)
{
    using namespace plexo::tool;
    plexo::video::AddVideoFormats();
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintUsage();
        return argc < 2 ? kBadUsage : kOk;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("plexo-tool %s\n", PLEXO_VERSION);
        return kOk;
    }
    auto it = Commands().find(argv[1]);
    if (it == Commands().end()) {
        std::fprintf(stderr, "plexo-tool: unknown command '%s'\n", argv[1]);
        PrintUsage();
        return kBadUsage;
    }
    const Command& command = it->second;
    Args args(std::vector<std::string>(argv + 2, argv + argc), command.flags);
    if (args.help()) {
        std::printf("usage: plexo-tool %s %s\n", command.name, command.usage);
        return kOk;
    }
    int rc = kBadUsage;
    if (args.ok()) {
        InstallStderrSinks();
        plexo::platform::KeepPictureMemoryForReuse();
        rc = command.run(args);
    }
    if (rc == kBadUsage)
        std::fprintf(stderr, "plexo-tool: %s\nusage: plexo-tool %s %s\n", args.error().c_str(), command.name,
                     command.usage);
    return rc;
}
