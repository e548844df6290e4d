#pragma once
// One conversion of the Translate dialog, run on its own thread so that the
// window stays responsive. The converter's log lines and messages leave that
// thread through the log and message sinks, which the viewer's sinks hand to
// the user-interface thread in their order.

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "convert/converters.h"

namespace plexo {

class ConversionRun : public QObject {
    Q_OBJECT
public:
    // holdAfterFrame > 0 makes the run wait after writing that frame until
    // Stop is asked for, so a test can end it at a known frame.
    ConversionRun(ConversionWay way, std::string chosenPath, ConversionOptions options, int holdAfterFrame = 0);
    // Stops the converter if it still runs and waits for it.
    ~ConversionRun() override;
    ConversionRun(const ConversionRun&) = delete;
    ConversionRun& operator=(const ConversionRun&) = delete;

    // Starts the converter's thread; connect to the signals before.
    void Start();

    // Asks the converter to end after the frame it is writing.
    void Stop();
    bool StopAsked() const { return stop_; }

    // Waits for the converter to return and gives its result.
    ConversionResult Wait();

signals:
    // From the converter's thread, after every frame written; receivers on
    // the user-interface thread get it queued.
    void progress(int done, int total);
    // The converter has returned; the last signal of a run.
    void ended();

private:
    ConversionWay way_;
    std::string path_;
    ConversionOptions options_;
    int holdAfterFrame_;
    std::atomic<bool> stop_{false};
    std::mutex holdMutex_;
    std::condition_variable stopAsked_;
    ConversionResult result_ = ConversionResult::WriteError;  // set by the thread before it ends
    std::thread thread_;
};

}  // namespace plexo
