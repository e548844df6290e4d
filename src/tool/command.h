#pragma once
// plexo-tool's subcommands. Each source file of a subcommand registers itself
// with a static RegisterCommand call, so adding one touches no other file.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plexo::tool {

enum ExitCode { kOk = 0, kFailed = 1, kBadUsage = 2 };

// The words after the subcommand: plain arguments in order and "--name value"
// options (an option named in `flags` takes no value). "--help" or "-h"
// anywhere, never taken as an option's value, asks for the usage instead.
class Args {
public:
    Args(const std::vector<std::string>& words, const std::vector<std::string>& flags);

    bool help() const { return help_; }
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::vector<std::string>& plain() const { return plain_; }
    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
    // Parses a whole decimal integer; sets the error and returns nullopt when
    // the option is present but not an integer.
    std::optional<int> integer(const std::string& name);
    // As integer(), and also an error when it is below 0: a frame's position.
    std::optional<int> position(const std::string& name);
    // "WxH" with both positive; error as for integer().
    std::optional<std::pair<int, int>> size(const std::string& name);
    // The option's value; when it is absent, sets the error "--name is
    // required" unless an error is set already.
    std::optional<std::string> required(const std::string& name);
    // Options that are neither flags nor among `known`; sets the error.
    bool onlyKnown(const std::vector<std::string>& known);
    // True when there are exactly `count` plain arguments; otherwise sets an
    // error naming the first one too many, or `missing` when there are too few.
    bool plainCount(size_t count, const std::string& missing);
    // Sets the error that the usage message then shows.
    void fail(std::string error) { error_ = std::move(error); }

private:
    std::vector<std::string> plain_;
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> flags_;
    std::string error_;
    bool help_ = false;
};

using CommandFn = int (*)(Args& args);

struct Command {
    const char* name;
    const char* usage;
    std::vector<std::string> flags;
    CommandFn run;
};

bool RegisterCommand(Command command);

// Prints "plexo-tool: message" and gives the failure exit code.
int Fail(const std::string& message);

// Why writing `path` failed, from errno as the failed call left it.
std::string WriteFailure(const std::string& path);

// Prints the core's messages, prefixed "plexo-tool: " as the tool's own
// errors are, and its log lines as they are, to stderr for the tool's run.
void InstallStderrSinks();

}  // namespace plexo::tool
