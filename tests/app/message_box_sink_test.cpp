#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include <gtest/gtest.h>

#include <thread>

#include "app/message_box_sink.h"
#include "platform/message_sink.h"

namespace plexo {
namespace {

QList<QMessageBox*> OpenBoxes(const QWidget& owner)
{
    QList<QMessageBox*> open;
    for (QMessageBox* box : owner.findChildren<QMessageBox*>())
        if (box->isVisible())
            open.append(box);
    return open;
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

    QList<QMessageBox*> open = OpenBoxes(owner);
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[0]->windowTitle(), "Plexo");
    EXPECT_EQ(open[0]->icon(), QMessageBox::Warning);

    for (QMessageBox* box : open)
        box->accept();
    QCoreApplication::processEvents();
    platform::ShowMessage("Not a bitmap file");
    EXPECT_EQ(OpenBoxes(owner).size(), 1);
    RemoveMessageBoxSink();
}

}  // namespace
}  // namespace plexo
