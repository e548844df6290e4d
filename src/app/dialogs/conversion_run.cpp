#include "app/dialogs/conversion_run.h"

#include <utility>

namespace plexo {

ConversionRun::ConversionRun(Job job, int holdAfterFrame)
    : job_(std::move(job)),
      holdAfterFrame_(holdAfterFrame)
{
}

void ConversionRun::Start()
{
    thread_ = std::thread([this] {
        ConversionControl control;
        control.onFrame = [this](int done, int total) {
            emit progress(done, total);
            if (done == holdAfterFrame_) {
                std::unique_lock lock(holdMutex_);
                stopAsked_.wait(lock, [this] { return stop_.load(); });
            }
        };
        control.stop = &stop_;
        result_ = job_(control);
        emit ended();
    });
}

void ConversionRun::Stop()
{
    {
        std::lock_guard lock(holdMutex_);
        stop_ = true;
    }
    stopAsked_.notify_all();
}

ConversionResult ConversionRun::Wait()
{
    if (thread_.joinable())
        thread_.join();
    return result_;
}

ConversionRun::~ConversionRun()
{
    Stop();
    if (thread_.joinable())
        thread_.join();
}

}  // namespace plexo
