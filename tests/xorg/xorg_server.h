#pragma once
// A real X server for the tests that switch display modes: Xorg with the
// dummy video driver, on a display number it picks itself, stopped by its pid.

#include <string>

#include <sys/types.h>

namespace plexo::test {

class XorgServer {
public:
    // Starts Xorg with `config` and waits until it accepts clients; `log`
    // receives its log. running() tells whether that worked.
    XorgServer(const std::string& config, const std::string& log);
    ~XorgServer();
    XorgServer(const XorgServer&) = delete;
    XorgServer& operator=(const XorgServer&) = delete;

    bool running() const { return !name_.empty(); }
    // ":N"
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace plexo::test
