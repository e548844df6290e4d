// Full screen shows the picture alone over the whole screen, and leaving it
// gives back the window and everything around the view.

#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QToolBar>

#include "app/window/timeline.h"
#include "app/window/viewer_commands.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using FullScreen = ViewerTest;

TEST_F(FullScreen, ThePictureCoversTheScreenAndLeavingGivesTheWindowBack)
{
    Start({DemoFilm()});
    CMainFrame& frame = Frame();
    frame.setGeometry(40, 50, 500, 400);
    QCoreApplication::processEvents();
    const QRect before = frame.geometry();
    const auto around = [&frame] {
        return std::vector<bool>{frame.menuBar()->isHidden(), frame.toolBar()->isHidden(),
                                 frame.timeline()->isHidden(), frame.findChild<QSlider*>("volume")->isHidden()};
    };
    for (Qt::Key key : {Qt::Key_F11, Qt::Key_Escape}) {
        UserKey(&frame, key);
        QCoreApplication::processEvents();
        const bool full = key == Qt::Key_F11;
        ASSERT_EQ(frame.viewer().fullScreen(), full);
        EXPECT_EQ(around(), std::vector<bool>(4, full));
        const QRect view(frame.view()->mapToGlobal(QPoint(0, 0)), frame.view()->size());
        EXPECT_EQ(view == frame.screen()->geometry(), full);
        EXPECT_EQ(frame.geometry(), full ? frame.screen()->geometry() : before);
    }
}

}  // namespace
}  // namespace plexo::test
