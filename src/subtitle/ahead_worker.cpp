#include "subtitle/ahead_worker.h"

#include <algorithm>

namespace plexo::subtitle {

namespace {
constexpr size_t kMaxWaiting = 4;
}

AheadWorker::AheadWorker() : stop_(std::make_shared<std::atomic<bool>>(false)) {}

AheadWorker::~AheadWorker()
{
    {
        std::lock_guard lock(mutex_);
        stop_->store(true);
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::function<bool()> AheadWorker::Stopping() const
{
    return [stop = stop_] { return stop->load(); };
}

void AheadWorker::Start(LookAhead measure, std::function<void()> answered)
{
    measure_ = std::move(measure);
    answered_ = std::move(answered);
    thread_ = std::thread([this] { Run(); });
}

AheadAnswer AheadWorker::Ask(const EventSpan& event, const Box& box, bool early)
{
    std::lock_guard lock(mutex_);
    if (const auto found = answers_.find(event.start); found != answers_.end())
        return {true, found->second};
    if (measuring_ == event.start)
        return {};
    const auto queued = std::find_if(waiting_.begin(), waiting_.end(),
                                     [&](const Request& r) { return r.event.start == event.start; });
    if (queued != waiting_.end()) {
        if (early || queued == waiting_.begin())
            return {};
        waiting_.erase(queued);
    }
    if (early)
        waiting_.push_back({event, box});
    else
        waiting_.push_front({event, box});
    // Events left behind by seeks are dropped, the oldest asked first.
    if (waiting_.size() > kMaxWaiting)
        waiting_.pop_back();
    wake_.notify_one();
    return {};
}

void AheadWorker::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_->load() || !waiting_.empty(); });
        if (stop_->load())
            return;
        const Request request = waiting_.front();
        waiting_.pop_front();
        measuring_ = request.event.start;
        lock.unlock();
        const std::optional<int> nearest = measure_(request.event, request.box);
        lock.lock();
        measuring_.reset();
        if (stop_->load())
            return;
        answers_[request.event.start] = nearest;
        if (answered_) {
            lock.unlock();
            answered_();
            lock.lock();
        }
    }
}

}  // namespace plexo::subtitle
