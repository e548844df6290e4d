#include "xorg/xorg_server.h"

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plexo::test {

XorgServer::XorgServer(const std::string& config, const std::string& log)
{
    int ready[2];
    if (pipe(ready) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xorg", "Xorg", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp", "-config", config.c_str(),
               "-logfile", log.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xorg writes its display number once it accepts clients; the pipe ends
    // empty when it gives up.
    std::string number;
    char c = 0;
    while (pid_ > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    if (!number.empty())
        name_ = ":" + number;
}

XorgServer::~XorgServer()
{
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
}

}  // namespace plexo::test
