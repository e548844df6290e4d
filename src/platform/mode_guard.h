#pragma once
// The guardian of the display modes: a program of its own, plexo-guard, that
// puts back the modes the viewer switched when the viewer dies without saying
// that it ends normally (a crash, SIGKILL). The viewer starts it at the first
// switch and tells it each output's start-up mode over a pipe, one line each,
// before that output is switched; the pipe closing is the viewer's death.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/display.h"

namespace plexo::platform {

// "mode BITS WIDTH HEIGHT RATE OUTPUT\n"
std::string GuardLine(const OutputMode& kept);
inline constexpr std::string_view kNormalExitLine = "normal exit\n";

// What the guardian has read from its pipe so far.
class GuardTranscript {
public:
    // Bytes as they arrive; a line longer than 4 KiB or not understood is dropped.
    void Take(std::string_view bytes);
    // What to put back now that the pipe closed: nothing after the word of a
    // normal exit; an output told twice keeps the mode it was first told.
    std::vector<OutputMode> ToRestore() const;

private:
    void TakeLine(std::string_view line);

    std::string partial_;
    bool overlong_ = false;
    bool normalExit_ = false;
    std::vector<OutputMode> modes_;
    // The outputs of `modes_`, so that a line is checked against them at once
    // however many came before.
    std::unordered_set<std::string> told_;
};

// The viewer's side: the guardian's process and the write end of its pipe.
class ModeGuard {
public:
    explicit ModeGuard(std::string program);
    // Closing the pipe without NormalExit makes the guardian put the modes back.
    ~ModeGuard();
    ModeGuard(const ModeGuard&) = delete;
    ModeGuard& operator=(const ModeGuard&) = delete;

    // Starts the guardian at the first call and tells it the mode. False when
    // it cannot be started or has gone; that is logged once.
    bool Tell(const OutputMode& kept);
    // Says that the viewer ends normally, after it put the modes back itself,
    // and closes the pipe; the guardian then ends without a switch.
    void NormalExit();

    // The guardian's process; -1 before it is started.
    pid_t pid() const { return pid_; }

private:
    bool Start();
    bool Send(std::string_view text);
    void Fail(const std::string& why);

    std::string program_;
    int pipe_ = -1;
    pid_t pid_ = -1;
    bool failed_ = false;
};

}  // namespace plexo::platform
