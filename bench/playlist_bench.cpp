// Opening a list of 100,000 entries: the file read, every line taken, each
// entry's file looked for, and the list model made, as File > Open Playlist
// and the command line do. Target: well within a second.

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "doc/playlist.h"
#include "scratch_folder.h"

namespace plexo::bench {
namespace {

constexpr int kEntries = 100000;
// The entries name these files over and over, under titles of their own.
constexpr int kFiles = 1000;

std::string LongList()
{
    static ScratchFolder folder("plexo-playlist-bench");
    static const std::string list = [] {
        std::filesystem::create_directory(folder.path / "films");
        for (int i = 0; i < kFiles; ++i)
            std::ofstream(folder.path / "films" / ("clip" + std::to_string(i) + ".mkv")) << 'x';
        const std::string path = (folder.path / "long.m3u8").string();
        std::ofstream out(path);
        out << "#EXTM3U\n";
        for (int i = 0; i < kEntries; ++i)
            out << "#EXTINF:-1,Entry " << i << "\nfilms/clip" << i % kFiles << ".mkv\n";
        return path;
    }();
    return list;
}

void BM_OpenLongList(benchmark::State& state)
{
    const std::string list = LongList();
    for (auto _ : state) {
        Playlist playlist(ReadPlaylist(list).value_or(std::vector<PlaylistEntry>{}));
        if (playlist.size() != size_t(kEntries))
            state.SkipWithError("entries lost");
        benchmark::DoNotOptimize(playlist);
    }
    state.counters["entries"] = kEntries;
}
BENCHMARK(BM_OpenLongList)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace plexo::bench
