// Page flipping in the real viewer through the OpenGL output, counting the
// eye fields the reference driver presents. Run on an X server by
// page_flip_gl.sh; prints one line a phase:
//   still:   the paused film, the driver alone alternating one pair;
//   playing: a tick every 60th of a second (PlayStep, ComposeFlipPair and
//            ShowPair through the view's paint), late counting the ticks
//            that finish after their 16.67 ms slot.
// Fields are told apart by their picture: with a displacement the first eye's
// picture leaves its last columns black, the second eye's its first columns
// (when the picture is as wide as the screen); on any screen a field whose
// pixels are those of the field before shows one picture twice running.
// Usage: page_flip_gl SECONDS (the 1080p pattern film, packed)

#include <QApplication>
#include <QScreen>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "app/gl_display_output.h"
#include "app/main_frame.h"
#include "app/page_flip_stereo.h"
#include "app/plexo_app.h"
#include "app/plexo_view.h"
#include "doc/document.h"
#include "platform/ddraw.h"

#include "pattern_film.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kDisplacement = 24;

enum class Eye { First, Second, Unknown };

// The GL output that also notes every field presented, by eye.
class CountingOutput : public GlDisplayOutput {
public:
    using GlDisplayOutput::GlDisplayOutput;

    void Present(int surface, const K3V_Pixels& pixels) override
    {
        const Field field{Clock::now(), EyeOf(pixels), Fingerprint(pixels)};
        {
            std::lock_guard lock(mutex_);
            fields_.push_back(field);
        }
        GlDisplayOutput::Present(surface, pixels);
    }
    struct Field {
        Clock::time_point at;
        Eye eye;
        uint64_t fingerprint;
    };
    std::vector<Field> fields()
    {
        std::lock_guard lock(mutex_);
        return fields_;
    }

private:
    static bool BlackColumn(const K3V_Pixels& p, int x)
    {
        for (int y = p.height / 8; y < p.height; y += p.height / 8) {
            const uint8_t* px = p.data + size_t(y) * size_t(p.pitch) + size_t(x) * 3;
            if (px[0] || px[1] || px[2])
                return false;
        }
        return true;
    }
    static uint64_t Fingerprint(const K3V_Pixels& p)
    {
        uint64_t hash = 1469598103934665603ULL;
        for (int y = p.height / 4; p.data && y < p.height; y += p.height / 4) {
            const uint8_t* row = p.data + size_t(y) * size_t(p.pitch);
            for (int x = 0; x < p.width * 3; x += 7)
                hash = (hash ^ row[x]) * 1099511628211ULL;
        }
        return hash;
    }
    static Eye EyeOf(const K3V_Pixels& p)
    {
        if (!p.data || p.width < 2 || p.height < 8)
            return Eye::Unknown;
        const bool left = BlackColumn(p, 0), right = BlackColumn(p, p.width - 1);
        return left == right ? Eye::Unknown : right ? Eye::First : Eye::Second;
    }

    std::mutex mutex_;
    std::vector<Field> fields_;
};

void Report(const char* phase, const std::vector<CountingOutput::Field>& all, Clock::time_point from,
            Clock::time_point to, uint32_t hertz)
{
    std::vector<CountingOutput::Field> fields;
    std::copy_if(all.begin(), all.end(), std::back_inserter(fields),
                 [&](const auto& f) { return f.at >= from && f.at < to; });
    int repeats = 0, unknown = 0, first = 0, samePicture = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        unknown += fields[i].eye == Eye::Unknown;
        first += fields[i].eye == Eye::First;
        repeats += i > 0 && fields[i].eye != Eye::Unknown && fields[i].eye == fields[i - 1].eye;
        samePicture += i > 0 && fields[i].fingerprint == fields[i - 1].fingerprint;
    }
    const double seconds = std::chrono::duration<double>(to - from).count();
    const double rate = double(fields.size()) / seconds;
    std::printf("%s: %zu fields in %.2f s = %.2f fields/s (refresh %u Hz, %+.2f %%); first eye %d, second %zu, "
                "unknown %d, same eye twice running %d, same picture twice running %d\n",
                phase, fields.size(), seconds, rate, hertz, 100.0 * (rate - hertz) / hertz, first,
                fields.size() - size_t(first) - size_t(unknown), unknown, repeats, samePicture);
}

int Run(double seconds)
{
    const bench::ScratchFolder scratch("plexo-page-flip-gl");
    CPlexoApp plexo({bench::PackedFilmFile(scratch.path)});
    plexo.InitInstance();
    CMainFrame* frame = plexo.mainFrame();
    CPlexoDoc& doc = *plexo.document();
    auto output = std::make_shared<CountingOutput>(frame->view());
    platform::SetDisplayOutput(output);
    doc.Dist = kDisplacement;
    frame->state.presentation = PresentationId::PageFlip;
    frame->PostStartupCommands(false, true);

    // Flipping, and the window over the whole screen.
    const auto ready = [&] {
        const QScreen* screen = frame->screen();
        return frame->pageFlip().flipping() && screen && frame->geometry() == screen->geometry() &&
               !output->fields().empty();
    };
    for (const auto give = Clock::now() + std::chrono::seconds(20); !ready() && Clock::now() < give;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!ready()) {
        std::fprintf(stderr, "page_flip_gl: flipping did not start full screen\n");
        return 1;
    }
    const auto span = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const uint32_t hertz = output->RefreshRate();

    // Settled for a second first.
    const auto settle = Clock::now() + std::chrono::seconds(1);
    while (Clock::now() < settle)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const auto stillFrom = Clock::now();
    while (Clock::now() < stillFrom + span)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const auto stillTo = Clock::now();

    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60));
    int ticks = 0, late = 0;
    std::vector<double> took;
    auto slot = Clock::now();
    const auto playFrom = slot;
    while (slot < playFrom + span) {
        const auto start = Clock::now();
        doc.PlayStep();
        frame->view()->repaint();
        const auto finish = Clock::now();
        ++ticks;
        late += finish > slot + period;
        took.push_back(std::chrono::duration<double, std::milli>(finish - start).count());
        slot = std::max(slot + period, finish);
        QCoreApplication::processEvents();
        std::this_thread::sleep_until(slot);
    }
    const auto playTo = Clock::now();
    const auto fields = output->fields();
    Report("still", fields, stillFrom, stillTo, hertz);
    Report("playing", fields, playFrom, playTo, hertz);
    std::sort(took.begin(), took.end());
    std::printf("playing: %d ticks in %.2f s = %.2f ticks/s, late %d; tick min %.2f ms, median %.2f ms\n", ticks,
                std::chrono::duration<double>(playTo - playFrom).count(),
                ticks / std::chrono::duration<double>(playTo - playFrom).count(), late, took.front(),
                took[took.size() / 2]);

    frame->close();
    QCoreApplication::processEvents();
    platform::SetDisplayOutput(nullptr);
    return 0;
}

}  // namespace
}  // namespace plexo

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_flip_gl SECONDS\n");
        return 2;
    }
    return plexo::Run(std::atof(argv[1]));
}
