#include "play/stage_ahead.h"

#include <algorithm>

namespace plexo::play {

StageAhead::~StageAhead()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void StageAhead::Ask(int32_t position, EyePairPtr pair, PairStage stage)
{
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back({position, std::move(pair), std::move(stage)});
        // The thread comes with the first pair asked: most players never
        // stage ahead.
        if (!worker_.joinable())
            worker_ = std::thread([this] { Run(); });
    }
    wake_.notify_all();
}

int32_t StageAhead::NewestDone(int32_t upTo) const
{
    const std::lock_guard lock(mutex_);
    int32_t newest = -1;
    for (const Job& job : jobs_)
        if (job.done && job.position <= upTo)
            newest = job.position;
    return newest;
}

EyePairPtr StageAhead::Take(int32_t position)
{
    const std::lock_guard lock(mutex_);
    EyePairPtr staged;
    while (!jobs_.empty() && jobs_.front().position <= position) {
        Job& job = jobs_.front();
        if (job.position == position && job.done)
            staged = std::move(job.pair);
        // Jobs are staged in order: the first not done is under way.
        if (!job.done)
            ++generation_;
        jobs_.pop_front();
    }
    return staged;
}

size_t StageAhead::Pending() const
{
    const std::lock_guard lock(mutex_);
    return jobs_.size();
}

bool StageAhead::LastAsked(int32_t& position) const
{
    const std::lock_guard lock(mutex_);
    if (jobs_.empty())
        return false;
    position = jobs_.back().position;
    return true;
}

void StageAhead::Clear()
{
    const std::lock_guard lock(mutex_);
    jobs_.clear();
    ++generation_;
}

void StageAhead::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || (!jobs_.empty() && !jobs_.back().done); });
        if (quit_)
            return;
        // Jobs are staged in order: the first one not done.
        const auto job = std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return !j.done; });
        const EyePairPtr pair = job->pair;
        const PairStage stage = job->stage;
        const uint64_t generation = generation_;
        lock.unlock();
        EyePairPtr staged = stage(*pair);
        lock.lock();
        if (generation != generation_)
            continue;
        const auto kept = std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return !j.done; });
        kept->pair = staged ? std::move(staged) : pair;
        kept->done = true;
        if (staged_)
            staged_();
    }
}

}  // namespace plexo::play
