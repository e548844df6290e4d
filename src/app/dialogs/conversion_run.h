#pragma once
// One run of the Translate or the Export Stereo dialog (a conversion, an
// export), on its own thread so that the window stays responsive. The run's
// log lines and messages leave that thread through the log and message sinks,
// which the viewer's sinks hand to the user-interface thread in their order.

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "convert/converters.h"

namespace plexo {

class ConversionRun : public QObject {
    Q_OBJECT
public:
    // The work, given the run's progress and stop.
    using Job = std::function<ConversionResult(const ConversionControl& control)>;
    // holdAfterFrame > 0 makes the run wait after writing that frame until
    // Stop is asked for, so a test can end it at a known frame.
    explicit ConversionRun(Job job, int holdAfterFrame = 0);
    // Stops the run if it still goes and waits for it.
    ~ConversionRun() override;
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // Starts the run's thread; connect to the signals before.
    void Start();

    // Asks the run to end after the frame it is writing.
    void Stop();
    bool StopAsked() const { return stop_; }

    // Waits for the run to return and gives its result.
    ConversionResult Wait();

signals:
    // From the run's thread, after every frame written; receivers on the
    // user-interface thread get it queued.
    void progress(int done, int total);
    // The run has returned; its last signal.
    void ended();

private:
    Job job_;
    int holdAfterFrame_;
    std::atomic<bool> stop_{false};
    std::mutex holdMutex_;
    std::condition_variable stopAsked_;
    ConversionResult result_ = ConversionResult::WriteError;  // set by the thread before it ends
    std::thread thread_;
};

}  // namespace plexo
