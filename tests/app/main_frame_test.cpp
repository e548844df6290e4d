#include <QAbstractButton>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWheelEvent>

#include <cmath>
#include <map>
#include <set>

#include "app/dialogs/about_dlg.h"
#include "app/dialogs/trans_pnl.h"
#include "app/window/command_ids.h"
#include "doc/open_failure.h"
#include "doc/play_period.h"
#include "platform/log.h"
#include "present/compositor.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using MainFrame = ViewerTest;

bool AllBlack(const QImage& image)
{
    QImage black(image.size(), image.format());
    black.fill(Qt::black);
    return image == black;
}

// Ctrl+S and Add are in here too: Save must never touch the film file, and
// only a film that Load built can take a second one.
TEST_F(MainFrame, EnablingRulesWithAndWithoutFilm)
{
    CMainFrame& frame = *Start({}).mainFrame();
    CommandTable& t = frame.commands();
    const int film[] = {kCmdPlay,   kCmdForward,    kCmdBack,      kCmdStereo,     kCmdSettings,
                        kCmdSaveAs, kCmdFirstCadre, kCmdLastCadre, kCmdSaveViewAs, kCmdAdd};
    frame.chooseFile = [](QWidget*, const FileRequest&) { return QString::fromStdString(DemoFilm()); };
    for (bool loaded : {false, true}) {
        if (loaded)
            QTest::keyClick(&frame, Qt::Key_L, Qt::ControlModifier);
        for (int id : film)
            EXPECT_EQ(t.Action(id)->isEnabled(), loaded) << id;
        EXPECT_EQ(AllBlack(ViewPixels()), !loaded);
    }
    t.Action(kCmdAdd)->trigger();
    EXPECT_FALSE(t.IsEnabled(kCmdAdd));
    const std::vector<uint8_t> bytes = ReadBytes(DemoFilm());
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(DemoFilm()), bytes);
    t.Run(kCmdPlay);
    EXPECT_FALSE(t.Action(kCmdSettings)->isEnabled());

    // Translate, opened through its command like About, releases the film.
    Answer<CAboutDlg>(kCmdAbout, [](CAboutDlg& dialog) { dialog.accept(); });
    Answer<TransPnl>(kCmdTranslate, [this](TransPnl& dialog) {
        EXPECT_EQ(app_->document()->film(), nullptr);
        dialog.reject();
    });
    for (int id : film)
        EXPECT_FALSE(t.Action(id)->isEnabled()) << id;
}

// Alt and a letter reach one item of a menu: no two items of the menu bar or
// of any menu under it share a mnemonic.
TEST_F(MainFrame, NoTwoItemsOfAMenuShareAMnemonic)
{
    Start({});
    std::vector<QWidget*> menus{Frame().menuBar()};
    while (!menus.empty()) {
        const QWidget* menu = menus.back();
        menus.pop_back();
        std::map<int, QString> taken;
        for (const QAction* action : menu->actions()) {
            if (action->menu())
                menus.push_back(action->menu());
            const QKeySequence mnemonic = QKeySequence::mnemonic(action->text());
            if (mnemonic.isEmpty())
                continue;
            const auto [first, fresh] = taken.emplace(mnemonic[0].toCombined(), action->text());
            EXPECT_TRUE(fresh) << action->text().toStdString() << " and " << first->second.toStdString();
        }
    }
}

struct StartupCase {
    const char* film;  // "demo", a file that is missing, or none
    std::vector<std::string> flags;
    bool playing, stereo;
};

class Startup : public ViewerTest, public testing::WithParamInterface<StartupCase> {};

// Play and stereo are posted only for a named file that gives a film; a bad
// one is named in a message, and the next film opened does not start playing
// by itself. That the other options wait for that film, and every open path
// says so once, is the document tests' own.
TEST_P(Startup, PostsPlayAndStereoOnlyForANamedFilm)
{
    const StartupCase& c = GetParam();
    const std::string film = c.film == std::string("demo") ? DemoFilm() : (scratch_ / c.film).string();
    std::vector<std::string> parameters = c.flags;
    if (*c.film)
        parameters.insert(parameters.begin(), film);
    CPlexoApp& app = Start(parameters);
    CMainFrame& frame = *app.mainFrame();
    EXPECT_EQ(frame.playTimer().isActive(), c.playing);
    EXPECT_EQ(frame.commands().Action(kCmdStereo)->isChecked(), c.stereo);
    const bool bad = *c.film && film != DemoFilm();
    std::vector<std::string> shown;
    for (QMessageBox* box : OpenBoxes(frame))
        shown.push_back(box->text().toStdString());
    EXPECT_EQ(shown, bad ? std::vector<std::string>{OpenFailureMessage(film)} : std::vector<std::string>{});
    if (!bad)
        return;
    // The box has the keyboard until the user goes back to the window.
    frame.activateWindow();
    QCoreApplication::processEvents();
    frame.chooseFile = [](QWidget*, const FileRequest&) { return QString::fromStdString(DemoFilm()); };
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_NE(app.document()->film(), nullptr);
    EXPECT_FALSE(frame.state.playing || frame.state.stereo);
}

INSTANTIATE_TEST_SUITE_P(Flags, Startup,
                         testing::Values(StartupCase{"demo", {"-stereo"}, false, true},
                                         StartupCase{"demo", {"-play"}, true, false},
                                         StartupCase{"", {"/play", "/stereo"}, false, false},
                                         StartupCase{"missing.flm", {"/play", "/stereo"}, false, false}));

TEST(PlayPeriod, IsTheRatesPeriodAndIdleWithoutAUsableRate)
{
    const std::pair<double, int> periods[] = {{15, 66}, {3, 333}, {2000, 1}, {0, kIdlePlayPeriodMs},
                                              {-5, kIdlePlayPeriodMs}, {1e-9, kIdlePlayPeriodMs},
                                              {std::nan(""), kIdlePlayPeriodMs}};
    for (auto [rate, period] : periods)
        EXPECT_EQ(PlayPeriodMs(rate), period) << rate;
}

TEST_F(MainFrame, WheelButtonsAndPlaybackStepTheFilm)
{
    CPlexoApp& app = Start({});
    CMainFrame& frame = Frame();
    FakeFilm& film = GiveFilm(FakeFilm::WithFrames(3));
    film.SetRound(true);
    int expected = film.FrameNumber();
    const auto check = [&](int move) {
        expected = (expected + move + 3) % 3;
        EXPECT_EQ(film.FrameNumber(), expected);
        if (move != 0) {
            EXPECT_EQ(app.document()->direction, move > 0 ? 0 : 1);
        }
    };
    // Only a vertical turn steps: a sideways scroll or tilt steps nowhere.
    for (QPoint delta : {QPoint(0, 120), QPoint(120, 0), QPoint(0, 0), QPoint(0, -120), QPoint(-120, 0)}) {
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), delta, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&frame, &event);
        check(delta.y() > 0 ? 1 : delta.y() < 0 ? -1 : 0);
    }
    for (int id : {kCmdForward, kCmdBack}) {
        frame.commands().Action(id)->trigger();
        check(id == kCmdForward ? 1 : -1);
    }

    frame.state.framesPerSecond = 12.5;
    frame.commands().Run(kCmdPlay);
    EXPECT_EQ(frame.playTimer().interval(), 80);
    frame.commands().Run(kCmdExit);
    EXPECT_FALSE(frame.isVisible());
    EXPECT_FALSE(frame.state.playing);
    EXPECT_FALSE(frame.playTimer().isActive());
}

struct PictureCase {
    PresentationId presentation;
    int dist;
    Qt::Key leave;
    Qt::KeyboardModifier modifier;
};

class ViewPicture : public ViewerTest, public testing::WithParamInterface<PictureCase> {};

// Stereo with page flipping needs the flipper driver, which is missing here:
// the command then leaves stereo off. Interlaced lines cannot be scaled.
TEST_P(ViewPicture, PaintsWhatTheCompositorsMakeInAndOutOfStereo)
{
    const PictureCase& c = GetParam();
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = Frame();
    app.document()->setDist(c.dist);
    app.document()->ChoosePresentation(c.presentation);
    frame.commands().Action(kCmdStereo)->trigger();
    frame.commands().Run(kCmdForward);
    const bool stereo = c.presentation != PresentationId::PageFlip;
    EXPECT_EQ(frame.state.stereo, stereo);
    EXPECT_EQ(frame.commands().Action(kCmdStereo)->isChecked(), stereo);
    for (int id : {kCmdActualSize, kCmdFitToWindow, kCmdZoomIn, kCmdZoomOut})
        EXPECT_EQ(frame.commands().IsEnabled(id), !stereo || c.presentation != PresentationId::Interlaced) << id;
    const QImage shown = ViewPixels();
    EXPECT_TRUE(shown == ExpectedPixels(stereo, c.presentation));
    EXPECT_FALSE(AllBlack(shown));
    // Leaving stereo, also when it is already off, shows the plain picture.
    for (int twice = 0; twice < 2; ++twice) {
        QTest::keyClick(&frame, c.leave, c.modifier);
        EXPECT_FALSE(frame.state.stereo);
    }
    EXPECT_TRUE(frame.commands().IsEnabled(kCmdFitToWindow));
    EXPECT_TRUE(ViewPixels() == ExpectedPixels(false, c.presentation));
}

INSTANTIATE_TEST_SUITE_P(
    Presentations, ViewPicture,
    testing::Values(PictureCase{PresentationId::RedBlue, 21, Qt::Key_Space, Qt::NoModifier},
                    PictureCase{PresentationId::RedBlue, -7, Qt::Key_E, Qt::ControlModifier},
                    PictureCase{PresentationId::Interlaced, 21, Qt::Key_Escape, Qt::NoModifier},
                    PictureCase{PresentationId::PageFlip, 21, Qt::Key_Escape, Qt::NoModifier}));

// The film's files go away while it plays in "File" mode: every frame is read
// again and fails, so the view turns black while the ticks go on. The open
// film keeps a deleted file's data; a file cut short has none.
TEST_F(MainFrame, VanishingFilmPlaysOnInBlack)
{
    for (bool sequence : {true, false}) {
        const std::filesystem::path dir = scratch_ / (sequence ? "bmp" : "flm");
        std::filesystem::create_directories(dir);
        const std::string flm = (dir / "copy.flm").string();
        if (!sequence)
            std::filesystem::copy_file(DemoFilm(), flm);
        const QString source = QString::fromStdString(sequence ? WriteBmpSequence(dir, 6, 64, 48) : flm);
        CPlexoApp& app = Start({});
        Frame().chooseFile = [source](QWidget*, const FileRequest&) { return source; };
        Frame().commands().Run(kCmdLoad);
        Film* film = app.document()->film();
        ASSERT_NE(film, nullptr);
        app.document()->setReading(CPlexoDoc::Reading::File);
        Frame().commands().Run(kCmdPlay);
        Tick();
        EXPECT_FALSE(AllBlack(ViewPixels()));

        sequence ? void(std::filesystem::remove_all(dir)) : std::filesystem::resize_file(flm, 0);
        std::set<int> seen;
        for (int i = 0; i < 6; ++i) {
            Tick();
            seen.insert(film->FrameNumber());
            EXPECT_TRUE(AllBlack(ViewPixels())) << sequence << i;
        }
        EXPECT_GT(seen.size(), 1u) << sequence;
        EXPECT_TRUE(Frame().state.playing);
    }
}

// A damaged frame in a playing film: its box blocks nothing, so one click on
// Play stops playback; after OK the film plays on past it, black, without
// another box.
TEST_F(MainFrame, ADamagedFrameRaisesOneBoxAndPlayStaysOneClickAway)
{
    const QString first = QString::fromStdString(WriteBmpSequence(scratch_, 10, 32, 24));
    WriteBytes((scratch_ / "take0005.bmp").string(), {'B', 'M'});
    CPlexoApp& app = Start({});
    CMainFrame& frame = Frame();
    frame.chooseFile = [first](QWidget*, const FileRequest&) { return first; };
    frame.commands().Run(kCmdLoad);
    frame.commands().Run(kCmdStereo);
    frame.state.framesPerSecond = 0;  // the ticks are the test's
    QWidget* play = frame.toolBar()->widgetForAction(frame.commands().Action(kCmdPlay));
    UserClick(play);
    while (app.document()->film()->FrameNumber() != 5)
        Tick();
    ViewPixels();
    ASSERT_EQ(OpenBoxes(frame).size(), 1);
    UserClick(play);
    EXPECT_FALSE(frame.state.playing);
    QMessageBox* box = OpenBoxes(frame).front();
    EXPECT_EQ(box->text(), "Error reading file header: " + QString::fromStdString((scratch_ / "take0005.bmp").string()));
    UserClick(box->button(QMessageBox::Ok));

    UserClick(play);
    for (int i = 0; i < 30; ++i) {
        Tick();
        ViewPixels();
    }
    EXPECT_TRUE(OpenBoxes(frame).isEmpty());
    EXPECT_TRUE(frame.state.playing);
    EXPECT_EQ(platform::LogText(), "\r\nError reading file header: " + (scratch_ / "take0005.bmp").string());
}

}  // namespace
}  // namespace plexo::test
