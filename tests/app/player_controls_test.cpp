#include <QClipboard>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>

#include "app/dialogs/display_panel.h"
#include "app/dialogs/shortcuts_dlg.h"
#include "app/window/status_fields.h"
#include "app/window/timeline.h"
#include "app/window/viewer_commands.h"
#include "film/frame_place.h"
#include "platform/log.h"
#include "platform/profile.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using PlayerControls = ViewerTest;

// Save View As asks under its own title; Space plays and stops with stereo off
// and only leaves stereo with it on; Ctrl+C copies the composed frame while
// Paste stays disabled; the timeline follows stepping and seeks and repaints
// when moved or clicked; the log panel opens again once closed, and Ctrl+Q quits.
TEST_F(PlayerControls, SaveTitleSpaceCopyTimelineLogAndQuit)
{
    CPlexoApp& app = Start({DemoFilm()});
    CMainFrame& frame = Frame();
    QString title;
    frame.chooseFile = [&title](QWidget*, const FileRequest& request) { return title = request.title, QString(); };
    frame.commands().Action(kCmdSaveViewAs)->trigger();
    EXPECT_EQ(title, "Save View As");
    for (bool playing : {true, false}) {
        QTest::keyClick(&frame, Qt::Key_Space);
        EXPECT_EQ(frame.state.playing, playing);
    }
    frame.commands().Run(kCmdStereo);
    const QImage expected = ExpectedPixels(true, PresentationId::RedBlue);
    QTest::keyClick(&frame, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32) == expected);
    QTest::keyClick(&frame, Qt::Key_Space);
    EXPECT_FALSE(frame.state.stereo || frame.state.playing);
    EXPECT_FALSE(frame.commands().IsEnabled(kCmdEditPaste));
    Timeline& timeline = *frame.timeline();
    QTest::keyClick(&frame, Qt::Key_End);
    EXPECT_EQ(timeline.value(), app.document()->film()->Position());
    const QImage before = ViewPixels();
    timeline.setValue(5);
    EXPECT_TRUE(app.document()->film()->Position() == 5 && ViewPixels() != before);
    // A click goes where it points, not a page towards it.
    QTest::keyClick(&frame, Qt::Key_End);
    QTest::mouseClick(&timeline, Qt::LeftButton, {}, QPoint(timeline.width() * 2 / 5, timeline.height() / 2));
    EXPECT_NEAR(app.document()->film()->Position(), 9, 2);
    for (int round = 0; round < 2; ++round) {
        frame.commands().Action(kCmdMessageLog)->trigger();
        EXPECT_TRUE(app.logPanel()->isVisible());
        app.logPanel()->reject();
    }
    QTest::keyClick(&frame, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(frame.isVisible());
}

// View > Status Bar shows the place, the partner, the zoom and the
// presentation, and is kept for the next run; a two-view video's fields.
TEST_F(PlayerControls, StatusBarShowsWhereTheFilmStands)
{
    Start({DemoFilm(), "/A=4"});
    Frame().commands().Action(kCmdViewStatusBar)->trigger();
    QTest::keyClick(&Frame(), Qt::Key_Right);
    const FramePlace place = PlaceOf(*app_->document()->film());
    QStringList shown;
    for (const QLabel* label : Frame().statusBar()->findChildren<QLabel*>())
        if (!label->isHidden())
            shown << label->text();
    EXPECT_EQ(shown, (QStringList{"Ready", QStringLiteral("Frame %1 of 24").arg(place.position),
                                  QStringLiteral("Partner %1").arg(place.partnerNumber), "100%", "plain"}));
    app_.reset();
    Start({});
    EXPECT_TRUE(Frame().commands().IsChecked(kCmdViewStatusBar));
    StatusFacts video{{31, 31, 50, -1, 2}, 2, 50, &PresentationOf(PresentationId::RedBlue), 25, 62.04};
    EXPECT_EQ(StatusTexts(video).mid(1), (QStringList{"Eye offset 2", "50%", "red-blue", "0:01.2 / 1:02.0"}));
    video.time = 0.95;
    EXPECT_EQ(StatusTexts(video)[4], "0:00.9 / 1:02.0") << "a frame's own time wins over its place over the rate";
}

// Page Down and Up walk the folder's films by name, a numbered sequence once,
// without wrapping; the title follows. The key list names the keys' commands.
TEST_F(PlayerControls, FolderNeighboursAndKeyList)
{
    std::filesystem::copy_file(DemoFilm(), scratch_ / "a.flm");
    WriteBmpSequence(scratch_, 3, 16, 8);
    std::filesystem::copy_file(DemoFilm(), scratch_ / "z.flm");
    Start({(scratch_ / "take0002.bmp").string()});
    const std::pair<Qt::Key, const char*> steps[] = {{Qt::Key_PageDown, "z.flm"}, {Qt::Key_PageDown, "z.flm"},
                                                     {Qt::Key_PageUp, "take0001.bmp"}, {Qt::Key_PageUp, "a.flm"},
                                                     {Qt::Key_PageUp, "a.flm"}};
    for (auto [key, title] : steps) {
        QTest::keyClick(&Frame(), key);
        EXPECT_EQ(Frame().windowTitle(), QString::fromUtf8(title) + " - Plexo") << title;
    }
    Answer<ShortcutsDlg>(kCmdKeyboardShortcuts, [](ShortcutsDlg& dialog) {
        QStringList rows;
        for (int row = 0; row < dialog.table()->rowCount(); ++row)
            rows << dialog.table()->item(row, 0)->text() + " " + dialog.table()->item(row, 1)->text();
        for (const char* row : {"Ctrl+Q Exit", "PgDown Next Film in Folder", "Home First frame"})
            EXPECT_TRUE(rows.contains(row)) << row;
        EXPECT_FALSE(rows.contains("Ctrl+V Paste"));
        dialog.reject();
    });
}

// A file that gives no film leaves the film shown before, title and all, and
// Page Down and Up go on from its place, so that it can be stepped over.
TEST_F(PlayerControls, AFileThatIsNoFilmIsSteppedOver)
{
    for (const char* name : {"a.flm", "c.flm"})
        std::filesystem::copy_file(DemoFilm(), scratch_ / name);
    WriteBytes((scratch_ / "b.flm").string(), {'n', 'o'});
    Start({(scratch_ / "a.flm").string()});
    const struct {
        int id;
        bool opens;
        const char* title;
    } steps[] = {{kCmdNextFilm, false, "a.flm"}, {kCmdNextFilm, true, "c.flm"},
                 {kCmdPreviousFilm, false, "c.flm"}, {kCmdPreviousFilm, true, "a.flm"}};
    for (const auto& step : steps) {
        const Film* before = app_->document()->film();
        EXPECT_TRUE(Frame().commands().Run(step.id)) << step.title;
        EXPECT_EQ(Frame().windowTitle(), QString::fromUtf8(step.title) + " - Plexo");
        EXPECT_EQ(app_->document()->film() != before, step.opens) << step.title;
        EXPECT_EQ(OpenBoxes(Frame()).size(), step.opens ? 0 : 1) << step.title;
        for (QMessageBox* box : OpenBoxes(Frame()))
            box->accept();
    }
}

// A video counts the frames that were due and not shown in the frame
// display and the status bar; the log notes only a playback that fell
// behind, and a note never opens the log panel.
TEST_F(PlayerControls, LateFramesShowWithoutOpeningTheLog)
{
    struct Times : TimedSource {
        int64_t TimeAt(int32_t position) const override { return position * int64_t(40000); }
        bool ReadyAt(int32_t position) override { return position != 1 && position != 2; }
    };
    struct TimedFilm : FakeFilm {
        using FakeFilm::FakeFilm;
        FilmFacts Facts() const override
        {
            FilmFacts facts = FakeFilm::Facts();
            facts.frameRate = 25;
            return facts;
        }
        TimedSource& Timing() override { return times; }
        Times times;
    };
    struct Heard : play::SoundOutput {
        bool Start(play::Micros, double) override { return true; }
        void Stop() override {}
        std::optional<play::Micros> Position() override { return at; }
        void SetVolume(int, bool) override {}
        play::Micros at = 0;
    };
    Start({});
    app_->document()->SetFilm(std::make_unique<TimedFilm>(8, FrameSize{2, 1}));
    Frame().commands().Run(kCmdViewStatusBar);
    auto owned = std::make_unique<Heard>();
    Heard& heard = *owned;
    Frame().player().SetSound(std::move(owned));
    platform::ClearLog();
    for (const auto& [due, late] : {std::pair{0, 0}, {3, 2}}) {
        Frame().commands().Run(kCmdPlay);
        heard.at = due * 40000;
        Frame().player().Tick();
        Frame().commands().Run(kCmdPlay);
        QCoreApplication::processEvents();
        EXPECT_FALSE(app_->logPanel()->isVisible()) << late;
        EXPECT_EQ(Frame().statusBar()->findChild<QLabel*>("status5")->text(), QStringLiteral("%1 late frames").arg(late));
        app_->document()->film()->Seek(0);
    }
    EXPECT_EQ(platform::LogText(), "\r\nPlayback stopped: 2 late frames");
}

// Shift+arrows seek by time, Ctrl+Right stays free; Z, X and + move the delays.
TEST_F(PlayerControls, ShiftArrowsSeekByTimeAndDelayKeysShow)
{
    Start({DemoFilm()});
    Frame().commands().Run(kCmdViewStatusBar);
    const Film& film = *app_->document()->film();
    const int last = film.FrameCount() - 1;
    const int back = std::max(0, last - int(std::lround(5 * Frame().state.framesPerSecond)));
    for (const auto& [key, modifiers, at] :
         {std::tuple{Qt::Key_Up, Qt::ShiftModifier, last}, {Qt::Key_Left, Qt::ShiftModifier, back},
          {Qt::Key_Down, Qt::ShiftModifier, 0}, {Qt::Key_Right, Qt::ControlModifier, 0}, {Qt::Key_Z, {}, 0},
          {Qt::Key_Z, {}, 0}, {Qt::Key_X, {}, 0}, {Qt::Key_Plus, {}, 0}}) {
        QTest::keyClick(&Frame(), key, modifiers);
        EXPECT_EQ(film.Position(), at) << key;
    }
    EXPECT_EQ(Frame().statusBar()->findChild<QLabel*>("status5")->text(), "Subtitle delay -100 ms");
}

// The first run's window grows to fit its first film, up to 80 % of the
// screen, so that a picture smaller than that shows whole at actual size.
TEST_F(PlayerControls, TheFirstRunsWindowFitsItsFirstFilm)
{
    const QString wide = QString::fromStdString(WriteBmpSequence(scratch_, 1, 4000, 60));
    std::filesystem::create_directory(scratch_ / "photo");
    Start({WriteBmpSequence(scratch_ / "photo", 1, 600, 300)});
    EXPECT_EQ(Frame().view()->size().expandedTo(QSize(600, 300)), Frame().view()->size());
    app_.reset();
    platform::SetSettingsFilePath("");
    std::filesystem::remove(platform::SettingsFilePath());
    Start({});
    EXPECT_TRUE(Frame().viewer().OpenPath(wide, false));
    const QRect available = Frame().screen()->availableGeometry();
    EXPECT_EQ(Frame().frameGeometry().width(), available.width() * 4 / 5);
    EXPECT_TRUE(available.contains(Frame().frameGeometry()));
}

}  // namespace
}  // namespace plexo::test
