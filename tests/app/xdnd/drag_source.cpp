// A window that starts a drag of the file named on the command line when the
// mouse is pressed in it: the other side of the XDND drop test. It prints
// the drop's outcome and ends.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget {
protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(QApplication::arguments().at(1))});
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        std::printf("drop: %s\n", drag->exec(Qt::CopyAction) == Qt::CopyAction ? "copied" : "ignored");
        std::fflush(stdout);
        QApplication::quit();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2)
        return 2;
    DragSource source;
    source.setWindowTitle(QStringLiteral("drag source"));
    source.setGeometry(0, 0, 120, 120);
    source.show();
    return QApplication::exec();
}
