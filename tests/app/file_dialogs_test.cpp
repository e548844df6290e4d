#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include "app/file_dialogs.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

struct SaveAsCase {
    int typeDown;  // presses of the Down key in the type list
    const char* typed;
    const char* saved;
};

class SaveAsDialog : public ViewerTest, public testing::WithParamInterface<SaveAsCase> {};

// Typed as a user would: the type list, then the name and Enter.
TEST_P(SaveAsDialog, AppendsTheChosenTypesExtension)
{
    const SaveAsCase& c = GetParam();
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answered = true;
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(types && name);
        for (int i = 0; i < c.typeDown; ++i)
            QTest::keyClick(types, Qt::Key_Down);
        QTest::keyClicks(name, QString::fromUtf8(c.typed));
        QTest::keyClick(name, Qt::Key_Return);
    });
    const QString path = RunFileDialog(nullptr, SaveAsRequest());
    EXPECT_TRUE(answered);
    EXPECT_EQ(QFileInfo(path).fileName(), QString::fromUtf8(c.saved));
}

INSTANTIATE_TEST_SUITE_P(Types, SaveAsDialog,
                         testing::Values(SaveAsCase{0, "shot", "shot.bmp"}, SaveAsCase{1, "shot", "shot.jpg"},
                                         SaveAsCase{1, "shot.bmp", "shot.bmp"}));

}  // namespace
}  // namespace plexo::test
