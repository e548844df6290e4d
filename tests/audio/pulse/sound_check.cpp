// The pulse test's player. "play FILM FROM SPEED STOP" plays the film's
// sound through the sound server from film time FROM (seconds) at SPEED,
// stops it once the position heard reaches STOP, and prints the position at
// the stop in microseconds, and on stderr the milliseconds from Play to the
// first sound heard, or to the fall-back to the wall clock after a fault.
// "stop": a Stop before a Start or at one of its waits on the server ends it
// quietly, leaves no stream on the server, and Resume lets it play again.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "audio/pulse_sink.h"
#include "audio/sound_player.h"
#include "platform/log.h"

namespace {

int Play(const char* film, double from, double speed, double stop)
{
    plexo::platform::SetLogSink([](const std::string& line, plexo::platform::LogLine) {
        std::fprintf(stderr, "%s\n", line.c_str());
    });
    plexo::audio::SoundPlayer player(plexo::audio::MakePulseSink());
    player.SetFilm(film, -1, 0);
    if (!player.Play(plexo::play::Micros(from * 1e6), speed))
        return 1;
    // Real time: bounded at ten times the span played.
    const auto started = std::chrono::steady_clock::now();
    bool heard = false;
    const auto deadline = started + std::chrono::milliseconds(long((stop - from) / speed * 10000) + 2000);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::optional<plexo::play::Micros> at = player.Position();
        if (!at) {
            // Until here the picture waited for the sound.
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
            std::fprintf(stderr, "no sound after %lld ms\n", static_cast<long long>(ms.count()));
            return 2;
        }
        if (!heard && *at > plexo::play::Micros(from * 1e6)) {
            heard = true;
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
            std::fprintf(stderr, "first sound after %lld ms\n", static_cast<long long>(ms.count()));
        }
        if (*at >= plexo::play::Micros(stop * 1e6)) {
            player.Stop();
            std::printf("%lld\n", static_cast<long long>(*at));
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 3;
}

int StopDuringStart()
{
    using namespace plexo::audio;
    // Every sink is kept, so the server's streams are theirs alone.
    std::vector<std::unique_ptr<Sink>> sinks;
    for (const int at : {-1, int(StartWait::Server), int(StartWait::Stream)}) {
        bool stopped = false;
        sinks.push_back(MakePulseSink([&](StartWait wait) {
            if (int(wait) == at && !std::exchange(stopped, true))
                sinks.back()->Stop();
        }));
        Sink& sink = *sinks.back();
        if (at < 0)
            sink.Stop();
        // Quiet, then played twice, the last a round trip behind every drop.
        std::string why, again;
        const bool quiet = !sink.Start({}, why) && why.empty();
        sink.Resume();
        const bool played = sink.Start({}, again);
        sink.Stop();
        sink.Resume();
        if (!quiet || !played || !sink.Start({}, again))
            return std::fprintf(stderr, "a Stop at wait %d: %s%s\n", at, why.c_str(), again.c_str()), 1;
    }
    const std::string count = "test $(pactl list short sink-inputs | wc -l) = " + std::to_string(sinks.size());
    return std::system(count.c_str()) == 0 ? 0 : (std::fprintf(stderr, "a dropped stream plays on\n"), 1);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "play" && argc == 6)
        return Play(argv[2], std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]));
    if (mode == "stop")
        return StopDuringStart();
    std::fprintf(stderr, "usage: sound_check play FILM FROM SPEED STOP | stop\n");
    return 64;
}
