#include "viewer_fixture.h"

#include <QDir>

#include <cstdlib>

#include "convert/demo_film.h"
#include "platform/log.h"
#include "platform/profile.h"
#include "present/compositor.h"
#include "support/fixtures.h"

namespace plexo::test {

std::string WriteBmpSequence(const std::filesystem::path& dir, int count, int width, int height)
{
    for (int i = 1; i <= count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "take%04d.bmp", i);
        BmpLayout layout{.width = width, .height = height};
        layout.pixels = PatternPixels(width, height, 3, i);
        WriteBytes((dir / name).string(), MakeBmpBytes(layout));
    }
    return (dir / "take0001.bmp").string();
}

void UserClick(QWidget* widget)
{
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(window, widget->rect().center()));
}

QList<QMessageBox*> OpenBoxes(QWidget& owner)
{
    QList<QMessageBox*> open = owner.findChildren<QMessageBox*>();
    open.removeIf([](QMessageBox* box) { return !box->isVisible(); });
    return open;
}

void ViewerTest::SetUp()
{
    // A fresh settings file, and nothing that an earlier test read kept in
    // memory, so a case passes alike alone or after others.
    platform::SetSettingsFilePath("");
    std::filesystem::remove(platform::SettingsFilePath());
    platform::ClearLog();
    QDir::setCurrent(QString::fromStdString(scratch_.string()));
}

void ViewerTest::TearDown()
{
    app_.reset();
    platform::ClearLog();
    QDir::setCurrent(QDir::tempPath());
}

const std::string& ViewerTest::DemoFilm()
{
    // In the run's scratch folder, which main() removes at the end.
    static const std::string path = std::string(std::getenv("XDG_CONFIG_HOME")) + "/demo.flm";
    static const bool written = WriteDemoFilm(path);
    EXPECT_TRUE(written);
    return path;
}

CPlexoApp& ViewerTest::Start(const std::vector<std::string>& parameters)
{
    app_ = std::make_unique<CPlexoApp>(parameters);
    app_->InitInstance();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    return *app_;
}

FakeFilm& ViewerTest::GiveFilm(std::unique_ptr<FakeFilm> film)
{
    FakeFilm& kept = *film;
    app_->document()->SetFilm(std::move(film));
    Frame().UpdateCommands();
    return kept;
}

QImage ViewerTest::ExpectedPixels(bool stereo, PresentationId presentation, QRect place)
{
    if (place.isNull())
        place = QRect(Frame().view()->mapToGlobal(QPoint(0, 0)), Frame().view()->size());
    const ViewRect rect{place.left(), place.top(), place.right() + 1, place.bottom() + 1};
    FrameBuffer frame;
    EXPECT_TRUE(ComposeFrame(app_->document()->film(), app_->document()->stereo().adjust, rect, ShownPresentation(stereo, presentation), frame));
    // Blue, green, red and bottom row first, as wide as the rectangle or wider.
    const QImage bottomUp(frame.bytes(), frame.width(), frame.height(), qsizetype(frame.stride()),
                          QImage::Format_BGR888);
    return bottomUp.mirrored().copy(QRect(QPoint(), place.size())).convertToFormat(QImage::Format_RGB32);
}

}  // namespace plexo::test
