#include <QDockWidget>
#include <QListView>

#include <fstream>

#include "app/window/playlist_commands.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

class PlaylistWindow : public ViewerTest {
protected:
    // a.flm, b.flm and c.flm, and a list of them with a title for the second.
    std::string WriteList()
    {
        for (const char* name : {"a.flm", "b.flm", "c.flm"})
            std::filesystem::copy_file(DemoFilm(), scratch_ / name);
        const std::string list = (scratch_ / "films.m3u8").string();
        std::ofstream(list) << "#EXTM3U\na.flm\n#EXTINF:-1,The Second\nb.flm\nhttp://example.com/x.mkv\nc.flm\n";
        return list;
    }
    std::string Shown() { return std::filesystem::path(app_->document()->filmPaths().at(0)).filename().string(); }
};

TEST_F(PlaylistWindow, AListStepsWithPageDownAndLoopsAsChosen)
{
    Start({WriteList()});
    CMainFrame& frame = Frame();
    EXPECT_EQ(Shown(), "a.flm");
    auto* panel = frame.findChild<QDockWidget*>(QStringLiteral("playlist"));
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->findChild<QListView*>()->model()->rowCount(), 3);
    QTest::keyClick(&frame, Qt::Key_PageDown);
    EXPECT_EQ(Shown(), "b.flm");
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("The Second - Plexo"));
    QTest::keyClick(&frame, Qt::Key_PageDown);
    QTest::keyClick(&frame, Qt::Key_PageDown);
    EXPECT_EQ(Shown(), "c.flm");
    frame.commands().Run(kCmdLoopList);
    EXPECT_FALSE(app_->document()->round());
    QTest::keyClick(&frame, Qt::Key_PageDown);
    EXPECT_EQ(Shown(), "a.flm");

    // A film loaded by hand leaves the list: Page Down walks its folder again.
    frame.chooseFile = [](QWidget*, const FileRequest&) { return QString::fromStdString(DemoFilm()); };
    frame.commands().Run(kCmdLoad);
    EXPECT_FALSE(frame.playlist().listOpen());
}

TEST_F(PlaylistWindow, ASlideshowKeepsPageDownAndEndsAtAnyOtherKeyWhichDoesNothingElse)
{
    Start({WriteList()});
    CMainFrame& frame = Frame();
    QTest::keyClick(&frame, Qt::Key_F5);
    ASSERT_TRUE(frame.playlist().slideshowRunning());
    QTest::keyClick(&frame, Qt::Key_PageDown);
    EXPECT_TRUE(frame.playlist().slideshowRunning());
    EXPECT_EQ(Shown(), "b.flm");
    QTest::keyClick(&frame, Qt::Key_K);
    EXPECT_FALSE(frame.playlist().slideshowRunning());
    EXPECT_FALSE(frame.state.playing);
}

}  // namespace
}  // namespace plexo::test
