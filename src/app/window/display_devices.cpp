#include "app/window/display_devices.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cmath>

#include "platform/display.h"

namespace plexo {

namespace {

bool g_switchable = false;

bool OnX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

std::optional<platform::DisplayMode> ScreenMode()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    // A 24-bit screen keeps its pixels in 32-bit words.
    const int bits = screen->depth() == 24 ? 32 : screen->depth();
    return platform::DisplayMode{bits, size.width(), size.height(), int(std::lround(screen->refreshRate()))};
}

}  // namespace

void InstallDisplayDevices()
{
    std::shared_ptr<platform::DisplayDevices> devices;
    if (OnX11())
        devices = platform::OpenXRandRDevices("");
    g_switchable = devices != nullptr;
    if (!devices)
        devices = platform::FixedModeDevices(ScreenMode());
    platform::SetDisplayDevices(std::move(devices));
}

void AttachDisplayWindow(QWidget* window)
{
    if (!window || !OnX11()) {
        platform::SetDisplayWindow(nullptr);
        return;
    }
    // Asked each time: page flipping changes the window's flags, and Qt then
    // gives it a new native window.
    platform::SetDisplayWindow([window = QPointer<QWidget>(window)]() -> unsigned long {
        const QWindow* native = window ? window->windowHandle() : nullptr;
        return native ? native->winId() : 0;
    });
}

std::unique_ptr<platform::ModeGuard> MakeModeGuard()
{
    if (!g_switchable)
        return nullptr;
    return std::make_unique<platform::ModeGuard>(
        (QCoreApplication::applicationDirPath() + QStringLiteral("/plexo-guard")).toStdString());
}

}  // namespace plexo
