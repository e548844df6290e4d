#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/about_dlg.h"

namespace plexo {
namespace {

TEST(CAboutDlg, ShowsIconNameAndVersionAndClosesWithOk)
{
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "About Plexo");
    auto* icon = dialog.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    auto* name = dialog.findChild<QLabel*>("name");
    auto* version = dialog.findChild<QLabel*>("version");
    ASSERT_NE(name, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(name->text(), "Plexo");
    const QString expected = QApplication::applicationVersion().isEmpty() ? QString(kPlexoVersion)
                                                                          : QApplication::applicationVersion();
    EXPECT_TRUE(version->text().endsWith(expected)) << version->text().toStdString();

    const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "OK");
    QTimer::singleShot(0, buttons[0], &QPushButton::click);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

}  // namespace
}  // namespace plexo
