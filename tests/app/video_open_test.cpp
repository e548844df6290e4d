#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QThread>

#include <condition_variable>
#include <mutex>

#include "app/dialogs/set_pnl.h"
#include "app/window/video_scan_watch.h"
#include "doc/film_memory.h"
#include "support/outside_programs.h"
#include "video/video_formats.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

// Videos opened in the window: each one's own rate, the scan of one that
// states no frame count.
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

// The window's watch with the worker held at the scan's last progress until
// the test lets it go.
class HeldScan : public video::ScanWatcher {
public:
    explicit HeldScan(VideoScanWatch& shown) : shown_(shown) {}
    void Progress(int64_t done, int64_t total) override
    {
        shown_.Progress(done, total);
        std::unique_lock lock(mutex_);
        letGo_.wait(lock, [&] { return done != total || free_; });
    }
    void Ended() override { shown_.Ended(); }
    void Wait(const std::string& path) override { shown_.Wait(path); }
    void LetGo()
    {
        std::lock_guard lock(mutex_);
        free_ = true;
        letGo_.notify_all();
    }

private:
    VideoScanWatch& shown_;
    std::mutex mutex_;
    std::condition_variable letGo_;
    bool free_ = false;
};

// While the worker is held the window's thread handles events, with the
// dialog modal over the window; once it ends the dialog is gone and the film
// has the frames counted.
TEST_F(VideoOpenTest, AScanShowsItsProgressWhileTheWindowGoesOn)
{
    const std::string clip = MakeClip("clip.mkv");
    Start({});
    VideoScanWatch& watch = Frame().scanWatch();
    HeldScan held(watch);
    video::SetScanWatcher(&held);
    int shown = 0;
    QObject::connect(&watch, &VideoScanWatch::progressed, [&](const QString& path, qint64 done, qint64 total) {
        // The end is queued behind this call, so the dialog stays for the checks.
        held.LetGo();
        ++shown;
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        EXPECT_EQ(std::tuple(path.toStdString(), done), std::tuple(clip, total));
        ASSERT_NE(watch.dialog(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget(), watch.dialog());
        EXPECT_EQ(watch.label()->text(), "Counting the frames of clip.mkv");
        EXPECT_EQ(watch.bar()->value(), watch.bar()->maximum());
    });
    const bool opened = app_->document()->LoadFilm(clip);
    video::SetScanWatcher(&watch);
    EXPECT_TRUE(opened);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(watch.dialog(), nullptr);
    EXPECT_EQ(app_->document()->film()->FrameCount(), 10);
}

}  // namespace
}  // namespace plexo
