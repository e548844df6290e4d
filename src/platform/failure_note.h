#pragma once
// The first failure met while a piece of work runs, as "PATH: reason" with
// the system's reason, for the line that follows the work's own failure line
// in the log ("write error" alone says nothing of a full disk, a read-only
// file system or a source frame that vanished). Whichever thread meets a
// failure notes it; while no watch is open, notes are dropped, so the
// viewer's reading of frames costs nothing.

#include <optional>
#include <string>

namespace plexo::platform {

class FailureWatch {
public:
    // Watches until it goes; a watch opened inside another hides it meanwhile.
    FailureWatch();
    ~FailureWatch();
    FailureWatch(const FailureWatch&) = delete;
    FailureWatch& operator=(const FailureWatch&) = delete;

    // "PATH: reason" of the first failure noted, nullopt when none was.
    std::optional<std::string> first() const;

private:
    FailureWatch* outer_;
    std::optional<std::string> first_;
    friend void NoteFailure(const std::string& path, const std::string& reason);
};

// Notes that `path` failed with the errno value `error`.
void NoteFailure(const std::string& path, int error);
// Notes that `path` failed for `reason`, where no errno value says it.
void NoteFailure(const std::string& path, const std::string& reason);

}  // namespace plexo::platform
