#include <QApplication>

#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/plexo_app.h"
#include "app/termination_signal.h"
#include "platform/picture_memory.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plexo"));
    QApplication::setApplicationVersion(QStringLiteral(PLEXO_VERSION));
    plexo::platform::KeepPictureMemoryForReuse();

    // Qt has taken its own options (-platform, -display, ...) out of argv.
    const QStringList arguments = QApplication::arguments();
    std::vector<std::string> parameters;
    for (int i = 1; i < arguments.size(); ++i)
        parameters.push_back(arguments[i].toLocal8Bit().toStdString());

    plexo::CPlexoApp plexo(parameters);
    plexo.InitInstance();
    plexo::CloseOnTerminationSignal(plexo.mainFrame());
    return QApplication::exec();
}
