#pragma once
// The look-ahead of a player, which cannot wait for it: the events asked
// about are measured one at a time on a thread of the worker's own, and the
// answer is handed back when it is there. The measuring reads a film of its
// own, never the one being played.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "subtitle/subtitle_stage.h"

namespace plexo::subtitle {

class AheadWorker {
public:
    AheadWorker();
    // Stops the measuring under way at its next frame and waits for it.
    ~AheadWorker();
    AheadWorker(const AheadWorker&) = delete;
    AheadWorker& operator=(const AheadWorker&) = delete;

    // True once the worker is being stopped, for `measure` to give up early.
    std::function<bool()> Stopping() const;
    // Starts the thread that runs `measure`; `answered` is called on that
    // thread after each answer is kept (a paused view repaints then).
    void Start(LookAhead measure, std::function<void()> answered = {});

    // The answer for the event when it has been measured; else the event is
    // queued and the answer is not known yet. An event shown now goes before
    // every other (after a seek, the newest is the one playback needs); one
    // asked `early`, before it shows, after them. Never waits.
    AheadAnswer Ask(const EventSpan& event, const Box& box, bool early = false);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    LookAhead measure_;
    std::function<void()> answered_;
    struct Request {
        EventSpan event;
        Box box;
    };
    std::deque<Request> waiting_;
    // The event being measured, by its start.
    std::optional<int64_t> measuring_;
    std::map<int64_t, std::optional<int>> answers_;
    std::shared_ptr<std::atomic<bool>> stop_;
    std::thread thread_;
};

}  // namespace plexo::subtitle
