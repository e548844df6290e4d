#include "app/flip/view_overlay_output.h"

#include <QEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

#include "platform/log.h"

namespace plexo {

namespace {

constexpr int kQuickSwapsForNoVsync = 10;

}  // namespace

ViewOverlayOutput::ViewOverlayOutput(QWidget* view, QSurface::SurfaceType type, bool vsync)
    : view_(view), vsyncByDesign_(vsync)
{
    // A window of its own over the view only, kept above the main window and
    // below its dialogs, passing input through to the main window.
    window_ = std::make_unique<QWindow>();
    window_->setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                      Qt::WindowDoesNotAcceptFocus);
    window_->setSurfaceType(type);
}

ViewOverlayOutput::~ViewOverlayOutput()
{
    StopRendering();
    if (view_) {
        view_->removeEventFilter(this);
        view_->window()->removeEventFilter(this);
    }
}

void ViewOverlayOutput::StartRendering(const std::function<void(QThread*)>& beforeStart)
{
    view_->installEventFilter(this);
    view_->window()->installEventFilter(this);
    thread_ = QThread::create([this] { Render(); });
    beforeStart(thread_);
    thread_->start();
}

void ViewOverlayOutput::StopRendering()
{
    {
        std::unique_lock lock(mutex_);
        stop_ = true;
        changed_.notify_all();
        // The subclass's destructor goes on, and the object's type falls
        // back to this class, only once the thread has made its last call
        // into the subclass. QThread::wait does not tell: for a thread that
        // has already ended it returns through Qt's own lock alone, which
        // orders nothing a race detector can see. A thread that never
        // started never calls.
        if (thread_)
            changed_.wait(lock, [this] { return ended_ || !thread_->isRunning(); });
    }
    if (thread_) {
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
}

bool ViewOverlayOutput::Start(std::string& why)
{
    // Without its render thread nothing would ever be drawn, and a wait for
    // the blank would wait for a swap that never comes.
    if (!thread_) {
        why = fault_;
        return false;
    }
    const QScreen* screen = view_->screen();
    if (!screen) {
        why = "the view is on no screen";
        return false;
    }
    const qreal ratio = screen->devicePixelRatio();
    width_ = int32_t(std::lround(screen->geometry().width() * ratio));
    height_ = int32_t(std::lround(screen->geometry().height() * ratio));
    refreshRate_ = uint32_t(std::max(1L, std::lround(screen->refreshRate())));
    deviceName_ = screen->name().toStdString();
    refused_ = false;
    std::lock_guard lock(mutex_);
    quickSwaps_ = 0;
    vsync_ = vsyncByDesign_;
    return true;
}

void ViewOverlayOutput::Refuse(const std::string& why)
{
    if (!refused_.exchange(true))
        LogMessage(std::string("Page flipping shows nothing through ") + Name() + ": " + why);
}

void ViewOverlayOutput::Follow()
{
    if (!view_)
        return;
    const QScreen* screen = view_->screen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QPoint origin = view_->mapToGlobal(QPoint(0, 0)) - (screen ? screen->geometry().topLeft() : QPoint());
    // The main window's native window is made anew when it goes frameless.
    // The window system learns whose this one is only as it is shown: one
    // shown for the old window would be left under the new one by a window
    // manager, and the view under it is black while the eyes flip.
    QWindow* owner = view_->window()->windowHandle();
    const WId ownerId = owner ? owner->winId() : 0;
    if (owner != window_->transientParent() || ownerId != ownerId_) {
        window_->setTransientParent(owner);
        ownerId_ = ownerId;
        if (window_->isVisible()) {
            window_->hide();
            window_->show();
        }
    }
    window_->setGeometry(QRect(view_->mapToGlobal(QPoint(0, 0)), view_->size()));
    // The main window is mapped anew when it goes full screen, over this one.
    if (window_->isVisible())
        QTimer::singleShot(0, window_.get(), &QWindow::raise);
    std::lock_guard lock(mutex_);
    region_ = QRect(int(std::lround(origin.x() * ratio)), int(std::lround(origin.y() * ratio)),
                    int(std::lround(view_->width() * ratio)), int(std::lround(view_->height() * ratio)));
}

bool ViewOverlayOutput::eventFilter(QObject* watched, QEvent* event)
{
    if (view_ && (watched == view_ || watched == view_->window()) &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move || event->type() == QEvent::Show))
        Follow();
    return QObject::eventFilter(watched, event);
}

void ViewOverlayOutput::SetCooperativeLevel(void*, uint32_t flags)
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

void ViewOverlayOutput::ChainCreated(const std::vector<platform::Surface*>&)
{
    std::lock_guard lock(mutex_);
    loaded_.fill(QRect());
}

void ViewOverlayOutput::Load(int surface, const K3V_Pixels& pixels, const QRect& changed)
{
    if (surface < 0 || surface >= kSurfaces || !thread_)
        return;
    QRect area;
    bool whole = false;
    {
        std::lock_guard lock(mutex_);
        area = region_ & QRect(0, 0, pixels.width, pixels.height);
        whole = loaded_[size_t(surface)] != area;
    }
    if (area.isEmpty())
        return;
    std::lock_guard copy(copyLocks_[size_t(surface)]);
    if (!Keep(surface, pixels, area, whole, changed))
        return;
    std::lock_guard lock(mutex_);
    loaded_[size_t(surface)] = area;
    ++versions_[size_t(surface)];
}

void ViewOverlayOutput::LoadIfStale(int surface, const K3V_Pixels& pixels)
{
    {
        std::lock_guard lock(mutex_);
        if (surface < 0 || surface >= kSurfaces ||
            loaded_[size_t(surface)] == (region_ & QRect(0, 0, pixels.width, pixels.height)))
            return;
    }
    Load(surface, pixels, QRect(0, 0, pixels.width, pixels.height));
}

void ViewOverlayOutput::SurfaceChanged(int surface, const K3V_Pixels& pixels, const K3V_Rect& area)
{
    Load(surface, pixels, QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1)));
}

void ViewOverlayOutput::Show(int left, int right)
{
    if (left < 0 || left >= kSurfaces || right >= kSurfaces)
        return;
    std::lock_guard lock(mutex_);
    next_ = {left, right, versions_[size_t(left)], right >= 0 ? versions_[size_t(right)] : 0, region_};
    fresh_ = true;
    changed_.notify_all();
}

// The view's part moves with the view: a copy that holds another part is
// loaded whole before it is shown.
void ViewOverlayOutput::Present(int surface, const K3V_Pixels& pixels)
{
    LoadIfStale(surface, pixels);
    Show(surface, -1);
}

void ViewOverlayOutput::PresentStereo(int left, const K3V_Pixels& leftPixels, int right,
                                      const K3V_Pixels& rightPixels)
{
    LoadIfStale(left, leftPixels);
    LoadIfStale(right, rightPixels);
    Show(left, right);
}

bool ViewOverlayOutput::WaitForVerticalBlank(std::chrono::steady_clock::time_point deadline)
{
    // The last field presented is drawn first, with vsync or without, so the
    // driver never presents faster than fields are drawn: a field left out
    // would show one eye twice running.
    std::unique_lock lock(mutex_);
    if (!changed_.wait_until(lock, deadline, [this] { return stop_ || (!fresh_ && !rendering_); }) || !vsync_)
        return false;
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

bool ViewOverlayOutput::Draw(const Field& field)
{
    // Locked in chain order, as the surfaces' guards are.
    const int low = field.right < 0 ? field.left : std::min(field.left, field.right);
    const int high = field.right < 0 ? -1 : std::max(field.left, field.right);
    std::unique_lock first(copyLocks_[size_t(low)]);
    std::unique_lock<std::mutex> second;
    if (high >= 0)
        second = std::unique_lock(copyLocks_[size_t(high)]);
    QRect area;
    {
        // A copy loaded anew since its surface was presented holds a later
        // picture, perhaps of the other eye: the field is left out.
        std::lock_guard lock(mutex_);
        if (versions_[size_t(field.left)] != field.leftVersion ||
            (field.right >= 0 && versions_[size_t(field.right)] != field.rightVersion))
            return false;
        area = loaded_[size_t(field.left)];
    }
    return !area.isEmpty() && DrawField(field, area);
}

void ViewOverlayOutput::Render()
{
    bool ready = false;
    for (;;) {
        Field field;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || fresh_; });
            if (stop_)
                break;
            field = next_;
            fresh_ = false;
            rendering_ = shown_;
        }
        const auto before = std::chrono::steady_clock::now();
        // Readied once: on some platforms every makeCurrent asks the window
        // system about the window again.
        if (rendering_ && !ready)
            ready = BeginDrawing();
        if (!rendering_ || field.region.isEmpty() || !ready || !Draw(field)) {
            std::lock_guard lock(mutex_);
            rendering_ = false;
            changed_.notify_all();
            continue;
        }
        const auto period = std::chrono::nanoseconds(1'000'000'000LL / refreshRate_);
        const auto swapFrom = std::chrono::steady_clock::now();
        Swap();
        const auto after = std::chrono::steady_clock::now();
        if (onFieldDrawn)
            onFieldDrawn(field.left, after - before);
        std::lock_guard lock(mutex_);
        quickSwaps_ = (after - swapFrom) * 4 < period ? quickSwaps_ + 1 : 0;
        if (quickSwaps_ >= kQuickSwapsForNoVsync)
            vsync_ = false;
        lastSwap_ = after;
        rendering_ = false;
        changed_.notify_all();
    }
    EndDrawing();
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
}

}  // namespace plexo
