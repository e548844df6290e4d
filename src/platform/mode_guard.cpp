#include "platform/mode_guard.h"

#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>

#include "platform/log.h"

extern char** environ;

namespace plexo::platform {

namespace {

constexpr size_t kLongestLine = 4096;

}  // namespace

std::string GuardLine(const OutputMode& kept)
{
    const DisplayMode& m = kept.mode;
    return "mode " + std::to_string(m.bitsPerPixel) + " " + std::to_string(m.width) + " " + std::to_string(m.height) +
           " " + std::to_string(m.refreshRate) + " " + kept.output + "\n";
}

void GuardTranscript::Take(std::string_view bytes)
{
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (partial_.size() + piece.size() > kLongestLine)
            overlong_ = true;
        else
            partial_.append(piece);
        if (end == std::string_view::npos)
            return;
        if (!overlong_)
            TakeLine(partial_);
        partial_.clear();
        overlong_ = false;
        bytes.remove_prefix(end + 1);
    }
}

void GuardTranscript::TakeLine(std::string_view line)
{
    if (line == kNormalExitLine.substr(0, kNormalExitLine.size() - 1)) {
        normalExit_ = true;
        return;
    }
    std::istringstream words{std::string(line)};
    std::string keyword, output;
    DisplayMode m;
    if (!(words >> keyword >> m.bitsPerPixel >> m.width >> m.height >> m.refreshRate) || keyword != "mode")
        return;
    words.get();
    std::getline(words, output);
    if (output.empty() || !told_.insert(output).second)
        return;
    modes_.push_back({std::move(output), m});
}

std::vector<OutputMode> GuardTranscript::ToRestore() const
{
    return normalExit_ ? std::vector<OutputMode>{} : modes_;
}

ModeGuard::ModeGuard(std::string program) : program_(std::move(program)) {}

ModeGuard::~ModeGuard()
{
    if (pipe_ >= 0)
        ::close(pipe_);
}

void ModeGuard::Fail(const std::string& why)
{
    if (!failed_)
        LogMessage("Display guardian not running: " + program_ + ": " + why);
    failed_ = true;
    if (pipe_ >= 0)
        ::close(pipe_);
    pipe_ = -1;
}

bool ModeGuard::Start()
{
    // A socket rather than a pipe: a write to a guardian that has gone then
    // fails instead of raising SIGPIPE in the viewer.
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        Fail(std::strerror(errno));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    // Nothing else of the viewer's, its X connection least of all.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    // A session of its own: the hangup of the viewer's terminal does not reach it.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {program_.data(), nullptr};
    const int error = posix_spawn(&pid_, program_.c_str(), &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    pipe_ = ends[0];
    if (error != 0) {
        pid_ = -1;
        Fail(std::strerror(error));
        return false;
    }
    return true;
}

bool ModeGuard::Send(std::string_view text)
{
    while (!text.empty()) {
        const ssize_t sent = ::send(pipe_, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0) {
            Fail(std::strerror(errno));
            return false;
        }
        text.remove_prefix(size_t(sent));
    }
    return true;
}

bool ModeGuard::Tell(const OutputMode& kept)
{
    if (failed_ || (pipe_ < 0 && !Start()))
        return false;
    return Send(GuardLine(kept));
}

void ModeGuard::NormalExit()
{
    if (pipe_ < 0)
        return;
    Send(kNormalExitLine);
    if (pipe_ >= 0)
        ::close(pipe_);
    pipe_ = -1;
}

}  // namespace plexo::platform
