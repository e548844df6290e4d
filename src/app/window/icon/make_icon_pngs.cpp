// Writes the program's icon as plexo-<side>.png for every installed size into
// the folder named on the command line; run by the build.

#include <QGuiApplication>
#include <QString>

#include <cstdio>

#include "app/window/app_icon.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: make_icon_pngs FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int side : plexo::kApplicationIconSizes) {
        const QString path = QStringLiteral("%1/plexo-%2.png").arg(folder).arg(side);
        if (!plexo::ApplicationIconImage(side).save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
