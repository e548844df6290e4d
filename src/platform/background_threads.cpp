#include "platform/background_threads.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace plexo::platform {

namespace {

// Between a StartInBackground and the thread it started.
struct Handoff {
    std::mutex mutex;
    std::condition_variable changed;
    // Handed to the waiting thread, until it has run.
    const std::function<void()>* work = nullptr;
    std::exception_ptr workFailure;
    bool finished = false;
    std::exception_ptr failure;
};

// The hand-off of a thread StartInBackground started, on that thread.
thread_local Handoff* startedBy = nullptr;

}  // namespace

void StartInBackground(const std::function<void()>& start)
{
    Handoff handoff;
    std::thread starter;
    try {
        starter = std::thread([&] {
            constexpr int kLowest = 19;
            setpriority(PRIO_PROCESS, id_t(gettid()), kLowest);
            startedBy = &handoff;
            try {
                start();
            } catch (...) {
                handoff.failure = std::current_exception();
            }
            const std::lock_guard lock(handoff.mutex);
            handoff.finished = true;
            handoff.changed.notify_all();
        });
    } catch (const std::system_error&) {
        start();
        return;
    }
    {
        std::unique_lock lock(handoff.mutex);
        for (;;) {
            handoff.changed.wait(lock, [&] { return handoff.finished || handoff.work; });
            if (!handoff.work)
                break;
            lock.unlock();
            try {
                (*handoff.work)();
            } catch (...) {
                handoff.workFailure = std::current_exception();
            }
            lock.lock();
            handoff.work = nullptr;
            handoff.changed.notify_all();
        }
    }
    starter.join();
    if (handoff.failure)
        std::rethrow_exception(handoff.failure);
}

void OnStartingThread(const std::function<void()>& work)
{
    Handoff* const handoff = startedBy;
    if (!handoff) {
        work();
        return;
    }
    std::exception_ptr failure;
    {
        std::unique_lock lock(handoff->mutex);
        handoff->work = &work;
        handoff->changed.notify_all();
        handoff->changed.wait(lock, [&] { return !handoff->work; });
        failure = std::exchange(handoff->workFailure, nullptr);
    }
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace plexo::platform
