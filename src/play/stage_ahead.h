#pragma once
// Runs a costly stage (the alignment of every frame, subtitles) over the
// pairs a player will show next, on a worker thread and in the order asked,
// so that the stage works beside the window's thread rather than inside it
// and a pair is ready, staged, by the time it is due.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "film/staged_film.h"

namespace plexo::play {

class StageAhead {
public:
    // `staged` is called on the worker after each pair is staged, for a
    // player to be woken; it must only post.
    explicit StageAhead(std::function<void()> staged = {}) : staged_(std::move(staged)) {}
    ~StageAhead();
    StageAhead(const StageAhead&) = delete;
    StageAhead& operator=(const StageAhead&) = delete;

    // Stages `pair`, the film's at `position`, through `stage` on the worker;
    // the positions asked rise, as play goes.
    void Ask(int32_t position, EyePairPtr pair, PairStage stage);
    // The last position staged up to `upTo`; -1 without one.
    int32_t NewestDone(int32_t upTo) const;
    // The staged pair for `position` (the pair itself when the stage left
    // it as it was), or null when it is not staged yet; either way the pairs
    // asked for it and for the positions before it are forgotten.
    EyePairPtr Take(int32_t position);
    // The pairs asked and not taken or forgotten.
    size_t Pending() const;
    // The position last asked while any pair is pending.
    bool LastAsked(int32_t& position) const;
    // Forgets every pair asked; the one being staged is dropped when done.
    void Clear();

private:
    struct Job {
        int32_t position;
        EyePairPtr pair;
        PairStage stage;
        bool done = false;
    };
    void Run();

    const std::function<void()> staged_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    // Raised when a job under way is forgotten, so that its result is not
    // kept.
    uint64_t generation_ = 0;
    bool quit_ = false;
    std::thread worker_;
};

}  // namespace plexo::play
