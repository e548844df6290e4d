#include "app/window/termination_signal.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace plexo {

namespace {

// The handler may only do async-signal-safe work: it writes one byte, and the
// event loop reads it and closes the window.
int g_signalSocket[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalSocket[0], &byte, 1);
}

}  // namespace

bool CloseOnTerminationSignal(QWidget* window)
{
    if (g_signalSocket[0] >= 0)
        return false;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSocket) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalSocket[1], &byte, 1);
        window->close();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // Closing the terminal the viewer was started from.
    sigaction(SIGHUP, &action, nullptr);
    return true;
}

}  // namespace plexo
