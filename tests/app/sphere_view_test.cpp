#include <QWheelEvent>

#include "app/window/viewer_commands.h"
#include "doc/film_memory.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

class SphereViewTest : public ViewerTest {};

// A spherical film is looked into: each eye is a view of the view's size,
// the drag turns the camera instead of panning, the keypad's keys and
// Ctrl+wheel turn and widen it, Reset View puts it back, and the film's
// record keeps it.
TEST_F(SphereViewTest, TheCameraTurnsAndIsKept)
{
    QImage eyes(512, 128, QImage::Format_RGB888);
    for (int y = 0; y < eyes.height(); ++y)
        for (int x = 0; x < eyes.width(); ++x)
            eyes.setPixelColor(x, y, QColor(x % 256, y * 2, (x * 7 + y * 3) % 256));
    const QString path = QString::fromStdString((scratch_ / "room_360_LR.png").string());
    ASSERT_TRUE(eyes.save(path));
    Start({});
    Frame().resize(400, 300);
    ASSERT_TRUE(Frame().viewer().OpenPath(path, false));
    CPlexoView& view = *Frame().view();
    const CPlexoDoc& doc = *app_->document();
    EXPECT_EQ(doc.projection().projection.kind, ProjectionKind::Equirect);
    const qreal ratio = view.devicePixelRatioF();
    EXPECT_EQ(view.PictureSize(), QSize(int(view.width() * ratio), int(view.height() * ratio)));
    const QImage before = ViewPixels();

    const QPoint grip = view.mapTo(&Frame(), QPoint(100, 100)), moved = grip + QPoint(40, -20);
    QTest::mousePress(Frame().windowHandle(), Qt::LeftButton, Qt::NoModifier, grip);
    QTest::mouseMove(Frame().windowHandle(), moved);
    QTest::mouseRelease(Frame().windowHandle(), Qt::LeftButton, Qt::NoModifier, moved);
    const double perPixel = 90.0 / view.width();
    EXPECT_NEAR(doc.sphereCamera().yaw, -40 * perPixel, 0.01);
    EXPECT_NEAR(doc.sphereCamera().pitch, -20 * perPixel, 0.01);
    EXPECT_NE(ViewPixels(), before);

    QTest::keyClick(Frame().windowHandle(), Qt::Key_8, Qt::KeypadModifier);
    EXPECT_NEAR(doc.sphereCamera().pitch, 10 - 20 * perPixel, 0.01);
    QWheelEvent wheel(QPointF(50, 50), view.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &wheel);
    EXPECT_EQ(doc.sphereCamera().fov, 85);
    EXPECT_EQ(view.zoomPercent(), 100);
    const auto kept = RecallFilm(FilmKey({path.toStdString()})).Text("view");
    ASSERT_TRUE(kept);
    EXPECT_EQ(ParseSphereCamera(*kept), doc.sphereCamera());

    Frame().commands().Run(kCmdResetView);
    EXPECT_EQ(doc.sphereCamera(), SphereCamera{});
    EXPECT_EQ(ViewPixels(), before);
    // Flat by choice: the stored eye is shown as it is.
    Frame().commands().Run(kCmdProjectionFirst + 1);
    EXPECT_EQ(view.PictureSize(), QSize(256, 128));
}

}  // namespace
}  // namespace plexo::test
