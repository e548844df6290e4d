#include <QLineEdit>

#include "app/dialogs/set_pnl.h"
#include "doc/film_memory.h"
#include "support/outside_programs.h"
#include "video/video_formats.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

// Videos opened in the window: each one's own rate.
class VideoOpenTest : public test::ViewerTest {
protected:
    static void SetUpTestSuite() { video::AddVideoFormats(); }

    // Ten 64 x 48 frames at 25 a second.
    std::string MakeClip(const std::string& name)
    {
        const std::string path = (scratch_ / name).string();
        EXPECT_TRUE(test::RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 10 "
                                     "-c:v libx264 '" + path + "'"));
        return path;
    }

    // The rate the Settings dialog shows, then `typed` into it and OK.
    QString SetRate(const QString& typed)
    {
        QString shown;
        Answer<SetPnl>(kCmdSettings, [&](SetPnl& dialog) {
            shown = dialog.framesPerSecondEdit()->text();
            dialog.framesPerSecondEdit()->setText(typed);
            dialog.accept();
        });
        return shown;
    }
};

// A rate set while a video is shown is the video's, kept for it and played
// at when it is opened again; Frames/sec stays the other films'.
TEST_F(VideoOpenTest, ARateSetForAVideoIsKeptWithItNotInFramesPerSecond)
{
    const std::string clip = MakeClip("clip.mp4");
    Start({clip});
    CPlexoDoc& doc = *app_->document();
    Frame().state.framesPerSecond = 15;
    EXPECT_EQ(SetRate("12.5"), "25");
    EXPECT_EQ(Frame().state.framesPerSecond, 15);
    EXPECT_EQ(RecallFilm(FilmKey({clip})).text(), "fps=12.5");

    ASSERT_TRUE(doc.LoadFilm(DemoFilm()));
    EXPECT_EQ(SetRate("15"), "15");
    ASSERT_TRUE(doc.LoadFilm(clip));
    Frame().commands().Action(kCmdPlay)->trigger();
    EXPECT_EQ(Frame().playTimer().interval(), 80);
    Frame().commands().Action(kCmdPlay)->trigger();
    // The stream's own rate again is no rate of the film's own.
    EXPECT_EQ(SetRate("25"), "12.5");
    EXPECT_TRUE(RecallFilm(FilmKey({clip})).empty());
    EXPECT_EQ(Frame().state.framesPerSecond, 15);
}

}  // namespace
}  // namespace plexo
