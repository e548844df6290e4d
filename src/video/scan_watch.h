#pragma once
// Who watches the scan of a video's packets (frame_times.h): the viewer shows
// its progress and goes on handling its window's events while the worker
// reads; without a watcher (plexo-tool, the tests of this layer) the opening
// thread simply waits for the worker.

#include <cstdint>
#include <string>

namespace plexo::video {

class ScanWatcher {
public:
    virtual ~ScanWatcher() = default;
    // On the worker thread, now and then: bytes read and the file's length
    // (-1 when unknown).
    virtual void Progress(int64_t done, int64_t total) = 0;
    // On the worker thread, once, as its last touch of the scan.
    virtual void Ended() = 0;
    // On the opening thread, once the worker runs: returns once Ended has
    // been called.
    virtual void Wait(const std::string& path) = 0;
};

// The watcher of every scan from now on; null for none. It must outlive the
// scans it watches.
void SetScanWatcher(ScanWatcher* watcher);
ScanWatcher* CurrentScanWatcher();

}  // namespace plexo::video
