// The three modal dialogs opened through their commands on the real main
// frame; each is answered from inside its own modal loop.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/display_panel.h"
#include "app/main_frame.h"
#include "app/set_pnl.h"
#include "app/trans_pnl.h"
#include "doc/document.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using FrameDialogs = ViewerTest;

// Answers the modal dialog that the next command opens, once its loop runs.
// A missing or wrong dialog fails and is closed, so the test cannot hang.
template <typename Dialog>
void Answer(std::function<void(Dialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (!dialog) {
            ADD_FAILURE() << "no " << Dialog::staticMetaObject.className() << " on the screen";
            if (modal)
                modal->close();
            return;
        }
        answer(*dialog);
    });
}

QPushButton* Button(QWidget& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

TEST_F(FrameDialogs, SettingsOpensOnTheFilmAndOkChangesTheFrame)
{
    CMainFrame& frame = *Start({DemoFilm()}).mainFrame();
    Answer<SetPnl>([&frame](SetPnl& dialog) {
        EXPECT_EQ(frame.settingsDialog(), &dialog);
        // The demo film has 24 frames.
        EXPECT_EQ(dialog.aSlider()->maximum(), 20);
        dialog.framesPerSecondEdit()->setText("30");
        Button(dialog, "OK")->click();
    });
    frame.commands().Action(kCmdSettings)->trigger();
    EXPECT_EQ(frame.settingsDialog(), nullptr);
    EXPECT_EQ(frame.state.framesPerSecond, 30);
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 33);
}

TEST_F(FrameDialogs, TranslateReleasesTheFilmAndItsConversionReportsInThePanel)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = *app.mainFrame();
    const std::string first = WriteBmpSequence(scratch_, 3, 8, 4);
    frame.chooseFile = [&](QWidget*, const FileRequest& request) {
        EXPECT_TRUE(request.nameFilters.value(0).startsWith("BMP files")) << request.nameFilters.value(0).toStdString();
        return QString::fromStdString(first);
    };
    Answer<TransPnl>([&app](TransPnl& dialog) {
        EXPECT_EQ(app.document()->film(), nullptr);
        dialog.directionList()->setCurrentIndex(0);
        dialog.scaleList()->setCurrentIndex(0);
        QSignalSpy finished(&dialog, &TransPnl::conversionFinished);
        dialog.startButton()->click();
        EXPECT_TRUE(finished.wait(60000));
        dialog.cancelButton()->click();
    });
    frame.commands().Action(kCmdTranslate)->trigger();
    Settle();
    EXPECT_EQ(app.document()->film(), nullptr);
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdPlay));
    EXPECT_EQ(app.logPanel()->text(), "\nstart\nOK\nfinish");
    EXPECT_GT(std::filesystem::file_size(scratch_ / "take0.flm"), 0u);
}

TEST_F(FrameDialogs, AboutShowsTheProgramAndClosesWithOk)
{
    CMainFrame& frame = *Start({}).mainFrame();
    bool shown = false;
    Answer<CAboutDlg>([&shown](CAboutDlg& dialog) {
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), "About Plexo");
        EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1);
        Button(dialog, "OK")->click();
    });
    frame.commands().Action(kCmdAbout)->trigger();
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace plexo::test
