#include "platform/background_threads.h"

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>
#include <set>

namespace plexo::platform {

namespace {

std::set<int> ThreadIds()
{
    std::set<int> ids;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return ids;
    while (const dirent* entry = readdir(tasks))
        if (const int id = std::atoi(entry->d_name); id > 0)
            ids.insert(id);
    closedir(tasks);
    return ids;
}

}  // namespace

void StartInBackground(const std::function<void()>& start)
{
    const std::set<int> before = ThreadIds();
    start();
    constexpr int kLowest = 19;
    // Linux keeps a nice value a thread: the process's id here is the thread's.
    for (const int id : ThreadIds())
        if (!before.count(id))
            setpriority(PRIO_PROCESS, id_t(id), kLowest);
}

}  // namespace plexo::platform
