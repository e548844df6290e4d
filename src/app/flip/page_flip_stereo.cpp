#include "app/flip/page_flip_stereo.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cmath>

#include "app/dialogs/set_pnl_command.h"
#include "doc/document.h"
#include "platform/ddraw.h"
#include "platform/display.h"
#include "platform/log.h"

namespace plexo {

namespace {

K3V_Rect ToRect(const QRect& r) { return {r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

}  // namespace

PageFlipStereo::PageFlipStereo(Frame shell) : shell_(std::move(shell))
{
    QMainWindow* window = shell_.window;
    flipper_.host.mainWindow = window;
    flipper_.host.windowRect = [window] { return ToRect(window->frameGeometry()); };
    // The record holds the window's outer rectangle, frame included.
    flipper_.host.moveWindow = [window](const K3V_Rect& r) {
        const QRect outer = window->frameGeometry(), inner = window->geometry();
        window->setGeometry(QRect(QPoint(r.left + inner.left() - outer.left(), r.top + inner.top() - outer.top()),
                                  QPoint(r.right - 1 - (outer.right() - inner.right()),
                                         r.bottom - 1 - (outer.bottom() - inner.bottom()))));
        window->repaint();
    };
    flipper_.host.invalidateAll = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->update();
    };
    // The display layer knows "Display" and the X outputs by name; a device
    // it cannot read is taken as the screen that shows the main window.
    flipper_.host.readMode = [window](const std::string& device) -> std::optional<platform::DisplayMode> {
        if (const auto mode = platform::ReadCurrentMode(device))
            return mode;
        const QScreen* screen = window->screen();
        if (!screen)
            return std::nullopt;
        const QSize size = screen->geometry().size() * screen->devicePixelRatio();
        return platform::DisplayMode{screen->depth(), size.width(), size.height(),
                                     int32_t(std::lround(screen->refreshRate()))};
    };
    flipper_.host.keepMode = [modes = shell_.startupModes](const std::string& device) {
        return modes ? modes->Keep(device) : std::nullopt;
    };
    flipper_.host.applyMode = [](const std::string& device, const platform::DisplayMode& mode) {
        if (!platform::ApplyModeToDevice(device, mode))
            LogMessage("Display mode not restored: " + device);
    };

    copyTimer_.setInterval(kFrameCopyMs);
    connect(&copyTimer_, &QTimer::timeout, this, [this] { CopyFrameAreas(); });
    settingsTimer_.setInterval(kSettingsRepaintMs);
    connect(&settingsTimer_, &QTimer::timeout, this, [this] {
        QWidget* dialog = shell_.settingsDialog ? shell_.settingsDialog() : nullptr;
        if (flipping() && dialog)
            dialog->repaint();
    });
}

PageFlipStereo::~PageFlipStereo() = default;

bool PageFlipStereo::On()
{
    // The display goes first: the driver asks it its name and rate.
    if (const auto output = platform::CurrentDisplayOutput()) {
        std::string why;
        if (!output->Start(why)) {
            LogMessage("Page flipping not started: " + why);
            return false;
        }
    }
    QMainWindow* window = shell_.window;
    savedGeometry_ = window->geometry();
    savedFlags_ = window->windowFlags();
    flipper_.Close();
    flipper_.ReleaseDirectDraw();
    flipper_.Open();
    if (!flipping())
        return false;
    if (shell_.attachScreenCommand)
        shell_.attachScreenCommand(false);
    K3V_DirectDraw* dd = flipper_.directDraw();
    dd->ops->SetCooperativeLevel(dd, window, K3V_DDSCL_NOWINDOWCHANGES);
    dd->ops->SetCooperativeLevel(dd, window, K3V_DDSCL_FULLSCREEN | K3V_DDSCL_EXCLUSIVE);
    window->show();
    const QRect screen = window->screen() ? window->screen()->geometry() : QRect();
    flipper_.StartFlipping();
    window->setWindowFlags((savedFlags_ & ~(Qt::WindowMinMaxButtonsHint | Qt::WindowSystemMenuHint)) |
                           Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window->setGeometry(screen);
    window->show();
    window->update();
    copyTimer_.start();
    return true;
}

void PageFlipStereo::Off()
{
    if (shell_.stopPlaying)
        shell_.stopPlaying();
    // A stopped Qt timer leaves no tick queued behind it.
    copyTimer_.stop();
    flipper_.Close();
    if (K3V_DirectDraw* dd = flipper_.directDraw())
        dd->ops->SetCooperativeLevel(dd, shell_.window, K3V_DDSCL_NORMAL);
    flipper_.ReleaseDirectDraw();
    for (QWidget* w : QApplication::topLevelWidgets())
        w->update();
    QMainWindow* window = shell_.window;
    window->setWindowFlags(savedFlags_);
    window->setGeometry(savedGeometry_);
    window->show();
    window->raise();
    if (shell_.attachScreenCommand)
        shell_.attachScreenCommand(true);
}

ViewRect PageFlipStereo::OnScreen(const QRect& rect) const
{
    const QScreen* screen = shell_.window->screen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    const QRect r = rect.translated(-origin);
    const auto px = [ratio](int v) { return int32_t(std::lround(v * ratio)); };
    return {px(r.left()), px(r.top()), px(r.left() + r.width()), px(r.top() + r.height())};
}

bool PageFlipStereo::ShowFrame()
{
    if (!flipping())
        return false;
    Film* film = shell_.doc->film();
    if (film && film->FrameCount() > 0) {
        const QWidget* view = shell_.view;
        ComposeFlipPair(OnScreen(QRect(view->mapToGlobal(QPoint(0, 0)), view->size())),
                        subtitles_.Shown(*film, *shell_.doc, PresentationId::PageFlip),
                        shell_.doc->stereo().adjust, flipper_, sections_);
        if (!shell_.doc->keepsShownPictures())
            film->ReleasePictures();
    }
    return true;
}

void PageFlipStereo::CopyFrameAreas()
{
    if (!flipping())
        return;
    const QRect r = shell_.window->frameGeometry();
    const QRect v(shell_.view->mapToGlobal(QPoint(0, 0)), shell_.view->size());
    const auto band = [](int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); };
    const int rRight = r.left() + r.width(), rBottom = r.top() + r.height();
    const int vRight = v.left() + v.width(), vBottom = v.top() + v.height();
    for (const QRect& area : {band(r.left(), r.top(), rRight, v.top()), band(r.left(), r.top(), v.left(), rBottom),
                              band(vRight, r.top(), rRight, rBottom), band(r.left(), vBottom, rRight, rBottom)})
        flipper_.CopyToSecond(OnScreen(area));
    if (QWidget* dialog = shell_.settingsDialog ? shell_.settingsDialog() : nullptr)
        flipper_.CopyToSecond(OnScreen(dialog->frameGeometry()));
}

void PageFlipStereo::SettingsOpened() { settingsTimer_.start(); }

void PageFlipStereo::SettingsClosed() { settingsTimer_.stop(); }

}  // namespace plexo
