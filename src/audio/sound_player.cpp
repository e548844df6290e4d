#include "audio/sound_player.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/pulse_sink.h"
#include "audio/sound_decoder.h"
#include "platform/log.h"

namespace plexo::audio {

namespace {

// The feeding thread's longest wait for the sink's room; a Stop ends it.
constexpr int kFeedWaitMs = 100;

}  // namespace

bool Audible(double speed)
{
    return speed >= kSlowestSound && speed <= kFastestSound;
}

SoundPlayer::SoundPlayer(std::unique_ptr<Sink> sink, Feeding feeding) : sink_(std::move(sink)), feeding_(feeding) {}

SoundPlayer::~SoundPlayer()
{
    Stop();
}

void SoundPlayer::SetFilm(const std::string& path, int track, play::Micros pictureLength)
{
    if (path == path_ && track == track_ && pictureLength == pictureLength_)
        return;
    Stop();
    path_ = path;
    track_ = track;
    pictureLength_ = pictureLength;
    decoder_.reset();
    lastFault_.clear();
}

bool SoundPlayer::Play(play::Micros from, double speed)
{
    Stop();
    if (path_.empty() || !Audible(speed))
        return false;
    from_ = from;
    speed_ = speed;
    faulted_ = false;
    stopping_ = false;
    begun_ = false;
    ended_ = false;
    playing_ = true;
    sink_->Resume();
    if (feeding_ == Feeding::Thread)
        thread_ = std::thread([this] {
            while (!stopping_ && Feed(kFeedWaitMs)) {
            }
        });
    return true;
}

void SoundPlayer::Stop()
{
    stopping_ = true;
    // Ends the sink's waits at once and refuses the thread any new stream,
    // so the join never waits on the server.
    sink_->Stop();
    if (thread_.joinable())
        thread_.join();
    playing_ = false;
}

std::optional<play::Micros> SoundPlayer::Position()
{
    if (!playing_ || faulted_)
        return std::nullopt;
    const std::optional<Micros> heard = begun_ ? sink_->Heard() : std::nullopt;
    // Until the first sample is heard the picture waits where Play put it.
    if (!heard)
        return from_;
    return from_ + play::Micros(std::llround(double(*heard) * speed_));
}

void SoundPlayer::SetVolume(int percent, bool muted)
{
    sink_->SetVolume(percent, muted);
}

void SoundPlayer::Fault(const std::string& why, bool ofSink)
{
    faulted_ = true;
    sink_->Stop();
    if (why == lastFault_)
        return;
    lastFault_ = why;
    lastFaultOfSink_ = ofSink;
    LogNote("No sound: " + why + "; the film plays on its own clock");
}

bool SoundPlayer::Begin()
{
    std::string why;
    if (!decoder_) {
        decoder_ = SoundDecoder::Open(path_, track_, pictureLength_, why);
        if (!decoder_) {
            // A video without sound plays silent, and says nothing.
            if (why.empty())
                faulted_ = true;
            else
                Fault(why, false);
            return false;
        }
    }
    if (!decoder_->Restart(from_, speed_, why)) {
        Fault(why, false);
        return false;
    }
    if (!sink_->Start(decoder_->Format(), why)) {
        // Without a reason a Stop ended it: no fault, and the next Play
        // starts again.
        if (!why.empty())
            Fault(why, true);
        return false;
    }
    begun_ = true;
    return true;
}

bool SoundPlayer::Feed(int timeoutMs)
{
    if (faulted_ || ended_ || stopping_ || !playing_)
        return false;
    if (!begun_ && !Begin())
        return false;
    std::string why;
    const SinkFormat format = decoder_->Format();
    const long room = sink_->WaitWritable(timeoutMs, why);
    if (room < 0) {
        Fault(why, true);
        return false;
    }
    if (room == 0)
        return true;
    // A twentieth of a second at a time, so a Stop never waits on a long
    // decode.
    const size_t frames = std::min(size_t(room), size_t(format.rate / 20 + 1));
    std::vector<float> samples(frames * size_t(format.channels));
    long made = decoder_->Read(samples.data(), frames, why);
    if (made < 0) {
        Fault(why, false);
        return false;
    }
    if (made == 0) {
        // The picture's end: silence behind the last samples pushes them
        // through the server's buffer to be heard.
        ended_ = true;
        std::fill(samples.begin(), samples.end(), 0.0f);
        made = long(frames);
    }
    if (!sink_->Write(samples.data(), size_t(made), why)) {
        Fault(why, true);
        return false;
    }
    // Sound went out: the sink's fault met again is news again; the film's
    // own (sound that cannot be decoded) is not, however much silence
    // played before it.
    if (lastFaultOfSink_)
        lastFault_.clear();
    return !ended_;
}

}  // namespace plexo::audio
