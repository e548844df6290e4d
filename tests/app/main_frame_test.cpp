#include <QAction>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/plexo_view.h"
#include "doc/document.h"
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

bool AllBlack(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(0, 0, 0))
                return false;
    return true;
}

TEST_F(MainFrame, EnablingRulesWithAndWithoutFilm)
{
    CMainFrame& frame = *Start({}).mainFrame();
    CommandTable& t = frame.commands();
    const std::vector<int> always = {kCmdLoad, kCmdExit, kCmdTranslate, kCmdAbout, kCmdLeaveStereo,
                                     kCmdFileNew, kCmdFileOpen, kCmdFilePrint, kCmdViewToolbar};
    const std::vector<int> film = {kCmdPlay, kCmdForward, kCmdBack, kCmdStereo, kCmdSettings,
                                   kCmdSaveAs, kCmdFileSaveAs};
    const std::vector<int> never = {kCmdEditUndo, kCmdEditCut, kCmdEditCopy, kCmdEditPaste, kCmdViewStatusBar,
                                    kCmdFileSave, kCmdScreen, kCmdCtrlEsc};
    for (int id : always)
        EXPECT_TRUE(t.IsEnabled(id)) << id;
    for (int id : film)
        EXPECT_FALSE(t.Action(id)->isEnabled()) << id;
    EXPECT_TRUE(AllBlack(ViewPixels()));

    GiveFilm(FakeFilm::WithFrames(5));
    for (int id : film)
        EXPECT_TRUE(t.Action(id)->isEnabled()) << id;
    for (int id : never)
        EXPECT_FALSE(t.IsEnabled(id)) << id;
    // Only a film that Load built can take a second one.
    EXPECT_FALSE(t.IsEnabled(kCmdAdd));
    t.Run(kCmdPlay);
    EXPECT_TRUE(t.Action(kCmdPlay)->isChecked());
    EXPECT_FALSE(t.Action(kCmdSettings)->isEnabled());
}

struct StartupCase {
    std::vector<std::string> flags;
    bool withFilm;
    bool playing, stereo;
};

class Startup : public ViewerTest, public testing::WithParamInterface<StartupCase> {};

TEST_P(Startup, PlayAndStereoArePostedOnlyWithAFilm)
{
    std::vector<std::string> parameters = GetParam().flags;
    if (GetParam().withFilm)
        parameters.insert(parameters.begin(), DemoFilm());
    CMainFrame& frame = *Start(parameters).mainFrame();
    EXPECT_EQ(frame.state.playing, GetParam().playing);
    EXPECT_EQ(frame.playTimer().isActive(), GetParam().playing);
    EXPECT_EQ(frame.state.stereo, GetParam().stereo);
    EXPECT_EQ(frame.commands().Action(kCmdStereo)->isChecked(), GetParam().stereo);
}

INSTANTIATE_TEST_SUITE_P(Flags, Startup,
                         testing::Values(StartupCase{{"/play", "-stereo"}, true, true, true},
                                         StartupCase{{"-stereo"}, true, false, true},
                                         StartupCase{{"-play"}, true, true, false},
                                         StartupCase{{"/play", "/stereo"}, false, false, false}));

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
        frame.view()->repaint();

        // Ctrl+O then opens a good film, which takes the waiting options.
        frame.chooseFile = [](QWidget*, const FileRequest&) { return QString::fromStdString(DemoFilm()); };
        QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
        ASSERT_NE(app.document()->film(), nullptr) << name;
        EXPECT_EQ(app.document()->Shift, 7) << name;
        EXPECT_TRUE(app.cmdInfo.options.done) << name;
        Stop();
    }
}

TEST_F(MainFrame, PlayFixesThePeriodOfTheRateAtStartAndCloseStopsIt)
{
    CMainFrame& frame = *Start({}).mainFrame();
    GiveFilm(FakeFilm::WithFrames(5));
    frame.state.framesPerSecond = 12.5;
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 80);
    frame.state.framesPerSecond = 0;
    EXPECT_EQ(frame.playTimer().interval(), 80);
    frame.commands().Run(kCmdPlay);
    EXPECT_FALSE(frame.playTimer().isActive());
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 0xFFFFFF);

    frame.commands().Run(kCmdExit);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(frame.state.playing);
    EXPECT_FALSE(frame.playTimer().isActive());
}

TEST_F(MainFrame, PlaybackBouncesAtTheEndOfAFilmThatDoesNotLoop)
{
    CMainFrame& frame = *Start({}).mainFrame();
    FakeFilm& film = GiveFilm(FakeFilm::WithFrames(3));
    film.SetRound(false);
    frame.state.framesPerSecond = 1000;
    frame.commands().Run(kCmdPlay);
    // 0 1 2 1 0 1 ...: the far end reached, then the start again, never
    // beyond either end.
    bool reachedEnd = false, cameBack = false;
    for (int i = 0; i < 2000 && !cameBack; ++i) {
        QTest::qWait(1);
        const int number = film.FrameNumber();
        ASSERT_TRUE(number >= 0 && number <= 2) << number;
        reachedEnd = reachedEnd || number == 2;
        cameBack = reachedEnd && number == 0;
    }
    EXPECT_TRUE(cameBack);
}

TEST_F(MainFrame, WheelAndButtonsStepAndSetTheDirection)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    FakeFilm& film = GiveFilm(FakeFilm::WithFrames(10));
    film.SetRound(true);
    const int start = film.FrameNumber();
    Wheel(frame, 120);
    EXPECT_EQ(film.FrameNumber(), start + 1);
    EXPECT_EQ(app.document()->direction, 0);
    // A turn of 0 steps back like a negative one.
    Wheel(frame, 0);
    Wheel(frame, -120);
    EXPECT_EQ(film.FrameNumber(), (start + 9) % 10);
    EXPECT_EQ(app.document()->direction, 1);
    frame.commands().Action(kCmdForward)->trigger();
    frame.commands().Action(kCmdForward)->trigger();
    EXPECT_EQ(film.FrameNumber(), (start + 1) % 10);
    EXPECT_EQ(app.document()->direction, 0);
    frame.commands().Action(kCmdBack)->trigger();
    EXPECT_EQ(film.FrameNumber(), start);
    EXPECT_EQ(app.document()->direction, 1);
}

TEST_F(MainFrame, StereoTogglesForRedBlueAndInterlacedButNotWithoutFlipper)
{
    CMainFrame& frame = *Start({}).mainFrame();
    GiveFilm(FakeFilm::WithFrames(6));
    const std::pair<Qt::Key, Qt::KeyboardModifier> leaveKeys[] = {
        {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Space, Qt::NoModifier}, {Qt::Key_E, Qt::ControlModifier}};
    for (int presentation : {1, 2}) {
        frame.state.presentation = presentation;
        for (auto [key, modifier] : leaveKeys) {
            frame.commands().Action(kCmdStereo)->trigger();
            EXPECT_TRUE(frame.commands().Action(kCmdStereo)->isChecked());
            QTest::keyClick(&frame, key, modifier);
            EXPECT_FALSE(frame.state.stereo);
            // Leaving stereo that is off does nothing.
            QTest::keyClick(&frame, key, modifier);
            EXPECT_FALSE(frame.state.stereo);
        }
    }
    // Page flipping without a flipper driver: stereo stays off, playback goes on.
    frame.state.presentation = 0;
    frame.commands().Run(kCmdPlay);
    frame.commands().Action(kCmdStereo)->trigger();
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
    EXPECT_TRUE(shown == ExpectedPixels(GetParam().stereo, GetParam().presentation));
    EXPECT_FALSE(AllBlack(shown));
}

INSTANTIATE_TEST_SUITE_P(Presentations, ViewPicture,
                         testing::Values(PictureCase{false, 1, 21}, PictureCase{true, 1, 21},
                                         PictureCase{true, 1, -7}, PictureCase{true, 2, 21},
                                         PictureCase{true, 0, 21}));

TEST_F(MainFrame, MovingByOneRowSwapsTheInterlacedEyes)
{
    CMainFrame& frame = *Start({DemoFilm()}).mainFrame();
    frame.state.presentation = 2;
    frame.commands().Run(kCmdStereo);
    const QImage before = ViewPixels();
    frame.move(frame.pos() + QPoint(0, 1));
    Settle();
    const QImage after = ViewPixels();
    EXPECT_TRUE(after == ExpectedPixels(true, 2));
    EXPECT_FALSE(after == before);
}

// The film's files go away while it plays in "File" mode: every frame is read
// again and fails, so the view turns black while the ticks go on.
class VanishingFilm : public ViewerTest, public testing::WithParamInterface<bool> {};

TEST_P(VanishingFilm, PlaysOnInBlack)
{
    const bool sequence = GetParam();
    std::filesystem::create_directories(scratch_ / "film");
    const std::string flm = (scratch_ / "film" / "copy.flm").string();
    if (!sequence)
        std::filesystem::copy_file(DemoFilm(), flm);
    CPlexoApp& app = Start(sequence ? std::vector<std::string>{} : std::vector<std::string>{flm});
    CMainFrame& frame = *app.mainFrame();
    if (sequence) {
        const std::string first = WriteBmpSequence(scratch_ / "film", 6, 64, 48);
        frame.chooseFile = [&](QWidget*, const FileRequest&) { return QString::fromStdString(first); };
        frame.commands().Run(kCmdLoad);
    }
    Film* film = app.document()->film();
    ASSERT_NE(film, nullptr);
    app.document()->Alter = 1;
    frame.state.framesPerSecond = 200;
    frame.commands().Run(kCmdPlay);
    QTest::qWait(30);
    EXPECT_FALSE(AllBlack(ViewPixels()));

    if (sequence) {
        std::filesystem::remove_all(scratch_ / "film");
    } else {
        // The open film keeps a deleted file's data; a file cut short has none.
        std::filesystem::resize_file(flm, 0);
    }
    std::vector<int> seen;
    for (int i = 0; i < 20; ++i) {
        QTest::qWait(10);
        seen.push_back(film->FrameNumber());
        EXPECT_TRUE(AllBlack(ViewPixels())) << i;
    }
    EXPECT_NE(std::count(seen.begin(), seen.end(), seen.front()), int(seen.size()));
    EXPECT_TRUE(frame.state.playing);
}

INSTANTIATE_TEST_SUITE_P(Sources, VanishingFilm, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "BmpSequenceDeleted" : "FlmCutShort");
                         });

TEST_F(MainFrame, CommandLineFilmTakesItsOptionsAndTheSettingsAreWrittenAtTheEnd)
{
    std::filesystem::create_directories(scratch_ / "films");
    CPlexoApp& app = Start({DemoFilm(), "/A=-3"});
    EXPECT_EQ(app.mainFrame()->windowTitle(),
              QString::fromStdString(std::filesystem::path(DemoFilm()).filename().string()) + " - Plexo");
    EXPECT_TRUE(app.cmdInfo.options.done);
    app.mainFrame()->state.framesPerSecond = 12.5;
    app.mainFrame()->state.presentation = 2;
    QDir::setCurrent(QString::fromStdString((scratch_ / "films").string()));
    EXPECT_EQ(Setting("Settings", "Frames/sec"), "<missing>");
    Stop();
    EXPECT_EQ(Setting("Settings", "Frames/sec"), "12.500000");
    EXPECT_EQ(Setting("Settings", "Red-Blue"), "2");
    EXPECT_EQ(std::filesystem::path(Setting("I/O", "Current directory")), scratch_ / "films");
    // The command line's film without "round" turned Round off.
    EXPECT_EQ(Setting("Settings", "Round"), "0");
    EXPECT_EQ(Setting("Settings", "Shift"), "-3");
    EXPECT_EQ(Setting("Settings", "Dist"), "21");

    // The next run starts in the stored directory with the stored values.
    QDir::setCurrent(QDir::tempPath());
    CMainFrame& frame = *Start({}).mainFrame();
    EXPECT_EQ(std::filesystem::current_path(), scratch_ / "films");
    EXPECT_EQ(frame.state.framesPerSecond, 12.5);
    EXPECT_EQ(frame.state.presentation, 2);
}

TEST_F(MainFrame, LoadAddAndSaveAsThroughTheirDialogsNeverTouchTheFilmFile)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = *app.mainFrame();
    QString answer = QString::fromStdString(DemoFilm());
    FileRequest asked;
    frame.chooseFile = [&](QWidget*, const FileRequest& request) {
        asked = request;
        return answer;
    };
    QTest::keyClick(&frame, Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(asked.nameFilters.size(), 4);
    EXPECT_EQ(asked.selectedFilter, 3);
    ASSERT_NE(app.document()->film(), nullptr);
    EXPECT_TRUE(frame.commands().IsEnabled(kCmdAdd));
    frame.commands().Action(kCmdAdd)->trigger();
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdAdd));

    // Ctrl+S never touches the film file; Save As writes the frame.
    const std::vector<uint8_t> film = ReadBytes(DemoFilm());
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(DemoFilm()), film);
    answer = QString::fromStdString((scratch_ / "frame.bmp").string());
    frame.commands().Action(kCmdSaveAs)->trigger();
    EXPECT_TRUE(asked.save);
    const std::vector<uint8_t> bmp = ReadBytes(answer.toStdString());
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp[0], 'B');

}

}  // namespace
}  // namespace plexo::test
