// A click on the timeline of a 3840x2160 H.264 film of 60 frames a second
// with a keyframe every 2 s, as the window makes it: the film's Seek and
// Player::Refresh (`move_ms`), then the player's passes until the picture
// changes (`answer_ms`: the keyframe before the frame standing in, or the
// frame) and until the exact frame shows (`exact_ms`), each click 100 or 60
// frames past a keyframe. `/0` is the window's way; `/1` the moves that wait
// for their frame, as a walk's do, the reference. Targets: an answer within
// 250 ms and the exact frame within 1.5 s.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "doc/document.h"
#include "play/player.h"
#include "scratch_folder.h"
#include "video/video_film.h"

namespace plexo::bench {
namespace {

std::string Film4K()
{
    static ScratchFolder folder("plexo-seek-bench");
    return folder.Made("gop120.mp4", "-f lavfi -i testsrc2=s=3840x2160:r=60 -frames:v 480 -c:v libx264 -preset "
                                     "veryfast -g 120 -pix_fmt yuv420p");
}

class Shows : public play::Output {
public:
    void Show(const EyePairPtr& pair, const play::Showing&) override
    {
        ++count;
        number = pair ? pair->frameNumber : -1;
    }
    int count = 0;
    int32_t number = -1;
};

double MsSince(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

void BM_Click(benchmark::State& state)
{
    const std::string path = Film4K();
    CPlexoDoc doc;
    doc.SetFilm(video::OpenVideoFilm(path, {}));
    Film* film = doc.film();
    if (!film) {
        state.SkipWithError("the film does not open");
        return;
    }
    film->SetShift(0);
    play::Player player;
    player.SetFilm(doc.film(), doc.filmSerial());
    player.SetChoice(doc.stereo());
    player.SetSettings({doc.step(), true, doc.keepsShownPictures()});
    Shows shows;
    player.AddOutput(shows);
    player.Refresh();
    if (state.range(0) == 1)
        film->Timing().SetMovesWait(true);
    const std::vector<int32_t> targets{340, 100, 460, 220, 300, 60, 420, 180};
    size_t next = 0;
    double move = 0, answer = 0, exact = 0;
    for (auto _ : state) {
        const int32_t target = targets[next++ % targets.size()];
        const int before = shows.count;
        const auto start = std::chrono::steady_clock::now();
        film->Seek(target);
        player.Refresh();
        move += MsSince(start);
        double answered = -1;
        for (;;) {
            if (player.Waiting())
                player.Tick();
            if (answered < 0 && shows.count != before)
                answered = MsSince(start);
            if (shows.number == target + 1)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        answer += answered;
        exact += MsSince(start);
    }
    const double n = double(state.iterations());
    state.counters["move_ms"] = move / n;
    state.counters["answer_ms"] = answer / n;
    state.counters["exact_ms"] = exact / n;
}
BENCHMARK(BM_Click)->Arg(0)->Arg(1)->Iterations(8)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace plexo::bench
