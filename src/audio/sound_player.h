#pragma once
// The film's sound as the playback loop drives it (through FilmSound, the
// player's sound output): Play from a film time at a speed, Stop, and the
// position heard, which the playback clock follows. Every Play starts a new
// stream from the exact film time asked, so play, step, seek and a timeline
// drag are a Stop and a Play and come back in sync. A fault (no server, a
// server gone, a busy device, sound that cannot be decoded) logs one line
// saying why and leaves the position empty, so the clock runs on the wall
// clock; the next Play tries again.

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "audio/sink.h"
#include "play/clock.h"

namespace plexo::audio {

class SoundDecoder;

// The speeds sound plays at, its pitch kept; outside them the film is silent.
inline constexpr double kSlowestSound = 0.5;
inline constexpr double kFastestSound = 2.0;
bool Audible(double speed);

class SoundPlayer {
public:
    // Feeding: on a thread of the player's own, or by the caller's Feed
    // alone (the tests hold a run at a known point that way).
    enum class Feeding { Thread, Caller };
    explicit SoundPlayer(std::unique_ptr<Sink> sink, Feeding feeding = Feeding::Thread);
    ~SoundPlayer();

    // The sound played from now on: track `track` of the video at `path`
    // (-1 its default), ending with its picture `pictureLength` after the
    // first (0: where the file says); none for an empty path. Stops what
    // plays.
    void SetFilm(const std::string& path, int track, play::Micros pictureLength);
    const std::string& Film() const { return path_; }
    int Track() const { return track_; }

    // Plays from film time `from` at `speed`. False when the film stays
    // silent for want of a video or at a speed outside 0.5 to 2; a fault
    // found while starting shows as an empty position.
    bool Play(play::Micros from, double speed);
    // Silent at once; what was not heard is dropped. Never waits on the
    // sound server: a Start of the sink under way ends at once.
    void Stop();
    bool Playing() const { return playing_; }
    // The film time heard: Play's `from` until the first sample is heard,
    // nothing when stopped or after a fault.
    std::optional<play::Micros> Position();

    // 0..100; kept across films and plays.
    void SetVolume(int percent, bool muted);

    // One round of feeding: waits up to `timeoutMs` for the sink's room and
    // fills it. False once the sound has ended or failed.
    bool Feed(int timeoutMs);

private:
    // Opens the decoder when needed and starts the sink; false after
    // logging why.
    bool Begin();
    // `ofSink`: the sound server's or device's fault, rather than the film's.
    void Fault(const std::string& why, bool ofSink);
    void Run();

    std::unique_ptr<Sink> sink_;
    const Feeding feeding_;
    std::string path_;
    int track_ = -1;
    play::Micros pictureLength_ = 0;
    std::unique_ptr<SoundDecoder> decoder_;
    play::Micros from_ = 0;
    double speed_ = 1;
    std::atomic<bool> playing_ = false;
    std::atomic<bool> faulted_ = false;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> begun_ = false;
    bool ended_ = false;
    // The fault last logged: the same fault at every Play is logged once.
    std::string lastFault_;
    bool lastFaultOfSink_ = false;
    std::thread thread_;
};

}  // namespace plexo::audio
