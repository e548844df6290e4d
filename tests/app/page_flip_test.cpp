// Page-flipped stereo on and off in the real main frame, on the offscreen
// platform, with the reference driver over the in-memory display.

#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <cstdlib>

#include "app/flip/page_flip_stereo.h"
#include "app/window/timeline.h"
#include "app/window/command_ids.h"
#include "app/window/viewer_commands.h"
#include "platform/log.h"
#include "support/memory_display.h"
#include "support/temp_dir.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

class PageFlip : public test::ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        const char* unregistered = std::getenv("PLEXO_REGISTRY");
        unregistered_ = unregistered ? unregistered : "";
        const std::string text = "[SOFTWARE\\K3V]\nKORVA=" PLEXO_REFERENCE_DRIVER "\n";
        test::WriteBytes(registry_.file("registry.ini"), {text.begin(), text.end()});
        setenv("PLEXO_REGISTRY", registry_.file("registry.ini").c_str(), 1);
        // The display cannot wait for the blank, so the driver paces itself
        // and never waits for the test.
        display_->SetVerticalBlank(false);
        platform::SetDisplayOutput(display_);
    }
    void TearDown() override
    {
        ViewerTest::TearDown();
        platform::SetDisplayOutput(nullptr);
        setenv("PLEXO_REGISTRY", unregistered_.c_str(), 1);
    }

    test::TempDir registry_;
    std::string unregistered_;
    std::shared_ptr<platform::MemoryDisplay> display_ =
        std::make_shared<platform::MemoryDisplay>(800, 600, 120, "MEMORY-1");
};

// Without the driver, stereo stays off: the frame tests' page-flipping case.
TEST_F(PageFlip, StereoGoesFullScreenShowsBothEyesAndLeavingBringsTheWindowBack)
{
    Start({DemoFilm()});
    CMainFrame& frame = Frame();
    app_->document()->ChoosePresentation(PresentationId::PageFlip);
    frame.setGeometry(40, 50, 500, 400);
    const QRect before = frame.geometry();
    frame.commands().Run(kCmdViewStatusBar);
    const auto around = [&frame] {
        return std::vector<bool>{frame.menuBar()->isHidden(), frame.toolBar()->isHidden(),
                                 frame.statusBar()->isHidden(), frame.timeline()->isHidden()};
    };
    frame.commands().Run(kCmdPlay);
    test::UserKey(&frame, Qt::Key_S);
    ASSERT_TRUE(frame.state.stereo);
    EXPECT_EQ(frame.geometry(), frame.screen()->geometry());
    // Nothing of the window shows: the view is the whole screen.
    EXPECT_EQ(around(), std::vector<bool>(4, true));
    QCoreApplication::processEvents();
    EXPECT_EQ(QRect(frame.view()->mapToGlobal(QPoint(0, 0)), frame.view()->size()), frame.screen()->geometry());
    EXPECT_TRUE(frame.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(frame.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(frame.pageFlip().copyTimer().isActive());
    const auto calls = display_->calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetCooperativeLevel"), 2);
    // The Screen command must not switch modes under the flipper.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "Screen opened while flipping";
            modal->close();
        }
    });
    frame.commands().Action(kCmdScreen)->trigger();
    QCoreApplication::processEvents();

    // A painted frame puts the current picture into one surface and the
    // partner's into another, at the view's place on the screen.
    frame.view()->grab();
    const QPoint at = frame.view()->mapToGlobal(QPoint(frame.view()->width() / 2, frame.view()->height() / 2));
    std::vector<int> centres;
    for (platform::Surface* s : display_->chain()) {
        const auto pixels = s->CopyPixels();
        const uint8_t* px = &pixels[size_t(at.y() * 800 + at.x()) * 3];
        centres.push_back(px[0] + px[1] + px[2]);
    }
    ASSERT_EQ(centres.size(), 3u);
    EXPECT_GE(std::count_if(centres.begin(), centres.end(), [](int v) { return v != 0; }), 2);

    frame.commands().Run(kCmdSizeWindowToFilm);  // then a film opened leaves the window as it is
    frame.viewer().OpenPath(QString::fromStdString(DemoFilm()), false);
    EXPECT_EQ(frame.geometry(), frame.screen()->geometry());

    frame.commands().Run(kCmdLeaveStereo);
    EXPECT_FALSE(frame.state.stereo);
    EXPECT_FALSE(frame.playTimer().isActive());
    EXPECT_FALSE(frame.pageFlip().copyTimer().isActive());
    EXPECT_FALSE(frame.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(frame.geometry(), before);
    EXPECT_EQ(around(), std::vector<bool>(4, false));
    EXPECT_TRUE(display_->chain().empty());
    EXPECT_EQ(frame.pageFlip().flipper().directDraw(), nullptr);

    // Closing the window leaves flipping too.
    frame.commands().Run(kCmdStereo);
    ASSERT_FALSE(display_->chain().empty());
    frame.close();
    EXPECT_FALSE(frame.state.stereo);
    EXPECT_TRUE(display_->chain().empty());
    // The display layer does not know "MEMORY-1", so no mode was touched.
    EXPECT_EQ(platform::LogText(), "");
}

// A display that cannot draw keeps stereo off and the window as it was, and
// one log line says why.
TEST_F(PageFlip, ADisplayThatCannotDrawLeavesTheWindowAsItWasAndSaysWhy)
{
    display_->FailStart("no OpenGL");
    Start({DemoFilm()});
    CMainFrame& frame = Frame();
    app_->document()->ChoosePresentation(PresentationId::PageFlip);
    frame.setGeometry(40, 50, 500, 400);
    const QRect before = frame.geometry();
    const Qt::WindowFlags flags = frame.windowFlags();
    platform::ClearLog();
    test::UserKey(&frame, Qt::Key_S);
    EXPECT_FALSE(frame.state.stereo);
    EXPECT_EQ(frame.geometry(), before);
    EXPECT_EQ(frame.windowFlags(), flags);
    EXPECT_TRUE(display_->calls().empty());
    EXPECT_EQ(platform::LogText(), "\r\nPage flipping not started: no OpenGL");
}

}  // namespace
}  // namespace plexo
