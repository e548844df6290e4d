// One playback tick of the viewer, from the timer to the finished paint: the
// document's PlayStep, composing the frame pair and painting it into the
// view's backing store, for a 1920 x 1080 colour film in a view of that size.
// "Memory" keeps the decoded pictures; "File" releases them after each draw,
// so every tick decodes the JPEG-packed .flm frames again.
//
// Counters: fps is ticks per second; late counts the ticks that took longer
// than the frame time of the rate the mode must sustain (60 fps for Memory,
// 30 for File).

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/plexo_view.h"
#include "app/presentation_state.h"
#include "convert/frame_writers.h"
#include "doc/document.h"
#include "film/factories.h"
#include "film/ms_film.h"
#include "platform/profile.h"
#include "present/compositor.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFrames = 12;

// A picture with structure in both directions, so that JPEG has real work.
class PatternCadre : public Cadre {
public:
    explicit PatternCadre(int number) : Cadre(number) {}

protected:
    PictureBuffer Build(Tone tone) override
    {
        const int bpp = tone == Tone::Grey ? 1 : 3;
        PictureBuffer picture = PictureBuffer::allocate(kWidth, kHeight, bpp);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = picture.row(y);
            for (int x = 0; x < kWidth * bpp; ++x)
                row[x] = uint8_t((x / bpp + number * 7) ^ (y * 3) ^ ((x * y) >> 9));
        }
        return picture;
    }
};

class PatternFilm : public MSFilm {
public:
    PatternFilm()
    {
        for (int i = 0; i < kFrames; ++i)
            InsertAfterCurrent(std::make_unique<PatternCadre>(i));
        MakeFirstCurrent();
    }
};

// The settings file and the film live in a folder removed at exit.
const std::filesystem::path& Scratch()
{
    static const bench::ScratchFolder folder("plexo-viewer-bench");
    return folder.path;
}

QApplication& Application()
{
    static int argc = 1;
    static char name[] = "viewer_tick_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static const std::string settings = (Scratch() / "duvix.ini").string();
        platform::SetSettingsFilePath(settings);
        return new QApplication(argc, argv);
    }();
    return *app;
}

const std::string& PackedFilmFile()
{
    static const std::string path = [] {
        const std::string file = (Scratch() / "bench.flm").string();
        PatternFilm source;
        ConversionOptions options;
        options.compress = 1;
        options.quality = 90;
        if (!WriteFlmFile(&source, file, options))
            std::abort();
        return file;
    }();
    return path;
}

enum Mode { kMemory = 0, kFile = 1 };

void Tick(benchmark::State& state)
{
    Application();
    const Mode mode = Mode(state.range(0));
    const int presentation = int(state.range(1));

    CPlexoDoc doc;
    FilmPtr film = mode == kMemory ? FilmPtr(std::make_unique<PatternFilm>()) : OpenFlmFilm(PackedFilmFile());
    if (!film) {
        state.SkipWithError("no film");
        return;
    }
    film->SetRound(true);
    doc.SetFilm(std::move(film));
    doc.Step = 0;
    doc.Alter = mode == kFile ? 1 : 0;
    PresentationState presentationState;
    presentationState.stereo = true;
    presentationState.presentation = presentation;
    CPlexoView view(doc, presentationState);
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    // Memory mode starts with every picture decoded, as after one lap.
    for (int i = 0; i < kFrames + 1; ++i) {
        doc.PlayStep();
        view.repaint();
    }

    if (view.frame().height() != kHeight || view.frame().width() < kWidth) {
        state.SkipWithError("the view did not paint");
        return;
    }

    const double budgetMs = mode == kMemory ? 1000.0 / 60 : 1000.0 / 30;
    int64_t late = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        doc.PlayStep();
        view.repaint();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (took.count() > budgetMs)
            ++late;
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["late"] = double(late);
    state.SetLabel(std::string(mode == kMemory ? "Memory" : "File") + ", "
                   + (presentation == kPresentRedBlue ? "red-blue" : "interlaced"));
}

BENCHMARK(Tick)
    ->ArgsProduct({{kMemory, kFile}, {kPresentRedBlue, kPresentInterlaced}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

}  // namespace
}  // namespace plexo
