#pragma once
// Shared by the window tests, with the headers most of them need: a demo .flm
// film written once per run, BMP sequences, a fresh settings file and folder
// per test, a started application, and modal dialogs answered from inside
// their own loop.

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/view/plexo_view.h"
#include "app/window/command_ids.h"
#include "app/window/main_frame.h"
#include "app/window/plexo_app.h"
#include "doc/document.h"
#include "support/fake_film.h"
#include "support/temp_dir.h"

namespace plexo::test {

// take0001.bmp .. take<count>.bmp in `dir`, each of its own pattern; returns
// the first one's path.
std::string WriteBmpSequence(const std::filesystem::path& dir, int count, int width, int height);

// Input as the window system delivers it, through the widget's window: a
// window that a modal dialog blocks does not get it.
void UserClick(QWidget* widget);
inline void UserKey(QWidget* widget, Qt::Key key) { QTest::keyClick(widget->window()->windowHandle(), key); }
// The message boxes of `owner` that are shown now.
QList<QMessageBox*> OpenBoxes(QWidget& owner);

class ViewerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The demo film on disk (320 x 240, 24 frames).
    static const std::string& DemoFilm();

    // Starts the application with these parameters and lets posted commands run.
    CPlexoApp& Start(const std::vector<std::string>& parameters);
    CMainFrame& Frame() { return *app_->mainFrame(); }
    // One tick of the play timer, as if its period had passed.
    void Tick() { QMetaObject::invokeMethod(const_cast<QTimer*>(&Frame().playTimer()), "timeout"); }
    // Hands the started application's document an in-memory film.
    FakeFilm& GiveFilm(std::unique_ptr<FakeFilm> film);

    // Runs command `id` and answers the modal dialog it opens once its loop
    // runs. A missing or wrong dialog fails and is closed, so no test hangs.
    template <typename Dialog>
    void Answer(int id, std::function<void(Dialog&)> answer)
    {
        auto answered = std::make_shared<bool>(false);
        QTimer::singleShot(0, [answered, answer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<Dialog*>(modal)) {
                *answered = true;
                return answer(*dialog);
            }
            if (modal)
                modal->close();
        });
        Frame().commands().Action(id)->trigger();
        EXPECT_TRUE(*answered) << Dialog::staticMetaObject.className();
    }

    // What the view shows now, as 0xffRRGGBB pixels.
    QImage ViewPixels() { return Frame().view()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // What the compositors make for the same film state, converted alike, for
    // the view's place on the screen unless another is given.
    QImage ExpectedPixels(bool stereo, PresentationId presentation, QRect place = {});

    TempDir temp_;
    const std::filesystem::path& scratch_ = temp_.path();
    std::unique_ptr<CPlexoApp> app_;
};

}  // namespace plexo::test
