#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>

#include <atomic>

#include "app/dialogs/set_pnl.h"
#include "app/window/video_scan_watch.h"
#include "film/picture_budget.h"
#include "present/frame_buffer.h"
#include "video/video_fixtures.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

// Videos of ten frames at 25 a second opened in the window.
class VideoOpenTest : public test::ViewerTest {
protected:
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

// A rate set while a video is shown is kept with it and played at when it is
// opened again; the stream's own rate forgets it; Frames/sec stays as it was.
TEST_F(VideoOpenTest, ARateSetForAVideoIsKeptWithItNotInFramesPerSecond)
{
    const std::string clip = temp_.file("clip.mp4");
    ASSERT_TRUE(test::MakeVideo(temp_, "clip.mp4", ""));
    Start({clip});
    Frame().state.framesPerSecond = 15;
    EXPECT_EQ(SetRate("12.5"), "25");
    EXPECT_EQ(RecallFilm(FilmKey({clip})).text(), "fps=12.5");
    ASSERT_TRUE(app_->document()->LoadFilm(clip));
    Frame().commands().Action(kCmdPlay)->trigger();
    EXPECT_EQ(Frame().player().Clock().Speed(), 0.5) << "12.5 of its 25 frames a second";
    Frame().commands().Action(kCmdPlay)->trigger();
    EXPECT_EQ(SetRate("25"), "12.5");
    EXPECT_TRUE(RecallFilm(FilmKey({clip})).empty());
    EXPECT_EQ(Frame().state.framesPerSecond, 15);
}

// A video's frames stay in its own cache: the "Memory" reading mode keeps
// none of the pictures drawn from them.
TEST_F(VideoOpenTest, MemoryModeKeepsNoPictureOfAVideo)
{
    const std::string clip = temp_.file("clip.mp4");
    ASSERT_TRUE(test::MakeVideo(temp_, "clip.mp4", ""));
    Start({clip});
    app_->document()->setReading(CPlexoDoc::Reading::Memory);
    for (int i = 0; i < 5; ++i) {
        Frame().commands().Run(kCmdForward);
        ViewPixels();
    }
    EXPECT_EQ(app_->document()->film()->FrameNumber(), 6);
    EXPECT_EQ(KeptPictureBytes(), 0u);
}

// View > Layout serves a video opened from the command line too.
TEST_F(VideoOpenTest, LayoutIsChosenForAVideoOpenedFromTheCommandLine)
{
    ASSERT_TRUE(test::MakeVideo(temp_, "clip.mp4", ""));
    Start({temp_.file("clip.mp4")});
    Frame().commands().Action(kCmdLayoutFirst + 6)->trigger();
    EXPECT_EQ(LayoutText(app_->document()->film()->Layout()), "side-by-side half left-first (user)");
}

// The window's watch with the worker held at the scan's last progress.
struct HeldScan : VideoScanWatch {
    using VideoScanWatch::VideoScanWatch;
    void Progress(int64_t done, int64_t total) override
    {
        VideoScanWatch::Progress(done, total);
        if (done == total)
            free.wait(false);
    }
    std::atomic<bool> free{false};
};

// While the worker is held, the window's thread handles events with the
// dialog modal over the window; then the dialog goes and the film is counted.
TEST_F(VideoOpenTest, AScanShowsItsProgressWhileTheWindowGoesOn)
{
    const std::string clip = temp_.file("clip.mkv");
    ASSERT_TRUE(test::MakeVideo(temp_, "clip.mkv", ""));
    Start({});
    HeldScan held(&Frame());
    ShowScansIn(held, *Frame().statusBar());
    int shown = 0;
    QObject::connect(&held, &VideoScanWatch::progressed, [&](const QString& path, qint64 done, qint64 total) {
        // The end is queued behind this call, so the dialog stays for the checks.
        held.free = true;
        held.free.notify_all();
        ++shown;
        EXPECT_EQ(std::tuple(QApplication::activeModalWidget() == held.dialog(), path.toStdString(), done,
                             held.label()->text(), held.bar()->value(), Frame().statusBar()->currentMessage()),
                  std::tuple(true, clip, total, QString("Counting the frames of clip.mkv"), held.bar()->maximum(),
                             QString("Counting the frames of clip.mkv: 100%")));
    });
    EXPECT_TRUE(app_->document()->LoadFilm(clip));
    EXPECT_EQ(std::tuple(shown, held.dialog(), app_->document()->film()->FrameCount(),
                         Frame().statusBar()->currentMessage()),
              std::tuple(1, nullptr, 10, QString()));
}

// Zoomed out, the video's frame is made at the size shown and laid out by
// its own; Save View As and Copy compose it at its own size; back at 100
// percent it is made whole again.
TEST_F(VideoOpenTest, AVideoShownSmallerIsMadeAtTheSizeShown)
{
    const std::string clip = temp_.file("clip.mp4");
    ASSERT_TRUE(test::MakeVideo(temp_, "clip.mp4", ""));
    Start({clip});
    CPlexoView& view = *Frame().view();
    play::Player& player = Frame().player();
    const auto shownWidths = [&] {
        QCoreApplication::processEvents();  // the queued sync
        player.Settle();
        const EyePairPtr& pair = player.ShownPair();
        return pair ? std::pair(pair->first.width, pair->ownWidth) : std::pair(0, 0);
    };
    EXPECT_EQ(shownWidths(), std::pair(64, 0));
    view.SetViewSize(ViewSize::Zoom, 50);
    EXPECT_EQ(shownWidths(), std::pair(32, 64));
    EXPECT_EQ(view.PictureSize(), QSize(64, 48));
    EXPECT_EQ(view.ShownScale(), 0.5);
    FrameBuffer saved;
    ASSERT_TRUE(view.ComposeShown(saved));
    EXPECT_EQ(std::pair(saved.viewWidth(), saved.height()), std::pair(64, 48));
    EXPECT_EQ(view.ShownImage().size(), QSize(64, 48));
    view.SetViewSize(ViewSize::Zoom, 100);
    EXPECT_EQ(shownWidths(), std::pair(64, 0));
}

}  // namespace
}  // namespace plexo
