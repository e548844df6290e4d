#pragma once
// Work that must not take the cores from playback (a second decoder looking
// ahead) runs on threads at the lowest priority. The threads are started
// deep inside libraries (a decoder's own workers), so the work is started
// from a thread that lowered itself first: Linux keeps a nice value a
// thread, and a new thread takes its starter's.

#include <functional>

namespace plexo::platform {

// Calls `start` on a thread of its own at the lowest priority (nice 19) and
// waits for it: the threads `start` makes inherit that priority, and no
// other thread of the process is touched, whoever starts it meanwhile.
// While it waits, the calling thread runs what `start` hands back to it
// through OnStartingThread. Without a thread to spare, or where it cannot be
// lowered, the work is still done, at the caller's priority.
void StartInBackground(const std::function<void()>& start);

// Runs `work` on the thread waiting in StartInBackground when called from
// the `start` it waits for (a wait that keeps that thread's events going,
// such as a scan's progress dialog, belongs there), else here; returns once
// it has run.
void OnStartingThread(const std::function<void()>& work);

}  // namespace plexo::platform
