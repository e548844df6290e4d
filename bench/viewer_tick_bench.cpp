// One playback tick of the viewer, from the timer to the finished paint: the
// player's pass (a step), composing the frame pair and painting it into the
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

#include "app/view/plexo_view.h"
#include "app/view/presentation_state.h"
#include "doc/document.h"
#include "film/factories.h"
#include "platform/profile.h"
#include "play/player.h"
#include "present/compositor.h"
#include "pattern_film.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

using bench::kFrames;
using bench::kHeight;
using bench::kWidth;
using bench::PatternFilm;

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

enum Mode { kMemory = 0, kFile = 1 };

void Tick(benchmark::State& state)
{
    Application();
    const Mode mode = Mode(state.range(0));
    const PresentationId presentation = PresentationId(state.range(1));

    CPlexoDoc doc;
    FilmPtr film = mode == kMemory ? FilmPtr(std::make_unique<PatternFilm>()) : OpenFlmFilm(bench::PackedFilmFile(Scratch()));
    if (!film) {
        state.SkipWithError("no film");
        return;
    }
    film->SetRound(true);
    doc.SetFilm(std::move(film));
    doc.setStep(0);
    doc.setReading(mode == kFile ? CPlexoDoc::Reading::File : CPlexoDoc::Reading::Memory);
    PresentationState presentationState;
    presentationState.stereo = true;
    doc.ChoosePresentation(presentation);
    play::Player player;
    player.SetFilm(doc.film(), doc.filmSerial());
    player.SetChoice(doc.stereo());
    player.SetSettings({doc.step(), true, doc.keepsShownPictures()});
    player.SetStereo(true);
    CPlexoView view(doc, presentationState, player);
    player.AddOutput(view);
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    player.Play(doc.playRate(60));
    // Memory mode starts with every picture decoded, as after one lap.
    for (int i = 0; i < kFrames + 1; ++i) {
        player.Tick();
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
        player.Tick();
        view.repaint();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (took.count() > budgetMs)
            ++late;
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["late"] = double(late);
    state.SetLabel(std::string(mode == kMemory ? "Memory" : "File") + ", "
                   + PresentationOf(presentation).label);
}

BENCHMARK(Tick)
    ->ArgsProduct({{kMemory, kFile}, {int(PresentationId::RedBlue), int(PresentationId::Interlaced)}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

}  // namespace
}  // namespace plexo
