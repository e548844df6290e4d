#pragma once
// A one-line progress bar on a terminal: frames done, frames per second and
// the time left. Off when the stream is not a terminal, so that logs and
// scripts see only the lines the run prints.

#include <chrono>
#include <cstdio>

#include "convert/converters.h"
#include "platform/log.h"

namespace plexo::tool {

class ProgressBar {
public:
    explicit ProgressBar(std::FILE* out);
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    bool active() const { return active_; }
    void Update(int done, int total);
    // Erases the bar so that another line can be printed in its place; the
    // next Update or Redraw draws it again.
    void Clear();
    // The bar as the last Update drew it, if any did.
    void Redraw();

private:
    std::FILE* out_;
    bool active_;
    bool shown_ = false;
    int done_ = 0;
    int total_ = 0;
    std::chrono::steady_clock::time_point start_;
};

// A run's progress on stderr: the bar, drawn after every frame through the
// control, and the core's log lines printed above it while the report lasts.
class ProgressReport {
public:
    ProgressReport();
    ~ProgressReport();
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;

    const ConversionControl& control() const { return control_; }
    // Draws the bar at none of `total` done, so that a run whose first frame
    // is long in coming shows what it is about from the start.
    void Begin(int total) { bar_.Update(0, total); }
    // Frames done so far.
    int done() const { return done_; }

private:
    ProgressBar bar_{stderr};
    platform::LogSink previous_;
    ConversionControl control_;
    int done_ = 0;
};

}  // namespace plexo::tool
