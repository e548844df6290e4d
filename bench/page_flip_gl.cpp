// Page flipping in the real viewer through the output it chooses (OpenGL,
// or X shared memory where OpenGL draws in software; PLEXO_FLIP_OUTPUT
// picks one), counting the eye fields that the output draws and shows. Run
// on an X server by page_flip_gl.sh; prints one line a phase:
//   still:   the paused film, the driver alone alternating one pair;
//   playing: a tick every 60th of a second (the player's pass, ComposeFlipPair and
//            ShowPair through the view's paint), late counting the ticks
//            that finish after their 16.67 ms slot, and late after the
//            first second those once both eyes' pictures come from the
//            film's memory (until the partner's frames have been shown
//            once, a tick decodes two pictures).
// Then the reference: a texture of the view's size, loaded once, drawn
// and swapped over and over in a window over the view, with the very calls
// the output draws a field with. A field's cost (drawing and swap, timed on
// the render thread) is reported against it.
// Fields are told apart by their picture: with a displacement the first eye's
// picture leaves its last columns black, the second eye's its first columns
// (when the picture is as wide as the screen); on any screen a field whose
// pixels are those of the field before shows one picture twice running.
// Usage: page_flip_gl SECONDS (the 1080p pattern film, packed)

#include <QApplication>
#include <QOpenGLContext>
#include <QOpenGLVersionFunctionsFactory>
#include <QScreen>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/flip/gl_eye_texture.h"
#include "app/flip/page_flip_output.h"
#include "app/flip/page_flip_stereo.h"
#include "app/flip/view_overlay_output.h"
#include "app/view/plexo_view.h"
#include "app/window/main_frame.h"
#include "app/window/plexo_app.h"
#include "doc/document.h"
#include "platform/ddraw.h"

#include "pattern_film.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kDisplacement = 24;

enum class Eye { First, Second, Unknown };

// The viewer's page-flip output with every field it draws noted: its eye,
// its picture and what drawing and swapping it took. A field's eye is that
// of the picture its surface was last presented with.
class CountingOutput : public platform::DisplayOutput {
public:
    struct Field {
        Clock::time_point at;
        Eye eye;
        uint64_t fingerprint;
        double ms;
    };

    explicit CountingOutput(std::shared_ptr<ViewOverlayOutput> output) : output_(std::move(output))
    {
        output_->onFieldDrawn = [this](int surface, std::chrono::nanoseconds took) {
            std::lock_guard lock(mutex_);
            fields_.push_back({Clock::now(), eyes_[size_t(surface)], fingerprints_[size_t(surface)],
                               std::chrono::duration<double, std::milli>(took).count()});
        };
    }

    const char* Name() const { return output_->Name(); }
    int32_t Width() const override { return output_->Width(); }
    int32_t Height() const override { return output_->Height(); }
    uint32_t RefreshRate() const override { return output_->RefreshRate(); }
    std::string DeviceName() const override { return output_->DeviceName(); }
    bool QuadBuffered() const override { return output_->QuadBuffered(); }
    bool Start(std::string& why) override { return output_->Start(why); }
    bool WaitForVerticalBlank(Clock::time_point deadline) override { return output_->WaitForVerticalBlank(deadline); }
    void SurfaceChanged(int surface, const K3V_Pixels& pixels, const K3V_Rect& area) override
    {
        output_->SurfaceChanged(surface, pixels, area);
    }
    void SetCooperativeLevel(void* window, uint32_t flags) override { output_->SetCooperativeLevel(window, flags); }
    void ChainCreated(const std::vector<platform::Surface*>& chain) override { output_->ChainCreated(chain); }
    void ChainReleased() override { output_->ChainReleased(); }
    void Present(int surface, const K3V_Pixels& pixels) override
    {
        {
            std::lock_guard lock(mutex_);
            eyes_[size_t(surface)] = EyeOf(pixels);
            fingerprints_[size_t(surface)] = Fingerprint(pixels);
        }
        output_->Present(surface, pixels);
    }
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

    std::shared_ptr<ViewOverlayOutput> output_;
    std::mutex mutex_;
    std::array<Eye, 4> eyes_{Eye::Unknown, Eye::Unknown, Eye::Unknown, Eye::Unknown};
    std::array<uint64_t, 4> fingerprints_{};
    std::vector<Field> fields_;
};

double MedianMs(std::vector<double> ms)
{
    if (ms.empty())
        return 0;
    std::nth_element(ms.begin(), ms.begin() + ptrdiff_t(ms.size() / 2), ms.end());
    return ms[ms.size() / 2];
}

// Drawing a loaded texture of the area's size and swapping, in a window over
// the area: the median time a round, in milliseconds.
double ReferenceMs(const QRect& logical, qreal ratio, double seconds)
{
    QSurfaceFormat format;
    format.setSwapInterval(1);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    QWindow window;
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint);
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.setFormat(format);
    window.setGeometry(logical);
    window.show();
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create() || !context.makeCurrent(&window))
        return 0;
    auto* gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_1_1>(&context);
    QOpenGLExtraFunctions* extra = context.extraFunctions();
    if (!gl)
        return 0;
    GLuint framebuffer = 0;
    extra->glGenFramebuffers(1, &framebuffer);
    const QSize size = (QSizeF(logical.size()) * ratio).toSize();
    const int32_t pitch = (size.width() * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bytes(size_t(pitch) * size_t(size.height()));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7);
    EyeTexture texture;
    texture.Load(*gl, {bytes.data(), size.width(), size.height(), pitch}, QRect(QPoint(), size));
    gl->glFinish();
    std::vector<double> ms;
    for (const auto until = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < until;) {
        const auto before = Clock::now();
        texture.Draw(*extra, framebuffer, QPoint());
        gl->glFinish();
        context.swapBuffers(&window);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        QCoreApplication::processEvents();
    }
    context.doneCurrent();
    return MedianMs(ms);
}

// One line a phase for the reader, and the figures in a `summary` line for
// page_flip_gl.sh, which takes medians over rounds.
struct Figures {
    double rate = 0;
    int repeats = 0;
    int samePicture = 0;
    double fieldMs = 0;
};

Figures Report(const char* phase, const std::vector<CountingOutput::Field>& all, Clock::time_point from,
               Clock::time_point to, uint32_t hertz)
{
    std::vector<CountingOutput::Field> fields;
    std::copy_if(all.begin(), all.end(), std::back_inserter(fields),
                 [&](const auto& f) { return f.at >= from && f.at < to; });
    int repeats = 0, unknown = 0, first = 0, samePicture = 0;
    std::vector<double> ms;
    for (size_t i = 0; i < fields.size(); ++i) {
        ms.push_back(fields[i].ms);
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
    return {rate, repeats, samePicture, MedianMs(ms)};
}

int Run(double seconds)
{
    const bench::ScratchFolder scratch("plexo-page-flip-gl");
    CPlexoApp plexo({bench::PackedFilmFile(scratch.path)});
    plexo.InitInstance();
    CMainFrame* frame = plexo.mainFrame();
    CPlexoDoc& doc = *plexo.document();
    auto output = std::make_shared<CountingOutput>(MakePageFlipOutput(frame->view()));
    std::printf("output: %s\n", output->Name());
    platform::SetDisplayOutput(output);
    doc.setDist(kDisplacement);
    doc.ChoosePresentation(PresentationId::PageFlip);
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
        platform::SetDisplayOutput(nullptr);
        return 1;
    }
    const auto span = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    const uint32_t hertz = output->RefreshRate();

    // Settled for a second first. The event loop sleeps between events, as
    // the viewer's does, rather than spinning on a core the fields need.
    const auto runEvents = [](double forSeconds) {
        QEventLoop loop;
        QTimer::singleShot(int(forSeconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
    };
    runEvents(1);
    const auto stillFrom = Clock::now();
    runEvents(seconds);
    const auto stillTo = Clock::now();

    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60));
    constexpr int kFirstSecond = 60;
    int ticks = 0, late = 0, lateSettled = 0;
    std::vector<double> took;
    frame->player().Play(60);
    auto slot = Clock::now();
    const auto playFrom = slot;
    while (slot < playFrom + span) {
        const auto start = Clock::now();
        frame->player().Tick();
        frame->view()->repaint();
        const auto finish = Clock::now();
        ++ticks;
        late += finish > slot + period;
        lateSettled += ticks > kFirstSecond && finish > slot + period;
        took.push_back(std::chrono::duration<double, std::milli>(finish - start).count());
        slot = std::max(slot + period, finish);
        QCoreApplication::processEvents();
        std::this_thread::sleep_until(slot);
    }
    const auto playTo = Clock::now();
    const auto fields = output->fields();
    const Figures still = Report("still", fields, stillFrom, stillTo, hertz);
    const Figures playing = Report("playing", fields, playFrom, playTo, hertz);
    std::sort(took.begin(), took.end());
    std::printf("playing: %d ticks in %.2f s = %.2f ticks/s, late %d (after the first second %d); tick min %.2f ms, "
                "median %.2f ms\n",
                ticks, std::chrono::duration<double>(playTo - playFrom).count(),
                ticks / std::chrono::duration<double>(playTo - playFrom).count(), late, lateSettled, took.front(),
                took[took.size() / 2]);
    const double stillField = still.fieldMs, playingField = playing.fieldMs;

    const QRect view(frame->view()->mapToGlobal(QPoint(0, 0)), frame->view()->size());
    const qreal ratio = frame->view()->devicePixelRatioF();
    frame->close();
    QCoreApplication::processEvents();
    platform::SetDisplayOutput(nullptr);
    const double reference = ReferenceMs(view, ratio, std::min(seconds, 5.0));
    std::printf("reference: drawing a loaded %dx%d texture and swapping, median %.2f ms; a field still %.2f ms "
                "(%.2fx), playing %.2f ms (%.2fx)\n",
                int(view.width() * ratio), int(view.height() * ratio), reference, stillField,
                reference > 0 ? stillField / reference : 0.0, playingField,
                reference > 0 ? playingField / reference : 0.0);
    std::printf("summary: still %.2f playing %.2f late %.2f late_settled %.2f repeats %d field_still %.2f "
                "field_playing %.2f reference %.2f ratio_still %.2f ratio_playing %.2f\n",
                still.rate, playing.rate, ticks > 0 ? 100.0 * late / ticks : 0.0,
                ticks > kFirstSecond ? 100.0 * lateSettled / (ticks - kFirstSecond) : 0.0, still.repeats + playing.repeats,
                stillField, playingField, reference, reference > 0 ? stillField / reference : 0.0,
                reference > 0 ? playingField / reference : 0.0);
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
