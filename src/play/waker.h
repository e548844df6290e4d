#pragma once
// The shell's wake-up call as a decoder holds it: the decoder may outlive the
// player or call while the shell changes it, so it holds this instead, and
// the player empties it when it goes.

#include <functional>
#include <mutex>

namespace plexo::play {

class Waker {
public:
    void Set(std::function<void()> wake)
    {
        std::lock_guard lock(mutex_);
        wake_ = std::move(wake);
    }
    bool Armed() const
    {
        std::lock_guard lock(mutex_);
        return bool(wake_);
    }
    // Any thread.
    void Wake() const
    {
        std::lock_guard lock(mutex_);
        if (wake_)
            wake_();
    }

private:
    mutable std::mutex mutex_;
    std::function<void()> wake_;
};

}  // namespace plexo::play
