#pragma once
// Work that must not take the cores from playback (a second decoder looking
// ahead) runs on threads at the lowest priority. The threads are started
// deep inside libraries (a decoder's own workers), so they are found by
// what `start` added to the process, and lowered there.

#include <functional>

namespace plexo::platform {

// Calls `start` and gives each thread the process gained meanwhile the
// lowest priority (nice 19); its later threads inherit it. A thread that
// could not be lowered keeps its priority: the work is still done.
void StartInBackground(const std::function<void()>& start);

}  // namespace plexo::platform
