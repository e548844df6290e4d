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
#include <memory>

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

// Runs `id` and answers the modal dialog it opens once its loop runs. A
// missing or wrong dialog fails and is closed, so the test cannot hang.
template <typename Dialog>
void Answer(CMainFrame& frame, int id, std::function<void(Dialog&)> answer)
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
    frame.commands().Action(id)->trigger();
    EXPECT_TRUE(*answered) << Dialog::staticMetaObject.className();
}

QPushButton* Button(QWidget& dialog, const QString& text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

TEST_F(FrameDialogs, EachOpensThroughItsCommand)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = *app.mainFrame();
    Answer<CAboutDlg>(frame, kCmdAbout, [](CAboutDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "About Plexo");
        Button(dialog, "OK")->click();
    });

    Answer<SetPnl>(frame, kCmdSettings, [&frame](SetPnl& dialog) {
        EXPECT_EQ(frame.settingsDialog(), &dialog);
        // The demo film has 24 frames.
        EXPECT_EQ(dialog.aSlider()->maximum(), 20);
        dialog.framesPerSecondEdit()->setText("30");
        Button(dialog, "OK")->click();
    });
    EXPECT_EQ(frame.settingsDialog(), nullptr);
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 33);
    frame.commands().Run(kCmdPlay);

    // Translate releases the film, and a real conversion reports in the panel.
    const std::string first = WriteBmpSequence(scratch_, 3, 8, 4);
    frame.chooseFile = [&](QWidget*, const FileRequest&) { return QString::fromStdString(first); };
    Answer<TransPnl>(frame, kCmdTranslate, [&app](TransPnl& dialog) {
        EXPECT_EQ(app.document()->film(), nullptr);
        dialog.directionList()->setCurrentIndex(0);
        dialog.scaleList()->setCurrentIndex(0);
        QSignalSpy finished(&dialog, &TransPnl::conversionFinished);
        dialog.startButton()->click();
        EXPECT_TRUE(finished.wait(60000));
        dialog.cancelButton()->click();
    });
    Settle();
    EXPECT_EQ(app.document()->film(), nullptr);
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdPlay));
    EXPECT_EQ(app.logPanel()->text(), "\nstart\nOK\nfinish");
    EXPECT_GT(std::filesystem::file_size(scratch_ / "take0.flm"), 0u);
}

}  // namespace
}  // namespace plexo::test
