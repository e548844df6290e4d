#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "app/display_panel.h"
#include "platform/log.h"

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

    const std::function<void()> closes[] = {[&] { panel.close(); },
                                            [&] { QTest::keyClick(&panel, Qt::Key_Escape); }};
    for (const auto& close : closes) {
        close();
        EXPECT_FALSE(panel.isVisible());
        EXPECT_EQ(platform::LogText(), "");
        LogMessage("again");
        QCoreApplication::processEvents();
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.text(), "\nagain");
    }
    platform::ClearLog();
}

}  // namespace
}  // namespace plexo
