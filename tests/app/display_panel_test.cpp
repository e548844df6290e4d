#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

#include "app/display_panel.h"
#include "platform/log.h"

namespace plexo {
namespace {

class DisplayPanel : public testing::Test {
protected:
    DisplayPanel()
    {
        platform::ClearLog();
        panel.InstallLogSink();
    }
    ~DisplayPanel() override { platform::ClearLog(); }

    static void Settle() { QCoreApplication::processEvents(); }

    Display panel{nullptr};
};

TEST_F(DisplayPanel, OpensOnAMessageAndEveryCloseEmptiesIt)
{
    // Cleared before it was shown: nothing opens.
    LogMessage("gone");
    platform::ClearLog();
    Settle();
    EXPECT_FALSE(panel.isVisible());

    LogMessage("start");
    LogMessage(nullptr);
    LogMessage("two\r\nlines");
    Settle();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.text(), "\nstart\n\ntwo\nlines");

    panel.close();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(platform::LogText(), "");
    LogMessage("again");
    Settle();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.text(), "\nagain");

    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(platform::LogText(), "");
}

TEST_F(DisplayPanel, MessagesFromAWorkerKeepTheirOrderAndScrollToTheEnd)
{
    std::thread worker([] {
        for (int i = 0; i < 200; ++i)
            LogMessage("line " + std::to_string(i));
    });
    worker.join();
    Settle();
    const QStringList lines = panel.text().split('\n');
    ASSERT_EQ(lines.size(), 201);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(lines[i + 1], QString("line %1").arg(i));
    QScrollBar* bar = panel.findChild<QPlainTextEdit*>()->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

}  // namespace
}  // namespace plexo
