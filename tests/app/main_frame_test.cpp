#include <QAction>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "app/display_panel.h"
#include "app/main_frame.h"
#include "app/plexo_view.h"
#include "app/set_pnl.h"
#include "doc/document.h"
#include "platform/log.h"
#include "present/compositor.h"
#include "support/fake_film.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using MainFrame = ViewerTest;

void Wheel(CMainFrame& frame, int delta)
{
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&frame, &event);
}

TEST_F(MainFrame, WithoutFilmOnlyTheAlwaysCommandsAreEnabled)
{
    CMainFrame& frame = *Start({}).mainFrame();
    EXPECT_EQ(frame.windowTitle(), "Untitled - Plexo");
    EXPECT_EQ(frame.size(), QSize(524, 584));
    CommandTable& t = frame.commands();
    for (int id : {kCmdLoad, kCmdExit, kCmdTranslate, kCmdAbout, kCmdLeaveStereo, kCmdFileNew, kCmdFileOpen,
                   kCmdFilePrint, kCmdViewToolbar})
        EXPECT_TRUE(t.IsEnabled(id)) << id;
    for (int id : {kCmdPlay, kCmdForward, kCmdBack, kCmdStereo, kCmdSettings, kCmdSaveAs, kCmdAdd, kCmdFileSaveAs,
                   kCmdEditUndo, kCmdEditCut, kCmdEditCopy, kCmdEditPaste, kCmdViewStatusBar, kCmdFileSave})
        EXPECT_FALSE(t.IsEnabled(id)) << id;
    // Shown disabled too, and the view is black.
    EXPECT_FALSE(t.Action(kCmdPlay)->isEnabled());
    const QImage black = frame.view()->grab().toImage();
    EXPECT_EQ(black.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(black.pixel(black.width() - 1, black.height() - 1), qRgb(0, 0, 0));
}

TEST_F(MainFrame, MenusAndToolbarHoldTheirItemsInOrder)
{
    CMainFrame& frame = *Start({}).mainFrame();
    QStringList top;
    for (QAction* a : frame.menuBar()->actions())
        top << a->text();
    EXPECT_EQ(top, QStringList({"&File", "&Edit", "&View", "&Translate", "&Screen", "&Help"}));
    QStringList file;
    for (QAction* a : frame.menuBar()->actions()[0]->menu()->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, QStringList({"&Load...\tCtrl+L", "&Add...\tCtrl+A", "Save &As...", "-", "E&xit"}));

    QList<int> buttons;
    for (QAction* a : frame.toolBar()->actions())
        buttons << (a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(buttons, QList<int>({kCmdLoad, 0, kCmdBack, kCmdPlay, kCmdForward, 0, kCmdStereo, kCmdSettings,
                                   kCmdAbout}));
    EXPECT_EQ(frame.toolBar()->iconSize(), QSize(16, 16));
    EXPECT_EQ(frame.commands().Action(kCmdStereo)->toolTip(), "Stereo on\\off");
    EXPECT_EQ(frame.commands().Action(kCmdForward)->statusTip(), "One cadre forward");
}

TEST_F(MainFrame, CommandLineFilmOpensWithOptionsAndPlaysInStereo)
{
    CPlexoApp& app = Start({DemoFilm(), "/play", "-stereo", "/A=-3", "/round"});
    CMainFrame& frame = *app.mainFrame();
    ASSERT_NE(app.document()->film(), nullptr);
    EXPECT_EQ(frame.windowTitle(), QString::fromStdString(std::filesystem::path(DemoFilm()).filename().string())
                                       + " - Plexo");
    EXPECT_TRUE(app.cmdInfo.options.done);
    EXPECT_EQ(app.document()->Shift, -3);
    EXPECT_EQ(app.document()->Round, 1);
    EXPECT_TRUE(frame.state.playing);
    EXPECT_TRUE(frame.playTimer().isActive());
    EXPECT_EQ(frame.playTimer().interval(), 66);
    EXPECT_EQ(frame.playTimer().timerType(), Qt::PreciseTimer);
    EXPECT_TRUE(frame.state.stereo);
    EXPECT_TRUE(frame.commands().Action(kCmdPlay)->isChecked());
    EXPECT_TRUE(frame.commands().Action(kCmdStereo)->isChecked());
    // A film from the open path cannot be extended.
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdAdd));
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdSettings));
}

TEST_F(MainFrame, FlagsWithoutFilmPostNothing)
{
    CMainFrame& frame = *Start({"/play", "/stereo"}).mainFrame();
    EXPECT_FALSE(frame.state.playing);
    EXPECT_FALSE(frame.state.stereo);
}

TEST_F(MainFrame, OnlyStereoFlagPostsOnlyStereo)
{
    CMainFrame& frame = *Start({DemoFilm(), "-stereo"}).mainFrame();
    EXPECT_FALSE(frame.state.playing);
    EXPECT_TRUE(frame.state.stereo);
}

TEST_F(MainFrame, BadCommandLineFilmOpensEmptyAndKeepsOptionsForTheNextOpen)
{
    TempDir dir;
    WriteBytes(dir.file("broken.flm"), {'n', 'o', 't', ' ', 'a', ' ', 'f', 'i', 'l', 'm'});
    for (const std::string& name : {dir.file("broken.flm"), dir.file("missing.flm")}) {
        CPlexoApp& app = Start({name, "/play", "/stereo", "/A=7"});
        CMainFrame& frame = *app.mainFrame();
        EXPECT_EQ(app.document()->film(), nullptr) << name;
        EXPECT_FALSE(app.cmdInfo.options.done) << name;
        // The posted commands run anyway.
        EXPECT_TRUE(frame.state.playing) << name;
        EXPECT_TRUE(frame.state.stereo) << name;
        EXPECT_FALSE(frame.commands().IsEnabled(kCmdPlay)) << name;
        frame.view()->repaint();

        // Ctrl+O then opens a good film, which takes the waiting options.
        frame.chooseFile = [](QWidget*, const FileRequest& request) {
            EXPECT_TRUE(request.nameFilters.isEmpty());
            return QString::fromStdString(DemoFilm());
        };
        QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
        ASSERT_NE(app.document()->film(), nullptr) << name;
        EXPECT_EQ(app.document()->Shift, 7) << name;
        EXPECT_TRUE(app.cmdInfo.options.done) << name;
        EXPECT_TRUE(frame.commands().IsEnabled(kCmdPlay)) << name;
        Stop();
    }
}

TEST_F(MainFrame, PlayUsesThePeriodOfTheRateAtStart)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    app.document()->SetFilm(FakeFilm::WithFrames(5));
    frame.UpdateCommands();
    frame.state.framesPerSecond = 12.5;
    ASSERT_TRUE(frame.commands().Run(kCmdPlay));
    EXPECT_EQ(frame.playTimer().interval(), 80);
    frame.state.framesPerSecond = 0;
    EXPECT_EQ(frame.playTimer().interval(), 80);
    frame.commands().Run(kCmdPlay);
    EXPECT_FALSE(frame.playTimer().isActive());
    EXPECT_FALSE(frame.commands().Action(kCmdPlay)->isChecked());
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 0xFFFFFF);
}

TEST_F(MainFrame, PlaybackBouncesAtTheEndOfAFilmThatDoesNotLoop)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    auto film = FakeFilm::WithFrames(3);
    FakeFilm* raw = film.get();
    app.document()->SetFilm(std::move(film));
    frame.UpdateCommands();
    raw->SetRound(false);
    frame.state.framesPerSecond = 1000;
    frame.commands().Run(kCmdPlay);
    // 0 1 2 1 0 1 ...: the far end reached, then the start again, never
    // beyond either end.
    bool reachedEnd = false, cameBack = false;
    for (int i = 0; i < 2000 && !cameBack; ++i) {
        QTest::qWait(1);
        const int number = raw->FrameNumber();
        ASSERT_TRUE(number >= 0 && number <= 2) << number;
        reachedEnd = reachedEnd || number == 2;
        cameBack = reachedEnd && number == 0;
    }
    frame.commands().Run(kCmdPlay);
    EXPECT_TRUE(cameBack);
}

TEST_F(MainFrame, WheelAndButtonsStepAndSetTheDirection)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    auto film = FakeFilm::WithFrames(10);
    FakeFilm* raw = film.get();
    app.document()->SetFilm(std::move(film));
    frame.UpdateCommands();
    raw->SetRound(true);
    const int start = raw->FrameNumber();
    Wheel(frame, 120);
    EXPECT_EQ(raw->FrameNumber(), start + 1);
    EXPECT_EQ(app.document()->direction, 0);
    Wheel(frame, 0);
    Wheel(frame, -120);
    EXPECT_EQ(raw->FrameNumber(), (start + 9) % 10);
    EXPECT_EQ(app.document()->direction, 1);
    frame.commands().Action(kCmdForward)->trigger();
    frame.commands().Action(kCmdForward)->trigger();
    EXPECT_EQ(raw->FrameNumber(), (start + 1) % 10);
    EXPECT_EQ(app.document()->direction, 0);
    frame.commands().Action(kCmdBack)->trigger();
    EXPECT_EQ(raw->FrameNumber(), start);
    EXPECT_EQ(app.document()->direction, 1);
}

TEST_F(MainFrame, StereoTogglesForRedBlueAndInterlacedButNotWithoutFlipper)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    app.document()->SetFilm(FakeFilm::WithFrames(6));
    frame.UpdateCommands();
    for (int presentation : {1, 2}) {
        frame.state.presentation = presentation;
        frame.commands().Action(kCmdStereo)->trigger();
        EXPECT_TRUE(frame.state.stereo);
        EXPECT_TRUE(frame.commands().Action(kCmdStereo)->isChecked());
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Space, Qt::Key_E}) {
            QTest::keyClick(&frame, key, key == Qt::Key_E ? Qt::ControlModifier : Qt::NoModifier);
            EXPECT_FALSE(frame.state.stereo);
            // Leaving stereo that is off does nothing.
            QTest::keyClick(&frame, key, key == Qt::Key_E ? Qt::ControlModifier : Qt::NoModifier);
            EXPECT_FALSE(frame.state.stereo);
            frame.commands().Run(kCmdStereo);
        }
        frame.commands().Run(kCmdStereo);
        EXPECT_FALSE(frame.state.stereo);
    }
    // Page flipping without a flipper driver: stereo stays off, playback goes on.
    frame.state.presentation = 0;
    frame.commands().Run(kCmdPlay);
    frame.commands().Action(kCmdStereo)->trigger();
    EXPECT_FALSE(frame.state.stereo);
    EXPECT_FALSE(frame.commands().Action(kCmdStereo)->isChecked());
    EXPECT_TRUE(frame.state.playing);
}

struct PictureCase {
    bool stereo;
    int presentation;
    int dist;
};

class ViewPicture : public ViewerTest, public testing::WithParamInterface<PictureCase> {};

TEST_P(ViewPicture, PaintsWhatTheCompositorsMake)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = *app.mainFrame();
    app.document()->Dist = GetParam().dist;
    frame.state.presentation = GetParam().presentation;
    if (GetParam().stereo)
        frame.commands().Run(kCmdStereo);
    frame.commands().Run(kCmdForward);
    const QImage shown = ViewPixels();
    const QImage expected = ExpectedPixels(GetParam().stereo, GetParam().presentation);
    ASSERT_EQ(shown.size(), expected.size());
    EXPECT_TRUE(shown == expected);
    // The picture is really there: not all black.
    EXPECT_NE(shown.pixel(shown.width() / 2, shown.height() / 2), qRgb(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Presentations, ViewPicture,
                         testing::Values(PictureCase{false, 1, 21}, PictureCase{true, 1, 21},
                                         PictureCase{true, 1, -7}, PictureCase{true, 2, 21},
                                         PictureCase{true, 0, 21}));

TEST_F(MainFrame, MovingByOneRowSwapsTheInterlacedEyes)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = *app.mainFrame();
    frame.state.presentation = 2;
    frame.commands().Run(kCmdStereo);
    const QImage before = ViewPixels();
    frame.move(frame.pos() + QPoint(0, 1));
    Settle();
    const QImage after = ViewPixels();
    EXPECT_TRUE(after == ExpectedPixels(true, 2));
    EXPECT_FALSE(after == before);
}

TEST_F(MainFrame, FileModeReleasesPicturesAfterEachDraw)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    auto film = FakeFilm::WithFrames(3, 8, 4);
    std::shared_ptr<std::vector<int>> builds = film->builds;
    app.document()->SetFilm(std::move(film));
    frame.UpdateCommands();
    for (int alter : {0, 1}) {
        app.document()->Alter = alter;
        frame.view()->repaint();
        const int before = (*builds)[0];
        frame.view()->repaint();
        frame.view()->repaint();
        EXPECT_EQ((*builds)[0] - before, alter == 0 ? 0 : 2) << alter;
    }
}

TEST_F(MainFrame, SettingsDialogChangesTheFrameAndIsOffWhilePlaying)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = *app.mainFrame();
    EXPECT_TRUE(frame.commands().IsEnabled(kCmdSettings));
    bool shown = false;
    frame.runSettingsDialog = [&](SetPnl& dialog) {
        shown = true;
        EXPECT_EQ(frame.settingsDialog(), &dialog);
        dialog.values.framesPerSecond = 30;
        return int(QDialog::Accepted);
    };
    frame.commands().Action(kCmdSettings)->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(frame.settingsDialog(), nullptr);
    EXPECT_EQ(frame.state.framesPerSecond, 30);
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 33);
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdSettings));
    EXPECT_FALSE(frame.commands().Action(kCmdSettings)->isEnabled());
}

TEST_F(MainFrame, SettingsAreWrittenAtTheEnd)
{
    std::filesystem::create_directories(scratch_ / "films");
    {
        CPlexoApp& app = Start({DemoFilm()});
        app.mainFrame()->state.framesPerSecond = 12.5;
        app.mainFrame()->state.presentation = 2;
        QDir::setCurrent(QString::fromStdString((scratch_ / "films").string()));
        EXPECT_EQ(Setting("Settings", "Frames/sec"), "<missing>");
        Stop();
    }
    EXPECT_EQ(Setting("Settings", "Frames/sec"), "12.500000");
    EXPECT_EQ(Setting("Settings", "Red-Blue"), "2");
    EXPECT_EQ(std::filesystem::path(Setting("I/O", "Current directory")), scratch_ / "films");
    // The command line's film without "round" turned Round off.
    EXPECT_EQ(Setting("Settings", "Round"), "0");
    EXPECT_EQ(Setting("Settings", "Dist"), "21");

    // The next run starts in the stored directory with the stored values.
    QDir::setCurrent(QDir::tempPath());
    CMainFrame& frame = *Start({}).mainFrame();
    EXPECT_EQ(std::filesystem::current_path(), scratch_ / "films");
    EXPECT_EQ(frame.state.framesPerSecond, 12.5);
    EXPECT_EQ(frame.state.presentation, 2);
}

TEST_F(MainFrame, CloseStopsPlayback)
{
    CPlexoApp& app = Start({DemoFilm(), "/play"});
    CMainFrame& frame = *app.mainFrame();
    ASSERT_TRUE(frame.state.playing);
    frame.commands().Run(kCmdExit);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(frame.state.playing);
    EXPECT_FALSE(frame.playTimer().isActive());
}

TEST_F(MainFrame, LoadAndAddThroughTheirDialog)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    QString answer;
    FileRequest asked;
    frame.chooseFile = [&](QWidget*, const FileRequest& request) {
        asked = request;
        return answer;
    };
    frame.commands().Action(kCmdLoad)->trigger();
    ASSERT_EQ(asked.nameFilters.size(), 4);
    EXPECT_EQ(asked.selectedFilter, 3);
    EXPECT_TRUE(asked.nameFilters[3].startsWith("All supported Files ("));
    EXPECT_TRUE(asked.nameFilters[3].contains("*.flm"));
    EXPECT_EQ(app.document()->film(), nullptr);

    answer = QString::fromStdString(DemoFilm());
    QTest::keyClick(&frame, Qt::Key_L, Qt::ControlModifier);
    ASSERT_NE(app.document()->film(), nullptr);
    EXPECT_TRUE(frame.commands().IsEnabled(kCmdAdd));
    EXPECT_TRUE(frame.commands().IsEnabled(kCmdSaveAs));
    EXPECT_EQ(frame.windowTitle(), "Untitled - Plexo");

    frame.commands().Action(kCmdAdd)->trigger();
    ASSERT_NE(app.document()->film(), nullptr);
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdAdd));

    MessageCapture messages;
    answer = QString::fromStdString((scratch_ / "x.jpeg").string());
    frame.commands().Action(kCmdLoad)->trigger();
    EXPECT_EQ(messages.messages, std::vector<std::string>({"File extension is incompatible"}));
    EXPECT_EQ(app.document()->film(), nullptr);
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdSaveAs));
}

TEST_F(MainFrame, SaveAsWritesTheFrameAndCtrlSNeverTouchesTheFilm)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = *app.mainFrame();
    const std::vector<uint8_t> film = ReadBytes(DemoFilm());
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(DemoFilm()), film);

    FileRequest asked;
    const std::string out = (scratch_ / "frame.bmp").string();
    frame.chooseFile = [&](QWidget*, const FileRequest& request) {
        asked = request;
        return QString::fromStdString(out);
    };
    frame.commands().Action(kCmdSaveAs)->trigger();
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.defaultSuffix, "bmp");
    const std::vector<uint8_t> bmp = ReadBytes(out);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
}

TEST_F(MainFrame, LogMessagesShowInThePanelOwnedByTheFrame)
{
    CPlexoApp& app = Start({});
    LogMessage("start");
    LogMessage("finish");
    Settle();
    Display* panel = app.logPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->parentWidget(), app.mainFrame());
    EXPECT_EQ(panel->text(), "\nstart\nfinish");
    panel->close();
    EXPECT_EQ(platform::LogText(), "");
    LogMessage("again");
    Settle();
    EXPECT_EQ(panel->text(), "\nagain");
}

}  // namespace
}  // namespace plexo::test
