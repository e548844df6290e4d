#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QToolBar>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "app/window/command_ids.h"
#include "app/window/file_dialogs.h"
#include "app/window/timeline.h"
#include "app/window/viewer_commands.h"
#include "film/frame_place.h"
#include "film/two_films.h"
#include "image/dib_bitmap.h"
#include "image/input_file.h"
#include "present/frame_buffer.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using ViewerCommandsTest = ViewerTest;

// A film larger than the view opens fitted, one that fits one to one. The
// scaled frame is centred in black, and is the composed picture resized. A
// view size chosen is kept.
TEST_F(ViewerCommandsTest, FitPaintsThePictureScaledAndCentred)
{
    Start({DemoFilm()});
    CMainFrame& frame = Frame();
    EXPECT_TRUE(frame.commands().IsChecked(kCmdFitLarge));
    frame.resize(220, 200);
    QCoreApplication::processEvents();
    EXPECT_LT(frame.view()->ShownScale(), 1.0);
    for (const QScrollBar* bar : frame.view()->findChildren<QScrollBar*>())
        EXPECT_TRUE(bar->isHidden()) << "nothing to pan";
    frame.resize(900, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame.view()->ShownScale(), 1.0);
    QTest::keyClick(&frame, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(frame.commands().IsChecked(kCmdFitToWindow));
    const QImage shown = ViewPixels();
    const QSize view = frame.view()->size();
    // The 320 x 240 demo fills the view's height.
    const int width = int(std::lround(320.0 * view.height() / 240));
    const int left = (view.width() - width) / 2;
    EXPECT_EQ(shown.pixel(left / 2, view.height() / 2), qRgb(0, 0, 0));

    // Zooming from fit goes to the next step above it and back to one to one.
    frame.commands().Run(kCmdZoomIn);
    EXPECT_EQ(frame.view()->zoomPercent(), 200);
    QTest::keyClick(&frame, Qt::Key_0, Qt::ControlModifier);
    EXPECT_TRUE(ViewPixels() == ExpectedPixels(false, PresentationId::RedBlue));
    app_.reset();
    Start({});
    EXPECT_TRUE(Frame().commands().IsChecked(kCmdActualSize));
}

// Home and End stop where stepping stops; a refused step says why when the
// frame display is on.
TEST_F(ViewerCommandsTest, HomeEndAndTheRefusedStepNotice)
{
    CPlexoApp& app = Start({DemoFilm(), "/A=4"});
    CMainFrame& frame = Frame();
    for (auto [key, position] : {std::pair{Qt::Key_End, 20}, {Qt::Key_Right, 20}, {Qt::Key_Home, 1}, {Qt::Key_Left, 1},
                                 {Qt::Key_End, 20}}) {
        QTest::keyClick(&frame, key);
        EXPECT_EQ(PlaceOf(*app.document()->film()).position, position) << key;
    }
    EXPECT_TRUE(frame.view()->notice().isEmpty());
    QTest::keyClick(&frame, Qt::Key_I);
    QTest::keyClick(&frame, Qt::Key_Right);
    EXPECT_TRUE(frame.view()->notice().contains("partner")) << frame.view()->notice().toStdString();
    for (bool playing : {true, false}) {
        QTest::keyClick(&frame, Qt::Key_K);
        EXPECT_EQ(frame.state.playing, playing);
    }
}

// Full screen leaves the view alone on the whole screen; Esc leaves it and stereo.
TEST_F(ViewerCommandsTest, FullScreenHidesBarsAndEscLeavesWithStereo)
{
    Start({DemoFilm(), "/stereo"});
    CMainFrame& frame = Frame();
    ASSERT_TRUE(frame.state.stereo);
    for (Qt::Key key : {Qt::Key_F11, Qt::Key_Escape}) {
        QTest::keyClick(&frame, key);
        const bool full = key == Qt::Key_F11;
        EXPECT_EQ(frame.viewer().fullScreen(), full);
        EXPECT_EQ(frame.menuBar()->isHidden(), full);
        EXPECT_EQ(frame.toolBar()->isHidden(), full);
        EXPECT_EQ(frame.timeline()->isHidden(), full);
        EXPECT_EQ(frame.findChild<QSlider*>("volume")->isHidden(), full);
        QCoreApplication::processEvents();
        EXPECT_EQ(QRect(frame.view()->mapToGlobal(QPoint()), frame.view()->size()) == frame.screen()->geometry(), full);
    }
    EXPECT_FALSE(frame.state.stereo);
}

// Drops the file on the frame if it takes the drag, and says whether it did.
bool Drop(CMainFrame& frame, const std::string& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at(frame.width() / 2, frame.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(&frame, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    return enter.isAccepted() && QCoreApplication::sendEvent(&frame, &drop);
}

// The title follows the film shown, both names for a pair.
TEST_F(ViewerCommandsTest, DroppedFilmsLoadShiftAddsAndLayoutReopens)
{
    CPlexoApp& app = Start({});
    EXPECT_FALSE(Drop(Frame(), "/tmp/notes.txt"));
    ASSERT_TRUE(Drop(Frame(), DemoFilm()));
    ASSERT_NE(app.document()->film(), nullptr);
    ASSERT_TRUE(Drop(Frame(), WriteBmpSequence(scratch_, 5, 32, 16), Qt::ShiftModifier));
    EXPECT_NE(dynamic_cast<TwoFilms*>(app.document()->film()), nullptr);
    EXPECT_EQ(Frame().viewer().recentFilms().paths, std::vector<std::string>{DemoFilm()});
    EXPECT_EQ(Frame().windowTitle(), "demo.flm + take0001.bmp - Plexo");
    ASSERT_TRUE(Drop(Frame(), (scratch_ / "take0003.bmp").string()));
    EXPECT_EQ(Frame().windowTitle(), "take0003.bmp - Plexo");
    // A file that gives no film leaves the film shown and its title.
    ASSERT_TRUE(Drop(Frame(), (scratch_ / "gone.flm").string()));
    EXPECT_EQ(Frame().windowTitle(), "take0003.bmp - Plexo");

    // View > Layout opens the film again with the choice at the same frame; the
    // choice is kept beside the film in "Recent" and taken at its next open.
    const std::string first = WriteBmpSequence(scratch_, 3, 32, 16);
    ASSERT_TRUE(Drop(Frame(), first));
    app.document()->film()->Seek(1);
    const int rightFirst = kCmdLayoutFirst + 3;
    Frame().commands().Action(rightFirst)->trigger();
    const Film* film = app.document()->film();
    EXPECT_EQ(std::tuple(film->Eyes(), film->Position(), LayoutText(film->Layout())),
              std::tuple(2, 1, std::string("side-by-side right-first (user)")));
    EXPECT_TRUE(Frame().commands().IsChecked(rightFirst));
    EXPECT_EQ(Frame().viewer().recentFilms().layouts.at(first), "sbs-rl");
    ASSERT_TRUE(Drop(Frame(), DemoFilm()));
    EXPECT_FALSE(Frame().commands().IsChecked(rightFirst));
    ASSERT_TRUE(Drop(Frame(), first));
    EXPECT_EQ(app.document()->film()->Eyes(), 2);
    Frame().commands().Action(kCmdLayoutFirst)->trigger();
    EXPECT_EQ(app.document()->film()->Eyes(), 1);
    // A half layout's eye is stretched back to twice its stored width.
    Frame().commands().Action(kCmdLayoutFirst + 6)->trigger();
    EXPECT_EQ(FilmPicture(*app.document()->film(), Eye::Current, Tone::Colour).width, 32);
    EXPECT_EQ(Frame().view()->PictureSize(), QSize(32, 16));
}

// A turn of the wheel over the view; true when the view took it.
bool Wheel(CPlexoView& view, QPointF at, int turn, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent event(at, view.mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &event);
    return event.isAccepted();
}

// The shown frame is saved without its padding columns, through the same
// choice of format as Save As; a name no format writes saves nothing.
TEST_F(ViewerCommandsTest, SaveShownFrameDropsThePaddingColumns)
{
    FrameBuffer frame;
    ASSERT_TRUE(frame.Prepare(5, 2));
    ASSERT_GT(frame.width(), frame.viewWidth());
    FrameView view = frame.view();
    for (int y = 0; y < view.height; ++y)
        for (size_t x = 0; x < size_t(view.width) * 3; ++x)
            view.row(y)[x] = uint8_t(y * 100 + x);
    const std::string saved = (scratch_ / "shown.bmp").string();
    ASSERT_TRUE(SaveShownFrame(frame, saved));
    std::optional<InputFile> file = InputFile::Open(saved);
    ASSERT_TRUE(file);
    CDIBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(*file));
    ASSERT_EQ(QSize(bitmap.Width(), bitmap.Height()), QSize(5, 2));
    for (int y = 0; y < 2; ++y) {
        // The frame keeps its rows bottom row first, as the file does.
        const uint8_t* stored = bitmap.Bits() + y * bitmap.RowBytes();
        EXPECT_TRUE(std::equal(stored, stored + 15, view.row(y))) << y;
    }
    EXPECT_FALSE(SaveShownFrame(frame, (scratch_ / "shown.txt").string()));
}

// A picture larger than the view starts cropped about its centre, follows a
// drag, and Ctrl+wheel zooms about the pointer; the wheel alone steps instead.
TEST_F(ViewerCommandsTest, LargePicturesPanAndZoomAboutThePointer)
{
    Start({});
    Frame().resize(400, 400);
    Frame().commands().Run(kCmdActualSize);
    Frame().viewer().OpenPath(QString::fromStdString(WriteBmpSequence(scratch_, 1, 700, 600)), false);
    CPlexoView& view = *Frame().view();
    ViewPixels();  // the bars follow the picture painted
    const QScrollBar& across = *view.horizontalBar();
    const QScrollBar& down = *view.verticalBar();
    const QImage whole = ExpectedPixels(false, PresentationId::Plain, QRect(0, 0, 700, 600));
    const QRect clear(0, 0, view.width() - down.width(), view.height() - across.height());
    const auto shows = [&](QPoint scroll) { return ViewPixels().copy(clear) == whole.copy(clear.translated(scroll)); };
    const QPoint centre(across.maximum() / 2, down.maximum() / 2);
    EXPECT_TRUE(shows(centre));
    const QPoint grip = view.mapTo(&Frame(), QPoint(100, 100)), moved = grip + QPoint(30, 20);
    QTest::mousePress(Frame().windowHandle(), Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(Frame().windowHandle(), moved);
    QTest::mouseRelease(Frame().windowHandle(), Qt::LeftButton, Qt::NoModifier, moved);
    EXPECT_TRUE(shows(centre - QPoint(30, 20)));

    // The picture pixel under the pointer.
    const QPointF at(120, 90);
    const auto under = [&] { const QRectF r = view.PictureTarget(); return (at - r.topLeft()) / r.width() * 700; };
    const QPointF before = under();
    EXPECT_TRUE(Wheel(view, at, 120, Qt::ControlModifier));
    EXPECT_EQ(view.zoomPercent(), 150);
    EXPECT_LT((under() - before).manhattanLength(), 2) << "picture pixels apart";
    EXPECT_FALSE(Wheel(view, at, 120, Qt::NoModifier));
}

using SaveAsDialog = ViewerTest;

// Typed as a user would: a type from the list, then the name and Enter.
TEST_F(SaveAsDialog, AppendsTheChosenTypesExtension)
{
    for (const auto& [down, typed, saved] :
         {std::tuple{false, "shot", "shot.bmp"}, {true, "shot", "shot.jpg"}, {true, "shot.bmp", "shot.bmp"}}) {
        QTimer::singleShot(0, [down, typed] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (down)
                QTest::keyClick(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
            QTest::keyClicks(name, typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        EXPECT_EQ(QFileInfo(RunFileDialog(nullptr, SaveAsRequest())).fileName(), saved) << typed << down;
    }
}

}  // namespace
}  // namespace plexo::test
