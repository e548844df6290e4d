#include <QCheckBox>
#include <QMenuBar>

#include <tuple>

#include "app/dialogs/set_pnl.h"
#include "app/window/viewer_commands.h"
#include "platform/profile.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using StereoChoiceTest = ViewerTest;

QMenu* Submenu(CMainFrame& frame, const QString& title)
{
    for (QMenu* menu : frame.menuBar()->findChildren<QMenu*>())
        if (menu->title() == title)
            return menu;
    return nullptr;
}

// Every row but plain, in the table's order. Without a flipper driver page
// flipping (without its mode, frame packing) is chosen but stereo stays off.
TEST_F(StereoChoiceTest, TheSubmenuListsEveryStereoRowAndChoosingOneShowsIt)
{
    Start({DemoFilm()});
    Frame().resize(1000, 800);  // room for two eyes either way, so nothing pans
    const QList<QAction*> entries = Submenu(Frame(), "Stereo &Presentation")->actions();
    ASSERT_EQ(size_t(entries.size()), Presentations().size() - 1);
    for (const Presentation& row : Presentations().subspan(1)) {
        QAction* entry = entries[int(row.id) - 1];
        entry->trigger();
        const bool shown = !row.flips && !row.packing;
        EXPECT_EQ(Frame().state.stereo, shown) << row.name;
        for (QAction* other : entries)
            EXPECT_EQ(other->isChecked(), other == entry) << row.name;
        EXPECT_TRUE(ViewPixels() == ExpectedPixels(shown, row.id)) << row.name;
        // Sized by its eyes across and down; full screen stretches the half forms.
        EXPECT_EQ(Frame().view()->PictureSize(), QSize(320 * row.across, 240 * row.down)) << row.name;
        QTest::keyClick(&Frame(), Qt::Key_F11);
        const QRectF whole(QPointF(), QSizeF(Frame().view()->size()));
        EXPECT_EQ(Frame().view()->PictureTarget() == whole, row.stretchedInFullScreen) << row.name;
        QTest::keyClick(&Frame(), Qt::Key_F11);
    }
}

// Each key changes the document's value once and repaints; the film keeps its
// own D, which comes back when it opens again, and Backspace forgets it.
TEST_F(StereoChoiceTest, KeysAdjustAndTheFilmKeepsItsOwnD)
{
    struct { int id; Qt::Key key; Qt::KeyboardModifiers modifiers; bool swap; int dist, vertical; } const keys[] = {
        {kCmdSwapEyes, Qt::Key_W, {}, true, 21, 0}, {kCmdDistUp, Qt::Key_BracketRight, {}, true, 22, 0},
        {kCmdDistUpTen, Qt::Key_BracketRight, Qt::ControlModifier, true, 32, 0},
        {kCmdDistDown, Qt::Key_BracketLeft, {}, true, 31, 0},
        {kCmdDistDownTen, Qt::Key_BracketLeft, Qt::ControlModifier, true, 21, 0},
        {kCmdSecondEyeUp, Qt::Key_Up, Qt::AltModifier, true, 21, 1},
        {kCmdSecondEyeDown, Qt::Key_Down, Qt::AltModifier, true, 21, 0},
        {kCmdResetAdjustments, Qt::Key_Backspace, {}, false, 21, 0}, {kCmdDistDown, Qt::Key_BracketLeft, {}, false, 20, 0}};
    Start({DemoFilm()});
    CPlexoDoc& doc = *app_->document();
    QTest::keyClick(&Frame(), Qt::Key_S);
    int repaints = 0;
    doc.filmMoved = [&, shown = doc.filmMoved] {
        ++repaints;
        shown();
    };
    for (const auto& c : keys) {
        QTest::keyClick(&Frame(), c.key, c.modifiers);
        const StereoAdjustments& now = doc.stereo().adjust;
        EXPECT_EQ(std::tuple(now.swap, Frame().commands().Action(kCmdSwapEyes)->isChecked(), now.dist, now.vertical,
                             repaints), std::tuple(c.swap, c.swap, c.dist, c.vertical, 1)) << c.id;
        EXPECT_TRUE(ViewPixels() == ExpectedPixels(true, PresentationId::RedBlue)) << c.id;
        repaints = 0;
    }
    for (const auto& [path, dist] : {std::pair{WriteBmpSequence(scratch_, 2, 8, 8), 21}, {DemoFilm(), 20}}) {
        Frame().viewer().OpenPath(QString::fromStdString(path), false);
        EXPECT_EQ(doc.stereo().adjust.dist, dist) << path;
    }
    doc.setAlignment("1.5,0.2,1.01,0,0");
    QTest::keyClick(&Frame(), Qt::Key_Backspace);
    EXPECT_EQ(doc.alignment(), "");
    EXPECT_TRUE(RecallFilm(FilmKey({DemoFilm()})).empty());
}

// The choice is kept by name and wins at the next start over "Red-Blue",
// which changes only for the three it can name; an unknown name is ignored.
// The Settings boxes show the three, and OK with them as they were keeps any.
TEST_F(StereoChoiceTest, TheChoiceIsKeptByNameAndRedBlueOnlyForTheThree)
{
    const auto startWith = [this](const std::string& name) {
        app_.reset();
        WriteBytes(platform::SettingsFilePath(), {});
        ASSERT_TRUE(platform::WriteProfileStrings({{"Settings", "Red-Blue", "2"}, {"View", "Presentation", name}}));
        Start({DemoFilm()});
    };
    for (const Presentation& row : Presentations().subspan(1)) {
        startWith("bogus");
        ASSERT_EQ(app_->document()->stereo().presentation, PresentationId::Interlaced);
        Frame().commands().Run(kCmdPresentationFirst + int(row.id));
        Answer<SetPnl>(kCmdSettings, [&row](SetPnl& dialog) {
            EXPECT_EQ(dialog.redBlueBox()->isChecked(), row.id == PresentationId::RedBlue);
            EXPECT_EQ(dialog.interlacedBox()->isChecked(), row.id == PresentationId::Interlaced);
            dialog.accept();
        });
        app_.reset();
        EXPECT_EQ(platform::ReadProfileString("View", "Presentation", ""), row.name);
        EXPECT_EQ(platform::ReadProfileInt("Settings", "Red-Blue", -1), row.stored >= 0 ? row.stored : 2) << row.name;
        startWith(row.name);
        EXPECT_EQ(app_->document()->stereo().presentation, row.id) << row.name;
    }
}

}  // namespace
}  // namespace plexo::test
