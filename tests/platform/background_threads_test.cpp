#include "platform/background_threads.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace plexo::platform {
namespace {

// The threads `start` makes are lowered, and only they: not one started
// meanwhile by another thread, nor one the caller starts while it runs what
// `start` hands back to it (a scan dialog's events). Each thread made tells
// its id, then stays until its nice value has been read.
TEST(BackgroundThreads, LowersOnlyTheThreadsItsWorkStarts)
{
    const int normal = getpriority(PRIO_PROCESS, id_t(gettid()));
    if (normal == 19)
        GTEST_SKIP() << "the tests run at the lowest priority already";
    std::promise<void> end, go, made;
    const std::shared_future<void> ending = end.get_future().share();
    std::vector<std::thread> threads;
    std::promise<pid_t> own, beside, handedBack;
    const auto make = [&](std::promise<pid_t>& id) {
        return std::thread([&id, ending] {
            id.set_value(gettid());
            ending.wait();
        });
    };
    const auto nice = [](std::promise<pid_t>& id) { return getpriority(PRIO_PROCESS, id_t(id.get_future().get())); };
    threads.push_back(std::thread([&] {
        go.get_future().wait();
        threads.push_back(make(beside));
        made.set_value();
    }));
    StartInBackground([&] {
        threads.push_back(make(own));
        go.set_value();
        made.get_future().wait();
        OnStartingThread([&] { threads.push_back(make(handedBack)); });
    });
    EXPECT_EQ(nice(own), 19);
    EXPECT_EQ(nice(beside), normal);
    EXPECT_EQ(nice(handedBack), normal);
    EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(gettid())), normal);
    end.set_value();
    for (std::thread& t : threads)
        t.join();
}

}  // namespace
}  // namespace plexo::platform
