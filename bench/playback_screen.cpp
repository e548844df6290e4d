// The real viewer playing, or stepping through, a video on an X server, as
// its user sees it: every paint of the view is observed (the pair it draws,
// what it took) and so is every pass of the player on the play timer. Run
// by playback_screen.sh beside ffplay on the same file.
//
//   playback_screen play FILM PRESENTATION SECONDS WxH [align]
//   playback_screen step FILM PRESENTATION STEPS WxH [align]
//   playback_screen drag FILM PRESENTATION MOVES WxH
//
// `align` turns View > Align Every Frame on before playing; without it the
// film is not aligned, whatever its record kept from a run before.
// PRESENTATION is a --mode name (stereo on) or `plain` (stereo off); WxH is
// the view's size. `play` waits for the first painted frame after Play, lets
// one second settle, then measures SECONDS: the film position the painted
// pairs reached against wall time, the distinct frames painted, the
// process's CPU, and the window thread's CPU and its time in paints and
// passes. `step` presses One frame forward STEPS times, a quarter of a
// second apart, and times each from the command to the end of the paint
// that draws the frame after the one shown before it. `drag` holds the left
// button down over the view of a spherical film standing still and moves
// the pointer MOVES times, a tenth of a second apart, and times each move
// from its event to the end of the paint that draws the pair seen anew.
// The last line is "summary: NAME VALUE ..." for the script's medians.

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>

#include "app/view/plexo_view.h"
#include "app/window/command_ids.h"
#include "app/window/main_frame.h"
#include "app/window/plexo_app.h"
#include "doc/document.h"
#include "doc/film_alignment.h"
#include "film/film.h"
#include "film/picture_budget.h"
#include "platform/picture_memory.h"
#include "present/presentation.h"
#include "video/video_formats.h"

namespace plexo {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double ProcessCpu()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + 1e-6 * double(use.ru_utime.tv_usec + use.ru_stime.tv_usec);
}

// Of the calling thread, the window's.
double ThreadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the view's paints and the play timer's passes itself, timing them
// and noting the pair each paint draws.
class Observer : public QObject {
public:
    struct Paint {
        Clock::time_point end;
        int32_t frame;
        // The pair drawn: a stage run again makes a new one.
        const EyePair* pair;
    };

    explicit Observer(CMainFrame& frame) : frame_(frame)
    {
        frame.view()->installEventFilter(this);
        const_cast<QTimer&>(frame.playTimer()).installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool paint = event->type() == QEvent::Paint && watched == frame_.view();
        const bool pass = event->type() == QEvent::Timer && watched == &frame_.playTimer();
        if (!paint && !pass)
            return false;
        const auto start = Clock::now();
        watched->event(event);
        const auto end = Clock::now();
        (paint ? paintSeconds : passSeconds) += Seconds(end - start);
        if (paint) {
            const EyePairPtr& pair = frame_.player().ShownPair();
            paints.push_back({end, pair ? pair->frameNumber : -1, pair.get()});
        }
        return true;
    }

    std::vector<Paint> paints;
    double paintSeconds = 0;
    double passSeconds = 0;

private:
    CMainFrame& frame_;
};

void RunEvents(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done`, looking every 2 ms; the loop sleeps in
// between, leaving the cores to the decoder.
template <class Done>
bool RunUntil(Done done, double give)
{
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    look.start(2);
    QTimer::singleShot(int(give * 1000), &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

int Play(CMainFrame& frame, const Film& film, Observer& seen, double seconds)
{
    frame.commands().Run(kCmdPlay);
    if (!RunUntil([&] { return frame.player().Playing() && seen.paints.size() > 2; }, 20)) {
        std::fprintf(stderr, "playback_screen: playback did not start\n");
        return 1;
    }
    RunEvents(1);
    const size_t from = seen.paints.size();
    const double paintFrom = seen.paintSeconds, passFrom = seen.passSeconds;
    const double cpuFrom = ProcessCpu(), threadFrom = ThreadCpu();
    const auto wallFrom = Clock::now();
    std::printf("measure\n");
    RunEvents(seconds);
    const auto wallTo = Clock::now();
    std::printf("measured\n");
    const double cpu = ProcessCpu() - cpuFrom, thread = ThreadCpu() - threadFrom;
    const double paintS = seen.paintSeconds - paintFrom, passS = seen.passSeconds - passFrom;
    const int32_t late = frame.player().LateFrames();
    frame.commands().Run(kCmdPlay);

    std::vector<Observer::Paint> paints(seen.paints.begin() + ptrdiff_t(from), seen.paints.end());
    if (from == 0 || paints.empty()) {
        std::fprintf(stderr, "playback_screen: nothing painted\n");
        return 1;
    }
    // Distinct frames: a paint drawing another frame than the paint before.
    // The longest wait between two paints tells a picture that stood still.
    int distinct = 0;
    int32_t last = seen.paints[from - 1].frame;
    auto lastAt = wallFrom;
    double gap = 0;
    for (const auto& p : paints) {
        distinct += p.frame != last;
        last = p.frame;
        gap = std::max(gap, Seconds(p.end - lastAt));
        lastAt = p.end;
    }
    gap = std::max(gap, Seconds(wallTo - lastAt));
    const Observer::Paint& before = seen.paints[from - 1];
    const Observer::Paint& after = paints.back();
    const double wall = Seconds(wallTo - wallFrom);
    // The position's advance over the wall time between the two paints, in
    // frames of the film's constant rate (the pairs carry no time yet).
    const double fps = film.FrameRate();
    const double filmSeconds = double(after.frame - before.frame) / fps;
    const double ratio = filmSeconds / Seconds(after.end - before.end);
    // Due: the frames the wall time held, at the film's rate.
    const double due = wall * fps;
    const double perSecond = distinct / wall;
    std::printf("played %.2f s: film %.3f s in %.3f s wall (x%.4f), %d distinct frames painted (%.2f/s) of %.0f "
                "due at %.3f fps (%.1f %%), %zu paints, late frames %d\n",
                wall, filmSeconds, Seconds(after.end - before.end), ratio, distinct, perSecond, due, fps,
                due > 0 ? 100.0 * distinct / due : 0.0, paints.size(), late);
    std::printf("frames %d to %d painted; the longest time without a paint %.0f ms\n", int(before.frame),
                int(after.frame), 1000 * gap);
    std::printf("CPU: process %.2f s (%.2f ms a frame shown), window thread %.2f s (%.2f ms a frame), in paints "
                "%.2f ms and passes %.2f ms a frame (wall)\n",
                cpu, 1000 * cpu / std::max(distinct, 1), thread, 1000 * thread / std::max(distinct, 1),
                1000 * paintS / std::max(distinct, 1), 1000 * passS / std::max(distinct, 1));
    std::printf("summary: ratio %.4f shown_per_s %.2f shown_pct %.2f cpu_ms %.2f thread_ms %.2f paint_pass_ms %.2f "
                "late %d gap_ms %.0f\n",
                ratio, perSecond, due > 0 ? 100.0 * distinct / due : 0.0, 1000 * cpu / std::max(distinct, 1),
                1000 * thread / std::max(distinct, 1), 1000 * (paintS + passS) / std::max(distinct, 1), late, 1000 * gap);
    return 0;
}

int Step(CMainFrame& frame, Observer& seen, int steps)
{
    if (!RunUntil([&] { return !seen.paints.empty() && seen.paints.back().frame >= 0; }, 20)) {
        std::fprintf(stderr, "playback_screen: the first frame was not painted\n");
        return 1;
    }
    RunEvents(1);
    std::vector<double> ms;
    for (int i = 0; i < steps; ++i) {
        const int32_t want = seen.paints.back().frame + 1;
        const size_t count = seen.paints.size();
        const auto start = Clock::now();
        frame.commands().Run(kCmdForward);
        const auto reached = [&] {
            for (size_t k = count; k < seen.paints.size(); ++k)
                if (seen.paints[k].frame == want)
                    return true;
            return false;
        };
        if (!RunUntil(reached, 10)) {
            std::fprintf(stderr, "playback_screen: frame %d was not painted\n", int(want));
            return 1;
        }
        for (size_t k = count; k < seen.paints.size(); ++k)
            if (seen.paints[k].frame == want) {
                ms.push_back(1000 * Seconds(seen.paints[k].end - start));
                break;
            }
        RunEvents(0.25);
    }
    const double median = Median(ms), longest = *std::max_element(ms.begin(), ms.end());
    std::printf("%d steps: median %.2f ms, longest %.2f ms\n", steps, median, longest);
    std::printf("summary: step_median_ms %.2f step_max_ms %.2f\n", median, longest);
    return 0;
}

void SendMouse(QWidget& view, QEvent::Type type, QPointF at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, view.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      held, Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &event);
}

int Drag(CMainFrame& frame, Observer& seen, int moves)
{
    if (!RunUntil([&] { return !seen.paints.empty() && seen.paints.back().frame >= 0; }, 20)) {
        std::fprintf(stderr, "playback_screen: the first frame was not painted\n");
        return 1;
    }
    RunEvents(1);
    QWidget& view = *frame.view();
    QPointF at(view.width() / 2.0, view.height() / 2.0);
    SendMouse(view, QEvent::MouseButtonPress, at);
    std::vector<double> ms;
    for (int i = 0; i < moves; ++i) {
        const EyePair* before = seen.paints.back().pair;
        const size_t count = seen.paints.size();
        at += QPointF(i % 10 < 5 ? 12 : -12, i % 4 < 2 ? 4 : -4);
        const auto start = Clock::now();
        SendMouse(view, QEvent::MouseMove, at);
        const auto anew = [&]() -> const Observer::Paint* {
            for (size_t k = count; k < seen.paints.size(); ++k)
                if (seen.paints[k].pair != before)
                    return &seen.paints[k];
            return nullptr;
        };
        if (!RunUntil([&] { return anew() != nullptr; }, 10)) {
            std::fprintf(stderr, "playback_screen: move %d was not painted\n", i + 1);
            return 1;
        }
        ms.push_back(1000 * Seconds(anew()->end - start));
        RunEvents(0.1);
    }
    SendMouse(view, QEvent::MouseButtonRelease, at);
    const double median = Median(ms), longest = *std::max_element(ms.begin(), ms.end());
    std::printf("%d moves of a drag: median %.2f ms, longest %.2f ms\n", moves, median, longest);
    std::printf("summary: drag_median_ms %.2f drag_max_ms %.2f\n", median, longest);
    return 0;
}

int Run(const std::string& what, const std::string& film, const std::string& mode, double amount, int width,
        int height, bool align)
{
    CPlexoApp plexo({film});
    plexo.InitInstance();
    CMainFrame* frame = plexo.mainFrame();
    if (!frame || !plexo.document()->film()) {
        std::fprintf(stderr, "playback_screen: %s did not open\n", film.c_str());
        return 1;
    }
    if (mode != "plain") {
        const Presentation* shown = PresentationNamed(mode);
        if (!shown) {
            std::fprintf(stderr, "playback_screen: no presentation %s\n", mode.c_str());
            return 2;
        }
        plexo.document()->ChoosePresentation(shown->id);
        frame->commands().Run(kCmdStereo);
    }
    plexo.document()->setAlignment(align ? kAlignEveryFrame : "");
    Observer seen(*frame);
    // The view at the size asked, the window moved to the screen's corner.
    frame->move(0, 0);
    QCoreApplication::processEvents();
    const QSize extra = frame->size() - frame->view()->size();
    frame->resize(width + extra.width(), height + extra.height());
    RunUntil([&] { return frame->view()->size() == QSize(width, height); }, 5);
    std::printf("view %dx%d, film %s, %s%s\n", frame->view()->width(), frame->view()->height(), film.c_str(),
                mode.c_str(), align ? ", every frame aligned" : "");
    if (what == "drag")
        return Drag(*frame, seen, int(amount));
    return what == "step" ? Step(*frame, seen, int(amount)) : Play(*frame, *plexo.document()->film(), seen, amount);
}

}  // namespace
}  // namespace plexo

int main(int argc, char** argv)
{
    // Set up as the viewer's main sets itself up.
    plexo::video::AddVideoFormats();
    QApplication application(argc, argv);
    plexo::platform::KeepPictureMemoryForReuse();
    if (const int32_t mib = plexo::platform::PictureMemoryMiB(); mib > 0)
        plexo::SetPictureBudget(size_t(mib) << 20);
    // The script reads the marks of the measured span as they come.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int width = 0, height = 0;
    const bool align = argc == 7 && std::string(argv[6]) == "align";
    const std::string what = argc > 1 ? argv[1] : "";
    if ((argc != 6 && !align) || (what != "play" && what != "step" && what != "drag") ||
        std::sscanf(argv[5], "%dx%d", &width, &height) != 2) {
        std::fprintf(stderr,
                     "usage: playback_screen play|step|drag FILM PRESENTATION SECONDS|STEPS|MOVES WxH [align]\n");
        return 2;
    }
    return plexo::Run(what, argv[2], argv[3], std::atof(argv[4]), width, height, align);
}
