#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/command_ids.h"
#include "app/screen_pnl.h"
#include "app/wait_pnl.h"
#include "support/fake_display.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using platform::DisplayMode;

class ScreenPnlTest : public testing::Test {
protected:
    void SetUp() override
    {
        fake->modes = {{32, 1920, 1080, 60}, {32, 1024, 768, 0}, {16, 1024, 768, 60}};
        fake->current = DisplayMode{32, 1024, 768, 0};
    }

    // Answers the confirmation that Apply opens, once it runs.
    static void AnswerWait(std::function<void(WaitPnl&)> answer)
    {
        QTimer::singleShot(0, [answer] {
            if (auto* wait = qobject_cast<WaitPnl*>(QApplication::activeModalWidget()))
                answer(*wait);
        });
    }

    FakeDisplayScope fake;
};

// The list is ModeLabel's, sorted as the List4i tests pin; it opens on the
// current mode.
TEST_F(ScreenPnlTest, CountdownRunsOutRevertsAndReselects)
{
    ScreenPnl dialog;
    ASSERT_EQ(dialog.modeList()->count(), 3);
    EXPECT_EQ(dialog.modeList()->itemText(1), "32 bits 1024 by 768 pixels, Default refresh");
    EXPECT_EQ(dialog.modeList()->currentIndex(), 1);
    EXPECT_TRUE(dialog.applyButton()->isDefault());
    dialog.waitTickMs = 0;
    dialog.modeList()->setCurrentIndex(2);
    int shown = 0;
    AnswerWait([&](WaitPnl& wait) { shown = wait.secondsField()->text().toInt(); });
    dialog.OnApply();
    EXPECT_EQ(shown, 16);
    EXPECT_EQ(fake->applied, (std::vector<DisplayMode>{{32, 1920, 1080, 60}, {32, 1024, 768, 0}}));
    EXPECT_EQ(dialog.modeList()->currentIndex(), 1);

    // The dialog can apply again, and OK keeps the mode.
    dialog.waitTickMs = 60000;
    dialog.modeList()->setCurrentIndex(2);
    AnswerWait([](WaitPnl& wait) { wait.okButton()->click(); });
    dialog.OnApply();
    EXPECT_EQ(fake->current, (DisplayMode{32, 1920, 1080, 60}));
    EXPECT_EQ(dialog.modeList()->currentIndex(), 2);
}

TEST_F(ScreenPnlTest, CountdownTicksToCancel)
{
    WaitPnl wait(nullptr, 60000);
    EXPECT_TRUE(wait.cancelButton()->isDefault());
    EXPECT_EQ(wait.secondsField()->text(), "16");
    // Only the sixteenth tick ends the dialog.
    wait.setResult(QDialog::Accepted);
    for (int tick = 15; tick >= 1; --tick) {
        wait.OnTimer();
        EXPECT_EQ(wait.secondsField()->text().toInt(), tick);
        EXPECT_EQ(wait.result(), QDialog::Accepted);
    }
    wait.OnTimer();
    EXPECT_EQ(wait.result(), QDialog::Rejected);
}

TEST_F(ScreenPnlTest, DisplayWithoutModesKeepsTheDialogUsable)
{
    fake->modes.clear();
    ScreenPnl empty;
    EXPECT_EQ(empty.modeList()->count(), 0);
    empty.OnApply();
    EXPECT_TRUE(fake->applied.empty());
}

using ScreenCommand = ViewerTest;

TEST_F(ScreenCommand, RunsTheDialogUnlessTakenAway)
{
    CMainFrame& frame = *Start({}).mainFrame();
    Answer<ScreenPnl>(kCmdScreen, [](ScreenPnl& dialog) { dialog.reject(); });
    frame.SetScreenCommandAttached(false);
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    frame.commands().Action(kCmdScreen)->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(frame.commands().IsEnabled(kCmdScreen));
}

}  // namespace
}  // namespace plexo::test
