#include <QClipboard>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>

#include "app/dialogs/display_panel.h"
#include "app/dialogs/shortcuts_dlg.h"
#include "app/window/command_ids.h"
#include "app/window/status_fields.h"
#include "app/window/timeline.h"
#include "film/frame_place.h"
#include "film/two_films.h"
#include "app/window/file_dialogs.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using PlayerControls = ViewerTest;

QMenu* MenuNamed(CMainFrame& frame, const QString& title)
{
    for (QAction* action : frame.menuBar()->actions())
        if (action->menu() && action->text().remove('&') == title)
            return action->menu();
    return nullptr;
}

// Ctrl+Q closes the window as File > Exit does.
TEST_F(PlayerControls, CtrlQQuits)
{
    Start({DemoFilm()});
    ASSERT_TRUE(Frame().isVisible());
    QTest::keyClick(&Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Frame().isVisible());
}

// Save View As asks under its own title; Save As keeps the platform's.
TEST_F(PlayerControls, SaveViewAsHasItsOwnTitle)
{
    Start({DemoFilm()});
    QStringList titles;
    Frame().chooseFile = [&titles](QWidget*, const FileRequest& request) {
        titles << request.title;
        return QString();
    };
    Frame().commands().Action(kCmdSaveViewAs)->trigger();
    EXPECT_EQ(titles, QStringList{"Save View As"});
}

// The Film menu speaks of frames.
TEST_F(PlayerControls, FilmMenuSaysFrame)
{
    Start({});
    QMenu* film = MenuNamed(Frame(), "Film");
    ASSERT_NE(film, nullptr);
    for (QAction* action : film->actions()) {
        EXPECT_FALSE(action->text().contains("cadre")) << action->text().toStdString();
    }
    EXPECT_TRUE(Frame().commands().Action(kCmdFirstCadre)->text().startsWith("F&irst frame"));
}

// View > Message Log opens the panel with nothing logged, and again after
// the user closed it.
TEST_F(PlayerControls, MessageLogOpensThePanelAtAnyTime)
{
    CPlexoApp& app = Start({});
    Display& panel = *app.logPanel();
    for (int round = 0; round < 2; ++round) {
        ASSERT_FALSE(panel.isVisible());
        Frame().commands().Action(kCmdMessageLog)->trigger();
        EXPECT_TRUE(panel.isVisible() && panel.created());
        panel.reject();
    }
}

// Space plays and stops with stereo off, and only leaves stereo with it on.
TEST_F(PlayerControls, SpacePlaysAndStopsWithStereoOff)
{
    Start({DemoFilm()});
    CMainFrame& frame = Frame();
    const std::pair<bool, bool> afterEachSpace[] = {{true, false}, {false, false}};
    for (auto [playing, stereo] : afterEachSpace) {
        QTest::keyClick(&frame, Qt::Key_Space);
        EXPECT_EQ(frame.state.playing, playing);
        EXPECT_EQ(frame.state.stereo, stereo);
    }
    frame.commands().Run(kCmdStereo);
    QTest::keyClick(&frame, Qt::Key_Space);
    EXPECT_FALSE(frame.state.stereo || frame.state.playing);
}

// Edit > Copy puts the composed frame, as Save View As writes it, on the
// clipboard; the other Edit items stay disabled.
TEST_F(PlayerControls, CopyPutsTheShownFrameOnTheClipboard)
{
    Start({DemoFilm()});
    CMainFrame& frame = Frame();
    frame.commands().Run(kCmdStereo);
    const QImage expected = ExpectedPixels(true, PresentationId::RedBlue);
    QTest::keyClick(&frame, Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(copied == expected);
    for (int id : {kCmdEditUndo, kCmdEditCut, kCmdEditPaste})
        EXPECT_FALSE(frame.commands().IsEnabled(id)) << id;
}

// The timeline follows stepping, seeks when moved, and hides in full screen;
// First and Last sit on the toolbar beside Back and Forward.
TEST_F(PlayerControls, TimelineFollowsAndSeeksTheFilm)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = Frame();
    Timeline& timeline = *frame.timeline();
    Film& film = *app.document()->film();
    EXPECT_EQ(timeline.maximum(), film.FrameCount() - 1);
    QTest::keyClick(&frame, Qt::Key_End);
    EXPECT_EQ(timeline.value(), film.Position());
    const QImage before = ViewPixels();
    timeline.setValue(5);
    EXPECT_EQ(film.Position(), 5);
    EXPECT_FALSE(ViewPixels() == before);

    QList<QAction*> buttons = frame.toolBar()->actions();
    const auto at = [&](int id) { return buttons.indexOf(frame.commands().Action(id)); };
    EXPECT_EQ(at(kCmdFirstCadre) + 1, at(kCmdBack));
    EXPECT_EQ(at(kCmdForward) + 1, at(kCmdLastCadre));
    frame.commands().Action(kCmdFirstCadre)->trigger();
    EXPECT_EQ(timeline.value(), 0);

    for (bool full : {true, false}) {
        frame.commands().Run(kCmdFullScreen);
        EXPECT_EQ(timeline.isHidden(), full);
    }
    app.document()->ReleaseFilm();
    EXPECT_FALSE(timeline.isEnabled());
}

QStringList StatusShown(CMainFrame& frame)
{
    QStringList shown;
    for (int i = 0; i < 5; ++i) {
        const auto* label = frame.statusBar()->findChild<QLabel*>(QStringLiteral("status%1").arg(i));
        if (label && !label->isHidden())
            shown << label->text();
    }
    return shown;
}

// View > Status Bar shows "Ready", the place, the partner, the zoom and the
// presentation, and keeps its choice for the next run.
TEST_F(PlayerControls, StatusBarShowsWhereTheFilmStands)
{
    Start({DemoFilm(), "/A=4"});
    EXPECT_TRUE(Frame().statusBar()->isHidden());
    Frame().commands().Action(kCmdViewStatusBar)->trigger();
    EXPECT_FALSE(Frame().statusBar()->isHidden());
    QTest::keyClick(&Frame(), Qt::Key_Right);
    QTest::keyClick(&Frame(), Qt::Key_S);
    const FramePlace place = PlaceOf(*app_->document()->film());
    EXPECT_EQ(StatusShown(Frame()),
              (QStringList{QStringLiteral("Frame %1 of 24").arg(place.position),
                           QStringLiteral("Partner %1").arg(place.partnerNumber), "100%",
                           PresentationOf(PresentationId::RedBlue).label}));
    EXPECT_TRUE(Frame().statusBar()->findChild<QLabel*>()->text() == "Ready");

    app_.reset();
    Start({});
    EXPECT_TRUE(Frame().commands().IsChecked(kCmdViewStatusBar));
    EXPECT_TRUE(StatusShown(Frame()).isEmpty());
}

TEST(StatusTexts, TellsTheEyeOffsetAndAVideosTime)
{
    StatusFacts facts;
    facts.place = {.number = 31, .position = 31, .count = 50, .partnerNumber = -1, .shift = 2};
    facts.eyes = 2;
    facts.zoomPercent = 50;
    facts.shown = &PresentationOf(PresentationId::RedBlue);
    facts.frameRate = 25;
    facts.duration = 62.04;
    const QStringList texts = StatusTexts(facts);
    EXPECT_EQ(texts.mid(1, 2), (QStringList{"Eye offset 2", "50%"}));
    EXPECT_EQ(texts.value(4), "0:01.2 / 1:02.0");
}

// Page Down and Page Up walk the folder's films by name, a numbered sequence
// once, and stop at either end; the title follows.
TEST_F(PlayerControls, PageDownAndUpOpenTheFolderNeighbours)
{
    std::filesystem::copy_file(DemoFilm(), scratch_ / "a.flm");
    WriteBmpSequence(scratch_, 3, 16, 8);
    std::filesystem::copy_file(DemoFilm(), scratch_ / "z.flm");
    Start({(scratch_ / "take0002.bmp").string()});
    const std::pair<Qt::Key, const char*> steps[] = {
        {Qt::Key_PageDown, "z.flm"},        {Qt::Key_PageDown, "z.flm"}, {Qt::Key_PageUp, "take0001.bmp"},
        {Qt::Key_PageUp, "a.flm"}, {Qt::Key_PageUp, "a.flm"}};
    for (auto [key, title] : steps) {
        QTest::keyClick(&Frame(), key);
        EXPECT_EQ(Frame().windowTitle(), QString::fromUtf8(title) + " - Plexo") << title;
    }
}

// Help > Keyboard Shortcuts lists the keys the window binds, named as their
// menu items are.
TEST_F(PlayerControls, KeyboardShortcutsListsTheBoundKeys)
{
    Start({});
    Answer<ShortcutsDlg>(kCmdKeyboardShortcuts, [](ShortcutsDlg& dialog) {
        QStringList rows;
        const QTableWidget& table = *dialog.table();
        for (int row = 0; row < table.rowCount(); ++row)
            rows << table.item(row, 0)->text() + " " + table.item(row, 1)->text();
        for (const char* row : {"Ctrl+Q Exit", "Space Play or stop; leave stereo", "PgDown Next Film in Folder",
                                "Home First frame", "Ctrl+C Copy"})
            EXPECT_TRUE(rows.contains(row)) << row << rows.join(", ").toStdString();
        EXPECT_FALSE(rows.contains("Ctrl+V Paste"));
        dialog.reject();
    });
}

}  // namespace
}  // namespace plexo::test
