#include "platform/failure_note.h"

#include <cstring>
#include <mutex>

#include "platform/held_reports.h"

namespace plexo::platform {

namespace {

std::mutex& WatchMutex()
{
    static std::mutex mutex;
    return mutex;
}

FailureWatch*& Current()
{
    static FailureWatch* current = nullptr;
    return current;
}

}  // namespace

FailureWatch::FailureWatch()
{
    std::lock_guard lock(WatchMutex());
    outer_ = Current();
    Current() = this;
}

FailureWatch::~FailureWatch()
{
    std::lock_guard lock(WatchMutex());
    Current() = outer_;
}

std::optional<std::string> FailureWatch::first() const
{
    std::lock_guard lock(WatchMutex());
    return first_;
}

void NoteFailure(const std::string& path, int error)
{
    NoteFailure(path, std::string(std::strerror(error)));
}

void NoteFailure(const std::string& path, const std::string& reason)
{
    // A worker making a frame ahead of its turn holds the note until then,
    // so the first failure noted is the first in frame order.
    if (HeldReports* held = ThreadHold()) {
        held->HoldFailure(path, reason);
        return;
    }
    std::lock_guard lock(WatchMutex());
    if (FailureWatch* watch = Current(); watch && !watch->first_)
        watch->first_ = path + ": " + reason;
}

}  // namespace plexo::platform
