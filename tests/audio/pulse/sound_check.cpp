// The pulse test's player. "play FILM FROM SPEED STOP" plays the film's
// sound through the sound server from film time FROM (seconds) at SPEED,
// stops it once the position heard reaches STOP, and prints the position at
// the stop in microseconds, and on stderr the milliseconds from Play to the
// first sound heard, or to the fall-back to the wall clock after a fault.
// "stop" lands a Stop before a Start and at each of Start's waits on the
// server: each such Start must end quietly and leave no stream on the
// server, and the next one after Resume must play.

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

// The streams the sound server plays, as pactl lists them.
int ServerStreams()
{
    std::FILE* list = popen("pactl list short sink-inputs", "r");
    int lines = 0;
    for (int c; list && (c = std::fgetc(list)) != EOF;)
        lines += c == '\n';
    if (list)
        pclose(list);
    return lines;
}

int StopDuringStart()
{
    using plexo::audio::StartWait;
    // Every sink is kept, so the server's streams are theirs alone.
    std::vector<std::unique_ptr<plexo::audio::Sink>> sinks;
    for (const int at : {-1, int(StartWait::Server), int(StartWait::Stream)}) {
        plexo::audio::Sink* sink = nullptr;
        bool stopped = false;
        sinks.push_back(plexo::audio::MakePulseSink([&](StartWait wait) {
            if (int(wait) == at && !std::exchange(stopped, true))
                sink->Stop();
        }));
        sink = sinks.back().get();
        if (at < 0)
            sink->Stop();
        std::string why;
        if (sink->Start({}, why) || !why.empty() || sink->Heard()) {
            std::fprintf(stderr, "a Stop at wait %d: %s\n", at, why.empty() ? "a stream plays on" : why.c_str());
            return 1;
        }
        // Played twice more, the second a round trip behind every drop, so
        // that the server has ended each stream dropped: one left behind
        // would play on, silent, as long as its sink lives.
        for (const bool again : {false, true}) {
            sink->Resume();
            if (!sink->Start({}, why)) {
                std::fprintf(stderr, "no stream after a Stop at wait %d: %s\n", at, why.c_str());
                return 1;
            }
            if (!again)
                sink->Stop();
        }
        if (const int streams = ServerStreams(); streams != int(sinks.size())) {
            std::fprintf(stderr, "%d streams play for %zu sinks after a Stop at wait %d\n", streams, sinks.size(), at);
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "play" && argc == 6)
        return Play(argv[2], std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]));
    if (mode == "stop" && argc == 2)
        return StopDuringStart();
    std::fprintf(stderr, "usage: sound_check play FILM FROM SPEED STOP | stop\n");
    return 64;
}
