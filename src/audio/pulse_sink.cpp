#include "audio/pulse_sink.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>
#include <utility>

namespace plexo::audio {

namespace {

// How much the server keeps ahead of what is heard. Stop and a seek drop the
// stream, so they are heard at once whatever it is; it only has to outlast
// the feeding thread's longest wait on a busy machine, for an underrun
// skips sound.
constexpr pa_usec_t kTargetLatencyUs = 250000;

class PulseSink final : public Sink {
public:
    // The loop is made here so that Stop and Heard, called from the
    // window's thread, never race with its making on the feeding thread.
    explicit PulseSink(std::function<void(StartWait)> whileStartWaits) : whileStartWaits_(std::move(whileStartWaits))
    {
        MakeLoop(loopFailure_);
    }

    ~PulseSink() override
    {
        if (!loop_)
            return;
        pa_threaded_mainloop_lock(loop_);
        DropStream();
        DropContext();
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    bool Start(const SinkFormat& format, std::string& why) override
    {
        why.clear();
        if (!loop_) {
            why = loopFailure_;
            return false;
        }
        Locked lock(loop_);
        DropStream();
        // A Stop runs while Start waits, the lock released: after each wait
        // it may have dropped the stream, and its word is final.
        if (stopped_ || !Connect(why))
            return false;
        pa_sample_spec sample{PA_SAMPLE_FLOAT32NE, uint32_t(format.rate), uint8_t(format.channels)};
        pa_channel_map map;
        // FFmpeg's default order of each channel count is the WAVE order.
        if (!pa_sample_spec_valid(&sample) || !pa_channel_map_init_auto(&map, sample.channels, PA_CHANNEL_MAP_WAVEEX)) {
            why = "the sound server takes no such format";
            return false;
        }
        stream_ = pa_stream_new(context_, "Film sound", &sample, &map);
        if (!stream_) {
            why = Error();
            return false;
        }
        frameBytes_ = format.FrameBytes();
        pa_stream_set_state_callback(stream_, Signal, this);
        pa_stream_set_write_callback(stream_, [](pa_stream*, size_t, void* self) { Signal(nullptr, self); }, this);
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(kTargetLatencyUs, &sample));
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        const pa_cvolume volume = Volume(sample.channels);
        const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                             PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, &volume, nullptr) < 0) {
            why = Error();
            DropStream();
            return false;
        }
        const bool ready = WaitUntil(
            kStartWaitMs,
            [&] {
                if (stopped_ || !stream_)
                    return true;
                const pa_stream_state_t state = pa_stream_get_state(stream_);
                return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
            },
            StartWait::Stream);
        if (stopped_ || !stream_) {
            DropStream();
            return false;
        }
        if (!ready || pa_stream_get_state(stream_) != PA_STREAM_READY) {
            why = ready ? "the sound device is busy or gone: " + Error() : "the sound server does not answer";
            DropStream();
            return false;
        }
        return true;
    }

    long WaitWritable(int timeoutMs, std::string& why) override
    {
        Locked lock(loop_);
        size_t room = 0;
        WaitUntil(timeoutMs, [&] {
            if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
                return true;
            room = pa_stream_writable_size(stream_);
            return room >= frameBytes_ && room != size_t(-1);
        });
        if (!stream_)
            return 0;
        if (pa_stream_get_state(stream_) != PA_STREAM_READY) {
            why = "the sound server went away";
            return -1;
        }
        return room == size_t(-1) ? 0 : long(room / frameBytes_);
    }

    bool Write(const float* samples, size_t frames, std::string& why) override
    {
        Locked lock(loop_);
        if (!stream_)
            return true;
        if (pa_stream_write(stream_, samples, frames * frameBytes_, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            why = "the sound server went away";
            return false;
        }
        return true;
    }

    std::optional<Micros> Heard() override
    {
        if (!loop_)
            return std::nullopt;
        Locked lock(loop_);
        pa_usec_t time = 0;
        if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY || pa_stream_get_time(stream_, &time) < 0)
            return std::nullopt;
        return Micros(time);
    }

    void Stop() override
    {
        if (!loop_)
            return;
        Locked lock(loop_);
        stopped_ = true;
        DropStream();
        pa_threaded_mainloop_signal(loop_, 0);
    }

    void Resume() override
    {
        if (!loop_)
            return;
        Locked lock(loop_);
        stopped_ = false;
    }

    void SetVolume(int percent, bool muted) override
    {
        percent_ = std::clamp(percent, 0, 100);
        muted_ = muted;
        if (!loop_)
            return;
        Locked lock(loop_);
        if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
            return;
        const pa_cvolume volume = Volume(pa_stream_get_sample_spec(stream_)->channels);
        if (pa_operation* op =
                pa_context_set_sink_input_volume(context_, pa_stream_get_index(stream_), &volume, nullptr, nullptr))
            pa_operation_unref(op);
    }

private:
    struct Locked {
        explicit Locked(pa_threaded_mainloop* loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
        ~Locked() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop* loop;
    };

    static void Signal(pa_stream*, void* self)
    {
        pa_threaded_mainloop_signal(static_cast<PulseSink*>(self)->loop_, 0);
    }

    bool MakeLoop(std::string& why)
    {
        loop_ = pa_threaded_mainloop_new();
        if (loop_ && pa_threaded_mainloop_start(loop_) == 0)
            return true;
        if (loop_)
            pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
        why = "the sound library cannot start";
        return false;
    }

    // Under the lock: the connection ready, made again when it was lost; a
    // connection still being made when a Stop came is waited on again, for
    // the server may be slow rather than gone. False with `why` empty after
    // a Stop.
    bool Connect(std::string& why)
    {
        if (context_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
            DropContext();
        if (!context_) {
            context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Plexo");
            if (!context_) {
                why = "the sound library cannot start";
                return false;
            }
            pa_context_set_state_callback(
                context_, [](pa_context*, void* self) { Signal(nullptr, self); }, this);
            if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
                why = "no sound server: " + Error();
                DropContext();
                return false;
            }
        }
        const bool settled = WaitUntil(
            kStartWaitMs,
            [&] {
                const pa_context_state_t state = pa_context_get_state(context_);
                return stopped_ || state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
            },
            StartWait::Server);
        if (stopped_)
            return false;
        if (!settled || pa_context_get_state(context_) != PA_CONTEXT_READY) {
            why = settled ? "no sound server: " + Error() : "the sound server does not answer";
            DropContext();
            return false;
        }
        return true;
    }

    // Under the lock: waits on the loop's signals until `done` or the time
    // is up; whether `done` came. `startWait` names a wait of Start's, where
    // the tests' hook runs.
    template <class Done>
    bool WaitUntil(int timeoutMs, Done done, std::optional<StartWait> startWait = std::nullopt)
    {
        if (done())
            return true;
        bool late = false;
        struct Alarm {
            pa_threaded_mainloop* loop;
            bool* late;
        } alarm{loop_, &late};
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        timeval when;
        pa_timeval_add(pa_gettimeofday(&when), pa_usec_t(timeoutMs) * 1000);
        pa_time_event* timer = api->time_new(
            api, &when,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
                auto* a = static_cast<Alarm*>(data);
                *a->late = true;
                pa_threaded_mainloop_signal(a->loop, 0);
            },
            &alarm);
        bool met = false;
        while (!(met = done()) && !late) {
            if (startWait && whileStartWaits_) {
                whileStartWaits_(*std::exchange(startWait, std::nullopt));
                continue;
            }
            pa_threaded_mainloop_wait(loop_);
        }
        api->time_free(timer);
        return met;
    }

    pa_cvolume Volume(uint8_t channels) const
    {
        pa_cvolume volume;
        const pa_volume_t level = muted_ ? PA_VOLUME_MUTED : pa_volume_t(PA_VOLUME_NORM * uint64_t(percent_.load()) / 100);
        pa_cvolume_set(&volume, channels, level);
        return volume;
    }

    std::string Error() const { return pa_strerror(context_ ? pa_context_errno(context_) : PA_ERR_UNKNOWN); }

    void DropStream()
    {
        if (!stream_)
            return;
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        // A stream the server has not made yet cannot be disconnected, and
        // once made it would play on, silent: it keeps our reference until
        // then, and is disconnected as it is made.
        if (pa_stream_get_state(stream_) == PA_STREAM_CREATING) {
            pa_stream_set_state_callback(stream_, DropWhenMade, nullptr);
        } else {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
        stream_ = nullptr;
    }

    // On the loop's thread: the end of a stream dropped while the server
    // made it (its context's end ends it too).
    static void DropWhenMade(pa_stream* stream, void*)
    {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_READY) {
            pa_stream_disconnect(stream);
        } else if (!PA_STREAM_IS_GOOD(state)) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_unref(stream);
        }
    }

    void DropContext()
    {
        if (!context_)
            return;
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }

    const std::function<void(StartWait)> whileStartWaits_;
    pa_threaded_mainloop* loop_ = nullptr;
    std::string loopFailure_;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    // Set by Stop, cleared by Resume; under the lock.
    bool stopped_ = false;
    size_t frameBytes_ = sizeof(float) * 2;
    // Set on the window's thread, read on the feeding one.
    std::atomic<int> percent_ = 100;
    std::atomic<bool> muted_ = false;
};

}  // namespace

std::unique_ptr<Sink> MakePulseSink(std::function<void(StartWait)> whileStartWaits)
{
    return std::make_unique<PulseSink>(std::move(whileStartWaits));
}

}  // namespace plexo::audio
