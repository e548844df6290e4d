#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <cmath>

#include "app/command_ids.h"
#include "app/command_line.h"
#include "app/plexo_view.h"
#include "app/viewer_command_ids.h"
#include "app/viewer_commands.h"
#include "doc/document.h"
#include "film/frame_place.h"
#include "film/two_films.h"
#include "present/compositor.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using ViewerCommandsTest = ViewerTest;

int Position(CPlexoApp& app)
{
    return PlaceOf(*app.document()->film()).position;
}

TEST_F(ViewerCommandsTest, EnablingRulesFollowFilmAndPresentation)
{
    CMainFrame& frame = *Start({}).mainFrame();
    CommandTable& t = frame.commands();
    const int film[] = {kCmdFirstCadre, kCmdLastCadre, kCmdSaveViewAs};
    const int sizes[] = {kCmdActualSize, kCmdFitToWindow, kCmdZoomIn, kCmdZoomOut};
    for (int id : film)
        EXPECT_FALSE(t.IsEnabled(id)) << id;
    frame.OpenDocumentFile(QString::fromStdString(DemoFilm()));
    for (int id : film)
        EXPECT_TRUE(t.IsEnabled(id)) << id;
    struct Case {
        int presentation;
        bool sizes, fullScreen;
    };
    // Page flipping without its driver leaves stereo off, so it scales too.
    for (Case c : {Case{kPresentRedBlue, true, true}, Case{kPresentInterlaced, false, true}, Case{0, true, true}}) {
        frame.state.presentation = c.presentation;
        t.Run(kCmdStereo);
        for (int id : sizes)
            EXPECT_EQ(t.IsEnabled(id), c.sizes) << c.presentation << " " << id;
        EXPECT_EQ(t.IsEnabled(kCmdFullScreen), c.fullScreen) << c.presentation;
        QTest::keyClick(&frame, Qt::Key_Escape);
        EXPECT_TRUE(t.IsEnabled(kCmdFitToWindow));
    }
}

// The scaled frame is centred in black, and is the composed picture resized.
TEST_F(ViewerCommandsTest, FitPaintsThePictureScaledAndCentred)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = Frame();
    frame.resize(900, 500);
    QCoreApplication::processEvents();
    QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(frame.commands().IsChecked(kCmdFitToWindow));
    const QImage shown = ViewPixels();
    const QSize view = frame.view()->size();
    // The 320 x 240 demo fills the view's height.
    const double scale = double(view.height()) / 240;
    const int width = int(std::lround(320 * scale));
    const int left = (view.width() - width) / 2;
    EXPECT_EQ(shown.pixel(left / 2, view.height() / 2), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(view.width() - left / 2, view.height() / 2), qRgb(0, 0, 0));

    FrameBuffer buffer;
    const ViewRect rect{0, 0, 320, 240};
    ASSERT_TRUE(ComposeFrame(app.document()->film(), app.document()->Dist, rect, false, 1, buffer));
    const QImage picture = QImage(buffer.bytes(), buffer.width(), buffer.height(), qsizetype(buffer.stride()),
                                  QImage::Format_BGR888)
                               .mirrored()
                               .copy(0, 0, 320, 240)
                               .scaled(width, view.height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
    const QImage inside = shown.copy(left, 0, width, view.height());
    double difference = 0;
    for (int y = 2; y < inside.height() - 2; ++y)
        for (int x = 2; x < inside.width() - 2; ++x)
            difference += std::abs(qGreen(inside.pixel(x, y)) - qGreen(picture.pixel(x, y)));
    EXPECT_LT(difference / ((inside.width() - 4) * (inside.height() - 4)), 8.0);

    // Zooming from fit goes to the next step above it and back to one to one.
    frame.commands().Run(kCmdZoomIn);
    EXPECT_EQ(frame.view()->zoomPercent(), 200);
    QTest::keyClick(&frame, Qt::Key_0, Qt::ControlModifier);
    EXPECT_TRUE(ViewPixels() == ExpectedPixels(false, 1));
}

// Home and End stop where stepping stops; a refused step says why when the
// frame display is on.
TEST_F(ViewerCommandsTest, HomeEndAndTheRefusedStepNotice)
{
    CPlexoApp& app = Start({DemoFilm(), "/A=4"});
    CMainFrame& frame = Frame();
    CPlexoView& view = *frame.view();
    QTest::keyClick(&frame, Qt::Key_End);
    EXPECT_EQ(Position(app), 20);
    QTest::keyClick(&frame, Qt::Key_Right);
    EXPECT_EQ(Position(app), 20);
    EXPECT_TRUE(view.notice().isEmpty());
    QTest::keyClick(&frame, Qt::Key_I);
    ASSERT_TRUE(view.frameDisplayShown());
    QTest::keyClick(&frame, Qt::Key_Right);
    EXPECT_TRUE(view.notice().contains(QStringLiteral("partner"))) << view.notice().toStdString();
    QTest::keyClick(&frame, Qt::Key_Home);
    EXPECT_EQ(Position(app), 1);
    QTest::keyClick(&frame, Qt::Key_Left);
    EXPECT_EQ(Position(app), 1);
    QTest::keyClick(&frame, Qt::Key_K);
    EXPECT_TRUE(frame.state.playing);
    QTest::keyClick(&frame, Qt::Key_K);
    EXPECT_FALSE(frame.state.playing);
}

TEST_F(ViewerCommandsTest, FullScreenHidesBarsAndEscLeavesWithStereo)
{
    Start({DemoFilm(), "/stereo"});
    CMainFrame& frame = Frame();
    ASSERT_TRUE(frame.state.stereo);
    QTest::keyClick(&frame, Qt::Key_F11);
    EXPECT_TRUE(frame.viewer().fullScreen());
    EXPECT_TRUE(frame.menuBar()->isHidden());
    EXPECT_TRUE(frame.toolBar()->isHidden());
    QTest::keyClick(&frame, Qt::Key_Escape);
    EXPECT_FALSE(frame.viewer().fullScreen());
    EXPECT_FALSE(frame.state.stereo);
    EXPECT_FALSE(frame.menuBar()->isHidden());
    EXPECT_FALSE(frame.toolBar()->isHidden());
}

void Drop(CMainFrame& frame, const std::string& path, Qt::KeyboardModifiers modifiers)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at(frame.width() / 2, frame.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(&frame, &enter);
    ASSERT_TRUE(enter.isAccepted()) << path;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(&frame, &drop);
}

TEST_F(ViewerCommandsTest, DroppedFilmsLoadAndShiftAdds)
{
    CPlexoApp& app = Start({});
    const std::string bmp = WriteBmpSequence(scratch_, 5, 32, 16);
    Drop(Frame(), DemoFilm(), Qt::NoModifier);
    ASSERT_NE(app.document()->film(), nullptr);
    EXPECT_EQ(app.document()->film()->FrameCount(), 24);
    Drop(Frame(), bmp, Qt::ShiftModifier);
    EXPECT_NE(dynamic_cast<TwoFilms*>(app.document()->film()), nullptr);
    EXPECT_FALSE(app.document()->CanAddFilm());
    // A text file is no film.
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/notes.txt"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Frame(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(Frame().viewer().recentFilms().paths, std::vector<std::string>{DemoFilm()});
}

// The --help and --version texts are the install test's.
TEST(CommandLineExtras, UnknownFlagsAreKeptAndTheKnownOnesStillRead)
{
    EXPECT_EQ(InformationRequested({"film.flm", "/play"}), "");
    const CPlexoCmdInfo info = ParseCommandLine({"film.flm", "-fullscreen", "/Play", "/A=3"});
    EXPECT_EQ(info.unknownFlags, (std::vector<std::string>{"fullscreen", "Play"}));
    EXPECT_EQ(info.options.shift, 3);
}

}  // namespace
}  // namespace plexo::test
