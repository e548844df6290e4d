// plexo-guard: started by the viewer at its first display-mode switch, with
// the read end of a pipe as its standard input. It holds an X connection of
// its own and waits; when the pipe closes without the viewer's word of a
// normal exit, the viewer has died, and every output it was told of goes back
// to its start-up mode. Without its X server there is nothing left to guard.

#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "platform/display.h"
#include "platform/mode_guard.h"
#include "present/display_modes.h"

namespace {

using namespace plexo;

// Reads the pipe until it closes; false when the X server went away first.
bool ReadUntilClosed(::Display* x, platform::GuardTranscript& transcript)
{
    pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {ConnectionNumber(x), POLLIN, 0}};
    char buffer[4096];
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return true;
        }
        if (watched[1].revents & (POLLERR | POLLHUP))
            return false;
        // Nothing is asked of the server, but whatever it sends is taken, and
        // a connection that broke ends the program here.
        if (watched[1].revents & POLLIN) {
            XEvent event;
            while (XPending(x))
                XNextEvent(x, &event);
        }
        if (watched[0].revents) {
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return true;
            transcript.Take(std::string_view(buffer, size_t(got)));
        }
    }
}

}  // namespace

int main()
{
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);
    ::Display* x = XOpenDisplay(nullptr);
    std::shared_ptr<platform::DisplayDevices> devices = x ? platform::OpenXRandRDevices("") : nullptr;
    if (!devices) {
        std::fputs("plexo-guard: no X server with XRandR to guard\n", stderr);
        if (x)
            XCloseDisplay(x);
        return 1;
    }
    platform::SetDisplayDevices(devices);
    platform::GuardTranscript transcript;
    if (!ReadUntilClosed(x, transcript))
        return 0;
    int status = 0;
    for (const platform::OutputMode& failed : platform::RestoreOutputModes(transcript.ToRestore())) {
        std::fprintf(stderr, "plexo-guard: display mode not restored: %s %s\n", failed.output.c_str(),
                     ModeLabel(failed.mode).c_str());
        status = 1;
    }
    XCloseDisplay(x);
    return status;
}
