#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/dialogs/screen_pnl.h"
#include "app/dialogs/wait_pnl.h"
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

    FakeDisplayScope fake;
    StartupModes startup;
};

// The list is ModeLabel's, sorted as the List4i tests pin; it opens on the
// current mode. That OK keeps the mode is the Xorg test's.
TEST_F(ScreenPnlTest, CountdownRunsOutRevertsAndReselects)
{
    ScreenPnl dialog(startup);
    ASSERT_EQ(dialog.modeList()->count(), 3);
    EXPECT_EQ(dialog.modeList()->itemText(1), "32 bits 1024 by 768 pixels, Default refresh");
    EXPECT_EQ(dialog.modeList()->currentIndex(), 1);
    dialog.waitTickMs = 0;
    dialog.modeList()->setCurrentIndex(2);
    dialog.OnApply();
    EXPECT_EQ(fake->applied, (std::vector<DisplayMode>{{32, 1920, 1080, 60}, {32, 1024, 768, 0}}));
    EXPECT_EQ(dialog.modeList()->currentIndex(), 1);

    // A display without modes leaves nothing to apply.
    fake->modes.clear();
    ScreenPnl empty(startup);
    EXPECT_EQ(empty.modeList()->count(), 0);
    empty.OnApply();
    EXPECT_EQ(fake->applied.size(), 2u);
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

}  // namespace
}  // namespace plexo::test
