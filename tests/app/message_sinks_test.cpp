// The two ways the core's words reach the user: the log panel and the
// message box. Both take calls from any thread and must never block.

#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <thread>

#include "app/dialogs/display_panel.h"
#include "app/dialogs/trans_pnl.h"
#include "app/window/message_box_sink.h"
#include "platform/log.h"
#include "platform/message_sink.h"
#include "viewer_fixture.h"

namespace plexo {
namespace {

using MessageSinks = test::ViewerTest;

// Messages come from a worker as they do from a conversion. Translate blocks
// the main window only: the log panel, clear of the menu bar and of the
// dialog, scrolls and closes at the user's keys. Every way of closing it
// empties it, so that the next message reopens it alone.
TEST_F(MessageSinks, TheLogPanelShowsMessagesInOrderBesideTranslate)
{
    CPlexoApp& app = Start({});
    Display& panel = *app.logPanel();
    // A message cleared before the panel saw it opens nothing.
    LogMessage("gone");
    platform::ClearLog();
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel.isVisible());
    Answer<TransPnl>(kCmdTranslate, [&](TransPnl& dialog) {
        std::thread([] {
            LogMessage("start");
            LogMessage(nullptr);
            LogMessage("two\r\nlines");
            for (int i = 0; i < 60; ++i)
                LogMessage(std::to_string(i));
        }).join();
        QCoreApplication::processEvents();
        QString expected = "\nstart\n\ntwo\nlines";
        for (int i = 0; i < 60; ++i)
            expected += "\n" + QString::number(i);
        ASSERT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.text(), expected);
        const QMenuBar* bar = Frame().menuBar();
        EXPECT_FALSE(panel.frameGeometry().intersects(QRect(bar->mapToGlobal(QPoint()), bar->size())));
        EXPECT_FALSE(panel.frameGeometry().intersects(dialog.frameGeometry()));
        auto* edit = panel.findChild<QPlainTextEdit*>();
        QScrollBar* scroll = edit->verticalScrollBar();
        EXPECT_GT(scroll->maximum(), 0);
        EXPECT_EQ(scroll->value(), scroll->maximum());
        test::UserClick(edit);
        test::UserKey(edit, Qt::Key_PageUp);
        EXPECT_LT(scroll->value(), scroll->maximum());
        test::UserKey(edit, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        dialog.reject();
    });
    // Escape closed it above; the window's close does the same.
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(panel.isVisible());
        EXPECT_EQ(platform::LogText(), "");
        LogMessage("again");
        QCoreApplication::processEvents();
        EXPECT_EQ(panel.text(), "\nagain");
        panel.close();
    }
    // A line longer than the panel is wide wraps, and the user sizes the panel.
    LogMessage("Stereo cannot start: no registry file " + std::string(80, 'x'));
    QCoreApplication::processEvents();
    const QSize wider = panel.size() + QSize(300, 0);
    panel.resize(wider);
    EXPECT_EQ(panel.size(), wider);
    EXPECT_EQ(panel.findChild<QPlainTextEdit*>()->horizontalScrollBar()->maximum(), 0);
    panel.close();
}

// The sink must not block its caller (a paint may raise the message), and a
// message met again while its box is open must not stack a second box.
TEST(MessageBoxSink, ShowsWithoutBlockingAndDropsRepeatsWhileOpen)
{
    QWidget owner;
    owner.show();
    InstallMessageBoxSink(&owner);
    platform::ShowMessage("Not a bitmap file");
    platform::ShowMessage("Not a bitmap file");
    std::thread([] { platform::ShowMessage("Error reading bitmap data"); }).join();
    QCoreApplication::processEvents();

    ASSERT_EQ(test::OpenBoxes(owner).size(), 2);
    for (QMessageBox* box : test::OpenBoxes(owner))
        box->accept();
    QCoreApplication::processEvents();
    platform::ShowMessage("Not a bitmap file");
    EXPECT_EQ(test::OpenBoxes(owner).size(), 1);
    RemoveMessageBoxSink();
}

}  // namespace
}  // namespace plexo
