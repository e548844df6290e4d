// The log panel shows a line longer than its width whole, and the user can
// size it.

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include "app/dialogs/display_panel.h"
#include "platform/log.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

TEST(DisplayPanel, ALongLineWrapsAndThePanelTakesTheUsersSize)
{
    Display panel(nullptr);
    panel.InstallLogSink();
    LogMessage("Stereo cannot start: no registry file /etc/plexo/registry.ini, nor "
               "/usr/local/etc/plexo/registry.ini beside the program");
    QCoreApplication::processEvents();
    ASSERT_TRUE(panel.isVisible());
    auto* edit = panel.findChild<QPlainTextEdit*>();
    const auto rows = [edit] {
        QCoreApplication::processEvents();
        return edit->document()->lastBlock().layout()->lineCount();
    };
    const int narrow = rows();
    EXPECT_GT(narrow, 1);
    EXPECT_EQ(edit->horizontalScrollBar()->maximum(), 0);
    const QSize wider = panel.size() + QSize(300, 60);
    panel.resize(wider);
    EXPECT_EQ(panel.size(), wider);
    EXPECT_LT(rows(), narrow);
    panel.close();
}

}  // namespace
}  // namespace plexo
