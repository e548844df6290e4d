#include "app/gl_display_output.h"

#include <QEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions_1_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QScreen>
#include <QSurfaceFormat>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <cstring>
#include <thread>

namespace plexo {

namespace {

constexpr int kQuickSwapsForNoVsync = 10;

}  // namespace

GlDisplayOutput::GlDisplayOutput(QWidget* view) : view_(view)
{
    const QScreen* screen = view->screen();
    const qreal ratio = screen->devicePixelRatio();
    width_ = int32_t(std::lround(screen->geometry().width() * ratio));
    height_ = int32_t(std::lround(screen->geometry().height() * ratio));
    refreshRate_ = uint32_t(std::max(1L, std::lround(screen->refreshRate())));
    deviceName_ = screen->name().toStdString();

    QSurfaceFormat format;
    format.setStereo(true);
    format.setSwapInterval(1);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    // A window of its own over the view only, kept above the main window and
    // below its dialogs, passing input through to the main window.
    window_ = std::make_unique<QWindow>();
    window_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                      Qt::WindowDoesNotAcceptFocus);
    window_->setSurfaceType(QSurface::OpenGLSurface);
    window_->setFormat(format);
    window_->create();
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(window_->requestedFormat());
    if (!context_->create())
        return;
    stereo_ = context_->format().stereo();
    view->installEventFilter(this);
    view->window()->installEventFilter(this);
    thread_ = QThread::create([this] { Render(); });
    context_->moveToThread(thread_);
    thread_->start();
}

GlDisplayOutput::~GlDisplayOutput()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
    if (view_) {
        view_->removeEventFilter(this);
        view_->window()->removeEventFilter(this);
    }
}

void GlDisplayOutput::Follow()
{
    const QScreen* screen = view_->screen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QPoint origin = view_->mapToGlobal(QPoint(0, 0)) - (screen ? screen->geometry().topLeft() : QPoint());
    // The main window's native window is made anew when it goes frameless.
    window_->setTransientParent(view_->window()->windowHandle());
    window_->setGeometry(QRect(view_->mapToGlobal(QPoint(0, 0)), view_->size()));
    // The main window is mapped anew when it goes full screen, over this one.
    if (window_->isVisible())
        QTimer::singleShot(0, window_.get(), &QWindow::raise);
    std::lock_guard lock(mutex_);
    region_ = QRect(int(std::lround(origin.x() * ratio)), int(std::lround(origin.y() * ratio)),
                    int(std::lround(view_->width() * ratio)), int(std::lround(view_->height() * ratio)));
}

bool GlDisplayOutput::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == view_ || watched == view_->window()) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show))
        Follow();
    return QObject::eventFilter(watched, event);
}

void GlDisplayOutput::SetCooperativeLevel(void*, uint32_t flags)
{
    const bool show = flags & K3V_DDSCL_FULLSCREEN;
    Follow();
    {
        std::lock_guard lock(mutex_);
        shown_ = show;
    }
    window_->setVisible(show);
    Follow();
}

// Only the part under the view is copied, top row first, rows packed.
void GlDisplayOutput::Stage(const K3V_Pixels& pixels, std::vector<uint8_t>& into)
{
    const QRect area = region_ & QRect(0, 0, pixels.width, pixels.height);
    staged_ = area;
    into.resize(size_t(std::max(area.width(), 0)) * 3 * size_t(std::max(area.height(), 0)));
    for (int y = 0; y < area.height(); ++y)
        std::memcpy(&into[size_t(y) * size_t(area.width()) * 3],
                    pixels.data + size_t(area.top() + y) * size_t(pixels.pitch) + size_t(area.left()) * 3,
                    size_t(area.width()) * 3);
}

void GlDisplayOutput::Present(int, const K3V_Pixels& pixels)
{
    std::lock_guard lock(mutex_);
    Stage(pixels, left_);
    pair_ = false;
    fresh_ = true;
    changed_.notify_all();
}

void GlDisplayOutput::PresentStereo(int, const K3V_Pixels& leftPixels, int, const K3V_Pixels& rightPixels)
{
    std::lock_guard lock(mutex_);
    Stage(leftPixels, left_);
    Stage(rightPixels, right_);
    pair_ = true;
    fresh_ = true;
    changed_.notify_all();
}

bool GlDisplayOutput::WaitForVerticalBlank()
{
    if (!vsync_)
        return false;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || (!fresh_ && !rendering_); });
    const auto period = std::chrono::nanoseconds(1'000'000'000LL / refreshRate_);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastBlank_ < period * 3 / 4) {
        // The swap came back well within a refresh of the last blank, so it
        // was not held for a blank: the next one is a refresh after the last.
        changed_.wait_until(lock, lastBlank_ + period, [this] { return stop_; });
    } else if (now - lastSwap_ > period / 2) {
        // With nothing presented since the last swap, the next blank is one
        // refresh after it.
        const auto next = now + period - (now - lastSwap_) % period;
        changed_.wait_until(lock, next, [this] { return stop_; });
    }
    lastBlank_ = std::chrono::steady_clock::now();
    return vsync_;
}

void GlDisplayOutput::Render()
{
    std::vector<uint8_t> left, right;
    QOpenGLFunctions_1_1* gl = nullptr;
    const auto period = std::chrono::nanoseconds(1'000'000'000LL / refreshRate_);
    for (;;) {
        QRect area;
        bool pair = false;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || fresh_; });
            if (stop_)
                break;
            left.swap(left_);
            right.swap(right_);
            area = staged_;
            pair = pair_;
            fresh_ = false;
            rendering_ = shown_;
        }
        if (!rendering_ || area.isEmpty() || !context_->makeCurrent(window_.get())) {
            std::lock_guard lock(mutex_);
            rendering_ = false;
            changed_.notify_all();
            continue;
        }
        if (!gl)
            gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_1_1>(context_.get());
        if (gl) {
            gl->glViewport(0, 0, area.width(), area.height());
            gl->glMatrixMode(GL_PROJECTION);
            gl->glLoadIdentity();
            gl->glOrtho(0, area.width(), 0, area.height(), -1, 1);
            gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            gl->glPixelZoom(1, -1);
            const auto draw = [&](GLenum buffer, const std::vector<uint8_t>& pixels) {
                if (stereo_)
                    gl->glDrawBuffer(buffer);
                gl->glRasterPos2i(0, area.height());
                gl->glDrawPixels(area.width(), area.height(), GL_BGR, GL_UNSIGNED_BYTE, pixels.data());
            };
            draw(pair ? GL_BACK_LEFT : GL_BACK, left);
            if (pair)
                draw(GL_BACK_RIGHT, right);
        }
        const auto before = std::chrono::steady_clock::now();
        context_->swapBuffers(window_.get());
        const auto after = std::chrono::steady_clock::now();
        std::lock_guard lock(mutex_);
        quickSwaps_ = (after - before) * 4 < period ? quickSwaps_ + 1 : 0;
        if (quickSwaps_ >= kQuickSwapsForNoVsync)
            vsync_ = false;
        lastSwap_ = after;
        rendering_ = false;
        changed_.notify_all();
    }
    context_->doneCurrent();
}

}  // namespace plexo
