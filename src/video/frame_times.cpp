#include "video/frame_times.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "platform/background_threads.h"
#include "video/scan_watch.h"
#include "video/video_input.h"

namespace plexo::video {

FrameTimes FrameTimes::Regular(int64_t count, int64_t first, double rate, AVRational timeBase)
{
    FrameTimes times;
    times.count_ = count;
    times.first_ = first;
    times.step_ = 1.0 / (rate * av_q2d(timeBase));
    return times;
}

FrameTimes FrameTimes::Listed(std::vector<int64_t> times)
{
    FrameTimes made;
    std::sort(times.begin(), times.end());
    made.count_ = int64_t(times.size());
    made.first_ = times.empty() ? 0 : times.front();
    made.listed_ = std::move(times);
    return made;
}

int64_t FrameTimes::TimeOf(int64_t index) const
{
    index = std::clamp<int64_t>(index, 0, std::max<int64_t>(count_ - 1, 0));
    if (!listed_.empty())
        return listed_[size_t(index)];
    return first_ + int64_t(std::llround(double(index) * step_));
}

int64_t FrameTimes::IndexAt(int64_t time) const
{
    if (count_ == 0 || time == AV_NOPTS_VALUE)
        return 0;
    if (!listed_.empty()) {
        const auto after = std::upper_bound(listed_.begin(), listed_.end(), time);
        return std::max<int64_t>(int64_t(after - listed_.begin()) - 1, 0);
    }
    // Half a step early still counts as the frame: timestamps are rounded.
    const double steps = std::floor(double(time - first_) / step_ + 0.5);
    return int64_t(std::clamp(steps, 0.0, double(count_ - 1)));
}

namespace {

std::atomic<ScanWatcher*> watcher{nullptr};

std::optional<FrameTimes> Scan(const std::string& path, int stream, ScanWatcher* progress)
{
    std::string why;
    const InputHandle format = OpenVideoInputFile(path, why);
    if (!format)
        return std::nullopt;
    if (stream < 0 || unsigned(stream) >= format->nb_streams)
        return std::nullopt;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        format->streams[i]->discard = int(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    PacketHandle packet(av_packet_alloc());
    if (!packet)
        return std::nullopt;
    const int64_t total = format->pb ? avio_size(format->pb) : -1;
    std::vector<int64_t> times;
    int64_t last = -1;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream) {
            // A packet without times follows the one before it.
            const int64_t time = packet->pts != AV_NOPTS_VALUE   ? packet->pts
                                 : packet->dts != AV_NOPTS_VALUE ? packet->dts
                                                                 : last + 1;
            times.push_back(time);
            last = time;
            if (progress && times.size() % 256 == 0)
                progress->Progress(avio_tell(format->pb), total);
        }
        av_packet_unref(packet.get());
    }
    if (times.empty())
        return std::nullopt;
    if (progress)
        progress->Progress(total, total);
    return FrameTimes::Listed(std::move(times));
}

}  // namespace

void SetScanWatcher(ScanWatcher* watching)
{
    watcher = watching;
}

ScanWatcher* CurrentScanWatcher()
{
    return watcher;
}

std::optional<FrameTimes> ScanFrameTimes(const std::string& path, int stream)
{
    ScanWatcher* const watching = watcher;
    std::optional<FrameTimes> times;
    try {
        std::thread worker([&] {
            times = Scan(path, stream, watching);
            if (watching)
                watching->Ended();
        });
        // A scan opened for work started in the background is waited for
        // on the thread that started it, whose events the watcher keeps going.
        if (watching)
            platform::OnStartingThread([&] { watching->Wait(path); });
        worker.join();
    } catch (const std::system_error&) {
        // No worker: read here, unwatched, as the watcher waits for a worker.
        times = Scan(path, stream, nullptr);
    }
    return times;
}

std::optional<FrameTimes> FrameTimesOf(const std::string& path, const VideoFile& file)
{
    if (file.StatedCount() > 0 && file.FrameRate() > 0 && file.IndexStepsEvenly())
        return FrameTimes::Regular(file.StatedCount(), file.FirstTime(), file.FrameRate(), file.TimeBase());
    return ScanFrameTimes(path, file.StreamIndex());
}

}  // namespace plexo::video
