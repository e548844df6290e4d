#include <QApplication>
#include <QTest>
#include <QPlainTextEdit>
#include <QScrollBar>

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

TEST_F(DisplayPanel, OpensOnFirstMessageWithLeadingEmptyLine)
{
    EXPECT_FALSE(panel.isVisible());
    LogMessage("start");
    LogMessage(nullptr);
    LogMessage("two\r\nlines");
    Settle();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.windowTitle(), "Display Panel");
    EXPECT_EQ(panel.text(), "\nstart\n\ntwo\nlines");
}

TEST_F(DisplayPanel, CloseEmptiesTheLogAndNextMessageReopensWithOnlyIt)
{
    LogMessage("A");
    LogMessage("B");
    Settle();
    panel.close();
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(panel.created());
    EXPECT_EQ(platform::LogText(), "");

    LogMessage("C");
    Settle();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.text(), "\nC");
}

TEST_F(DisplayPanel, EscapeClosesLikeTheCloseButton)
{
    LogMessage("A");
    Settle();
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(platform::LogText(), "");
}

TEST_F(DisplayPanel, MessageClearedBeforeItWasShownDoesNotOpenThePanel)
{
    LogMessage("gone");
    platform::ClearLog();
    Settle();
    EXPECT_FALSE(panel.isVisible());
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
    auto* edit = panel.findChild<QPlainTextEdit*>();
    ASSERT_NE(edit, nullptr);
    QScrollBar* bar = edit->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(edit->isReadOnly());
}

}  // namespace
}  // namespace plexo
