#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/flip/page_flip_output.h"
#include "app/flip/view_overlay_output.h"
#include "app/view/plexo_view.h"
#include "app/window/main_frame.h"
#include "app/window/plexo_app.h"
#include "app/window/termination_signal.h"
#include "doc/command_line.h"
#include "film/picture_budget.h"
#include "platform/ddraw.h"
#include "platform/picture_memory.h"
#include "video/video_formats.h"

int main(int argc, char** argv)
{
    plexo::video::AddVideoFormats();
    // Answered without a display.
    const std::string information = plexo::InformationRequested(std::vector<std::string>(argv + 1, argv + argc));
    if (!information.empty()) {
        std::fputs(information.c_str(), stdout);
        return 0;
    }
    // Wayland tells a window neither its screen row, which the interlace
    // parity follows, nor lets it change display modes; XWayland does both.
    if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY") && std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plexo"));
    QApplication::setApplicationVersion(QStringLiteral(PLEXO_VERSION));
    plexo::platform::KeepPictureMemoryForReuse();
    if (const int32_t mib = plexo::platform::PictureMemoryMiB(); mib > 0)
        plexo::SetPictureBudget(size_t(mib) << 20);

    // Qt has taken its own options (-platform, -display, ...) out of argv.
    const QStringList arguments = QApplication::arguments();
    std::vector<std::string> parameters;
    for (int i = 1; i < arguments.size(); ++i)
        parameters.push_back(arguments[i].toLocal8Bit().toStdString());

    plexo::CPlexoApp plexo(parameters);
    for (const std::string& notice : plexo.cmdInfo.notices)
        std::fprintf(stderr, "plexo: %s\n", notice.c_str());
    plexo.InitInstance();
    plexo::CloseOnTerminationSignal(plexo.mainFrame());
    // Page flipping shows on a window of its own over the view.
    plexo::platform::SetDisplayOutput(plexo::MakePageFlipOutput(plexo.mainFrame()->view()));
    const int result = QApplication::exec();
    plexo::platform::SetDisplayOutput(nullptr);
    return result;
}
