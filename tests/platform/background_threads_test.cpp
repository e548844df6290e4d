#include "platform/background_threads.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <future>
#include <thread>

namespace plexo::platform {
namespace {

// A thread that tells its id, then stays until released, so that its
// priority can be read after StartInBackground returns.
struct HeldThread {
    std::promise<pid_t> id;
    std::shared_future<void> release;
    std::thread thread;

    explicit HeldThread(std::shared_future<void> until) : release(std::move(until))
    {
        thread = std::thread([this] {
            id.set_value(gettid());
            release.wait();
        });
    }
    int Nice() { return getpriority(PRIO_PROCESS, id_t(id.get_future().get())); }
};

// The threads `start` makes are lowered, and only they: not one started
// meanwhile by another thread, nor one the caller starts while it runs what
// `start` hands back to it (a dialog's events during a scan).
TEST(BackgroundThreads, LowersOnlyTheThreadsItsWorkStarts)
{
    const int normal = getpriority(PRIO_PROCESS, id_t(gettid()));
    if (normal == 19)
        GTEST_SKIP() << "the tests run at the lowest priority already";
    std::promise<void> released;
    const std::shared_future<void> release = released.get_future().share();
    std::unique_ptr<HeldThread> own, beside, handedBack;
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id ranOn;
    std::promise<void> go, made;
    std::thread other([&] {
        go.get_future().wait();
        beside = std::make_unique<HeldThread>(release);
        made.set_value();
    });
    StartInBackground([&] {
        own = std::make_unique<HeldThread>(release);
        go.set_value();
        made.get_future().wait();
        OnStartingThread([&] {
            ranOn = std::this_thread::get_id();
            handedBack = std::make_unique<HeldThread>(release);
        });
    });
    other.join();
    EXPECT_EQ(ranOn, caller);
    EXPECT_EQ(own->Nice(), 19);
    EXPECT_EQ(beside->Nice(), normal);
    EXPECT_EQ(handedBack->Nice(), normal);
    EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(gettid())), normal);
    released.set_value();
    for (auto* held : {own.get(), beside.get(), handedBack.get()})
        held->thread.join();
}

}  // namespace
}  // namespace plexo::platform
