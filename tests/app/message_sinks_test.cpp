// The two ways the core's words reach the user: the log panel and the
// message box. Both take calls from any thread and must never block.

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

#include "app/display_panel.h"
#include "app/message_box_sink.h"
#include "platform/log.h"
#include "platform/message_sink.h"

namespace plexo {
namespace {

// Messages come from a worker as they do from a conversion; every way of
// closing the panel empties it, so that the next message reopens it alone.
TEST(DisplayPanel, ShowsMessagesInOrderAndEveryCloseEmptiesIt)
{
    platform::ClearLog();
    Display panel(nullptr);
    panel.InstallLogSink();
    // A message cleared before the panel saw it opens nothing.
    LogMessage("gone");
    platform::ClearLog();
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel.isVisible());

    std::thread([] {
        LogMessage("start");
        LogMessage(nullptr);
        LogMessage("two\r\nlines");
        for (int i = 0; i < 100; ++i)
            LogMessage(std::to_string(i));
    }).join();
    QCoreApplication::processEvents();
    QString expected = "\nstart\n\ntwo\nlines";
    for (int i = 0; i < 100; ++i)
        expected += "\n" + QString::number(i);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.text(), expected);
    QScrollBar* bar = panel.findChild<QPlainTextEdit*>()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    for (bool escape : {false, true}) {
        escape ? QTest::keyClick(&panel, Qt::Key_Escape) : void(panel.close());
        EXPECT_FALSE(panel.isVisible());
        EXPECT_EQ(platform::LogText(), "");
        LogMessage("again");
        QCoreApplication::processEvents();
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.text(), "\nagain");
    }
    platform::ClearLog();
}

// The sink must not block its caller (a paint may raise the message), and a
// message met again while its box is open must not stack a second box.
TEST(MessageBoxSink, ShowsWithoutBlockingAndDropsRepeatsWhileOpen)
{
    QWidget owner;
    owner.show();
    InstallMessageBoxSink(&owner);
    const auto open = [&owner] {
        QList<QMessageBox*> shown;
        for (QMessageBox* box : owner.findChildren<QMessageBox*>())
            if (box->isVisible())
                shown.append(box);
        return shown;
    };
    platform::ShowMessage("Not a bitmap file");
    platform::ShowMessage("Not a bitmap file");
    std::thread([] { platform::ShowMessage("Error reading bitmap data"); }).join();
    QCoreApplication::processEvents();

    ASSERT_EQ(open().size(), 2);
    for (QMessageBox* box : open())
        box->accept();
    QCoreApplication::processEvents();
    platform::ShowMessage("Not a bitmap file");
    EXPECT_EQ(open().size(), 1);
    RemoveMessageBoxSink();
}

}  // namespace
}  // namespace plexo
